// varlisk-cli as a script runs it, against the gateway simulator over loopback:
// a read writes the gateway's configuration file and leaves an unchanged one
// untouched, diff prints a line per difference and says by its status whether
// there were any; each failure gives its exit status and says why on standard
// error.

#include <gatewaysimulatorprocess.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 20000;

struct Run
{
    int status = -1;
    QString errors;
    QString output;
};

Run runCli(const QStringList &arguments, const QString &password = u"5823"_s)
{
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"VARLISK_PASSWORD"_s, password);
    cli.setProcessEnvironment(environment);
    cli.start(QCoreApplication::applicationDirPath() + u"/varlisk-cli"_s, arguments);
    if (!cli.waitForFinished(kWaitMs) || cli.exitStatus() != QProcess::NormalExit)
        return {};
    return {cli.exitCode(), QString::fromLocal8Bit(cli.readAllStandardError()),
        QString::fromLocal8Bit(cli.readAllStandardOutput())};
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void readKeepsAnUnchangedFile();
    void failuresHaveTheirStatus_data();
    void failuresHaveTheirStatus();

private:
    QTemporaryDir m_dir;
};

void tst_Cli::readKeepsAnUnchangedFile()
{
    GatewaySimulatorProcess simulator(m_dir.filePath(u"gw.txt"_s));
    QVERIFY(simulator.start({u"--listen"_s, u"127.0.0.1:0"_s}));
    const quint16 port = simulator.listenPort(kWaitMs);
    QVERIFY(port != 0);
    const QString target = u"tcp:127.0.0.1:%1"_s.arg(port);
    const QString output = m_dir.filePath(u"gw.gwcfg"_s);

    const Run first = runCli({u"read"_s, target, u"-o"_s, output});
    QCOMPARE(first.status, 0);
    // The simulator's own configuration, record for record, under the header.
    QByteArray expected = contents(QFINDTESTDATA("../session/golden.gwcfg"));
    QVERIFY(!expected.isEmpty());
    const QByteArray lines = contents(output);
    QCOMPARE(lines.split('\n').mid(0, 2), expected.split('\n').mid(0, 2));
    QCOMPARE(lines.split('\n').at(2), (u"# read from: "_s + target).toLatin1());
    QCOMPARE(lines.split('\n').mid(3), expected.split('\n').mid(3));
    QCOMPARE(runCli({u"check"_s, output}).status, 0);

    // A second read of the unchanged gateway leaves the file alone.
    const QDateTime written = QFileInfo(output).lastModified();
    QTest::qWait(20);
    const Run second = runCli({u"read"_s, target, u"-o"_s, output});
    QCOMPARE(second.status, 0);
    QCOMPARE(QFileInfo(output).lastModified(), written);
    QCOMPARE(contents(output), lines);

    // diff: the gateway against its own file, then a file with the dial pause changed.
    const Run same = runCli({u"diff"_s, output, target});
    QCOMPARE(same.status, 0);
    QCOMPARE(same.output, QString());
    const QString changed = m_dir.filePath(u"changed.gwcfg"_s);
    QFile file(changed);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(lines).replace("FXO0,,3,4,11,10,40,", "FXO0,,3,4,11,12,40,"));
    file.close();
    const Run differs = runCli({u"diff"_s, changed, output});
    QCOMPARE(differs.status, 1);
    QCOMPARE(differs.output, u"FXO\tDial Pause (1-255 x 0.1 sec)\t12\t10\n"_s);
}

void tst_Cli::failuresHaveTheirStatus_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");

    const QString target = u"tcp:127.0.0.1:%1"_s;
    const QString output = u"-o"_s;
    QTest::newRow("wrong password") << QStringList {u"read"_s, target, output, u"x.gwcfg"_s} << u"1111"_s << 3
                                    << u"Error: can't write : Login"_s;
    QTest::newRow("nobody listening") << QStringList {u"read"_s, u"closed"_s, output, u"x.gwcfg"_s} << u"5823"_s
                                      << 3 << u"can't connect to the gateway"_s;
    QTest::newRow("silent gateway") << QStringList {u"read"_s, u"silent"_s, output, u"x.gwcfg"_s, u"--timeout"_s,
        u"1"_s} << u"5823"_s << 3 << u"no answer within 1 s"_s;
    QTest::newRow("bad target") << QStringList {u"read"_s, u"udp:gw"_s, output, u"x.gwcfg"_s} << u"5823"_s << 2
                                << u"udp:gw: a target starts with tcp:, serial: or listen:"_s;
    QTest::newRow("no output") << QStringList {u"read"_s, target} << u"5823"_s << 2 << u"read needs -o FILE"_s;
    QTest::newRow("faulty file") << QStringList {u"check"_s, u"faulty.gwcfg"_s} << u"5823"_s << 2
                                 << u"faulty.gwcfg: line 2: FXO record has 1 fields, 13 expected"_s;
}

void tst_Cli::failuresHaveTheirStatus()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, password);
    QFETCH(int, status);
    QFETCH(QString, says);

    QVERIFY(QDir::setCurrent(m_dir.path()));
    QFile faulty(u"faulty.gwcfg"_s);
    QVERIFY(faulty.open(QIODevice::WriteOnly | QIODevice::Truncate));
    faulty.write("# a file\nFXO1\n");
    faulty.close();

    GatewaySimulatorProcess simulator(m_dir.filePath(u"gw.txt"_s));
    QVERIFY(simulator.start({u"--listen"_s, u"127.0.0.1:0"_s}));
    const quint16 port = simulator.listenPort(kWaitMs);
    // A listener that accepts and never answers, and a port where nobody listens.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    for (QString &argument : arguments) {
        if (argument == u"silent")
            argument = u"tcp:127.0.0.1:%1"_s.arg(silent.serverPort());
        else if (argument == u"closed")
            argument = u"tcp:127.0.0.1:%1"_s.arg(closedPort);
        else if (argument.contains(u"%1"))
            argument = argument.arg(port);
    }
    const Run run = runCli(arguments, password);
    QCOMPARE(run.status, status);
    QVERIFY2(run.errors.contains(says), qPrintable(run.errors));
    QVERIFY(!QFile::exists(u"x.gwcfg"_s));
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"
