// The main window, offscreen, against a gateway simulator that misbehaves: lines
// ended with CR LF, a link dropped in the middle of the log-on read, a flood of
// unsolicited lines during a save, a log-on never answered or refused, "ERR"
// answers in the middle of a save, and a gateway that connects in to a console
// listening as a server.

#include <cspooling.h>
#include <frmprigroups.h>
#include <gatewaysimulatorprocess.h>
#include <monitorpage.h>
#include <scriptedmessageboxes.h>
#include <ucprogress.h>
#include <uctoolbar.h>
#include <writequeue.h>
#include "writeoutcomewatch.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 15000;
const QString kVersion = u"GW-3200 v3.12 build 0617"_s;
const QString kWriteComplete = u"Write data complete successful.."_s;
const QString kConnected = u"Connected        "_s;
const QString kGaveUp = u"failed write to gateway"_s;
const QString kGsmBefore = u"GSM4,,48,0,,,1,1,5"_s;
const QString kGsmAfter = u"GSM4,,48,0,1234,,1,1,5"_s;
const QString kNetBefore = u"NET64,35,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00"_s;
const QString kNetAfter = u"NET64,35,900,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00"_s;

QString cannotWrite(const QString &desc)
{
    return desc + u": Error: can't write : "_s + desc + u"\r\nplease check your data."_s;
}

} // namespace

class tst_ConsoleFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void crlfLinesAreNotRecognised();
    void gatewayDropsMidRead();
    void floodDuringSave();
    void gatewayConnectsToServer();
    void logOnFails_data();
    void logOnFails();
    void errorAnswersDuringSave_data();
    void errorAnswersDuringSave();

private:
    bool startSimulator(const QStringList &arguments, quint16 *port);
    void openWindow(const ConnectionChoice &choice);
    void pressConnect() { m_window->toolBar()->button(u"connect"_s)->trigger(); }
    QString caption() const { return m_window->toolBar()->button(u"connect"_s)->text(); }
    QString panel() const { return m_window->progressStrip()->panelText(u"connect"_s); }
    QString writeOutcome() const { return m_outcomes->outcome(); }
    QStringList configLines() const { return m_simulator->configLines(); }
    QStringList shownTexts() const { return m_messages->shownTexts(); }
    QStringList logLines() const;
    void saveShownPage();
    template<typename T> T *control(const QString &name) const { return m_window->findChild<T *>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<GatewaySimulatorProcess> m_simulator;
    std::unique_ptr<ScriptedMessageBoxes> m_messages;
    std::unique_ptr<FrmPRIGroups> m_window;
    std::unique_ptr<WriteOutcomeWatch> m_outcomes;
};

void tst_ConsoleFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_messages = std::make_unique<ScriptedMessageBoxes>();
}

void tst_ConsoleFaults::cleanup()
{
    m_outcomes.reset();
    m_window.reset();
    m_messages.reset();
    m_simulator.reset();
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

bool tst_ConsoleFaults::startSimulator(const QStringList &arguments, quint16 *port)
{
    m_simulator = std::make_unique<GatewaySimulatorProcess>(m_dir->filePath(u"gw.txt"_s));
    if (!m_simulator->start(arguments))
        return false;
    if (!port)
        return true;
    *port = m_simulator->listenPort(kWaitMs);
    return *port != 0;
}

void tst_ConsoleFaults::openWindow(const ConnectionChoice &choice)
{
    FrmPRIGroups::Options options;
    options.settingsFolder = m_dir->path();
    options.messages = m_messages.get();
    options.chooseConnection = [choice] { return choice; };
    m_window = std::make_unique<FrmPRIGroups>(options);
    m_outcomes = std::make_unique<WriteOutcomeWatch>(*m_window->writeQueue(), *m_window->progressStrip());
    m_window->startUp();
}

QStringList tst_ConsoleFaults::logLines() const
{
    m_window->monitorPage()->flush();
    QStringList lines = m_window->monitorPage()->logView()->toPlainText().split(u'\n');
    lines.removeAll(QString());
    return lines;
}

void tst_ConsoleFaults::saveShownPage()
{
    control<QPushButton>(u"cmdSAVE"_s)->click();
    QVERIFY2(m_window->writeQueue()->isWriting(), qPrintable(shownTexts().join(u" | "_s)));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);
}

void tst_ConsoleFaults::crlfLinesAreNotRecognised()
{
    quint16 port = 0;
    QVERIFY(startSimulator({u"--listen"_s, u"127.0.0.1:0"_s, u"--crlf"_s}, &port));
    openWindow(tcpClientChoice(port));
    m_messages->answers = {QMessageBox::Cancel, QMessageBox::Ok};

    pressConnect();
    // Every line after the first begins with the LF of the one before, so the
    // log-on answer is never recognised and its entry runs into its time-out.
    QTRY_COMPARE_WITH_TIMEOUT(panel(), u"failed write to gateway"_s, kWaitMs);
    QCOMPARE(shownTexts(),
        (QStringList {u"Login: Error: can't write : Login\r\nplease check your data."_s,
            u"Error: Error: can't write data to : \r\nLogin"_s}));
    QCOMPARE(m_messages->shown.first().buttons, QMessageBox::Retry | QMessageBox::Cancel);
    QVERIFY(!m_window->writeQueue()->isWriting());
    QVERIFY(m_window->objSpool->isConnected());
    QCOMPARE(caption(), u"Disconnect"_s);
}

void tst_ConsoleFaults::gatewayDropsMidRead()
{
    quint16 port = 0;
    QVERIFY(startSimulator({u"--listen"_s, u"127.0.0.1:0"_s, u"--drop-after"_s, u"40"_s}, &port));
    openWindow(tcpClientChoice(port));

    pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(panel(), u"Disconnected"_s, kWaitMs);
    QVERIFY(!m_window->objSpool->isConnected());
    QCOMPARE(caption(), u"Connect"_s);
    // What arrived before the drop stays on the pages.
    QCOMPARE(control<QLabel>(u"lblESN"_s)->text(), kVersion);
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownTexts().join(u" | "_s)));
}

void tst_ConsoleFaults::floodDuringSave()
{
    quint16 port = 0;
    QVERIFY(startSimulator({u"--listen"_s, u"127.0.0.1:0"_s, u"--flood"_s, u"2000"_s}, &port));
    openWindow(tcpClientChoice(port));

    pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(u"lblESN"_s)->text(), kVersion, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(writeOutcome(), kWriteComplete, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);

    m_window->toolBar()->button(u"main"_s)->trigger();
    auto *dialPause = control<QLineEdit>(u"txtFXO_DLP"_s);
    QVERIFY(dialPause);
    dialPause->setText(u"12"_s);
    control<QPushButton>(u"cmdSAVE"_s)->click();
    QVERIFY(m_window->writeQueue()->isWriting());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);
    QCOMPARE(writeOutcome(), kWriteComplete);
    QCOMPARE(panel(), kConnected);
    QTRY_VERIFY_WITH_TIMEOUT(configLines().contains(u"FXO0,,3,4,11,12,40,1,2,98,0,2,30"_s), kWaitMs);
    QCOMPARE(dialPause->text(), u"12"_s);
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownTexts().join(u" | "_s)));
}

void tst_ConsoleFaults::gatewayConnectsToServer()
{
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    ConnectionChoice choice = tcpClientChoice(port);
    choice.g_Server = u"1"_s;
    choice.g_Login = u"1"_s;
    openWindow(choice);

    pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(caption(), u"Stop server"_s, kWaitMs);
    QCOMPARE(panel(), u"Server status: Listening"_s);
    QVERIFY(startSimulator({u"--connect"_s, u"127.0.0.1:%1"_s.arg(port), u"--retry-ms"_s, u"100"_s}, nullptr));
    QTRY_VERIFY_WITH_TIMEOUT(!configLines().isEmpty(), kWaitMs);
    const QStringList before = configLines();
    QTRY_COMPARE_WITH_TIMEOUT(panel(), u"Connected        "_s, kWaitMs);
    QVERIFY(m_window->objSpool->isConnected());
    // A server never logs on by itself.
    QVERIFY(!m_window->writeQueue()->isWriting());
    QCOMPARE(control<QLabel>(u"lblESN"_s)->text(), QString());
    QCOMPARE(configLines(), before);

    control<QPushButton>(u"cmdRefresh"_s)->click();
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(u"lblESN"_s)->text(), kVersion, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);

    // Logged on by Refresh, a page save reaches the gateway's configuration.
    m_window->toolBar()->button(u"main"_s)->trigger();
    control<QLineEdit>(u"txtFXO_DLP"_s)->setText(u"12"_s);
    saveShownPage();
    QCOMPARE(writeOutcome(), kWriteComplete);
    QCOMPARE(panel(), kConnected);
    QStringList expected = before;
    const qsizetype at = expected.indexOf(u"FXO0,,3,4,11,10,40,1,2,98,0,2,30"_s);
    QVERIFY(at >= 0);
    expected[at] = u"FXO0,,3,4,11,12,40,1,2,98,0,2,30"_s;
    QTRY_COMPARE_WITH_TIMEOUT(configLines(), expected, kWaitMs);

    // Once the gateway is in, the button disconnects it.
    QCOMPARE(caption(), u"Disconnect"_s);
    pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(panel(), u"Disconnected"_s, kWaitMs);
    QVERIFY(!m_window->objSpool->isConnected());
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownTexts().join(u" | "_s)));
}

void tst_ConsoleFaults::logOnFails_data()
{
    QTest::addColumn<QStringList>("fault");
    // Each try of the log-on waits out its time-out, then asks.
    QTest::newRow("no answer") << QStringList {u"--mute"_s};
    // The gateway's "ERR" asks at once.
    QTest::newRow("wrong password") << QStringList {u"--password"_s, u"1111"_s};
}

void tst_ConsoleFaults::logOnFails()
{
    QFETCH(QStringList, fault);
    quint16 port = 0;
    QVERIFY(startSimulator(QStringList {u"--listen"_s, u"127.0.0.1:0"_s} + fault, &port));
    openWindow(tcpClientChoice(port));
    m_messages->answers = {QMessageBox::Retry, QMessageBox::Cancel, QMessageBox::Ok};

    pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(panel(), kGaveUp, kWaitMs);
    QCOMPARE(shownTexts(),
        (QStringList {
            cannotWrite(u"Login"_s), cannotWrite(u"Login"_s), u"Error: Error: can't write data to : \r\nLogin"_s}));
    for (const MessageRequest &question : m_messages->shown.first(2)) {
        QCOMPARE(question.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(question.defaultButton, QMessageBox::Cancel);
        QCOMPARE(question.icon, QMessageBox::Information);
    }
    QCOMPARE(logLines().count(u"CPW5823"_s), 2);
    QVERIFY(!m_window->writeQueue()->isWriting());
    QCOMPARE(control<QLabel>(u"lblESN"_s)->text(), QString());
    QCOMPARE(control<QLineEdit>(u"txtFXO_DLP"_s)->text(), QString());

    // The link stays up, and the console is not stuck: the button disconnects.
    QVERIFY(m_window->objSpool->isConnected());
    QCOMPARE(caption(), u"Disconnect"_s);
    pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(panel(), u"Disconnected"_s, kWaitMs);
    QVERIFY(!m_window->objSpool->isConnected());
    QCOMPARE(caption(), u"Connect"_s);
    QCOMPARE(m_messages->shown.size(), 3);
}

void tst_ConsoleFaults::errorAnswersDuringSave_data()
{
    QTest::addColumn<QList<QMessageBox::StandardButton>>("answers");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<bool>("gsmWritten");
    QTest::addColumn<bool>("netWritten");

    // Every second answer is "ERR", the log-on's "OK" counting as the first.
    QTest::newRow("retry both") << QList {QMessageBox::Retry, QMessageBox::Retry}
                                << QStringList {cannotWrite(u"GSM Data"_s), cannotWrite(u"Network Data"_s)}
                                << kWriteComplete << true << true;
    QTest::newRow("ignore") << QList {QMessageBox::Ignore, QMessageBox::Ok}
                            << QStringList {cannotWrite(u"GSM Data"_s),
                                   u"info: Write data not complete seccesful : \r\nGSM Data\r\n"_s}
                            << u"Write data not complete seccessful!"_s << false << true;
    QTest::newRow("abort") << QList {QMessageBox::Abort, QMessageBox::Ok}
                           << QStringList {cannotWrite(u"GSM Data"_s),
                                  u"Error: Error: can't write data to : \r\nGSM Data"_s}
                           << kGaveUp << false << false;
}

void tst_ConsoleFaults::errorAnswersDuringSave()
{
    QFETCH(QList<QMessageBox::StandardButton>, answers);
    QFETCH(QStringList, boxes);
    QFETCH(QString, outcome);
    QFETCH(bool, gsmWritten);
    QFETCH(bool, netWritten);

    quint16 port = 0;
    QVERIFY(startSimulator({u"--listen"_s, u"127.0.0.1:0"_s, u"--err-every"_s, u"2"_s}, &port));
    openWindow(tcpClientChoice(port));
    pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(writeOutcome(), kWriteComplete, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);
    const QStringList before = configLines();
    QVERIFY(before.contains(kGsmBefore));
    QVERIFY(before.contains(kNetBefore));

    m_window->toolBar()->button(u"system"_s)->trigger();
    auto *pin = control<QLineEdit>(u"txtGSM_PIN1"_s);
    auto *period = control<QLineEdit>(u"txtGSM_PRD"_s);
    pin->setText(u"1234"_s);
    period->setText(u"900"_s);
    m_messages->answers = answers;
    saveShownPage();

    QCOMPARE(shownTexts(), boxes);
    const MessageRequest &first = m_messages->shown.at(0);
    QCOMPARE(first.buttons, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    QCOMPARE(first.defaultButton, QMessageBox::Retry);
    QCOMPARE(first.icon, QMessageBox::Information);
    QVERIFY(first.escapeButton == QMessageBox::NoButton);
    QVERIFY(first.fixedOrder);
    if (netWritten && gsmWritten) {
        const MessageRequest &last = m_messages->shown.at(1);
        QCOMPARE(last.buttons, QMessageBox::Retry | QMessageBox::Cancel);
        QCOMPARE(last.defaultButton, QMessageBox::Cancel);
        QVERIFY(last.escapeButton == QMessageBox::Cancel);
    }
    QCOMPARE(writeOutcome(), outcome);
    // A finished write leaves the connected display; a write given up its outcome.
    QCOMPARE(panel(), outcome == kGaveUp ? kGaveUp : kConnected);
    QVERIFY(m_window->objSpool->isConnected());
    QCOMPARE(caption(), u"Disconnect"_s);

    // Retry sends the same record again; Abort sends nothing more.
    const QStringList sent = logLines();
    QCOMPARE(sent.count(kGsmAfter), gsmWritten ? 2 : 1);
    QCOMPARE(sent.count(kNetAfter), netWritten ? (gsmWritten ? 2 : 1) : 0);
    QStringList expected = before;
    expected.replace(expected.indexOf(kGsmBefore), gsmWritten ? kGsmAfter : kGsmBefore);
    expected.replace(expected.indexOf(kNetBefore), netWritten ? kNetAfter : kNetBefore);
    QTRY_COMPARE_WITH_TIMEOUT(configLines(), expected, kWaitMs);

    // The edits the gateway refused stay on the page, and a second save writes them.
    QCOMPARE(pin->text(), u"1234"_s);
    QCOMPARE(period->text(), u"900"_s);
    if (gsmWritten && netWritten)
        return;
    m_messages->shown.clear();
    m_messages->answers = {QMessageBox::Retry, QMessageBox::Retry};
    saveShownPage();
    QCOMPARE(writeOutcome(), kWriteComplete);
    QCOMPARE(panel(), kConnected);
    expected.replace(expected.indexOf(kGsmBefore), kGsmAfter);
    if (!netWritten)
        expected.replace(expected.indexOf(kNetBefore), kNetAfter);
    QTRY_COMPARE_WITH_TIMEOUT(configLines(), expected, kWaitMs);
}

QTEST_MAIN(tst_ConsoleFaults)
#include "tst_consolefaults.moc"
