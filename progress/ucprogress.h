#pragma once

#include "operationclock.h"
#include "progressart.h"

#include <QHash>
#include <QString>
#include <QWidget>

#include <chrono>

class ConnectionState;
class QProgressBar;
class QStatusBar;
class QToolButton;
class StatusPicture;
class StatusText;

// The operation progress strip at the bottom of the main window: the view of an
// OperationClock. It shows the running operation's text, animation, lamps and
// progress, and offers the operator the pause and stop buttons; the clock runs
// the operation and reports its steps and time-outs to the owner. The strip's
// operations forward to the clock, so that code written against the strip keeps
// working.
class ucProgress : public QWidget
{
    Q_OBJECT

public:
    // Step timer indexes of the operations.
    static constexpr int kConnectTimer = OperationClock::kConnectTimer;
    static constexpr int kLogonTimer = OperationClock::kLogonTimer;
    static constexpr int kReceiveTimer = OperationClock::kReceiveTimer;
    static constexpr int kWriteTimer = OperationClock::kWriteTimer;
    static constexpr int kStepTimers = OperationClock::kStepTimers;

    static constexpr std::chrono::milliseconds kIndicatorStep = OperationClock::kIndicatorStep;
    static constexpr std::chrono::milliseconds kDefaultWriteStep = OperationClock::kDefaultWriteStep;

    // Lamp pictures (imStatus).
    static constexpr int kLampReady = OperationClock::kLampReady;
    static constexpr int kLampBusy = OperationClock::kLampBusy;
    static constexpr int kLampOff = OperationClock::kLampOff;

    // Marks of the step timers.
    static inline const QString &kMarkPaused = OperationClock::kMarkPaused;
    static inline const QString &kMarkStopped = OperationClock::kMarkStopped;

    // A strip with a clock of its own, with the default steps. `indicatorStep` is
    // the interval of the busy animation and of the server indication; only tests
    // pass anything but the default.
    explicit ucProgress(QWidget *parent = nullptr, std::chrono::milliseconds indicatorStep = kIndicatorStep);
    // A strip showing `clock`, which is not owned and must outlive the strip.
    explicit ucProgress(OperationClock &clock, QWidget *parent = nullptr);
    ~ucProgress() override;

    // The clock the strip shows.
    OperationClock &clock() const { return *m_clock; }

    // The clock's operation code and write-family kind (OperationClock::g_PROG_MOD,
    // OperationClock::g_FILE_LOAD). The owner reads and writes them.
    qint16 &g_PROG_MOD;
    qint16 &g_FILE_LOAD;

    // The clock's operations (OperationClock).
    void StartProgress(const QString &sKey, qint16 pCount = 100, qint32 writeMode = 5)
    {
        m_clock->StartProgress(sKey, pCount, writeMode);
    }
    void StartProgress(const QString &sKey, qint16 pCount, qint32 writeMode, qint32 pTimeToWrite)
    {
        m_clock->StartProgress(sKey, pCount, writeMode, pTimeToWrite);
    }
    bool EndProgress(qint32 prog) { return m_clock->EndProgress(prog); }
    bool setProgressSpeed(qint32 tCode, qint32 speed) { return m_clock->setProgressSpeed(tCode, speed); }
    bool RestoreSpeed(qint16 Index) { return m_clock->RestoreSpeed(Index); }
    void setWritePosition(qint16 pos) { m_clock->setWritePosition(pos); }
    bool setPanelText(const QString &sText, const QString &sPanel = OperationClock::kPanelConnect)
    {
        return m_clock->setPanelText(sText, sPanel);
    }
    void SetTimeOut(qint32 tCon = 100, qint32 tRec = 100, qint32 tWrite = 100, qint32 tCheckOK = 50, qint16 pMax = 100)
    {
        m_clock->SetTimeOut(tCon, tRec, tWrite, tCheckOK, pMax);
    }
    void StartServer() { m_clock->StartServer(); }

    // The link whose state the stop button asks; not owned. None counts as not connected.
    void setConnectionState(const ConnectionState *connection) { m_connection = connection; }

    // What the strip shows: its panel texts and pictures and its lamps.
    QString panelText(const QString &sPanel) const;
    ProgressArt::Picture panelPicture(const QString &sPanel) const;
    int lampStatus(const QString &lamp) const;

    // The clock's state.
    int position() const { return m_clock->position(); }
    int maximum() const { return m_clock->maximum(); }
    bool isStepTimerActive(int index) const { return m_clock->isStepTimerActive(index); }
    int stepInterval(int index) const { return m_clock->stepInterval(index); }
    QString stepMark(int index) const { return m_clock->stepMark(index); }
    int writeStep() const { return m_clock->writeStep(); }
    int connectStep() const { return m_clock->connectStep(); }
    int receiveStep() const { return m_clock->receiveStep(); }
    bool isAnimating() const { return m_clock->isAnimating(); }
    bool isServerIndicating() const { return m_clock->isServerIndicating(); }

signals:
    // The clock's signals, passed on (OperationClock).
    void progressTime(qint16 tCode, qint16 pIndex);
    void progressTimeEnd(qint32 tCode);
    void writeOperationStarted();

private:
    struct Panel
    {
        QWidget *box = nullptr;
        StatusText *label = nullptr;
        StatusPicture *picture = nullptr;
        QString text;
    };

    ucProgress(OperationClock &clock, bool owned, QWidget *parent);

    void buildStrip();
    Panel addPanel(const QString &key, bool withPicture, bool withLabel, const QString &accessibleName = QString());
    void showClock();
    void showPanelText(const QString &sPanel, const QString &sText);
    void showPanelPicture(const QString &sPanel, ProgressArt::Picture picture);
    void showLamps(int okStatus, int workingStatus);
    void showBar(int position, int maximum);
    void showPaused(bool paused);

    void cmdPauseProgress_Click();
    void cmdEndProgress_Click();

    OperationClock *m_clock;

    QStatusBar *m_staStatus = nullptr;
    QProgressBar *m_prStatus = nullptr;
    StatusPicture *m_imOK = nullptr;
    StatusPicture *m_imWorking = nullptr;
    QToolButton *m_cmdPauseProgress = nullptr;
    QToolButton *m_cmdEndProgress = nullptr;
    QIcon m_pauseIcon;
    QIcon m_playIcon;
    QHash<QString, Panel> m_panels;

    const ConnectionState *m_connection = nullptr;
};
