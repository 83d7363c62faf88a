#pragma once

#include "strippicture.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <array>
#include <chrono>

class QTimer;

// The clock of the console's long operations (connecting, logging on, waiting for
// data, writing a queue): runs each against a step timer, counts its steps and
// reports every step and every time-out to its owner, who decides what they mean.
// It also keeps what the progress strip shows of the operation (panel texts and
// pictures, lamps, bar, pause), so that a view only draws; it needs no widgets.
class OperationClock : public QObject
{
    Q_OBJECT

public:
    // Step timer indexes of the operations.
    static constexpr int kConnectTimer = 0;
    static constexpr int kLogonTimer = 1;
    static constexpr int kReceiveTimer = 2;
    static constexpr int kWriteTimer = 3;
    static constexpr int kStepTimers = 8;

    static constexpr std::chrono::milliseconds kConnectStep {100};
    static constexpr std::chrono::milliseconds kReceiveStep {100};
    static constexpr std::chrono::milliseconds kDefaultWriteStep {3000};
    static constexpr std::chrono::milliseconds kIndicatorStep {500};

    // Lamp pictures (imStatus).
    static constexpr int kLampReady = 0;
    static constexpr int kLampBusy = 1;
    static constexpr int kLampOff = 2;

    // Marks of the step timers.
    static inline const QString kMarkPaused = QStringLiteral("P");
    static inline const QString kMarkStopped = QStringLiteral("S");

    // The strip's panels and lamps, by the keys a view and the owner name them with.
    static inline const QString kPanelConnect = QStringLiteral("connect");
    static inline const QString kPanelTime = QStringLiteral("time");
    static inline const QString kPanelReady = QStringLiteral("ready");
    static inline const QString kPanelProgres = QStringLiteral("progres");
    static inline const QString kLampOK = QStringLiteral("imOK");
    static inline const QString kLampWorking = QStringLiteral("imWorking");

    // The intervals of the clock. Only tests pass anything but the defaults, so
    // that a 10 s time-out takes milliseconds.
    struct Timing
    {
        // Step of the connect timer; the log-on timer runs at half of it. A
        // timed operation ends on its hundredth step.
        std::chrono::milliseconds connectStep = kConnectStep;
        std::chrono::milliseconds receiveStep = kReceiveStep;
        // Step of a write-family operation started without one of its own: the
        // time-out of the log-on's one entry.
        std::chrono::milliseconds defaultWriteStep = kDefaultWriteStep;
        // Frame of the busy animation and blink of the server indication.
        std::chrono::milliseconds indicatorStep = kIndicatorStep;
    };

    explicit OperationClock(QObject *parent = nullptr);
    explicit OperationClock(const Timing &timing, QObject *parent = nullptr);
    ~OperationClock() override;

    // Operation code of the running operation: 0 connect, 1 log-on, 2 receive, or
    // the caller's write mode for the write family. The owner reads and writes it.
    qint16 g_PROG_MOD = 0;
    // Kind within the write family: 0 "write", 1 "file", 2 "backup", 3 "bcch",
    // 4 "wait", 5 "server", 6 "start". The owner reads and writes it.
    qint16 g_FILE_LOAD = 0;

    // Starts the operation named `sKey`; `pCount`, `writeMode` and `pTimeToWrite`
    // (ms per step) matter only for the write family, whose step is the default
    // write step when none is given.
    void StartProgress(const QString &sKey, qint16 pCount = 100, qint32 writeMode = 5);
    void StartProgress(const QString &sKey, qint16 pCount, qint32 writeMode, qint32 pTimeToWrite);
    // Stops the operation running on step timer `prog`. False when `prog` names no step timer.
    bool EndProgress(qint32 prog);
    // Gives a running step timer a new interval (ms) without moving the bar; a
    // stopped timer stays stopped. False when `tCode` names no step timer.
    bool setProgressSpeed(qint32 tCode, qint32 speed);
    // Sets step timer `Index` back to the write step. False when `Index` names no step timer.
    bool RestoreSpeed(qint16 Index);
    // Moves the bar by `pos` steps (negative steps back); a move outside the bar is ignored.
    void setWritePosition(qint16 pos);
    // Sets the text of the panel keyed `sPanel`. False when there is no such panel.
    bool setPanelText(const QString &sText, const QString &sPanel = kPanelConnect);
    // Sets the connect and receive step (ms); the other values are kept only.
    void SetTimeOut(qint32 tCon = 100, qint32 tRec = 100, qint32 tWrite = 100, qint32 tCheckOK = 50, qint16 pMax = 100);
    // Starts the server indication: the two lamps blink in turn.
    void StartServer();
    // The operator's pause button: pauses the running operation, or resumes the
    // one it paused. An operation that is not running stays as it is.
    void pauseOrResume();

    // What the strip shows and how the clock runs, for a view, the owner and tests.
    QString panelText(const QString &sPanel) const;
    StripPicture panelPicture(const QString &sPanel) const;
    // -1 for a name that is no lamp.
    int lampStatus(const QString &lamp) const;
    int position() const { return m_position; }
    int maximum() const { return m_maximum; }
    // True while the operator holds the running operation (its mark is "P").
    bool isPaused() const { return m_paused; }
    bool isStepTimerActive(int index) const;
    int stepInterval(int index) const;
    QString stepMark(int index) const;
    int writeStep() const { return m_writeStep; }
    int connectStep() const { return m_connectStep; }
    int receiveStep() const { return m_receiveStep; }
    // The write step a write-family operation takes when started without one.
    qint32 defaultWriteStep() const { return static_cast<qint32>(m_timing.defaultWriteStep.count()); }
    bool isAnimating() const;
    bool isServerIndicating() const;

signals:
    // One step of a running operation: for the connect, log-on and receive timers the
    // timer index and the whole percentage reached; for the write family the write
    // mode and the number of steps done.
    void progressTime(qint16 tCode, qint16 pIndex);
    // The connect, log-on or receive operation ran out of steps.
    void progressTimeEnd(qint32 tCode);
    // A write-family operation started: the owner of the write queue empties its
    // list of failed items (g_FailedList) here.
    void writeOperationStarted();

    // What a view redraws. Each comes once per real change, before any step or
    // time-out that follows from the same call.
    void panelTextChanged(const QString &sPanel, const QString &sText);
    void panelPictureChanged(const QString &sPanel, StripPicture picture);
    void lampsChanged(int okStatus, int workingStatus);
    void barChanged(int position, int maximum);
    void pausedChanged(bool paused);

private:
    static bool isStepTimer(qint32 index) { return index >= 0 && index < kStepTimers; }

    void setPanelPicture(const QString &sPanel, StripPicture picture);
    void setLamps(int okStatus, int workingStatus);
    void setPosition(int position);
    void setMaximum(int maximum);
    void startAnimation();
    void refreshPaused();

    void tmrStatusProgres_Timer(int index);
    void tmrAnimate_Timer();
    void tmrServer_Timer();

    Timing m_timing;
    std::array<QTimer *, kStepTimers> m_tmrStatusProgres {};
    std::array<QString, kStepTimers> m_stepMarks;
    QTimer *m_tmrAnimate = nullptr;
    QTimer *m_tmrServer = nullptr;
    QString m_serverMark;

    QHash<QString, QString> m_panelTexts;
    QHash<QString, StripPicture> m_panelPictures;
    std::array<int, 2> m_lamps {kLampOff, kLampBusy};
    bool m_paused = false;

    int m_position = 0;
    int m_maximum = 100;
    qint32 m_connectStep = 100;
    qint32 m_receiveStep = 100;
    qint32 m_writeTimeOut = 100;
    qint32 m_checkTimeOut = 50;
    qint16 m_timeOutMax = 100;
    qint32 m_writeStep = static_cast<qint32>(kDefaultWriteStep.count());
    qint16 m_animationFrame = 0;
};
