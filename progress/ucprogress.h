#pragma once

#include "progressart.h"

#include <QHash>
#include <QString>
#include <QWidget>

#include <array>
#include <chrono>

class ConnectionState;
class QProgressBar;
class QStatusBar;
class QTimer;
class QToolButton;
class StatusPicture;
class StatusText;

// The operation progress strip at the bottom of the main window: runs each long
// operation (connecting, logging on, waiting for data, writing a queue) against a
// step timer, shows its text, animation and progress, and reports every step and
// every time-out to its owner, who decides what they mean.
class ucProgress : public QWidget
{
    Q_OBJECT

public:
    // Step timer indexes of the operations.
    static constexpr int kConnectTimer = 0;
    static constexpr int kLogonTimer = 1;
    static constexpr int kReceiveTimer = 2;
    static constexpr int kWriteTimer = 3;
    static constexpr int kStepTimers = 8;

    static constexpr std::chrono::milliseconds kIndicatorStep {500};
    static constexpr std::chrono::milliseconds kDefaultWriteStep {3000};

    // Lamp pictures (imStatus).
    static constexpr int kLampReady = 0;
    static constexpr int kLampBusy = 1;
    static constexpr int kLampOff = 2;

    // Marks of the step timers.
    static inline const QString kMarkPaused = QStringLiteral("P");
    static inline const QString kMarkStopped = QStringLiteral("S");

    // `indicatorStep` is the interval of the busy animation and of the server
    // indication; only tests pass anything but the default.
    explicit ucProgress(QWidget *parent = nullptr, std::chrono::milliseconds indicatorStep = kIndicatorStep);
    ~ucProgress() override;

    // Operation code of the running operation: 0 connect, 1 log-on, 2 receive, or
    // the caller's write mode for the write family. The owner reads and writes it.
    qint16 g_PROG_MOD = 0;
    // Kind within the write family: 0 "write", 1 "file", 2 "backup", 3 "bcch",
    // 4 "wait", 5 "server", 6 "start". The owner reads and writes it.
    qint16 g_FILE_LOAD = 0;

    // Starts the operation named `sKey`; `pCount`, `writeMode` and `pTimeToWrite`
    // (ms per step) matter only for the write family.
    void StartProgress(const QString &sKey, qint16 pCount = 100, qint32 writeMode = 5,
        qint32 pTimeToWrite = static_cast<qint32>(kDefaultWriteStep.count()));
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
    bool setPanelText(const QString &sText, const QString &sPanel = QStringLiteral("connect"));
    // Sets the connect and receive step (ms); the other values are kept only.
    void SetTimeOut(qint32 tCon = 100, qint32 tRec = 100, qint32 tWrite = 100, qint32 tCheckOK = 50, qint16 pMax = 100);
    // Starts the server indication: the two lamps blink in turn.
    void StartServer();

    // The link whose state the stop button asks; not owned. None counts as not connected.
    void setConnectionState(const ConnectionState *connection) { m_connection = connection; }

    // Read-only views of the strip's state, for the owner and for tests.
    QString panelText(const QString &sPanel) const;
    ProgressArt::Picture panelPicture(const QString &sPanel) const;
    int lampStatus(const QString &lamp) const;
    int position() const { return m_position; }
    int maximum() const { return m_maximum; }
    bool isStepTimerActive(int index) const;
    int stepInterval(int index) const;
    QString stepMark(int index) const;
    int writeStep() const { return m_writeStep; }
    int connectStep() const { return m_connectStep; }
    int receiveStep() const { return m_receiveStep; }
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

private:
    struct Panel
    {
        QWidget *box = nullptr;
        StatusText *label = nullptr;
        StatusPicture *picture = nullptr;
        QString text;
    };

    void buildStrip();
    Panel addPanel(const QString &key, bool withPicture, bool withLabel, const QString &accessibleName = QString());
    void setPanelPicture(const QString &sPanel, ProgressArt::Picture picture);
    void setLamps(int okStatus, int workingStatus);
    void setPosition(int position);
    void setMaximum(int maximum);
    void startAnimation();
    void refreshPauseButton();
    static bool isStepTimer(qint32 index) { return index >= 0 && index < kStepTimers; }

    void tmrStatusProgres_Timer(int index);
    void tmrAnimate_Timer();
    void tmrServer_Timer();
    void cmdPauseProgress_Click();
    void cmdEndProgress_Click();

    QStatusBar *m_staStatus = nullptr;
    QProgressBar *m_prStatus = nullptr;
    StatusPicture *m_imOK = nullptr;
    StatusPicture *m_imWorking = nullptr;
    QToolButton *m_cmdPauseProgress = nullptr;
    QToolButton *m_cmdEndProgress = nullptr;
    QIcon m_pauseIcon;
    QIcon m_playIcon;
    QHash<QString, Panel> m_panels;

    std::array<QTimer *, kStepTimers> m_tmrStatusProgres {};
    std::array<QString, kStepTimers> m_stepMarks;
    QTimer *m_tmrAnimate = nullptr;
    QTimer *m_tmrServer = nullptr;
    QString m_serverMark;
    std::chrono::milliseconds m_indicatorStep;

    const ConnectionState *m_connection = nullptr;

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
