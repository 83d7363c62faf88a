#include "ucprogress.h"

#include "connectionstate.h"
#include "progresspercent.h"
#include "statuspicture.h"
#include "statustext.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <limits>

namespace {

const QString kPanelConnect = QStringLiteral("connect");
const QString kPanelTime = QStringLiteral("time");
const QString kPanelReady = QStringLiteral("ready");
const QString kPanelProgres = QStringLiteral("progres");

constexpr QSize kPanelPictureSize {16, 16};
constexpr QSize kLampSize {12, 12};
constexpr QSize kButtonIconSize {14, 14};

// The kinds of the write family, in the order of their g_FILE_LOAD codes.
const QStringList kWriteFamily {
    QStringLiteral("write"),
    QStringLiteral("file"),
    QStringLiteral("backup"),
    QStringLiteral("bcch"),
    QStringLiteral("wait"),
    QStringLiteral("server"),
    QStringLiteral("start"),
};

// A zero interval would make a Qt timer fire on every pass of the event loop, and a
// negative one is meaningless: the shortest step is 1 ms.
int stepMilliseconds(qint32 milliseconds)
{
    return std::max<qint32>(milliseconds, 1);
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
    : QWidget(parent)
    , m_indicatorStep(indicatorStep)
{
    buildStrip();

    for (int i = 0; i < kStepTimers; ++i) {
        auto *timer = new QTimer(this);
        timer->setObjectName(QStringLiteral("tmrStatusProgres"));
        timer->setProperty("index", i);
        connect(timer, &QTimer::timeout, this, [this, i] { tmrStatusProgres_Timer(i); });
        m_tmrStatusProgres[i] = timer;
    }
    m_tmrAnimate = new QTimer(this);
    m_tmrAnimate->setObjectName(QStringLiteral("tmrAnimate"));
    m_tmrAnimate->setInterval(m_indicatorStep);
    connect(m_tmrAnimate, &QTimer::timeout, this, &ucProgress::tmrAnimate_Timer);
    m_tmrServer = new QTimer(this);
    m_tmrServer->setObjectName(QStringLiteral("tmrServer"));
    connect(m_tmrServer, &QTimer::timeout, this, &ucProgress::tmrServer_Timer);

    m_animationFrame = 0;
    setLamps(kLampOff, kLampBusy);
    SetTimeOut(100, 100, 100, 50, 100);
}

ucProgress::~ucProgress() = default;

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
    m_prStatus->setRange(0, m_maximum);
    m_prStatus->setValue(0);
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
    refreshPauseButton();
    connect(m_cmdPauseProgress, &QToolButton::clicked, this, &ucProgress::cmdPauseProgress_Click);
    connect(m_cmdEndProgress, &QToolButton::clicked, this, &ucProgress::cmdEndProgress_Click);
    m_staStatus->addPermanentWidget(controls);

    setPanelText(QStringLiteral("Disconnected"), kPanelConnect);
    setPanelPicture(kPanelConnect, ProgressArt::Picture::Disconnected);
    setPanelText(QStringLiteral("Time"), kPanelTime);
    setPanelText(QStringLiteral("Ready"), kPanelReady);
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

void ucProgress::StartProgress(const QString &sKey, qint16 pCount, qint32 writeMode, qint32 pTimeToWrite)
{
    m_tmrServer->stop();
    for (QTimer *timer : m_tmrStatusProgres)
        timer->stop();
    setMaximum(100);

    bool writeStarted = false;
    const qsizetype writeKind = kWriteFamily.indexOf(sKey);

    if (sKey == QLatin1String("connecting")) {
        g_PROG_MOD = kConnectTimer;
        setPosition(0);
        m_tmrStatusProgres[kConnectTimer]->setInterval(stepMilliseconds(m_connectStep));
        m_animationFrame = 0;
        setLamps(kLampOff, kLampBusy);
        setPanelText(QStringLiteral("Connecting..."), kPanelConnect);
        setPanelPicture(kPanelReady, ProgressArt::animationFrame(0));
        startAnimation();
        m_tmrStatusProgres[kConnectTimer]->start();
    } else if (sKey == QLatin1String("connected")) {
        setPanelText(QStringLiteral("Connected        "), kPanelConnect);
        setPanelPicture(kPanelConnect, ProgressArt::Picture::Connected);
        setPosition(0);
        m_tmrAnimate->stop();
        m_tmrStatusProgres[kConnectTimer]->stop();
        setLamps(kLampReady, kLampOff);
        setPanelText(QString(), kPanelReady);
        setPanelPicture(kPanelReady, ProgressArt::Picture::Empty);
    } else if (sKey == QLatin1String("receive")) {
        g_PROG_MOD = kReceiveTimer;
        setPosition(0);
        m_tmrStatusProgres[kConnectTimer]->stop();
        m_animationFrame = 0;
        m_tmrStatusProgres[kReceiveTimer]->setInterval(stepMilliseconds(m_receiveStep));
        setPanelText(QStringLiteral("Waiting for Data..."), kPanelConnect);
        setPanelPicture(kPanelReady, ProgressArt::animationFrame(0));
        m_tmrStatusProgres[kReceiveTimer]->start();
        startAnimation();
    } else if (sKey == QLatin1String("disconnect")) {
        setPosition(0);
        setPanelText(QStringLiteral("Disconnected"), kPanelConnect);
        setPanelText(QString(), kPanelTime);
        setPanelText(QString(), kPanelReady);
        setLamps(kLampOff, kLampBusy);
        setPanelPicture(kPanelConnect, ProgressArt::Picture::Disconnected);
        setPanelPicture(kPanelReady, ProgressArt::Picture::Empty);
        m_tmrStatusProgres[kConnectTimer]->stop();
        m_tmrStatusProgres[kReceiveTimer]->stop();
        m_tmrAnimate->stop();
    } else if (writeKind >= 0) {
        // A bar needs at least one step, and the write mode becomes the 16-bit
        // operation code: a start that cannot satisfy both is refused whole.
        if (pCount < 1 || writeMode < std::numeric_limits<qint16>::min()
            || writeMode > std::numeric_limits<qint16>::max())
            return;
        setMaximum(pCount);
        setPosition(0);
        g_FILE_LOAD = static_cast<qint16>(writeKind);
        g_PROG_MOD = static_cast<qint16>(writeMode);
        writeStarted = true;
        m_animationFrame = 0;
        setPanelText(QStringLiteral("Sending Data..."), kPanelConnect);
        setPanelPicture(kPanelReady, ProgressArt::animationFrame(0));
        m_writeStep = pTimeToWrite;
        m_tmrStatusProgres[kWriteTimer]->setInterval(stepMilliseconds(pTimeToWrite));
        m_tmrStatusProgres[kWriteTimer]->start();
        startAnimation();
    } else if (sKey == QLatin1String("logon")) {
        g_PROG_MOD = kLogonTimer;
        setPanelText(QStringLiteral("Admin Logon..."), kPanelConnect);
        setPosition(0);
        m_tmrStatusProgres[kLogonTimer]->setInterval(stepMilliseconds(m_connectStep / 2));
        m_animationFrame = 0;
        setLamps(kLampOff, kLampBusy);
        setPanelPicture(kPanelReady, ProgressArt::animationFrame(0));
        startAnimation();
        m_tmrStatusProgres[kLogonTimer]->start();
    }

    if (isStepTimer(g_PROG_MOD))
        m_stepMarks[g_PROG_MOD].clear();
    refreshPauseButton();

    // Raised last: the owner's handler runs inside this call and may start the
    // next operation itself.
    if (writeStarted)
        emit writeOperationStarted();
}

bool ucProgress::EndProgress(qint32 prog)
{
    if (!isStepTimer(prog))
        return false;
    m_tmrStatusProgres[prog]->stop();
    m_stepMarks[prog] = kMarkStopped;
    m_tmrAnimate->stop();
    setPosition(0);
    setPanelText(QString(), kPanelReady);
    setPanelPicture(kPanelReady, ProgressArt::Picture::Empty);
    refreshPauseButton();
    return true;
}

bool ucProgress::setProgressSpeed(qint32 tCode, qint32 speed)
{
    if (!isStepTimer(tCode))
        return false;
    QTimer *timer = m_tmrStatusProgres[tCode];
    if (timer->isActive()) {
        timer->stop();
        timer->setInterval(stepMilliseconds(speed));
        timer->start();
    }
    return true;
}

bool ucProgress::RestoreSpeed(qint16 Index)
{
    if (!isStepTimer(Index))
        return false;
    // Like any interval change, this restarts a running timer's count.
    m_tmrStatusProgres[Index]->setInterval(stepMilliseconds(m_writeStep));
    return true;
}

void ucProgress::setWritePosition(qint16 pos)
{
    const int target = m_position + pos;
    if (target < 0 || target > m_maximum)
        return;
    setPosition(target);
}

bool ucProgress::setPanelText(const QString &sText, const QString &sPanel)
{
    const auto it = m_panels.find(sPanel);
    if (it == m_panels.end())
        return false;
    it->text = sText;
    if (it->label)
        it->label->setText(sText);
    return true;
}

void ucProgress::SetTimeOut(qint32 tCon, qint32 tRec, qint32 tWrite, qint32 tCheckOK, qint16 pMax)
{
    m_connectStep = tCon;
    m_receiveStep = tRec;
    m_writeTimeOut = tWrite;
    m_checkTimeOut = tCheckOK;
    m_timeOutMax = pMax;
}

void ucProgress::StartServer()
{
    m_tmrServer->setInterval(m_indicatorStep);
    m_tmrServer->start();
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

bool ucProgress::isStepTimerActive(int index) const
{
    return isStepTimer(index) && m_tmrStatusProgres[index]->isActive();
}

int ucProgress::stepInterval(int index) const
{
    return isStepTimer(index) ? m_tmrStatusProgres[index]->interval() : 0;
}

QString ucProgress::stepMark(int index) const
{
    return isStepTimer(index) ? m_stepMarks[index] : QString();
}

bool ucProgress::isAnimating() const
{
    return m_tmrAnimate->isActive();
}

bool ucProgress::isServerIndicating() const
{
    return m_tmrServer->isActive();
}

void ucProgress::setPanelPicture(const QString &sPanel, ProgressArt::Picture picture)
{
    const Panel panel = m_panels.value(sPanel);
    if (panel.picture)
        panel.picture->setPicture(picture);
}

void ucProgress::setLamps(int okStatus, int workingStatus)
{
    m_imOK->setProperty("imStatus", okStatus);
    m_imOK->setPicture(ProgressArt::lampPicture(okStatus));
    m_imWorking->setProperty("imStatus", workingStatus);
    m_imWorking->setPicture(ProgressArt::lampPicture(workingStatus));
}

void ucProgress::setPosition(int position)
{
    m_position = std::clamp(position, 0, m_maximum);
    m_prStatus->setValue(m_position);
}

void ucProgress::setMaximum(int maximum)
{
    m_maximum = std::max(maximum, 1);
    // The bar's own range is widened first, so that it never resets its value.
    m_position = std::min(m_position, m_maximum);
    m_prStatus->setRange(0, m_maximum);
    m_prStatus->setValue(m_position);
}

void ucProgress::startAnimation()
{
    m_tmrAnimate->setInterval(m_indicatorStep);
    m_tmrAnimate->start();
}

void ucProgress::refreshPauseButton()
{
    const bool paused = isStepTimer(g_PROG_MOD) && m_stepMarks[g_PROG_MOD] == kMarkPaused;
    m_cmdPauseProgress->setIcon(paused ? m_playIcon : m_pauseIcon);
}

void ucProgress::tmrStatusProgres_Timer(int index)
{
    switch (index) {
    case kConnectTimer:
    case kLogonTimer:
    case kReceiveTimer:
        if (m_position < 99 && m_position < m_maximum) {
            setPosition(m_position + 1);
            setPanelText(ProgressPercent::percentText(m_position, m_maximum), kPanelReady);
            emit progressTime(
                static_cast<qint16>(index), static_cast<qint16>(ProgressPercent::wholePercent(m_position, m_maximum)));
        } else {
            setPosition(m_maximum);
            setPanelText(QStringLiteral("100%"), kPanelReady);
            m_tmrAnimate->stop();
            m_tmrStatusProgres[index]->stop();
            emit progressTimeEnd(index);
        }
        break;
    case kWriteTimer:
        if (m_maximum > m_position) {
            setPosition(m_position + 1);
            setPanelText(ProgressPercent::percentText(m_position, m_maximum), kPanelReady);
            emit progressTime(g_PROG_MOD, static_cast<qint16>(m_position));
        } else {
            // The write family ends silently, one tick after its last step.
            setPosition(m_maximum);
            EndProgress(kWriteTimer);
        }
        break;
    default:
        break;
    }
}

void ucProgress::tmrAnimate_Timer()
{
    if (m_animationFrame >= ProgressArt::kAnimationFrames)
        m_animationFrame = 0;
    setPanelPicture(kPanelReady, ProgressArt::animationFrame(m_animationFrame));
    ++m_animationFrame;
}

void ucProgress::tmrServer_Timer()
{
    if (m_serverMark != QLatin1String("1")) {
        setLamps(kLampOff, kLampBusy);
        m_serverMark = QStringLiteral("1");
    } else {
        setLamps(kLampBusy, kLampOff);
        m_serverMark = QStringLiteral("2");
    }
}

void ucProgress::cmdPauseProgress_Click()
{
    // The operation code may be a write mode that names no step timer.
    if (!isStepTimer(g_PROG_MOD))
        return;
    QTimer *timer = m_tmrStatusProgres[g_PROG_MOD];
    QString &mark = m_stepMarks[g_PROG_MOD];
    if (mark.isEmpty()) {
        // Only a running operation can be paused; "pausing" an idle timer would let
        // the next click start a finished operation again.
        if (timer->isActive()) {
            timer->stop();
            mark = kMarkPaused;
        }
    } else if (mark == kMarkPaused) {
        timer->start();
        mark.clear();
    }
    refreshPauseButton();
}

void ucProgress::cmdEndProgress_Click()
{
    EndProgress(g_PROG_MOD);
    const bool connected = m_connection && m_connection->isConnected();
    StartProgress(connected ? QStringLiteral("connected") : QStringLiteral("disconnect"), 100, 5,
        static_cast<qint32>(kDefaultWriteStep.count()));
}
