#include "commandframer.h"
#include "commandinterpreter.h"
#include "configfile.h"
#include "configstore.h"
#include "recordlayout.h"

#include <pseudoterminalpair.h>

#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <sys/socket.h>

using namespace std::chrono_literals;

namespace {

constexpr int kLogOnLines = 103;
constexpr auto kWait = 10s;

QString simulatorPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/varlisk-gwsim");
}

// A scratch folder per test, kept for a look when the test failed.
class TestDir : public QTemporaryDir
{
public:
    ~TestDir() { setAutoRemove(!QTest::currentTestFailed()); }
};

// Reads lines ended by `end` from any device, waiting for them as they come.
class LineReader
{
public:
    LineReader(QIODevice &device, QByteArray end)
        : m_device(device)
        , m_end(std::move(end))
    { }

    // The next `count` lines; fewer when they do not arrive within the wait.
    QList<QByteArray> take(int count)
    {
        QList<QByteArray> lines;
        QDeadlineTimer deadline(kWait);
        while (lines.size() < count) {
            const qsizetype at = m_buffer.indexOf(m_end);
            if (at >= 0) {
                lines.append(m_buffer.left(at));
                m_buffer.remove(0, at + m_end.size());
                continue;
            }
            if (deadline.hasExpired() || closedAndRead())
                break;
            if (m_device.bytesAvailable() == 0)
                m_device.waitForReadyRead(50);
            m_buffer += m_device.readAll();
        }
        return lines;
    }

    QByteArray rest() const { return m_buffer; }

private:
    bool closedAndRead() const
    {
        const auto *socket = qobject_cast<const QAbstractSocket *>(&m_device);
        return socket && socket->state() == QAbstractSocket::UnconnectedState && socket->bytesAvailable() == 0;
    }

    QIODevice &m_device;
    QByteArray m_end;
    QByteArray m_buffer;
};

// The simulator program running for one test; stopped with SIGTERM at the end.
class Simulator
{
public:
    explicit Simulator(const QStringList &arguments) { m_process.start(simulatorPath(), arguments); }
    ~Simulator()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished(5000);
        }
    }

    // The first capture of a status line on stderr matching the pattern; empty when none came.
    QString waitForStatus(const QString &pattern)
    {
        const QRegularExpression expression(pattern);
        QDeadlineTimer deadline(kWait);
        while (!deadline.hasExpired()) {
            m_stderr += m_process.readAllStandardError();
            const auto match = expression.match(QString::fromLatin1(m_stderr));
            if (match.hasMatch())
                return match.captured(1);
            m_process.waitForReadyRead(50);
        }
        return {};
    }

    // The port announced by --listen with port 0; 0 when none came.
    quint16 listeningPort() { return quint16(waitForStatus(QStringLiteral("listening on [^:]+:(\\d+)")).toUInt()); }

    bool stop()
    {
        m_process.terminate();
        return m_process.waitForFinished(int(std::chrono::milliseconds(kWait).count()))
            && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_stderr;
};

std::unique_ptr<QTcpSocket> connectTo(quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    if (!socket->waitForConnected(5000))
        return nullptr;
    return socket;
}

void send(QIODevice &device, const QByteArray &line)
{
    device.write(line + '\r');
    if (auto *socket = qobject_cast<QAbstractSocket *>(&device))
        socket->flush();
}

bool waitForClose(QTcpSocket &socket)
{
    QDeadlineTimer deadline(kWait);
    while (socket.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired()) {
        socket.waitForDisconnected(50);
        socket.readAll();
    }
    return socket.state() == QAbstractSocket::UnconnectedState;
}

// Checks a log-on answer: VER, the six page records, PRF 01..32, LST 01..64, OK.
void verifyLogOnAnswer(const QList<QByteArray> &lines)
{
    QCOMPARE(lines.size(), kLogOnLines + 1);
    QVERIFY(lines.first().startsWith("VER"));
    const QList<QByteArray> pages {"FXO", "FXS", "GSM", "NET", "SMS", "GWP"};
    for (int i = 0; i < pages.size(); ++i)
        QCOMPARE(lines.at(1 + i).left(3), pages.at(i));
    for (int row = 1; row <= 32; ++row)
        QVERIFY(lines.at(6 + row).startsWith("PRF" + QByteArray::number(row).rightJustified(2, '0') + ","));
    for (int row = 1; row <= 64; ++row)
        QVERIFY(lines.at(38 + row).startsWith("LST" + QByteArray::number(row).rightJustified(2, '0') + ","));
    QCOMPARE(lines.last(), QByteArray("OK"));
}

} // namespace

class tst_GwSim : public QObject
{
    Q_OBJECT

private slots:
    void recordCheck_data();
    void recordCheck();
    void defaultsAreValidAndReadBack();
    void fxsWithoutCadenceKeepsStoredCadence();
    void logOnAnswer();
    void recordsNeedLogOn();
    void commands_data();
    void commands();
    void errEveryRefusesEveryNthOk();
    void framing_data();
    void framing();
    void overlongRunIsBoundedAndRefused();
    void configFileRoundTripAndDamage();

    void tcpLogOnWriteAndClose();
    void tcpFaults_data();
    void tcpFaults();
    void tcpRestartAcceptsAgain();
    void tcpAnswersClientThatHalfCloses();
    void connectModeReconnects();
    void serialOverPseudoTerminal();
};

void tst_GwSim::recordCheck_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");

    const auto row = [](const char *name, const char *line, bool accepted) {
        QTest::newRow(name) << QByteArray(line) << accepted;
    };
    row("FXO default", "FXO0,,3,4,11,10,40,1,2,98,0,2,30", true);
    row("FXO all lists set", "FXO127,0912345678901234,9,32,32,255,255,3,3,12345678,0021,9,255", false);
    row("FXO CID V.23, access follow me", "FXO98,0912,3,1,32,1,1,3,3,1,1,0,0", true);
    row("FXO CID position 3", "FXO48,,3,4,11,10,40,1,2,98,0,2,30", false);
    row("FXO unset lists (-93)", "FXO-93,,3,4,11,10,40,1,2,98,0,2,30", false);
    row("FXO unknown option bit 7", "FXO128,,3,4,11,10,40,1,2,98,0,2,30", false);
    row("FXO access position 3", "FXO3,,3,4,11,10,40,1,2,98,0,2,30", false);
    row("FXO 12 fields", "FXO0,,3,4,11,10,40,1,2,98,0,2", false);
    row("FXO 14 fields (comma in a text)", "FXO0,09,12,3,4,11,10,40,1,2,98,0,2,30", false);
    row("FXO dial pause 0", "FXO0,,3,4,11,0,40,1,2,98,0,2,30", false);
    row("FXO dial pause 256", "FXO0,,3,4,11,256,40,1,2,98,0,2,30", false);
    row("FXO dial pause wider than its box", "FXO0,,3,4,11,0010,40,1,2,98,0,2,30", false);
    row("FXO dial pause empty", "FXO0,,3,4,11,,40,1,2,98,0,2,30", false);
    row("FXO maximum digits 33", "FXO0,,3,4,33,10,40,1,2,98,0,2,30", false);
    row("FXO busy cadence 4", "FXO0,,3,4,11,10,40,4,2,98,0,2,30", false);
    row("FXO country with letter", "FXO0,,3,4,11,10,40,1,2,98a,0,2,30", false);
    row("FXO country 9 digits", "FXO0,,3,4,11,10,40,1,2,123456789,0,2,30", false);
    row("FXO follow me 17 digits", "FXO0,09123456789012345,3,4,11,10,40,1,2,98,0,2,30", false);
    row("FXO pause after NDD 10", "FXO0,,3,4,11,10,40,1,2,98,0,10,30", false);
    row("FXS full", "FXS5,10,20,10,20,100,2,25", true);
    row("FXS without cadence", "FXS5,10,1,20", true);
    row("FXS 5 fields", "FXS5,10,1,20,0", false);
    row("FXS ring 1000", "FXS5,10,1000,10,20,100,2,25", false);
    row("FXS polarity type 4", "FXS5,10,50,150,0,0,4,20", false);
    row("FXS CID generation bit 4 with unknown bit 4", "FXS16,10,50,150,0,0,1,20", false);
    row("GSM levels +6 dB / -6 dB", "GSM255,0912,0,244,1234,12345678,5,0,6", false);
    row("GSM all lists at their ends", "GSM239,0912,96,244,1234,12345678,5,0,6", true);
    row("GSM speaker code 47", "GSM4,,47,0,,,1,1,5", false);
    row("GSM microphone code 240", "GSM4,,48,240,,,1,1,5", false);
    row("GSM band 7", "GSM4,,48,0,,,1,1,7", false);
    row("GSM PIN of 9 digits", "GSM4,,48,0,123456789,,1,1,5", false);
    row("GSM rate 6", "GSM4,,48,0,,,6,1,5", false);
    row("NET default", "NET64,35,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00", true);
    row("NET bit 2 set", "NET68,35,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00", false);
    row("NET bit 7 set", "NET192,35,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00", false);
    row("NET empty ids", "NET0,0,0,,,,,,,,,,", true);
    row("NET signal 100", "NET64,100,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00", false);
    row("NET time of 6 characters", "NET64,35,600,43211,43211,43211,06:000,43235,12:00,43211,18:00,43235,00:00", false);
    row("SMS all enabled, no numbers", "SMS31,,", true);
    row("SMS bit 5", "SMS32,,", false);
    row("SMS letters in number", "SMS1,0912abc,", false);
    row("GWP default", "GWP0,2,7,1,7,1,7,1,7,50,50,0,0,25,25,0,0,100,400,0,0", true);
    row("GWP level code 8", "GWP0,2,8,1,7,1,7,1,7,50,50,0,0,25,25,0,0,100,400,0,0", false);
    row("GWP busy tone 3", "GWP0,2,7,3,7,1,7,1,7,50,50,0,0,25,25,0,0,100,400,0,0", false);
    row("GWP cadence 65536", "GWP0,2,7,1,7,1,7,1,7,65536,50,0,0,25,25,0,0,100,400,0,0", false);
    row("PRF empty row as read back", "PRF05,,0", true);
    row("PRF empty row", "PRF32,,", true);
    row("PRF row 00", "PRF00,0912,1", false);
    row("PRF row 33", "PRF33,0912,1", false);
    row("PRF row without leading zero", "PRF5,0912,1", false);
    row("PRF prefix of 8 characters", "PRF05,09123456,1", false);
    row("PRF 2 fields", "PRF05,0912", false);
    row("LST row 64", "LST64,09121234567,31", true);
    row("LST row 65", "LST65,09121234567,31", false);
    row("LST permissions 32", "LST03,09121234567,32", false);
    row("LST permissions empty", "LST03,09121234567,", false);
    row("LST number of 17 digits", "LST03,09121234567890123,1", false);
}

void tst_GwSim::recordCheck()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);
    ConfigStore store;
    const ConfigStore before = store;
    const QByteArray problem = store.apply(line);
    QVERIFY2(problem.isEmpty() == accepted, problem.constData());
    if (accepted) {
        const Sim::RecordLayout *layout = Sim::RecordLayout::find(line.left(3));
        const QList<QByteArray> values = Sim::splitRecordFields(line.mid(3));
        const QList<QByteArray> stored = store.fields(line.left(3), layout->isTable() ? values.first().toInt() : 0);
        const QList<int> positions = layout->fieldPositions(values.size());
        for (qsizetype i = 0; i < values.size(); ++i)
            QCOMPARE(stored.at(positions.at(i)), values.at(i));
    } else
        QVERIFY(store == before);
}

void tst_GwSim::defaultsAreValidAndReadBack()
{
    const ConfigStore defaults;
    const QList<QByteArray> lines = defaults.recordLines();
    QCOMPARE(lines.size(), kLogOnLines - 1);
    // Written into a store whose every record differs, each line must pass its
    // own checks and bring back the very same configuration.
    ConfigStore store;
    QVERIFY(store.apply("FXO1,,1,1,1,1,1,0,0,,,0,0").isEmpty());
    QVERIFY(store.apply("PRF01,,").isEmpty());
    QVERIFY(!(store == defaults));
    for (const QByteArray &line : lines)
        QVERIFY2(store.apply(line).isEmpty(), line.constData());
    QVERIFY(store == defaults);
    QCOMPARE(defaults.fields("FXO").at(5), QByteArray("10"));
    QCOMPARE(defaults.fields("FXO").at(9), QByteArray("98"));
    QVERIFY(!defaults.fields("PRF", 1).at(1).isEmpty());
    QVERIFY(defaults.fields("PRF", 32).at(1).isEmpty());
    QVERIFY(!defaults.fields("LST", 1).at(1).isEmpty());
    QVERIFY(defaults.fields("LST", 64).at(1).isEmpty());
}

void tst_GwSim::fxsWithoutCadenceKeepsStoredCadence()
{
    ConfigStore store;
    QVERIFY(store.apply("FXS0,10,20,10,20,100,1,20").isEmpty());
    QVERIFY(store.apply("FXS6,25,3,200").isEmpty());
    QCOMPARE(store.fields("FXS").join(','), QByteArray("6,25,20,10,20,100,3,200"));
}

void tst_GwSim::logOnAnswer()
{
    ConfigStore store;
    CommandInterpreter interpreter(store);
    const CommandInterpreter::Reply reply = interpreter.handle("CPW5823");
    verifyLogOnAnswer(reply.lines);
    QCOMPARE(reply.lines.first(), QByteArray("VERGW-3200 v3.12 build 0617"));
    QCOMPARE(reply.lines.mid(1, kLogOnLines - 1), store.recordLines());
    QVERIFY(interpreter.isLoggedOn());

    QCOMPARE(interpreter.handle("CPW5824").lines, QList<QByteArray> {"ERR"});
    QCOMPARE(interpreter.handle("CPW").lines, QList<QByteArray> {"ERR"});
    QCOMPARE(interpreter.handle("CPW5823 ").lines, QList<QByteArray> {"ERR"});
    QVERIFY(!interpreter.isLoggedOn());

    CommandInterpreter other(store, "a,b c");
    QCOMPARE(other.handle("CPWa,b c").lines.size(), kLogOnLines + 1);
}

void tst_GwSim::recordsNeedLogOn()
{
    ConfigStore store;
    CommandInterpreter interpreter(store);
    QCOMPARE(interpreter.handle("PRF05,0998,2").lines, QList<QByteArray> {"ERR"});
    interpreter.handle("CPW5823");
    CommandInterpreter::Reply reply = interpreter.handle("PRF05,0998,2");
    QCOMPARE(reply.lines, QList<QByteArray> {"OK"});
    QVERIFY(reply.configChanged);
    QCOMPARE(store.fields("PRF", 5).join(','), QByteArray("05,0998,2"));
    reply = interpreter.handle("PRF05,0998,2");
    QCOMPARE(reply.lines, QList<QByteArray> {"OK"});
    QVERIFY(!reply.configChanged);
    QCOMPARE(interpreter.handle("PRF05,0998,x").lines, QList<QByteArray> {"ERR"});
    QVERIFY(!interpreter.lastProblem().isEmpty());

    interpreter.startSession();
    QCOMPARE(interpreter.handle("PRF06,0998,2").lines, QList<QByteArray> {"ERR"});
    QVERIFY(store.fields("PRF", 6).at(1).isEmpty());
}

void tst_GwSim::commands_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<QByteArray>>("answer");
    QTest::addColumn<int>("after");

    const QList<QByteArray> err {"ERR"};
    const int nothing = int(CommandInterpreter::After::Nothing);
    QTest::newRow("restart") << QByteArray("RBT") << QList<QByteArray> {"OK"}
                             << int(CommandInterpreter::After::Restart);
    QTest::newRow("close") << QByteArray("SRV:CLOSE") << QList<QByteArray> {} << int(CommandInterpreter::After::Close);
    QTest::newRow("restart lower case") << QByteArray("rbt") << err << nothing;
    QTest::newRow("restart with blank") << QByteArray("RBT ") << err << nothing;
    QTest::newRow("empty line") << QByteArray() << err << nothing;
    QTest::newRow("unknown") << QByteArray("XYZ") << err << nothing;
    QTest::newRow("version request") << QByteArray("VER") << err << nothing;
    QTest::newRow("line starting with LF") << QByteArray("\nRBT") << err << nothing;
    QTest::newRow("NUL inside") << QByteArray("RB\0T", 4) << err << nothing;
}

void tst_GwSim::commands()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<QByteArray>, answer);
    QFETCH(int, after);
    ConfigStore store;
    CommandInterpreter interpreter(store);
    const CommandInterpreter::Reply reply = interpreter.handle(line);
    QCOMPARE(reply.lines, answer);
    QCOMPARE(int(reply.after), after);
}

void tst_GwSim::errEveryRefusesEveryNthOk()
{
    ConfigStore store;
    CommandInterpreter interpreter(store);
    interpreter.setErrEvery(3);
    QCOMPARE(interpreter.handle("CPW5823").lines.last(), QByteArray("OK")); // OK number 1
    QCOMPARE(interpreter.handle("XYZ").lines, QList<QByteArray> {"ERR"}); // not an OK: not counted
    QCOMPARE(interpreter.handle("PRF07,11,1").lines, QList<QByteArray> {"OK"}); // 2
    QCOMPARE(interpreter.handle("PRF08,22,1").lines, QList<QByteArray> {"ERR"}); // 3: refused
    QVERIFY(store.fields("PRF", 8).at(1).isEmpty());
    QCOMPARE(interpreter.handle("PRF08,22,1").lines, QList<QByteArray> {"OK"}); // 4
    QCOMPARE(store.fields("PRF", 8).at(1), QByteArray("22"));
    QCOMPARE(interpreter.handle("RBT").lines, QList<QByteArray> {"OK"}); // 5
    const CommandInterpreter::Reply restart = interpreter.handle("RBT"); // 6: refused, no restart
    QCOMPARE(restart.lines, QList<QByteArray> {"ERR"});
    QCOMPARE(restart.after, CommandInterpreter::After::Nothing);
}

void tst_GwSim::framing_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QList<QByteArray>>("lines");

    using L = QList<QByteArray>;
    QTest::newRow("two lines in one chunk") << L {"CPW5823\rRBT\r"} << L {"CPW5823", "RBT"};
    QTest::newRow("line split across chunks") << L {"CPW58", "23\r"} << L {"CPW5823"};
    QTest::newRow("CR NUL") << L {QByteArray("A\r\0B\r", 5)} << L {"A", "B"};
    QTest::newRow("CR LF") << L {"A\r\nB\r\n"} << L {"A", "B"};
    QTest::newRow("CR then NUL in next chunk") << L {"A\r", QByteArray("\0B\r", 3)} << L {"A", "B"};
    QTest::newRow("CR then LF in next chunk") << L {"A\r", "\nB\r"} << L {"A", "B"};
    QTest::newRow("LF without CR stays") << L {"A\nB\r"} << L {"A\nB"};
    QTest::newRow("two LFs after CR") << L {"A\r\n\nB\r"} << L {"A", "\nB"};
    QTest::newRow("empty lines") << L {"\r\r"} << L {"", ""};
    QTest::newRow("no CR") << L {"CPW5823"} << L {};
}

void tst_GwSim::framing()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QList<QByteArray>, lines);
    CommandFramer framer;
    QList<QByteArray> got;
    for (const QByteArray &chunk : chunks) {
        for (const CommandFramer::Line &line : framer.feed(chunk)) {
            QVERIFY(!line.overlong);
            got.append(line.text);
        }
    }
    QCOMPARE(got, lines);
}

void tst_GwSim::overlongRunIsBoundedAndRefused()
{
    CommandFramer framer(16);
    QVERIFY(framer.feed(QByteArray(10, 'x')).isEmpty());
    QVERIFY(framer.feed(QByteArray(10, 'y')).isEmpty());
    QVERIFY(framer.feed(QByteArray(1000, 'z')).isEmpty());
    QVERIFY(framer.pendingSize() <= 16);
    const QList<CommandFramer::Line> lines = framer.feed("zz\rRBT\r");
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).overlong);
    QVERIFY(!lines.at(1).overlong);
    QCOMPARE(lines.at(1).text, QByteArray("RBT"));
    // Exactly at the limit is still a line.
    QCOMPARE(framer.feed(QByteArray(16, 'a') + '\r').first().text, QByteArray(16, 'a'));

    ConfigStore store;
    CommandInterpreter interpreter(store);
    QCOMPARE(interpreter.handleOverlong().lines, QList<QByteArray> {"ERR"});
}

void tst_GwSim::configFileRoundTripAndDamage()
{
    TestDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("gw.cfg"));

    ConfigStore store;
    ConfigFile file(path);
    QVERIFY(file.load(store)); // missing: defaults stay
    QVERIFY(store == ConfigStore());
    QVERIFY(store.apply("LST10,0912\xe9,1").size() > 0); // not a dial string
    QVERIFY(store.apply("LST10,+98912555,7").isEmpty());
    QVERIFY(file.save(store));

    ConfigStore reread;
    QVERIFY(ConfigFile(path).load(reread));
    QVERIFY(reread == store);

    // A damaged file: good lines still load, bad ones are listed, nothing is lost.
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("# comment\r\nFXO0,,3,4,11,10,40,1,2,98,0,2,31\r\nFXO0,,3,4\nGARBAGE\x01\nPRF09,77,2\n");
    damaged.close();
    ConfigStore partial;
    ConfigFile reader(path);
    QVERIFY(reader.load(partial));
    QCOMPARE(reader.problems().size(), 2);
    QVERIFY(reader.problems().at(0).startsWith("line 3"));
    QCOMPARE(partial.fields("FXO").last(), QByteArray("31"));
    QCOMPARE(partial.fields("PRF", 9).join(','), QByteArray("09,77,2"));
    QVERIFY(reader.keepOriginal());
    QVERIFY(reader.save(partial));
    QFile original(path + QStringLiteral(".orig"));
    QVERIFY(original.open(QIODevice::ReadOnly));
    QVERIFY(original.readAll().contains("GARBAGE"));

    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkdir(path)); // a folder where the file should be
    ConfigStore unused;
    QVERIFY(!ConfigFile(path).load(unused) || !ConfigFile(path).save(unused));
}

void tst_GwSim::tcpLogOnWriteAndClose()
{
    TestDir dir;
    const QString config = dir.filePath(QStringLiteral("gw.cfg"));
    Simulator simulator(
        {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--config"), config});
    const quint16 port = simulator.listeningPort();
    QVERIFY(port != 0);
    QVERIFY(QFile::exists(config)); // created with the defaults at start

    auto socket = connectTo(port);
    QVERIFY(socket);
    LineReader reader(*socket, "\r");
    send(*socket, "FXO0,,3,4,11,10,40,1,2,98,0,2,31");
    QCOMPARE(reader.take(1), QList<QByteArray> {"ERR"}); // not logged on yet
    send(*socket, "CPW5823");
    verifyLogOnAnswer(reader.take(kLogOnLines + 1));
    send(*socket, "FXO0,,3,4,11,10,40,1,2,98,0,2,31");
    send(*socket, "FXO0,,3,4,11,10,40,1,2,98,0,2");
    QCOMPARE(reader.take(2), (QList<QByteArray> {"OK", "ERR"}));
    QFile file(config);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("\nFXO0,,3,4,11,10,40,1,2,98,0,2,31\n"));

    // While one console is served, a second one is turned away.
    auto second = connectTo(port);
    QVERIFY(!second || waitForClose(*second));

    send(*socket, "SRV:CLOSE");
    QVERIFY(waitForClose(*socket));
    QVERIFY(reader.rest().isEmpty());

    // Accepting again, with the stored change reported and a fresh log-on state.
    socket = connectTo(port);
    QVERIFY(socket);
    LineReader again(*socket, "\r");
    send(*socket, "PRF01,1,1");
    send(*socket, "CPW5823");
    const QList<QByteArray> lines = again.take(kLogOnLines + 2);
    QCOMPARE(lines.first(), QByteArray("ERR"));
    QCOMPARE(lines.at(2), QByteArray("FXO0,,3,4,11,10,40,1,2,98,0,2,31"));
    QVERIFY(simulator.stop());
}

void tst_GwSim::tcpFaults_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("lineEnd");
    QTest::addColumn<int>("linesBeforeDrop"); // -1: no drop expected

    QTest::newRow("CR LF") << QStringList {QStringLiteral("--crlf")} << QByteArray("\r\n") << -1;
    QTest::newRow("CR NUL") << QStringList {QStringLiteral("--crnul")} << QByteArray("\r\0", 2) << -1;
    QTest::newRow("delayed, order kept") << QStringList {QStringLiteral("--delay-ms"), QStringLiteral("150")}
                                         << QByteArray("\r") << -1;
    QTest::newRow("drop after 40 lines") << QStringList {QStringLiteral("--drop-after"), QStringLiteral("40")}
                                         << QByteArray("\r") << 40;
    // Mute answers nothing, yet carries the restart out.
    QTest::newRow("mute") << QStringList {QStringLiteral("--mute")} << QByteArray("\r") << 0;
}

void tst_GwSim::tcpFaults()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, lineEnd);
    QFETCH(int, linesBeforeDrop);

    Simulator simulator(QStringList {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")} + options);
    const quint16 port = simulator.listeningPort();
    QVERIFY(port != 0);
    auto socket = connectTo(port);
    QVERIFY(socket);
    LineReader reader(*socket, lineEnd);
    // Sent together: the answers must come in the order of the commands, and
    // nothing after the restart may be carried out.
    socket->write("XYZ\rCPW5823\rRBT\rPRF01,9,9\r");
    if (linesBeforeDrop >= 0) {
        const QList<QByteArray> lines = reader.take(linesBeforeDrop + 1);
        QCOMPARE(lines.size(), linesBeforeDrop);
        if (linesBeforeDrop > 0)
            QCOMPARE(lines.first(), QByteArray("ERR"));
        QVERIFY(waitForClose(*socket));
        return;
    }
    const QList<QByteArray> lines = reader.take(kLogOnLines + 3);
    QCOMPARE(lines.first(), QByteArray("ERR"));
    verifyLogOnAnswer(lines.mid(1, kLogOnLines + 1));
    QCOMPARE(lines.last(), QByteArray("OK"));
    QVERIFY(waitForClose(*socket));
    QVERIFY(reader.rest().isEmpty());

    socket = connectTo(port);
    QVERIFY(socket);
    LineReader again(*socket, lineEnd);
    send(*socket, "CPW5823");
    const QList<QByteArray> after = again.take(kLogOnLines + 1);
    QCOMPARE(after.size(), kLogOnLines + 1);
    QCOMPARE(after.at(7), QByteArray("PRF01,0912,1"));
}

void tst_GwSim::tcpRestartAcceptsAgain()
{
    Simulator simulator(
        {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--flood"), QStringLiteral("200")});
    const quint16 port = simulator.listeningPort();
    QVERIFY(port != 0);
    for (int round = 0; round < 2; ++round) {
        auto socket = connectTo(port);
        QVERIFY(socket);
        LineReader reader(*socket, "\r");
        send(*socket, "RBT");
        QList<QByteArray> answers;
        for (QByteArray line : reader.take(400)) {
            if (line.startsWith("I_ALR") || line.startsWith("A_CDR") || line.startsWith("C_CDR"))
                continue;
            answers.append(line);
        }
        QCOMPARE(answers, QList<QByteArray> {"OK"});
        QVERIFY(waitForClose(*socket));
    }
    QVERIFY(simulator.stop());
}

void tst_GwSim::tcpAnswersClientThatHalfCloses()
{
    // What "printf 'CPW5823\\r' | nc host port" does: the command, then end of input.
    Simulator simulator({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    const quint16 port = simulator.listeningPort();
    QVERIFY(port != 0);
    auto socket = connectTo(port);
    QVERIFY(socket);
    send(*socket, "CPW5823");
    QVERIFY(socket->waitForBytesWritten(5000) || socket->bytesToWrite() == 0);
    QCOMPARE(::shutdown(int(socket->socketDescriptor()), SHUT_WR), 0);
    LineReader reader(*socket, "\r");
    verifyLogOnAnswer(reader.take(kLogOnLines + 1));
}

void tst_GwSim::connectModeReconnects()
{
    QTcpServer console;
    QVERIFY(console.listen(QHostAddress::LocalHost, 0));
    Simulator simulator({QStringLiteral("--connect"), QStringLiteral("127.0.0.1:%1").arg(console.serverPort()),
        QStringLiteral("--retry-ms"), QStringLiteral("50")});
    for (int round = 0; round < 2; ++round) {
        QVERIFY(console.waitForNewConnection(int(std::chrono::milliseconds(kWait).count())));
        std::unique_ptr<QTcpSocket> gateway(console.nextPendingConnection());
        QVERIFY(gateway);
        LineReader reader(*gateway, "\r");
        send(*gateway, "CPW5823");
        verifyLogOnAnswer(reader.take(kLogOnLines + 1));
        gateway->disconnectFromHost(); // the console drops the gateway; it comes back
    }
    QVERIFY(simulator.stop());
}

void tst_GwSim::serialOverPseudoTerminal()
{
    TestDir dir;
    PseudoTerminalPair pair(dir.path());
    QVERIFY2(pair.start(), qPrintable(pair.errorText()));
    const QString gatewayEnd = pair.first();
    const QString consoleEnd = pair.second();

    Simulator simulator({QStringLiteral("--serial"), gatewayEnd, QStringLiteral("--baud"), QStringLiteral("9600"),
        QStringLiteral("--crnul")});
    QVERIFY(!simulator.waitForStatus(QStringLiteral("serial device (.*) open")).isEmpty());
    QSerialPort port(consoleEnd);
    QVERIFY(port.open(QIODevice::ReadWrite));
    LineReader reader(port, QByteArray("\r\0", 2));
    send(port, "XYZ");
    send(port, "CPW5823");
    QList<QByteArray> lines = reader.take(kLogOnLines + 2);
    QCOMPARE(lines.takeFirst(), QByteArray("ERR"));
    verifyLogOnAnswer(lines);
    QVERIFY(simulator.stop());
    port.close();
    QVERIFY(pair.stop());
}

QTEST_GUILESS_MAIN(tst_GwSim)
#include "tst_gwsim.moc"
