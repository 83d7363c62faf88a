#include <iqueuelink.h>
#include <messageboxqueuequestions.h>
#include <progressqueueadapter.h>
#include <scriptedmessageboxes.h>
#include <ucprogress.h>
#include <writequeue.h>

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace {

enum Answer { Silent, Ok, Err };

// The gateway as the queue sees it: records what is sent and analysed, and
// answers each command from a script ("OK", "ERR" or nothing) shortly after it.
class ScriptedLink final : public IQueueLink
{
public:
    void SendCommand(const QString &strCmd) override
    {
        sent.append(strCmd);
        QList<Answer> &answers = script[strCmd];
        const Answer answer = answers.isEmpty() ? Silent : answers.takeFirst();
        if (answer != Silent && queue)
            QTimer::singleShot(1, queue, [q = queue, answer] { q->objSpool_WriteResult(answer == Ok); });
    }
    void AnalyzeCmd(const QString &strLine) override { analysed.append(strLine); }
    bool isConnected() const override { return connected; }

    WriteQueue *queue = nullptr;
    bool connected = true;
    QHash<QString, QList<Answer>> script;
    QStringList sent;
    QStringList analysed;
};

// The strip as the queue drives it, with the operations started and the panel
// texts shown written into one list of events, in order.
class LoggedProgress final : public IQueueProgress
{
public:
    LoggedProgress(IQueueProgress &inner, QStringList &events)
        : m_inner(inner)
        , m_events(events)
    { }

    void StartProgress(const QString &sKey, qint16 pCount, qint32 writeMode, qint32 pTimeToWrite) override
    {
        m_events << QStringLiteral("start: ") + sKey;
        m_inner.StartProgress(sKey, pCount, writeMode, pTimeToWrite);
    }
    void EndProgress(qint32 prog) override { m_inner.EndProgress(prog); }
    void setProgressSpeed(qint32 tCode, qint32 speed) override { m_inner.setProgressSpeed(tCode, speed); }
    void RestoreSpeed(qint16 Index) override { m_inner.RestoreSpeed(Index); }
    void setWritePosition(qint16 pos) override { m_inner.setWritePosition(pos); }
    void setPanelText(const QString &sText) override
    {
        m_events << QStringLiteral("panel: ") + sText;
        m_inner.setPanelText(sText);
    }
    qint16 progressMode() const override { return m_inner.progressMode(); }

private:
    IQueueProgress &m_inner;
    QStringList &m_events;
};

// Lets a test act at the moment a question is asked (inside a held box's event
// loop) and tells when each question came.
class WatchedQuestions final : public IQueueQuestions
{
public:
    explicit WatchedQuestions(IQueueQuestions &inner)
        : m_inner(inner)
    {
        clock.start();
    }

    QueueQuestion::Button ask(const QueueQuestion &question) override
    {
        askedAt.append(clock.elapsed());
        if (events)
            *events << QStringLiteral("box: ") + question.title;
        if (onAsk)
            onAsk(question);
        return m_inner.ask(question);
    }

    std::function<void(const QueueQuestion &)> onAsk;
    QStringList *events = nullptr;
    QList<qint64> askedAt;
    QElapsedTimer clock;

private:
    IQueueQuestions &m_inner;
};

// A queue wired as the main window wires it, to a real progress strip.
struct Rig
{
    Rig()
    {
        link.queue = &queue;
        questions.events = &events;
        QObject::connect(&progress, &ucProgress::progressTime, &queue, &WriteQueue::onProgressTime);
        QObject::connect(&progress, &ucProgress::writeOperationStarted, &queue, &WriteQueue::clearFailedList);
    }

    QList<QueueEntry> entries(int count)
    {
        QList<QueueEntry> list;
        for (int i = 1; i <= count; ++i)
            list.append({QStringLiteral("REC%1,%1").arg(i), QStringLiteral("Data %1").arg(i)});
        return list;
    }

    // The last n events.
    QStringList lastEvents(int n) const { return events.mid(events.size() - n); }

    QStringList events;
    ucProgress progress;
    ProgressQueueAdapter progressAdapter {progress.clock()};
    LoggedProgress loggedProgress {progressAdapter, events};
    ScriptedLink link;
    ScriptedMessageBoxes boxes;
    MessageBoxQueueQuestions boxQuestions {boxes, nullptr};
    WatchedQuestions questions {boxQuestions};
    WriteQueue queue {link, loggedProgress, questions};
};

const QString kCrLf = QStringLiteral("\r\n");

// The strip's timers are coarse: they may fire up to 5 % early.
constexpr qint64 atLeastAbout(int milliseconds)
{
    return milliseconds * 9 / 10;
}

QString failureText(const QString &desc)
{
    return QStringLiteral("Error: can't write : ") + desc + kCrLf + QStringLiteral("please check your data.");
}

QString plainText(QString text)
{
    return text.remove(QLatin1Char('&'));
}

QStringList buttonsLeftToRight(QMessageBox *box)
{
    QList<QAbstractButton *> buttons = box->buttons();
    std::sort(buttons.begin(), buttons.end(), [box](QAbstractButton *a, QAbstractButton *b) {
        return a->mapTo(box, QPoint()).x() < b->mapTo(box, QPoint()).x();
    });
    QStringList texts;
    for (QAbstractButton *button : buttons)
        texts << plainText(button->text());
    return texts;
}

QAbstractButton *buttonNamed(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *button : box->buttons()) {
        if (plainText(button->text()) == text)
            return button;
    }
    qFatal("no button %s", qPrintable(text));
}

// Runs act once a message box with the title is on screen, from inside its
// event loop.
void onNextBox(QObject *context, const QString &title, std::function<void(QMessageBox *)> act)
{
    auto *poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, title, act] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box->windowTitle() != title)
            return;
        poll->stop();
        poll->deleteLater();
        act(box);
    });
    poll->start(5);
}

} // namespace

class tst_WriteQueue : public QObject
{
    Q_OBJECT

private slots:
    void allConfirmed();
    void fourEntriesRefused_data();
    void fourEntriesRefused();
    void silentGateway();
    void retryResendsAndKeepsPosition();
    void noDecisionWhileBoxOpen();
    void newWriteReplacesOld();
    void newWriteWhileBoxOpen();
    void emptyQueueStartsNothing();
    void answerWithoutWriteLeavesOtherTimers();
    void directCommands_data();
    void directCommands();
    void failureBoxOnScreen();
};

// Each "OK" cuts the entry's step to 10 ms: a queue with a one-minute time-out
// finishes at once, re-analysing every confirmed entry.
void tst_WriteQueue::allConfirmed()
{
    Rig rig;
    const QList<QueueEntry> entries = rig.entries(3);
    for (const QueueEntry &entry : entries)
        rig.link.script[entry.Cmd] = {Ok};
    QSignalSpy ended(&rig.queue, &WriteQueue::writeEnded);

    QVERIFY(rig.queue.start(entries, QStringLiteral("write"), 60000));
    QCOMPARE(rig.link.sent, QStringList {entries.at(0).Cmd});
    QVERIFY(!rig.queue.g_WriteOK);
    QCOMPARE(rig.progress.maximum(), 3);
    QCOMPARE(rig.progress.g_PROG_MOD, qint16(3));
    QCOMPARE(rig.progress.stepInterval(ucProgress::kWriteTimer), 60000);
    QCOMPARE(rig.progress.panelText(QStringLiteral("connect")), QStringLiteral("send data : Data 1"));

    QTRY_COMPARE(ended.size(), 1);
    QCOMPARE(ended.at(0).at(0).value<WriteQueue::Outcome>(), WriteQueue::Outcome::Complete);
    QCOMPARE(rig.link.sent, (QStringList {entries.at(0).Cmd, entries.at(1).Cmd, entries.at(2).Cmd}));
    QCOMPARE(rig.link.analysed, rig.link.sent);
    QVERIFY(rig.boxes.shown.isEmpty());
    QVERIFY(!rig.progress.isStepTimerActive(ucProgress::kWriteTimer));
    // The outcome is shown, then the idle console reads as connected again.
    QCOMPARE(rig.lastEvents(2),
        (QStringList {QStringLiteral("panel: Write data complete successful.."), QStringLiteral("start: connected")}));
    QCOMPARE(rig.progress.panelText(QStringLiteral("connect")), QStringLiteral("Connected        "));
    QVERIFY(!rig.queue.isWriting());
}

void tst_WriteQueue::fourEntriesRefused_data()
{
    QTest::addColumn<bool>("lastConfirmed");
    QTest::newRow("last confirmed: skipped entries reported") << true;
    QTest::newRow("last refused: Cancel gives up") << false;
}

void tst_WriteQueue::fourEntriesRefused()
{
    QFETCH(bool, lastConfirmed);
    Rig rig;
    const QList<QueueEntry> entries = rig.entries(4);
    for (int i = 0; i < 3; ++i)
        rig.link.script[entries.at(i).Cmd] = {Err};
    rig.link.script[entries.at(3).Cmd] = {lastConfirmed ? Ok : Err};
    rig.boxes.answers = {QMessageBox::Ignore, QMessageBox::Ignore, QMessageBox::Ignore, QMessageBox::Cancel};
    QSignalSpy ended(&rig.queue, &WriteQueue::writeEnded);

    QVERIFY(rig.queue.start(entries, QStringLiteral("write"), 60000));
    QTRY_COMPARE(ended.size(), 1);

    for (int i = 0; i < 3; ++i) {
        const MessageRequest &box = rig.boxes.shown.at(i);
        QCOMPARE(box.text, failureText(entries.at(i).Desc));
        QCOMPARE(box.title, entries.at(i).Desc);
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.buttons, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        QCOMPARE(box.defaultButton, QMessageBox::Retry);
    }
    QCOMPARE(rig.link.sent.size(), 4);
    const QString skipped = QStringLiteral("Data 1\r\nData 2\r\nData 3\r\n");
    const MessageRequest &last = rig.boxes.shown.last();
    QCOMPARE(last.icon, QMessageBox::Information);
    QCOMPARE(last.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    if (lastConfirmed) {
        QCOMPARE(rig.boxes.shown.size(), 4);
        QCOMPARE(last.text, QStringLiteral("Write data not complete seccesful : ") + kCrLf + skipped);
        QCOMPARE(last.title, QStringLiteral("info"));
        QCOMPARE(rig.lastEvents(3),
            (QStringList {QStringLiteral("panel: Write data not complete seccessful!"), QStringLiteral("box: info"),
                QStringLiteral("start: connected")}));
        QCOMPARE(rig.link.analysed, QStringList {entries.at(3).Cmd});
        QCOMPARE(ended.at(0).at(0).value<WriteQueue::Outcome>(), WriteQueue::Outcome::Incomplete);
    } else {
        QCOMPARE(rig.boxes.shown.size(), 5);
        const MessageRequest &lastEntryBox = rig.boxes.shown.at(3);
        QCOMPARE(lastEntryBox.text, failureText(QStringLiteral("Data 4")));
        QCOMPARE(lastEntryBox.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(lastEntryBox.defaultButton, QMessageBox::Cancel);
        QCOMPARE(
            last.text, QStringLiteral("Error: can't write data to : ") + kCrLf + skipped + QStringLiteral("Data 4"));
        QCOMPARE(last.title, QStringLiteral("Error"));
        // Given up, the outcome stays in the panel.
        QCOMPARE(rig.lastEvents(2),
            (QStringList {QStringLiteral("panel: failed write to gateway"), QStringLiteral("box: Error")}));
        QCOMPARE(rig.progress.panelText(QStringLiteral("connect")), QStringLiteral("failed write to gateway"));
        QVERIFY(rig.link.analysed.isEmpty());
        QCOMPARE(ended.at(0).at(0).value<WriteQueue::Outcome>(), WriteQueue::Outcome::GivenUp);
    }
    QVERIFY(!rig.progress.isStepTimerActive(ucProgress::kWriteTimer));
}

// No answer at all: each entry's box comes once its own time-out has passed.
void tst_WriteQueue::silentGateway()
{
    Rig rig;
    constexpr int kTimeOut = 80;
    rig.boxes.answers = {QMessageBox::Ignore, QMessageBox::Abort};
    QSignalSpy ended(&rig.queue, &WriteQueue::writeEnded);

    rig.questions.clock.restart();
    QVERIFY(rig.queue.start(rig.entries(3), QStringLiteral("write"), kTimeOut));
    QTRY_COMPARE(ended.size(), 1);

    QCOMPARE(rig.boxes.shown.size(), 3);
    QCOMPARE(rig.boxes.shown.at(0).title, QStringLiteral("Data 1"));
    QCOMPARE(rig.boxes.shown.at(1).title, QStringLiteral("Data 2"));
    QCOMPARE(rig.boxes.shown.at(2).text, QStringLiteral("Error: can't write data to : \r\nData 1\r\nData 2"));
    QVERIFY(rig.questions.askedAt.at(0) >= atLeastAbout(kTimeOut));
    QVERIFY(rig.questions.askedAt.at(1) - rig.questions.askedAt.at(0) >= atLeastAbout(kTimeOut));
    // The third entry is never sent.
    QCOMPARE(rig.link.sent, (QStringList {QStringLiteral("REC1,1"), QStringLiteral("REC2,2")}));
    QCOMPARE(ended.at(0).at(0).value<WriteQueue::Outcome>(), WriteQueue::Outcome::GivenUp);
}

// Retry sends the very same command again and steps the bar back, so the steps
// reported count the entries decided.
void tst_WriteQueue::retryResendsAndKeepsPosition()
{
    Rig rig;
    const QList<QueueEntry> entries = rig.entries(2);
    rig.link.script[entries.at(0).Cmd] = {Err, Ok};
    rig.link.script[entries.at(1).Cmd] = {Ok};
    rig.boxes.answers = {QMessageBox::Retry};
    QSignalSpy steps(&rig.progress, &ucProgress::progressTime);
    QSignalSpy ended(&rig.queue, &WriteQueue::writeEnded);

    QVERIFY(rig.queue.start(entries, QStringLiteral("write"), 60000));
    QTRY_COMPARE(ended.size(), 1);

    QCOMPARE(rig.link.sent, (QStringList {entries.at(0).Cmd, entries.at(0).Cmd, entries.at(1).Cmd}));
    QCOMPARE(rig.boxes.shown.size(), 1);
    QList<int> positions;
    for (const QList<QVariant> &step : steps)
        positions.append(step.at(1).toInt());
    QCOMPARE(positions, (QList<int> {1, 1, 2}));
    QCOMPARE(rig.link.analysed, (QStringList {entries.at(0).Cmd, entries.at(1).Cmd}));
    QCOMPARE(ended.at(0).at(0).value<WriteQueue::Outcome>(), WriteQueue::Outcome::Complete);
}

// While the failure box waits, ticks and a late "OK" decide nothing; the answer
// rules, and the entry then gets a fresh, full time-out.
void tst_WriteQueue::noDecisionWhileBoxOpen()
{
    Rig rig;
    constexpr int kTimeOut = 100;
    rig.boxes.holdUnanswered = true;
    QSignalSpy ended(&rig.queue, &WriteQueue::writeEnded);

    qint64 answeredAt = -1;
    int sentWhileOpen = -1;
    int boxesWhileOpen = -1;
    int positionWhileOpen = -1;
    bool timerRanWhileOpen = false;
    int heldInterval = 0;
    rig.questions.onAsk = [&](const QueueQuestion &) {
        if (answeredAt >= 0)
            return;
        QTimer::singleShot(0, &rig.queue, [&] {
            QVERIFY(rig.queue.isAsking());
            heldInterval = rig.progress.stepInterval(ucProgress::kWriteTimer);
            positionWhileOpen = rig.progress.position();
            // A tick and a late answer arrive while the operator reads.
            rig.queue.onProgressTime(3, 1);
            rig.queue.writeQueue();
            rig.queue.objSpool_WriteResult(true);
        });
        QTimer::singleShot(3 * kTimeOut, &rig.queue, [&] {
            sentWhileOpen = rig.link.sent.size();
            boxesWhileOpen = rig.boxes.shown.size();
            timerRanWhileOpen = rig.progress.position() != positionWhileOpen;
            rig.boxes.holdUnanswered = false;
            rig.boxes.answers = {QMessageBox::Abort};
            answeredAt = rig.questions.clock.elapsed();
            rig.boxes.answer(QMessageBox::Retry);
        });
    };

    QVERIFY(rig.queue.start(rig.entries(2), QStringLiteral("write"), kTimeOut));
    QTRY_VERIFY(answeredAt >= 0);
    QCOMPARE(sentWhileOpen, 1);
    QCOMPARE(boxesWhileOpen, 1);
    QVERIFY(!timerRanWhileOpen);
    QCOMPARE(heldInterval, int(WriteQueue::kHeldStep.count()));

    // After Retry: the same command again, the late "OK" discarded, the full time-out back.
    QCOMPARE(rig.link.sent, (QStringList {QStringLiteral("REC1,1"), QStringLiteral("REC1,1")}));
    QVERIFY(!rig.queue.g_WriteOK);
    QCOMPARE(rig.progress.stepInterval(ucProgress::kWriteTimer), kTimeOut);
    QCOMPARE(rig.progress.position(), positionWhileOpen - 1);

    QTRY_COMPARE(ended.size(), 1);
    QCOMPARE(rig.boxes.shown.size(), 3);
    QCOMPARE(rig.boxes.shown.at(1).title, QStringLiteral("Data 1"));
    QVERIFY(rig.questions.askedAt.at(1) - answeredAt >= atLeastAbout(kTimeOut));
    QVERIFY(rig.link.analysed.isEmpty());
}

void tst_WriteQueue::newWriteReplacesOld()
{
    Rig rig;
    const QList<QueueEntry> first = rig.entries(3);
    const QList<QueueEntry> second {{QStringLiteral("CPW5823"), QStringLiteral("Login")}};
    rig.link.script[second.at(0).Cmd] = {Ok};
    QSignalSpy ended(&rig.queue, &WriteQueue::writeEnded);

    QVERIFY(rig.queue.start(first, QStringLiteral("write"), 60000));
    QVERIFY(rig.queue.start(second, QStringLiteral("start"), 3000));
    QCOMPARE(rig.queue.g_QueueCount, qint16(1));
    QCOMPARE(rig.progress.g_FILE_LOAD, qint16(6));
    QTRY_COMPARE(ended.size(), 1);
    QCOMPARE(rig.link.sent, (QStringList {first.at(0).Cmd, second.at(0).Cmd}));
    QCOMPARE(rig.link.analysed, QStringList {second.at(0).Cmd});
    QVERIFY(rig.boxes.shown.isEmpty());
}

// A write started from inside the failure box's event loop replaces the asking
// write: the old box's answer, when it comes, does nothing.
void tst_WriteQueue::newWriteWhileBoxOpen()
{
    Rig rig;
    rig.boxes.holdUnanswered = true;
    const QList<QueueEntry> login {{QStringLiteral("CPW5823"), QStringLiteral("Login")}};
    rig.link.script[login.at(0).Cmd] = {Ok};
    QSignalSpy ended(&rig.queue, &WriteQueue::writeEnded);
    bool answered = false;
    rig.questions.onAsk = [&](const QueueQuestion &) {
        QTimer::singleShot(0, &rig.queue, [&] {
            QVERIFY(rig.queue.start(login, QStringLiteral("start"), 3000));
            QTRY_COMPARE(ended.size(), 1);
            answered = true;
            rig.boxes.answer(QMessageBox::Retry);
        });
    };

    QVERIFY(rig.queue.start(rig.entries(2), QStringLiteral("write"), 30));
    QTRY_VERIFY(answered);
    QTest::qWait(60);
    QCOMPARE(rig.link.sent, (QStringList {QStringLiteral("REC1,1"), QStringLiteral("CPW5823")}));
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.at(0).at(0).value<WriteQueue::Outcome>(), WriteQueue::Outcome::Complete);
    QVERIFY(!rig.queue.isWriting());
}

void tst_WriteQueue::emptyQueueStartsNothing()
{
    Rig rig;
    QVERIFY(!rig.queue.start({}, QStringLiteral("write"), 5000));
    QVERIFY(rig.link.sent.isEmpty());
    QVERIFY(!rig.progress.isStepTimerActive(ucProgress::kWriteTimer));
    QCOMPARE(rig.progress.panelText(QStringLiteral("connect")), QStringLiteral("Disconnected"));
    QVERIFY(!rig.queue.isWriting());

    // Nor does it disturb a write in progress.
    QVERIFY(rig.queue.start(rig.entries(2), QStringLiteral("write"), 60000));
    QVERIFY(!rig.queue.start({}, QStringLiteral("write"), 5000));
    QCOMPARE(rig.queue.g_QueueCount, qint16(2));
    QVERIFY(rig.progress.isStepTimerActive(ucProgress::kWriteTimer));
    QCOMPARE(rig.link.sent.size(), 1);
}

// An "OK" with no write running (the answer to Refresh, say) is recorded but
// hurries no timer: while connecting, the connect clock keeps its pace.
void tst_WriteQueue::answerWithoutWriteLeavesOtherTimers()
{
    Rig rig;
    rig.progress.StartProgress(QStringLiteral("connecting"));
    rig.queue.objSpool_WriteResult(true);
    QVERIFY(rig.queue.g_WriteOK);
    QCOMPARE(rig.progress.stepInterval(ucProgress::kConnectTimer), rig.progress.connectStep());
    // A stray write step decides nothing either.
    rig.queue.onProgressTime(3, 1);
    QVERIFY(rig.link.analysed.isEmpty());
    QVERIFY(rig.boxes.shown.isEmpty());

    // Nor does an answer to a write whose operation was replaced by a reconnect.
    QVERIFY(rig.queue.start(rig.entries(2), QStringLiteral("write"), 60000));
    rig.progress.StartProgress(QStringLiteral("connecting"));
    rig.queue.objSpool_WriteResult(true);
    QCOMPARE(rig.progress.stepInterval(ucProgress::kConnectTimer), rig.progress.connectStep());
}

void tst_WriteQueue::directCommands_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<QStringList>("sent");
    QTest::newRow("restart confirmed") << QMessageBox::Yes
                                       << QStringList {QStringLiteral("CPW5823"), QStringLiteral("RBT")};
    QTest::newRow("restart declined") << QMessageBox::No << QStringList {QStringLiteral("CPW5823")};
}

void tst_WriteQueue::directCommands()
{
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(QStringList, sent);
    Rig rig;
    rig.boxes.answers = {answer};

    rig.queue.sendRefresh(QStringLiteral("5823"));
    QCOMPARE(rig.queue.restartGateway(), answer == QMessageBox::Yes);
    QCOMPARE(rig.link.sent, sent);
    QCOMPARE(rig.boxes.shown.size(), 1);
    const MessageRequest &box = rig.boxes.shown.at(0);
    QCOMPARE(box.text, QStringLiteral("Do you really want to restart the gateway?"));
    QCOMPARE(box.title, QStringLiteral("Restart"));
    QCOMPARE(box.icon, QMessageBox::Warning);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    // Neither touches the progress strip: the question is all that happens.
    QCOMPARE(rig.events, QStringList {QStringLiteral("box: Restart")});
    QCOMPARE(rig.progress.panelText(QStringLiteral("connect")), QStringLiteral("Disconnected"));
    QVERIFY(!rig.queue.isWriting());
}

// The failure boxes as the operator gets them, through real message boxes:
// Abort, Retry, Ignore from left to right with Retry preselected, and neither
// Escape nor the title bar's close button answers; the last entry's Retry/Cancel
// box takes Escape as Cancel.
void tst_WriteQueue::failureBoxOnScreen()
{
    ucProgress progress;
    ProgressQueueAdapter progressAdapter {progress.clock()};
    ScriptedLink link;
    MessageBoxQueueQuestions questions {WidgetMessageBoxService::instance(), nullptr};
    WriteQueue queue {link, progressAdapter, questions};
    link.queue = &queue;
    QObject::connect(&progress, &ucProgress::progressTime, &queue, &WriteQueue::onProgressTime);
    QSignalSpy ended(&queue, &WriteQueue::writeEnded);

    QStringList firstOrder, lastOrder;
    QString preselected;
    bool survivedEscape = false;
    bool survivedClose = false;
    onNextBox(&queue, QStringLiteral("Data 1"), [&](QMessageBox *box) {
        firstOrder = buttonsLeftToRight(box);
        preselected = plainText(box->defaultButton()->text());
        QTest::keyClick(box, Qt::Key_Escape);
        survivedEscape = box->isVisible();
        survivedClose = !box->close() && box->isVisible();
        onNextBox(&queue, QStringLiteral("Data 2"), [&](QMessageBox *last) {
            lastOrder = buttonsLeftToRight(last);
            onNextBox(&queue, QStringLiteral("Error"), [](QMessageBox *notice) { notice->accept(); });
            QTest::keyClick(last, Qt::Key_Escape);
        });
        buttonNamed(box, QStringLiteral("Ignore"))->click();
    });

    QVERIFY(queue.start({{QStringLiteral("REC1,1"), QStringLiteral("Data 1")}, {QStringLiteral("REC2,2"), QStringLiteral("Data 2")}},
        QStringLiteral("write"), 30));
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 10000);
    QCOMPARE(firstOrder, (QStringList {QStringLiteral("Abort"), QStringLiteral("Retry"), QStringLiteral("Ignore")}));
    QCOMPARE(preselected, QStringLiteral("Retry"));
    QVERIFY(survivedEscape);
    QVERIFY(survivedClose);
    QCOMPARE(lastOrder, (QStringList {QStringLiteral("Retry"), QStringLiteral("Cancel")}));
    QCOMPARE(ended.at(0).at(0).value<WriteQueue::Outcome>(), WriteQueue::Outcome::GivenUp);
    QCOMPARE(queue.g_FailedList, QStringLiteral("Data 1\r\nData 2"));
}

QTEST_MAIN(tst_WriteQueue)
#include "tst_writequeue.moc"
