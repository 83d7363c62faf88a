#include "connectionstate.h"
#include "progressart.h"
#include "statustext.h"
#include "ucprogress.h"

#include <QAccessible>
#include <QImage>
#include <QPainter>
#include <QProgressBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using Picture = ProgressArt::Picture;
using namespace std::chrono_literals;

namespace {

// A link whose state the test sets.
class FakeLink : public ConnectionState
{
public:
    bool connected = false;
    bool isConnected() const override { return connected; }
};

// The steps a spy recorded, as (tCode, pIndex) pairs.
QList<QPair<int, int>> steps(const QSignalSpy &spy)
{
    QList<QPair<int, int>> result;
    for (const QList<QVariant> &arguments : spy)
        result.append({arguments.at(0).toInt(), arguments.at(1).toInt()});
    return result;
}

} // namespace

class tst_ucProgress : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void creation();
    void startRows_data();
    void startRows();
    void invalidTimerIndexes();
    void setWritePosition();
    void pauseAndResumeConnecting();
    void pauseWhenNothingRuns_data();
    void pauseWhenNothingRuns();
    void stopButton_data();
    void stopButton();
    void showsAGivenClock();
    void picturesAreDrawn_data();
    void picturesAreDrawn();
    void panelTextsKeepTheStripStill();
    void panelsSpeakToAssistiveTools_data();
    void panelsSpeakToAssistiveTools();

private:
    std::unique_ptr<ucProgress> m_strip;
    void clickButton(const char *name);
};

void tst_ucProgress::init()
{
    m_strip = std::make_unique<ucProgress>(nullptr, 10ms);
    m_strip->resize(900, 28);
    m_strip->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_strip.get()));
}

void tst_ucProgress::cleanup()
{
    m_strip.reset();
}

void tst_ucProgress::clickButton(const char *name)
{
    auto *button = m_strip->findChild<QToolButton *>(QLatin1String(name));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void tst_ucProgress::creation()
{
    ucProgress strip;
    auto *bar = strip.findChild<QStatusBar *>(QStringLiteral("staStatus"));
    QVERIFY(bar);
    QVERIFY(strip.findChild<QProgressBar *>(QStringLiteral("prStatus")));
    QCOMPARE(strip.panelText("connect"), QStringLiteral("Disconnected"));
    QCOMPARE(strip.panelText("time"), QStringLiteral("Time"));
    QCOMPARE(strip.panelText("ready"), QStringLiteral("Ready"));
    QCOMPARE(strip.panelText("progres"), QString());
    QCOMPARE(strip.lampStatus("imOK"), 2);
    QCOMPARE(strip.lampStatus("imWorking"), 1);
    QCOMPARE(strip.findChildren<QTimer *>(QStringLiteral("tmrStatusProgres")).size(), 8);
    for (int i = 0; i < ucProgress::kStepTimers; ++i)
        QVERIFY(!strip.isStepTimerActive(i));
    QVERIFY(!strip.isAnimating());
    QVERIFY(!strip.isServerIndicating());
    QCOMPARE(strip.connectStep(), 100);
    QCOMPARE(strip.receiveStep(), 100);
    QCOMPARE(strip.findChild<QToolButton *>(QStringLiteral("cmdPauseProgress"))->toolTip(),
        QStringLiteral("Click to pause/play the progress"));
    QCOMPARE(strip.findChild<QToolButton *>(QStringLiteral("cmdEndProgress"))->toolTip(),
        QStringLiteral("Click to stop the progress"));
}

void tst_ucProgress::startRows_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("progMod");
    QTest::addColumn<int>("runningTimer"); // -1: none
    QTest::addColumn<int>("interval");
    QTest::addColumn<QString>("connectText");
    QTest::addColumn<int>("okLamp");
    QTest::addColumn<int>("workingLamp");
    QTest::addColumn<Picture>("connectPicture");
    QTest::addColumn<Picture>("readyPicture");
    QTest::addColumn<bool>("animating");

    // Every row starts from a "write" in progress (write mode 3), so the rows show
    // what each name changes.
    QTest::newRow("connecting") << "connecting" << 0 << 0 << 100 << "Connecting..." << 2 << 1 << Picture::Connected
                                << Picture::AnimateFrame0 << true;
    QTest::newRow("connected") << "connected" << 3 << -1 << 0 << "Connected        " << 0 << 2 << Picture::Connected
                               << Picture::Empty << false;
    QTest::newRow("receive") << "receive" << 2 << 2 << 100 << "Waiting for Data..." << 0 << 2 << Picture::Connected
                             << Picture::AnimateFrame0 << true;
    QTest::newRow("disconnect") << "disconnect" << 3 << -1 << 0 << "Disconnected" << 2 << 1 << Picture::Disconnected
                                << Picture::Empty << false;
    QTest::newRow("logon") << "logon" << 1 << 1 << 50 << "Admin Logon..." << 2 << 1 << Picture::Connected
                           << Picture::AnimateFrame0 << true;
    QTest::newRow("write") << "write" << 5 << 3 << 3000 << "Sending Data..." << 0 << 2 << Picture::Connected
                           << Picture::AnimateFrame0 << true;
}

void tst_ucProgress::startRows()
{
    QFETCH(QString, key);
    QFETCH(int, progMod);
    QFETCH(int, runningTimer);
    QFETCH(int, interval);
    QFETCH(QString, connectText);
    QFETCH(int, okLamp);
    QFETCH(int, workingLamp);
    QFETCH(Picture, connectPicture);
    QFETCH(Picture, readyPicture);
    QFETCH(bool, animating);

    m_strip->StartProgress("connected");
    m_strip->StartProgress("write", 4, 3, 60000);
    m_strip->setPanelText("12:00", "time");
    m_strip->StartProgress(key);

    QCOMPARE(m_strip->g_PROG_MOD, progMod);
    for (int i = 0; i < ucProgress::kStepTimers; ++i)
        QCOMPARE(m_strip->isStepTimerActive(i), i == runningTimer);
    if (runningTimer >= 0) {
        QCOMPARE(m_strip->stepInterval(runningTimer), interval);
        QCOMPARE(m_strip->stepMark(runningTimer), QString());
    }
    QCOMPARE(m_strip->panelText("connect"), connectText);
    QCOMPARE(m_strip->lampStatus("imOK"), okLamp);
    QCOMPARE(m_strip->lampStatus("imWorking"), workingLamp);
    QCOMPARE(m_strip->panelPicture("connect"), connectPicture);
    QCOMPARE(m_strip->panelPicture("ready"), readyPicture);
    QCOMPARE(m_strip->isAnimating(), animating);
    QCOMPARE(m_strip->position(), 0);
    QCOMPARE(m_strip->panelText("time"), key == "disconnect" ? QString() : QStringLiteral("12:00"));
}

void tst_ucProgress::invalidTimerIndexes()
{
    m_strip->StartProgress("write", 3, 3, 60000);
    QVERIFY(!m_strip->EndProgress(8));
    QVERIFY(!m_strip->EndProgress(-1));
    QVERIFY(!m_strip->setProgressSpeed(8, 10));
    QVERIFY(!m_strip->RestoreSpeed(-1));
    QVERIFY(!m_strip->setPanelText("x", "nothing"));
    QVERIFY(m_strip->isStepTimerActive(3));
    QCOMPARE(m_strip->panelText("connect"), QStringLiteral("Sending Data..."));

    // A write mode that names no step timer: the buttons must cope with it.
    m_strip->StartProgress("write", 3, 12, 60000);
    QCOMPARE(m_strip->g_PROG_MOD, 12);
    clickButton("cmdPauseProgress");
    QVERIFY(m_strip->isStepTimerActive(3));
    clickButton("cmdEndProgress");
    QVERIFY(!m_strip->isStepTimerActive(3));
    QCOMPARE(m_strip->panelText("connect"), QStringLiteral("Disconnected"));
}

void tst_ucProgress::setWritePosition()
{
    m_strip->StartProgress("write", 4, 3, 60000);
    m_strip->setWritePosition(3);
    QCOMPARE(m_strip->position(), 3);
    m_strip->setWritePosition(-1);
    QCOMPARE(m_strip->position(), 2);
    m_strip->setWritePosition(5);
    QCOMPARE(m_strip->position(), 2);
    m_strip->setWritePosition(-3);
    QCOMPARE(m_strip->position(), 2);
    QCOMPARE(m_strip->findChild<QProgressBar *>("prStatus")->value(), 2);
}

void tst_ucProgress::pauseAndResumeConnecting()
{
    QSignalSpy stepSpy(m_strip.get(), &ucProgress::progressTime);
    m_strip->SetTimeOut(10, 100, 100, 50, 100);
    m_strip->StartProgress("connecting");
    QTRY_VERIFY(stepSpy.count() >= 3);

    clickButton("cmdPauseProgress");
    QCOMPARE(m_strip->stepMark(0), ucProgress::kMarkPaused);
    QVERIFY(!m_strip->isStepTimerActive(0));
    const int stepsBefore = stepSpy.count();
    const int lastIndex = stepSpy.last().at(1).toInt();
    QVERIFY(!stepSpy.wait(150));
    QCOMPARE(m_strip->position(), lastIndex);

    clickButton("cmdPauseProgress");
    QCOMPARE(m_strip->stepMark(0), QString());
    QVERIFY(m_strip->isStepTimerActive(0));
    QTRY_VERIFY(stepSpy.count() > stepsBefore);
    QCOMPARE(stepSpy.at(stepsBefore).at(0).toInt(), 0);
    QCOMPARE(stepSpy.at(stepsBefore).at(1).toInt(), lastIndex + 1);
}

void tst_ucProgress::pauseWhenNothingRuns_data()
{
    QTest::addColumn<bool>("showConnected");
    // The write ran out and was ended: mark "S".
    QTest::newRow("after the end") << false;
    // The owner then shows the idle connected state, which clears the mark; two
    // clicks must still not start the old write again.
    QTest::newRow("idle connected") << true;
}

void tst_ucProgress::pauseWhenNothingRuns()
{
    QFETCH(bool, showConnected);
    QSignalSpy stepSpy(m_strip.get(), &ucProgress::progressTime);
    m_strip->StartProgress("write", 1, 3, 5);
    QTRY_VERIFY(!m_strip->isStepTimerActive(3));
    QCOMPARE(m_strip->stepMark(3), ucProgress::kMarkStopped);
    if (showConnected)
        m_strip->StartProgress("connected");
    const QString mark = m_strip->stepMark(3);
    stepSpy.clear();

    clickButton("cmdPauseProgress");
    clickButton("cmdPauseProgress");
    QCOMPARE(m_strip->stepMark(3), mark);
    QVERIFY(!m_strip->isStepTimerActive(3));
    QVERIFY(!stepSpy.wait(100));
}

void tst_ucProgress::stopButton_data()
{
    QTest::addColumn<int>("link"); // 0 none, 1 down, 2 up
    QTest::addColumn<QString>("text");
    QTest::addColumn<Picture>("picture");
    QTest::addColumn<int>("okLamp");
    QTest::addColumn<int>("workingLamp");
    QTest::newRow("connected") << 2 << "Connected        " << Picture::Connected << 0 << 2;
    QTest::newRow("not connected") << 1 << "Disconnected" << Picture::Disconnected << 2 << 1;
    QTest::newRow("no link") << 0 << "Disconnected" << Picture::Disconnected << 2 << 1;
}

void tst_ucProgress::stopButton()
{
    QFETCH(int, link);
    QFETCH(QString, text);
    QFETCH(Picture, picture);
    QFETCH(int, okLamp);
    QFETCH(int, workingLamp);

    FakeLink fake;
    fake.connected = link == 2;
    if (link > 0)
        m_strip->setConnectionState(&fake);
    m_strip->StartProgress("connected");
    m_strip->StartProgress("write", 4, 3, 60000);
    m_strip->setWritePosition(2);

    clickButton("cmdEndProgress");
    QVERIFY(!m_strip->isStepTimerActive(3));
    QCOMPARE(m_strip->panelText("connect"), text);
    QCOMPARE(m_strip->panelPicture("connect"), picture);
    QCOMPARE(m_strip->lampStatus("imOK"), okLamp);
    QCOMPARE(m_strip->lampStatus("imWorking"), workingLamp);
    QCOMPARE(m_strip->panelText("ready"), QString());
    QCOMPARE(m_strip->position(), 0);
    QVERIFY(!m_strip->isAnimating());
    m_strip->setConnectionState(nullptr);
}

void tst_ucProgress::showsAGivenClock()
{
    // A strip given a clock shows the state the clock is in, follows it and
    // drives it with its buttons; the clock runs on when the strip is gone.
    OperationClock clock;
    clock.StartProgress("connected");
    clock.StartProgress("write", 4, 3, 60000);
    clock.setWritePosition(2);
    clock.setPanelText("send data : GSM Data");
    {
        ucProgress view(clock);
        view.resize(900, 28);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(&view.clock(), &clock);
        QVERIFY(view.findChildren<OperationClock *>().isEmpty());
        QCOMPARE(view.panelText("connect"), QStringLiteral("send data : GSM Data"));
        QCOMPARE(view.panelPicture("connect"), Picture::Connected);
        QCOMPARE(view.panelPicture("ready"), Picture::AnimateFrame0);
        QCOMPARE(view.lampStatus("imOK"), 0);
        QCOMPARE(view.lampStatus("imWorking"), 2);
        auto *bar = view.findChild<QProgressBar *>(QStringLiteral("prStatus"));
        QVERIFY(bar);
        QCOMPARE(bar->maximum(), 4);
        QCOMPARE(bar->value(), 2);

        // One step, shortened as the write queue does it after an answer.
        QSignalSpy stepSpy(&view, &ucProgress::progressTime);
        connect(&view, &ucProgress::progressTime, &clock, [&clock] { clock.RestoreSpeed(3); });
        QVERIFY(clock.setProgressSpeed(3, 1));
        QVERIFY(stepSpy.wait(2000));
        QCOMPARE(steps(stepSpy), (QList<QPair<int, int>> {{3, 3}}));
        QCOMPARE(bar->value(), 3);
        QCOMPARE(view.panelText("ready"), QStringLiteral("75%"));

        auto *pause = view.findChild<QToolButton *>(QStringLiteral("cmdPauseProgress"));
        QVERIFY(pause);
        const qint64 runningIcon = pause->icon().cacheKey();
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(clock.stepMark(3), OperationClock::kMarkPaused);
        QVERIFY(pause->icon().cacheKey() != runningIcon);
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(clock.stepMark(3), QString());
        QCOMPARE(pause->icon().cacheKey(), runningIcon);

        view.g_FILE_LOAD = 5;
        QCOMPARE(clock.g_FILE_LOAD, 5);
    }
    QVERIFY(clock.isStepTimerActive(3));
    clock.StartProgress("disconnect");
    QCOMPARE(clock.panelText("connect"), QStringLiteral("Disconnected"));
    QVERIFY(!clock.isStepTimerActive(3));
}

void tst_ucProgress::picturesAreDrawn_data()
{
    QTest::addColumn<Picture>("picture");
    QTest::newRow("connected") << Picture::Connected;
    QTest::newRow("disconnected") << Picture::Disconnected;
    QTest::newRow("frame 0") << Picture::AnimateFrame0;
    QTest::newRow("frame 3") << Picture::AnimateFrame3;
    QTest::newRow("lamp ready") << Picture::LampReady;
    QTest::newRow("lamp busy") << Picture::LampBusy;
    QTest::newRow("lamp off") << Picture::LampOff;
    QTest::newRow("pause") << Picture::Pause;
    QTest::newRow("stop") << Picture::Stop;
}

void tst_ucProgress::picturesAreDrawn()
{
    QFETCH(Picture, picture);
    // Drawn at twice the pixel density, the picture must cover a fair part of its square.
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2.0);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ProgressArt::paint(painter, QRectF(0, 0, 16, 16), picture);
    painter.end();
    int covered = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            covered += qAlpha(image.pixel(x, y)) > 0;
    QVERIFY2(covered > 32 * 32 / 8, qPrintable(QString::number(covered)));
    QVERIFY(covered < 32 * 32);
}

// Counts the relayouts the status bar is asked for.
class LayoutRequests final : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

void tst_ucProgress::panelTextsKeepTheStripStill()
{
    // Every step of a write changes two texts; the strip must not be laid out
    // and repainted whole for that, nor cut a text that needs more room.
    auto *bar = m_strip->findChild<QStatusBar *>(QStringLiteral("staStatus"));
    auto *connectText = m_strip->findChild<StatusText *>(QStringLiteral("connectText"));
    auto *readyText = m_strip->findChild<StatusText *>(QStringLiteral("readyText"));
    QVERIFY(bar && connectText && readyText);
    QCoreApplication::sendPostedEvents();
    const QRect connectBox = connectText->geometry();
    LayoutRequests requests;
    bar->installEventFilter(&requests);

    for (const char *text : {"send data : Number list 1", "send data : Number list 22", "Connected        "}) {
        m_strip->setPanelText(QLatin1String(text), "connect");
        QCOMPARE(connectText->text(), QLatin1String(text));
    }
    for (const char *text : {"2%", "50%", "100%"})
        m_strip->setPanelText(QLatin1String(text), "ready");
    QCoreApplication::sendPostedEvents();
    QCOMPARE(requests.count, 0);
    QCOMPARE(connectText->geometry(), connectBox);

    const QString longText = QStringLiteral("send data : ") + QString(30, QLatin1Char('x'));
    m_strip->setPanelText(longText, "connect");
    QTRY_VERIFY(connectText->width() >= connectText->fontMetrics().horizontalAdvance(longText));
    QCOMPARE(m_strip->panelText("connect"), longText);
}

void tst_ucProgress::panelsSpeakToAssistiveTools_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("initialText");
    QTest::newRow("connect") << "connect" << "Connection status" << "Disconnected";
    QTest::newRow("time") << "time" << "Time" << "Time";
    QTest::newRow("ready") << "ready" << "Percent" << "Ready";
}

void tst_ucProgress::panelsSpeakToAssistiveTools()
{
    // A screen reader finds each panel by what it is and reads its current text.
    QFETCH(QString, key);
    QFETCH(QString, name);
    QFETCH(QString, initialText);
    auto *panel = m_strip->findChild<StatusText *>(key + QStringLiteral("Text"));
    QVERIFY(panel);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(panel);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::StaticText);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Value), initialText);

    const QString text = QStringLiteral("send data : GSM Data");
    QVERIFY(m_strip->setPanelText(text, key));
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(accessible->text(QAccessible::Value), text);
    QAccessibleTextInterface *textInterface = accessible->textInterface();
    QVERIFY(textInterface);
    QCOMPARE(textInterface->text(0, textInterface->characterCount()), text);

    // The bar beside the texts is named too.
    auto *bar = m_strip->findChild<QProgressBar *>(QStringLiteral("prStatus"));
    QCOMPARE(QAccessible::queryAccessibleInterface(bar)->text(QAccessible::Name), QStringLiteral("Progress"));
}

QTEST_MAIN(tst_ucProgress)
#include "tst_ucprogress.moc"
