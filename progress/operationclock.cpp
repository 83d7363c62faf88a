#include "operationclock.h"

#include "progresspercent.h"

#include <QStringList>
#include <QTimer>
#include <QVariant>

#include <algorithm>
#include <limits>

namespace {

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

qint32 milliseconds(std::chrono::milliseconds interval)
{
    return static_cast<qint32>(
        std::clamp<qint64>(interval.count(), std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

} // namespace

OperationClock::OperationClock(QObject *parent)
    : OperationClock(Timing(), parent)
{ }

OperationClock::OperationClock(const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_timing(timing)
{
    for (int i = 0; i < kStepTimers; ++i) {
        auto *timer = new QTimer(this);
        timer->setObjectName(QStringLiteral("tmrStatusProgres"));
        timer->setProperty("index", i);
        connect(timer, &QTimer::timeout, this, [this, i] { tmrStatusProgres_Timer(i); });
        m_tmrStatusProgres[i] = timer;
    }
    m_tmrAnimate = new QTimer(this);
    m_tmrAnimate->setObjectName(QStringLiteral("tmrAnimate"));
    m_tmrAnimate->setInterval(m_timing.indicatorStep);
    connect(m_tmrAnimate, &QTimer::timeout, this, &OperationClock::tmrAnimate_Timer);
    m_tmrServer = new QTimer(this);
    m_tmrServer->setObjectName(QStringLiteral("tmrServer"));
    connect(m_tmrServer, &QTimer::timeout, this, &OperationClock::tmrServer_Timer);

    m_panelTexts = {
        {kPanelConnect, QStringLiteral("Disconnected")},
        {kPanelTime, QStringLiteral("Time")},
        {kPanelReady, QStringLiteral("Ready")},
        {kPanelProgres, QString()},
    };
    m_panelPictures = {
        {kPanelConnect, StripPicture::Disconnected},
        {kPanelReady, StripPicture::Empty},
    };
    m_writeStep = milliseconds(m_timing.defaultWriteStep);
    SetTimeOut(milliseconds(m_timing.connectStep), milliseconds(m_timing.receiveStep), 100, 50, 100);
}

OperationClock::~OperationClock() = default;

void OperationClock::StartProgress(const QString &sKey, qint16 pCount, qint32 writeMode)
{
    StartProgress(sKey, pCount, writeMode, defaultWriteStep());
}

void OperationClock::StartProgress(const QString &sKey, qint16 pCount, qint32 writeMode, qint32 pTimeToWrite)
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
        setPanelPicture(kPanelReady, StripPictures::animationFrame(0));
        startAnimation();
        m_tmrStatusProgres[kConnectTimer]->start();
    } else if (sKey == QLatin1String("connected")) {
        setPanelText(QStringLiteral("Connected        "), kPanelConnect);
        setPanelPicture(kPanelConnect, StripPicture::Connected);
        setPosition(0);
        m_tmrAnimate->stop();
        m_tmrStatusProgres[kConnectTimer]->stop();
        setLamps(kLampReady, kLampOff);
        setPanelText(QString(), kPanelReady);
        setPanelPicture(kPanelReady, StripPicture::Empty);
    } else if (sKey == QLatin1String("receive")) {
        g_PROG_MOD = kReceiveTimer;
        setPosition(0);
        m_tmrStatusProgres[kConnectTimer]->stop();
        m_animationFrame = 0;
        m_tmrStatusProgres[kReceiveTimer]->setInterval(stepMilliseconds(m_receiveStep));
        setPanelText(QStringLiteral("Waiting for Data..."), kPanelConnect);
        setPanelPicture(kPanelReady, StripPictures::animationFrame(0));
        m_tmrStatusProgres[kReceiveTimer]->start();
        startAnimation();
    } else if (sKey == QLatin1String("disconnect")) {
        setPosition(0);
        setPanelText(QStringLiteral("Disconnected"), kPanelConnect);
        setPanelText(QString(), kPanelTime);
        setPanelText(QString(), kPanelReady);
        setLamps(kLampOff, kLampBusy);
        setPanelPicture(kPanelConnect, StripPicture::Disconnected);
        setPanelPicture(kPanelReady, StripPicture::Empty);
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
        setPanelPicture(kPanelReady, StripPictures::animationFrame(0));
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
        setPanelPicture(kPanelReady, StripPictures::animationFrame(0));
        startAnimation();
        m_tmrStatusProgres[kLogonTimer]->start();
    }

    if (isStepTimer(g_PROG_MOD))
        m_stepMarks[g_PROG_MOD].clear();
    refreshPaused();

    // Raised last: the owner's handler runs inside this call and may start the
    // next operation itself.
    if (writeStarted)
        emit writeOperationStarted();
}

bool OperationClock::EndProgress(qint32 prog)
{
    if (!isStepTimer(prog))
        return false;
    m_tmrStatusProgres[prog]->stop();
    m_stepMarks[prog] = kMarkStopped;
    m_tmrAnimate->stop();
    setPosition(0);
    setPanelText(QString(), kPanelReady);
    setPanelPicture(kPanelReady, StripPicture::Empty);
    refreshPaused();
    return true;
}

bool OperationClock::setProgressSpeed(qint32 tCode, qint32 speed)
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

bool OperationClock::RestoreSpeed(qint16 Index)
{
    if (!isStepTimer(Index))
        return false;
    // Like any interval change, this restarts a running timer's count.
    m_tmrStatusProgres[Index]->setInterval(stepMilliseconds(m_writeStep));
    return true;
}

void OperationClock::setWritePosition(qint16 pos)
{
    const int target = m_position + pos;
    if (target < 0 || target > m_maximum)
        return;
    setPosition(target);
}

bool OperationClock::setPanelText(const QString &sText, const QString &sPanel)
{
    const auto it = m_panelTexts.find(sPanel);
    if (it == m_panelTexts.end())
        return false;
    if (*it != sText) {
        *it = sText;
        emit panelTextChanged(sPanel, sText);
    }
    return true;
}

void OperationClock::SetTimeOut(qint32 tCon, qint32 tRec, qint32 tWrite, qint32 tCheckOK, qint16 pMax)
{
    m_connectStep = tCon;
    m_receiveStep = tRec;
    m_writeTimeOut = tWrite;
    m_checkTimeOut = tCheckOK;
    m_timeOutMax = pMax;
}

void OperationClock::StartServer()
{
    m_tmrServer->setInterval(m_timing.indicatorStep);
    m_tmrServer->start();
}

void OperationClock::pauseOrResume()
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
    refreshPaused();
}

QString OperationClock::panelText(const QString &sPanel) const
{
    return m_panelTexts.value(sPanel);
}

StripPicture OperationClock::panelPicture(const QString &sPanel) const
{
    return m_panelPictures.value(sPanel, StripPicture::Empty);
}

int OperationClock::lampStatus(const QString &lamp) const
{
    if (lamp == kLampOK)
        return m_lamps[0];
    if (lamp == kLampWorking)
        return m_lamps[1];
    return -1;
}

bool OperationClock::isStepTimerActive(int index) const
{
    return isStepTimer(index) && m_tmrStatusProgres[index]->isActive();
}

int OperationClock::stepInterval(int index) const
{
    return isStepTimer(index) ? m_tmrStatusProgres[index]->interval() : 0;
}

QString OperationClock::stepMark(int index) const
{
    return isStepTimer(index) ? m_stepMarks[index] : QString();
}

bool OperationClock::isAnimating() const
{
    return m_tmrAnimate->isActive();
}

bool OperationClock::isServerIndicating() const
{
    return m_tmrServer->isActive();
}

void OperationClock::setPanelPicture(const QString &sPanel, StripPicture picture)
{
    const auto it = m_panelPictures.find(sPanel);
    if (it == m_panelPictures.end() || *it == picture)
        return;
    *it = picture;
    emit panelPictureChanged(sPanel, picture);
}

void OperationClock::setLamps(int okStatus, int workingStatus)
{
    if (m_lamps[0] == okStatus && m_lamps[1] == workingStatus)
        return;
    m_lamps = {okStatus, workingStatus};
    emit lampsChanged(okStatus, workingStatus);
}

void OperationClock::setPosition(int position)
{
    const int clamped = std::clamp(position, 0, m_maximum);
    if (clamped == m_position)
        return;
    m_position = clamped;
    emit barChanged(m_position, m_maximum);
}

void OperationClock::setMaximum(int maximum)
{
    const int bounded = std::max(maximum, 1);
    const int position = std::min(m_position, bounded);
    if (bounded == m_maximum && position == m_position)
        return;
    m_maximum = bounded;
    m_position = position;
    emit barChanged(m_position, m_maximum);
}

void OperationClock::startAnimation()
{
    m_tmrAnimate->setInterval(m_timing.indicatorStep);
    m_tmrAnimate->start();
}

void OperationClock::refreshPaused()
{
    const bool paused = isStepTimer(g_PROG_MOD) && m_stepMarks[g_PROG_MOD] == kMarkPaused;
    if (paused == m_paused)
        return;
    m_paused = paused;
    emit pausedChanged(paused);
}

void OperationClock::tmrStatusProgres_Timer(int index)
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

void OperationClock::tmrAnimate_Timer()
{
    if (m_animationFrame >= StripPictures::kAnimationFrames)
        m_animationFrame = 0;
    setPanelPicture(kPanelReady, StripPictures::animationFrame(m_animationFrame));
    ++m_animationFrame;
}

void OperationClock::tmrServer_Timer()
{
    if (m_serverMark != QLatin1String("1")) {
        setLamps(kLampOff, kLampBusy);
        m_serverMark = QStringLiteral("1");
    } else {
        setLamps(kLampBusy, kLampOff);
        m_serverMark = QStringLiteral("2");
    }
}
