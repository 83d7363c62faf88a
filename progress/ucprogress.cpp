#include "ucprogress.h"

#include "connectionstate.h"
#include "statuspicture.h"
#include "statustext.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>

namespace {

const QString &kPanelConnect = OperationClock::kPanelConnect;
const QString &kPanelTime = OperationClock::kPanelTime;
const QString &kPanelReady = OperationClock::kPanelReady;
const QString &kPanelProgres = OperationClock::kPanelProgres;

constexpr QSize kPanelPictureSize {16, 16};
constexpr QSize kLampSize {12, 12};
constexpr QSize kButtonIconSize {14, 14};

OperationClock::Timing indicatorTiming(std::chrono::milliseconds indicatorStep)
{
    OperationClock::Timing timing;
    timing.indicatorStep = indicatorStep;
    return timing;
}

QFrame *panelSeparator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    line->setFixedWidth(1);
    return line;
}

} // namespace

ucProgress::ucProgress(QWidget *parent, std::chrono::milliseconds indicatorStep)
    : ucProgress(*new OperationClock(indicatorTiming(indicatorStep)), true, parent)
{ }

ucProgress::ucProgress(OperationClock &clock, QWidget *parent)
    : ucProgress(clock, false, parent)
{ }

ucProgress::ucProgress(OperationClock &clock, bool owned, QWidget *parent)
    : QWidget(parent)
    , g_PROG_MOD(clock.g_PROG_MOD)
    , g_FILE_LOAD(clock.g_FILE_LOAD)
    , m_clock(&clock)
{
    if (owned)
        m_clock->setParent(this);
    buildStrip();
    showClock();

    connect(m_clock, &OperationClock::panelTextChanged, this, &ucProgress::showPanelText);
    connect(m_clock, &OperationClock::panelPictureChanged, this, &ucProgress::showPanelPicture);
    connect(m_clock, &OperationClock::lampsChanged, this, &ucProgress::showLamps);
    connect(m_clock, &OperationClock::barChanged, this, &ucProgress::showBar);
    connect(m_clock, &OperationClock::pausedChanged, this, &ucProgress::showPaused);
    connect(m_clock, &OperationClock::progressTime, this, &ucProgress::progressTime);
    connect(m_clock, &OperationClock::progressTimeEnd, this, &ucProgress::progressTimeEnd);
    connect(m_clock, &OperationClock::writeOperationStarted, this, &ucProgress::writeOperationStarted);
}

ucProgress::~ucProgress()
{
    // A clock given to the strip outlives it; one of its own dies after this body,
    // when nothing of the view is left to draw on.
    m_clock->disconnect(this);
}

void ucProgress::buildStrip()
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_staStatus = new QStatusBar(this);
    m_staStatus->setObjectName(QStringLiteral("staStatus"));
    m_staStatus->setSizeGripEnabled(false);
    // Panels are told apart by thin separators rather than the style's sunken boxes.
    m_staStatus->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    layout->addWidget(m_staStatus);

    const QFontMetrics metrics(font());

    // Each text panel carries a name for assistive tools, which read its text as
    // its value. The first is wide enough for the longest status text the console
    // puts there, so that the strip does not shift as the texts change.
    Panel connectPanel = addPanel(kPanelConnect, true, true, tr("Connection status"));
    connectPanel.label->setMinimumWidth(
        metrics.horizontalAdvance(QStringLiteral("Write data not complete seccessful!")));
    m_staStatus->addWidget(connectPanel.box);
    m_staStatus->addWidget(panelSeparator(m_staStatus));

    Panel timePanel = addPanel(kPanelTime, false, true, tr("Time"));
    timePanel.label->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("00:00:00")));
    m_staStatus->addWidget(timePanel.box);
    m_staStatus->addWidget(panelSeparator(m_staStatus));

    Panel readyPanel = addPanel(kPanelReady, true, true, tr("Percent"));
    readyPanel.label->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("Ready")) + metrics.averageCharWidth());
    m_staStatus->addWidget(readyPanel.box);
    m_staStatus->addWidget(panelSeparator(m_staStatus));

    // The bar fills the fourth panel, set in a little from its edges.
    Panel progresPanel = addPanel(kPanelProgres, false, false);
    m_prStatus = new QProgressBar(progresPanel.box);
    m_prStatus->setObjectName(QStringLiteral("prStatus"));
    m_prStatus->setAccessibleName(tr("Progress"));
    m_prStatus->setTextVisible(false);
    m_prStatus->setFixedHeight(std::max(8, metrics.height() / 2 + 2));
    m_prStatus->setMinimumWidth(80);
    progresPanel.box->layout()->addWidget(m_prStatus);
    m_staStatus->addWidget(progresPanel.box, 1);

    auto *controls = new QWidget(m_staStatus);
    auto *controlsLayout = new QHBoxLayout(controls);
    controlsLayout->setContentsMargins(6, 0, 2, 0);
    controlsLayout->setSpacing(4);
    m_imOK = new StatusPicture(kLampSize, controls);
    m_imOK->setObjectName(QStringLiteral("imOK"));
    m_imWorking = new StatusPicture(kLampSize, controls);
    m_imWorking->setObjectName(QStringLiteral("imWorking"));
    controlsLayout->addWidget(m_imOK);
    controlsLayout->addWidget(m_imWorking);
    controlsLayout->addSpacing(4);

    m_pauseIcon = ProgressArt::icon(ProgressArt::Picture::Pause, kButtonIconSize);
    m_playIcon = ProgressArt::icon(ProgressArt::Picture::Play, kButtonIconSize);
    m_cmdPauseProgress = new QToolButton(controls);
    m_cmdPauseProgress->setObjectName(QStringLiteral("cmdPauseProgress"));
    m_cmdPauseProgress->setText(tr("Pause"));
    m_cmdPauseProgress->setToolTip(QStringLiteral("Click to pause/play the progress"));
    m_cmdEndProgress = new QToolButton(controls);
    m_cmdEndProgress->setObjectName(QStringLiteral("cmdEndProgress"));
    m_cmdEndProgress->setText(tr("Stop"));
    m_cmdEndProgress->setToolTip(QStringLiteral("Click to stop the progress"));
    m_cmdEndProgress->setIcon(ProgressArt::icon(ProgressArt::Picture::Stop, kButtonIconSize));
    for (QToolButton *button : {m_cmdPauseProgress, m_cmdEndProgress}) {
        button->setAutoRaise(true);
        button->setIconSize(kButtonIconSize);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setFocusPolicy(Qt::TabFocus);
        controlsLayout->addWidget(button);
    }
    connect(m_cmdPauseProgress, &QToolButton::clicked, this, &ucProgress::cmdPauseProgress_Click);
    connect(m_cmdEndProgress, &QToolButton::clicked, this, &ucProgress::cmdEndProgress_Click);
    m_staStatus->addPermanentWidget(controls);
}

ucProgress::Panel ucProgress::addPanel(
    const QString &key, bool withPicture, bool withLabel, const QString &accessibleName)
{
    Panel panel;
    panel.box = new QWidget(m_staStatus);
    panel.box->setObjectName(key);
    auto *layout = new QHBoxLayout(panel.box);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(6);
    if (withPicture) {
        panel.picture = new StatusPicture(kPanelPictureSize, panel.box);
        panel.picture->setObjectName(key + QStringLiteral("Picture"));
        layout->addWidget(panel.picture);
    }
    if (withLabel) {
        panel.label = new StatusText(panel.box);
        panel.label->setObjectName(key + QStringLiteral("Text"));
        panel.label->setAccessibleName(accessibleName);
        layout->addWidget(panel.label, 1);
    }
    m_panels.insert(key, panel);
    return panel;
}

void ucProgress::showClock()
{
    for (const QString &key : {kPanelConnect, kPanelTime, kPanelReady, kPanelProgres})
        showPanelText(key, m_clock->panelText(key));
    for (const QString &key : {kPanelConnect, kPanelReady})
        showPanelPicture(key, m_clock->panelPicture(key));
    showLamps(m_clock->lampStatus(OperationClock::kLampOK), m_clock->lampStatus(OperationClock::kLampWorking));
    showBar(m_clock->position(), m_clock->maximum());
    showPaused(m_clock->isPaused());
}

QString ucProgress::panelText(const QString &sPanel) const
{
    return m_panels.value(sPanel).text;
}

ProgressArt::Picture ucProgress::panelPicture(const QString &sPanel) const
{
    const Panel panel = m_panels.value(sPanel);
    return panel.picture ? panel.picture->picture() : ProgressArt::Picture::Empty;
}

int ucProgress::lampStatus(const QString &lamp) const
{
    const StatusPicture *picture = lamp == QLatin1String("imOK") ? m_imOK
        : lamp == QLatin1String("imWorking")                     ? m_imWorking
                                                                 : nullptr;
    return picture ? picture->property("imStatus").toInt() : -1;
}

void ucProgress::showPanelText(const QString &sPanel, const QString &sText)
{
    const auto it = m_panels.find(sPanel);
    if (it == m_panels.end())
        return;
    it->text = sText;
    if (it->label)
        it->label->setText(sText);
}

void ucProgress::showPanelPicture(const QString &sPanel, ProgressArt::Picture picture)
{
    const Panel panel = m_panels.value(sPanel);
    if (panel.picture)
        panel.picture->setPicture(picture);
}

void ucProgress::showLamps(int okStatus, int workingStatus)
{
    m_imOK->setProperty("imStatus", okStatus);
    m_imOK->setPicture(ProgressArt::lampPicture(okStatus));
    m_imWorking->setProperty("imStatus", workingStatus);
    m_imWorking->setPicture(ProgressArt::lampPicture(workingStatus));
}

void ucProgress::showBar(int position, int maximum)
{
    // The range comes first, so that the value is always set inside it.
    if (m_prStatus->maximum() != maximum)
        m_prStatus->setRange(0, maximum);
    m_prStatus->setValue(position);
}

void ucProgress::showPaused(bool paused)
{
    m_cmdPauseProgress->setIcon(paused ? m_playIcon : m_pauseIcon);
}

void ucProgress::cmdPauseProgress_Click()
{
    m_clock->pauseOrResume();
}

void ucProgress::cmdEndProgress_Click()
{
    m_clock->EndProgress(m_clock->g_PROG_MOD);
    const bool connected = m_connection && m_connection->isConnected();
    m_clock->StartProgress(connected ? QStringLiteral("connected") : QStringLiteral("disconnect"), 100, 5,
        static_cast<qint32>(kDefaultWriteStep.count()));
}
