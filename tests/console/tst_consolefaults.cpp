// The main window, offscreen, against a gateway simulator that misbehaves: lines
// ended with CR LF, a link dropped in the middle of the log-on read, a flood of
// unsolicited lines during a save, and a gateway that connects in to a console
// listening as a server.

#include <cspooling.h>
#include <frmprigroups.h>
#include <gatewaysimulatorprocess.h>
#include <scriptedmessageboxes.h>
#include <ucprogress.h>
#include <uctoolbar.h>
#include <writequeue.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
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

private:
    bool startSimulator(const QStringList &arguments, quint16 *port);
    void openWindow(const ConnectionChoice &choice);
    void pressConnect() { m_window->toolBar()->button(u"connect"_s)->trigger(); }
    QString caption() const { return m_window->toolBar()->button(u"connect"_s)->text(); }
    QString panel() const { return m_window->progressStrip()->panelText(u"connect"_s); }
    QStringList configLines() const { return m_simulator->configLines(); }
    QStringList shownTexts() const { return m_messages->shownTexts(); }
    template<typename T> T *control(const QString &name) const { return m_window->findChild<T *>(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<GatewaySimulatorProcess> m_simulator;
    std::unique_ptr<ScriptedMessageBoxes> m_messages;
    std::unique_ptr<FrmPRIGroups> m_window;
};

void tst_ConsoleFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_messages = std::make_unique<ScriptedMessageBoxes>();
}

void tst_ConsoleFaults::cleanup()
{
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
    m_window->startUp();
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
    QTRY_COMPARE_WITH_TIMEOUT(panel(), u"NET Disconnected"_s, kWaitMs);
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
    QTRY_COMPARE_WITH_TIMEOUT(panel(), kWriteComplete, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);

    m_window->toolBar()->button(u"main"_s)->trigger();
    auto *dialPause = control<QLineEdit>(u"txtFXO_DLP"_s);
    QVERIFY(dialPause);
    dialPause->setText(u"12"_s);
    control<QPushButton>(u"cmdSAVE"_s)->click();
    QVERIFY(m_window->writeQueue()->isWriting());
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->writeQueue()->isWriting(), kWaitMs);
    QCOMPARE(panel(), kWriteComplete);
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

    // Once the gateway is in, the button disconnects it.
    QCOMPARE(caption(), u"Disconnect"_s);
    pressConnect();
    QTRY_COMPARE_WITH_TIMEOUT(panel(), u"Disconnected"_s, kWaitMs);
    QVERIFY(!m_window->objSpool->isConnected());
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownTexts().join(u" | "_s)));
}

QTEST_MAIN(tst_ConsoleFaults)
#include "tst_consolefaults.moc"
