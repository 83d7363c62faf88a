#include "operationclock.h"
#include "progresspercent.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using Picture = StripPicture;
using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

namespace {

// The steps a spy recorded, as (tCode, pIndex) pairs.
QList<QPair<int, int>> steps(const QSignalSpy &spy)
{
    QList<QPair<int, int>> result;
    for (const QList<QVariant> &arguments : spy)
        result.append({arguments.at(0).toInt(), arguments.at(1).toInt()});
    return result;
}

QString pictureEvent(const QString &panel, Picture picture)
{
    return u"picture %1: %2"_s.arg(panel).arg(static_cast<int>(picture));
}

// Everything a clock reports, one line per signal, in the order it came.
class Reports final : public QObject
{
public:
    explicit Reports(OperationClock &clock)
    {
        connect(&clock, &OperationClock::panelTextChanged, this,
            [this](const QString &panel, const QString &text) { lines << u"text %1: %2"_s.arg(panel, text); });
        connect(&clock, &OperationClock::panelPictureChanged, this,
            [this](const QString &panel, Picture picture) { lines << pictureEvent(panel, picture); });
        connect(&clock, &OperationClock::lampsChanged, this,
            [this](int ok, int working) { lines << u"lamps %1 %2"_s.arg(ok).arg(working); });
        connect(&clock, &OperationClock::barChanged, this,
            [this](int position, int maximum) { lines << u"bar %1/%2"_s.arg(position).arg(maximum); });
        connect(&clock, &OperationClock::pausedChanged, this,
            [this](bool paused) { lines << (paused ? u"paused"_s : u"resumed"_s); });
        connect(&clock, &OperationClock::progressTime, this,
            [this](qint16 tCode, qint16 pIndex) { lines << u"step %1 %2"_s.arg(tCode).arg(pIndex); });
        connect(
            &clock, &OperationClock::progressTimeEnd, this, [this](qint32 tCode) { lines << u"end %1"_s.arg(tCode); });
        connect(&clock, &OperationClock::writeOperationStarted, this, [this] { lines << u"started"_s; });
    }

    QStringList lines;
};

int timerInterval(const OperationClock &clock, const char *name)
{
    const auto *timer = clock.findChild<QTimer *>(QLatin1String(name));
    return timer ? timer->interval() : -1;
}

} // namespace

// The clock of the progress strip on its own, without any widget: its operations,
// steps, time-outs and what it reports for a view to show.
class tst_OperationClock : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void percentages_data();
    void percentages();

    void timingIsInjected();
    void reportsEachChangeOnceBeforeItsStep();
    void timedOperationSteps_data();
    void timedOperationSteps();
    void ownerStartsNextOperationInsideStep();
    void connectingRealTimeOut();
    void writeSteps();
    void writeFamilyKinds_data();
    void writeFamilyKinds();
    void writePercentagesHalvesToEven();
    void refusedWriteStarts_data();
    void refusedWriteStarts();
    void zeroWriteStepStillEnds();
    void speedUpDuringWriteStep();
    void speedOnStoppedTimer();
    void unknownNameOnlyStopsTimers();
    void serverIndicationBlinks();
    void animationCyclesFrames();

private:
    std::unique_ptr<OperationClock> m_clock;
};

void tst_OperationClock::init()
{
    OperationClock::Timing timing;
    timing.indicatorStep = 10ms;
    m_clock = std::make_unique<OperationClock>(timing);
}

void tst_OperationClock::cleanup()
{
    m_clock.reset();
}

void tst_OperationClock::timingIsInjected()
{
    // The console's steps when nothing is given.
    OperationClock standard;
    QCOMPARE(standard.connectStep(), 100);
    QCOMPARE(standard.receiveStep(), 100);
    QCOMPARE(standard.defaultWriteStep(), 3000);
    QVERIFY(standard.RestoreSpeed(3));
    QCOMPARE(standard.stepInterval(3), 3000);
    standard.StartProgress("start", 1, 3);
    QCOMPARE(standard.stepInterval(3), 3000);
    QCOMPARE(standard.writeStep(), 3000);
    QCOMPARE(timerInterval(standard, "tmrAnimate"), 500);
    standard.StartServer();
    QCOMPARE(timerInterval(standard, "tmrServer"), 500);

    OperationClock::Timing timing;
    timing.connectStep = 8ms;
    timing.receiveStep = 6ms;
    timing.defaultWriteStep = 40ms;
    timing.indicatorStep = 20ms;
    OperationClock shortened(timing);
    QVERIFY(shortened.RestoreSpeed(3));
    QCOMPARE(shortened.stepInterval(3), 40);
    shortened.StartProgress("start", 1, 3);
    QCOMPARE(shortened.stepInterval(3), 40);
    QCOMPARE(timerInterval(shortened, "tmrAnimate"), 20);
    shortened.StartProgress("connecting");
    QCOMPARE(shortened.stepInterval(0), 8);
    shortened.StartProgress("receive");
    QCOMPARE(shortened.stepInterval(2), 6);
    shortened.StartServer();
    QCOMPARE(timerInterval(shortened, "tmrServer"), 20);

    // The log-on runs at half the connect step and times out on its hundredth.
    QSignalSpy endSpy(&shortened, &OperationClock::progressTimeEnd);
    QElapsedTimer elapsed;
    elapsed.start();
    shortened.StartProgress("logon");
    QCOMPARE(shortened.stepInterval(1), 4);
    QTRY_COMPARE_WITH_TIMEOUT(endSpy.count(), 1, 5000);
    QCOMPARE(endSpy.at(0).at(0).toInt(), 1);
    QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));
}

void tst_OperationClock::reportsEachChangeOnceBeforeItsStep()
{
    // A view draws from these alone: each change comes once, and before the step
    // that follows from it, so that the owner's handler finds the strip up to date.
    OperationClock::Timing timing;
    timing.indicatorStep = std::chrono::hours(1);
    OperationClock clock(timing);
    Reports reports(clock);

    clock.StartProgress("connected");
    clock.StartProgress("write", 2, 3, 5);
    QTRY_VERIFY(!clock.isStepTimerActive(3));
    QCOMPARE(reports.lines,
        (QStringList {
            u"text connect: Connected        "_s,
            pictureEvent(u"connect"_s, Picture::Connected),
            u"lamps 0 2"_s,
            u"text ready: "_s,
            u"bar 0/2"_s,
            u"text connect: Sending Data..."_s,
            pictureEvent(u"ready"_s, Picture::AnimateFrame0),
            u"started"_s,
            u"bar 1/2"_s,
            u"text ready: 50%"_s,
            u"step 3 1"_s,
            u"bar 2/2"_s,
            u"text ready: 100%"_s,
            u"step 3 2"_s,
            u"bar 0/2"_s,
            u"text ready: "_s,
            pictureEvent(u"ready"_s, Picture::Empty),
        }));

    reports.lines.clear();
    clock.SetTimeOut(60000);
    clock.StartProgress("connecting");
    clock.pauseOrResume();
    QVERIFY(clock.isPaused());
    clock.pauseOrResume();
    QVERIFY(!clock.isPaused());
    QCOMPARE(reports.lines,
        (QStringList {
            u"bar 0/100"_s,
            u"lamps 2 1"_s,
            u"text connect: Connecting..."_s,
            pictureEvent(u"ready"_s, Picture::AnimateFrame0),
            u"paused"_s,
            u"resumed"_s,
        }));
}

void tst_OperationClock::percentages_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("whole");
    QTest::addColumn<QString>("text");
    QTest::newRow("1 of 8 is 12.5, half down to even") << 1 << 8 << 12 << "12%";
    QTest::newRow("3 of 8 is 37.5, half up to even") << 3 << 8 << 37 << "38%";
    QTest::newRow("5 of 8 is 62.5") << 5 << 8 << 62 << "62%";
    QTest::newRow("7 of 8 is 87.5") << 7 << 8 << 87 << "88%";
    QTest::newRow("1 of 2") << 1 << 2 << 50 << "50%";
    QTest::newRow("2 of 3 rounds up") << 2 << 3 << 66 << "67%";
    QTest::newRow("1 of 3 rounds down") << 1 << 3 << 33 << "33%";
    QTest::newRow("1 of 40 is 2.5") << 1 << 40 << 2 << "2%";
    // 0.29 * 100 is 28.999... in floating point; the step must still report 29.
    QTest::newRow("29 of 100") << 29 << 100 << 29 << "29%";
    QTest::newRow("57 of 100") << 57 << 100 << 57 << "57%";
    QTest::newRow("full") << 64 << 64 << 100 << "100%";
    QTest::newRow("no maximum") << 0 << 0 << 0 << "0%";
}

void tst_OperationClock::percentages()
{
    QFETCH(int, position);
    QFETCH(int, maximum);
    QFETCH(int, whole);
    QFETCH(QString, text);
    QCOMPARE(ProgressPercent::wholePercent(position, maximum), whole);
    QCOMPARE(ProgressPercent::percentText(position, maximum), text);
}

void tst_OperationClock::timedOperationSteps_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("timer");
    QTest::addColumn<int>("interval");
    // Connect step 10 ms: the log-on runs at half of it.
    QTest::newRow("connecting") << "connecting" << 0 << 10;
    QTest::newRow("logon") << "logon" << 1 << 5;
    QTest::newRow("receive") << "receive" << 2 << 6;
}

void tst_OperationClock::timedOperationSteps()
{
    QFETCH(QString, key);
    QFETCH(int, timer);
    QFETCH(int, interval);
    QSignalSpy stepSpy(m_clock.get(), &OperationClock::progressTime);
    QSignalSpy endSpy(m_clock.get(), &OperationClock::progressTimeEnd);
    m_clock->SetTimeOut(10, 6, 100, 50, 100);
    m_clock->StartProgress(key);
    QCOMPARE(m_clock->stepInterval(timer), interval);

    QTRY_COMPARE_WITH_TIMEOUT(endSpy.count(), 1, 10000);
    QCOMPARE(endSpy.at(0).at(0).toInt(), timer);
    QList<QPair<int, int>> expected;
    for (int i = 1; i <= 99; ++i)
        expected.append({timer, i});
    QCOMPARE(steps(stepSpy), expected);
    QCOMPARE(m_clock->panelText("ready"), QStringLiteral("100%"));
    QCOMPARE(m_clock->position(), 100);
    QVERIFY(!m_clock->isStepTimerActive(timer));
    QVERIFY(!m_clock->isAnimating());
    // Stopped by running out, not by EndProgress: the mark stays clear.
    QCOMPARE(m_clock->stepMark(timer), QString());
}

void tst_OperationClock::ownerStartsNextOperationInsideStep()
{
    // What the connection flow does when a connect step finds the link up: end the
    // operation, show the connected state and start the log-on write, all inside
    // the step. Nothing of the old step may survive.
    QSignalSpy stepSpy(m_clock.get(), &OperationClock::progressTime);
    QSignalSpy startedSpy(m_clock.get(), &OperationClock::writeOperationStarted);
    connect(m_clock.get(), &OperationClock::progressTime, this, [this](qint16 tCode, qint16 pIndex) {
        if (tCode == 0 && pIndex == 3) {
            m_clock->EndProgress(0);
            m_clock->StartProgress("connected");
            m_clock->StartProgress("start", 1, 3, 60000);
            m_clock->setPanelText("send data : Login");
        }
    });
    m_clock->SetTimeOut(5, 100, 100, 50, 100);
    m_clock->StartProgress("connecting");
    QTRY_COMPARE(startedSpy.count(), 1);
    QVERIFY(!stepSpy.wait(100));
    QCOMPARE(stepSpy.count(), 3);
    QCOMPARE(m_clock->g_PROG_MOD, 3);
    QCOMPARE(m_clock->g_FILE_LOAD, 6);
    QVERIFY(!m_clock->isStepTimerActive(0));
    QVERIFY(m_clock->isStepTimerActive(3));
    QCOMPARE(m_clock->position(), 0);
    QCOMPARE(m_clock->maximum(), 1);
    QCOMPARE(m_clock->panelText("connect"), QStringLiteral("send data : Login"));
    QCOMPARE(m_clock->panelPicture("connect"), Picture::Connected);
    QCOMPARE(m_clock->lampStatus("imOK"), 0);
}

void tst_OperationClock::connectingRealTimeOut()
{
    OperationClock operations;
    QSignalSpy stepSpy(&operations, &OperationClock::progressTime);
    QSignalSpy endSpy(&operations, &OperationClock::progressTimeEnd);
    QElapsedTimer clock;
    clock.start();
    operations.StartProgress("connecting");
    QCOMPARE(operations.stepInterval(0), 100);
    QVERIFY(endSpy.wait(20000));
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(stepSpy.count(), 99);
    QCOMPARE(endSpy.at(0).at(0).toInt(), 0);
    // A hundred ticks of 100 ms; coarse timers may each come up to 5% early.
    QVERIFY2(elapsed >= 9400, qPrintable(QString::number(elapsed)));
    QCOMPARE(operations.panelText("ready"), QStringLiteral("100%"));
}

void tst_OperationClock::writeSteps()
{
    QSignalSpy stepSpy(m_clock.get(), &OperationClock::progressTime);
    QSignalSpy endSpy(m_clock.get(), &OperationClock::progressTimeEnd);
    QSignalSpy startedSpy(m_clock.get(), &OperationClock::writeOperationStarted);
    QStringList readyTexts;
    connect(
        m_clock.get(), &OperationClock::progressTime, this, [&] { readyTexts.append(m_clock->panelText("ready")); });

    m_clock->StartProgress("write", 2, 3, 30);
    QCOMPARE(startedSpy.count(), 1);
    QCOMPARE(m_clock->g_PROG_MOD, 3);
    QCOMPARE(m_clock->g_FILE_LOAD, 0);
    QCOMPARE(m_clock->maximum(), 2);
    QCOMPARE(m_clock->writeStep(), 30);
    QCOMPARE(m_clock->panelText("connect"), QStringLiteral("Sending Data..."));

    QTRY_VERIFY(!m_clock->isStepTimerActive(3));
    QCOMPARE(steps(stepSpy), (QList<QPair<int, int>> {{3, 1}, {3, 2}}));
    QCOMPARE(readyTexts, (QStringList {"50%", "100%"}));
    QCOMPARE(endSpy.count(), 0);
    QCOMPARE(m_clock->stepMark(3), OperationClock::kMarkStopped);
    QCOMPARE(m_clock->panelText("ready"), QString());
    QCOMPARE(m_clock->panelPicture("ready"), Picture::Empty);
    QCOMPARE(m_clock->position(), 0);
    QVERIFY(!m_clock->isAnimating());
}

void tst_OperationClock::writeFamilyKinds_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("fileLoad");
    const QStringList keys {"write", "file", "backup", "bcch", "wait", "server", "start"};
    for (int i = 0; i < keys.size(); ++i)
        QTest::newRow(qPrintable(keys.at(i))) << keys.at(i) << i;
}

void tst_OperationClock::writeFamilyKinds()
{
    QFETCH(QString, key);
    QFETCH(int, fileLoad);
    QSignalSpy startedSpy(m_clock.get(), &OperationClock::writeOperationStarted);
    m_clock->g_FILE_LOAD = 99;
    m_clock->StartProgress(key, 7, 3, 60000);
    QCOMPARE(m_clock->g_FILE_LOAD, fileLoad);
    QCOMPARE(m_clock->g_PROG_MOD, 3);
    QCOMPARE(m_clock->maximum(), 7);
    QVERIFY(m_clock->isStepTimerActive(3));
    QCOMPARE(startedSpy.count(), 1);
}

void tst_OperationClock::writePercentagesHalvesToEven()
{
    QStringList readyTexts;
    connect(
        m_clock.get(), &OperationClock::progressTime, this, [&] { readyTexts.append(m_clock->panelText("ready")); });
    m_clock->StartProgress("write", 8, 3, 5);
    QTRY_VERIFY(!m_clock->isStepTimerActive(3));
    QCOMPARE(readyTexts, (QStringList {"12%", "25%", "38%", "50%", "62%", "75%", "88%", "100%"}));
}

void tst_OperationClock::refusedWriteStarts_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<qint32>("writeMode");
    QTest::newRow("no steps") << 0 << 3;
    QTest::newRow("negative steps") << -4 << 3;
    QTest::newRow("write mode beyond 16 bits") << 2 << 40000;
}

void tst_OperationClock::refusedWriteStarts()
{
    QFETCH(int, count);
    QFETCH(qint32, writeMode);
    QSignalSpy startedSpy(m_clock.get(), &OperationClock::writeOperationStarted);
    m_clock->StartProgress("connecting");
    m_clock->StartProgress("write", static_cast<qint16>(count), writeMode, 10);
    for (int i = 0; i < OperationClock::kStepTimers; ++i)
        QVERIFY(!m_clock->isStepTimerActive(i));
    QCOMPARE(m_clock->g_PROG_MOD, 0);
    QCOMPARE(m_clock->maximum(), 100);
    QCOMPARE(startedSpy.count(), 0);
}

void tst_OperationClock::zeroWriteStepStillEnds()
{
    QSignalSpy stepSpy(m_clock.get(), &OperationClock::progressTime);
    m_clock->StartProgress("write", 3, 3, 0);
    QVERIFY(m_clock->stepInterval(3) >= 1);
    QTRY_VERIFY(!m_clock->isStepTimerActive(3));
    QCOMPARE(stepSpy.count(), 3);
}

void tst_OperationClock::speedUpDuringWriteStep()
{
    QSignalSpy stepSpy(m_clock.get(), &OperationClock::progressTime);
    m_clock->StartProgress("write", 3, 3, 60000);
    QVERIFY(m_clock->setProgressSpeed(3, 10));
    QCOMPARE(m_clock->stepInterval(3), 10);
    QCOMPARE(m_clock->position(), 0);
    QVERIFY(stepSpy.wait(2000));
    QCOMPARE(steps(stepSpy), (QList<QPair<int, int>> {{3, 1}}));

    // What the owner does inside the step: back to the full write step.
    QVERIFY(m_clock->RestoreSpeed(3));
    QCOMPARE(m_clock->stepInterval(3), 60000);
    QVERIFY(m_clock->isStepTimerActive(3));
    QVERIFY(!stepSpy.wait(200));
    QCOMPARE(m_clock->position(), 1);
}

void tst_OperationClock::speedOnStoppedTimer()
{
    m_clock->StartProgress("write", 3, 3, 60000);
    QVERIFY(m_clock->EndProgress(3));
    QVERIFY(m_clock->setProgressSpeed(3, 10));
    QVERIFY(!m_clock->isStepTimerActive(3));
    QCOMPARE(m_clock->stepInterval(3), 60000);
    QVERIFY(m_clock->setProgressSpeed(5, 10));
    QVERIFY(!m_clock->isStepTimerActive(5));
}

void tst_OperationClock::unknownNameOnlyStopsTimers()
{
    m_clock->StartProgress("write", 4, 3, 60000);
    m_clock->setWritePosition(2);
    m_clock->StartServer();
    QVERIFY(m_clock->isServerIndicating());
    const QString connectText = m_clock->panelText("connect");
    const int okLamp = m_clock->lampStatus("imOK");

    m_clock->StartProgress("nonsense");
    for (int i = 0; i < OperationClock::kStepTimers; ++i)
        QVERIFY(!m_clock->isStepTimerActive(i));
    QVERIFY(!m_clock->isServerIndicating());
    QCOMPARE(m_clock->g_PROG_MOD, 3);
    QCOMPARE(m_clock->g_FILE_LOAD, 0);
    QCOMPARE(m_clock->panelText("connect"), connectText);
    QCOMPARE(m_clock->lampStatus("imOK"), okLamp);
    QCOMPARE(m_clock->position(), 2);
}

void tst_OperationClock::serverIndicationBlinks()
{
    m_clock->StartServer();
    QVERIFY(m_clock->isServerIndicating());
    QTRY_COMPARE(m_clock->lampStatus("imOK"), 1);
    QCOMPARE(m_clock->lampStatus("imWorking"), 2);
    QTRY_COMPARE(m_clock->lampStatus("imOK"), 2);
    QCOMPARE(m_clock->lampStatus("imWorking"), 1);
    m_clock->StartProgress("connecting");
    QVERIFY(!m_clock->isServerIndicating());
}

void tst_OperationClock::animationCyclesFrames()
{
    OperationClock::Timing timing;
    timing.indicatorStep = 40ms;
    OperationClock operations(timing);
    operations.StartProgress("write", 4, 3, 60000);
    QCOMPARE(operations.panelPicture("ready"), Picture::AnimateFrame0);
    // The first tick shows frame 0 again, then each frame follows in turn.
    QList<Picture> seen {Picture::AnimateFrame0};
    QElapsedTimer clock;
    clock.start();
    while (seen.size() < 7 && clock.elapsed() < 5000) {
        QTest::qWait(2);
        const Picture now = operations.panelPicture("ready");
        if (seen.last() != now)
            seen.append(now);
    }
    QCOMPARE(seen,
        (QList<Picture> {Picture::AnimateFrame0, Picture::AnimateFrame1, Picture::AnimateFrame2, Picture::AnimateFrame3,
            Picture::AnimateFrame0, Picture::AnimateFrame1, Picture::AnimateFrame2}));
}

QTEST_GUILESS_MAIN(tst_OperationClock)
#include "tst_operationclock.moc"
