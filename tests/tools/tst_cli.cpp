// varlisk-cli as a script runs it, against the gateway simulator over loopback
// and a serial pair: a read writes the gateway's configuration file and leaves
// an unchanged one untouched, diff prints a line per difference and says by its
// status whether there were any, a write answers refused records by its policy,
// many gateways run at once and the failing ones do not stop the others; each
// failure gives its exit status and says why on standard error.

#include <gatewaysimulatorprocess.h>
#include <pseudoterminalpair.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// The record lines of a configuration file, without its comments.
QByteArrayList records(const QByteArray &text)
{
    QByteArrayList lines;
    for (const QByteArray &line : text.split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            lines.append(line);
    }
    return lines;
}

QByteArray golden()
{
    return contents(QFINDTESTDATA("../session/golden.gwcfg"));
}

// The gateways of a --json summary by name.
QHash<QString, QJsonObject> gatewaysOf(const QString &summary)
{
    QHash<QString, QJsonObject> gateways;
    const QJsonArray list = QJsonDocument::fromJson(summary.toUtf8()).object().value(u"gateways"_s).toArray();
    for (const QJsonValue &gateway : list)
        gateways.insert(gateway[u"name"_s].toString(), gateway.toObject());
    return gateways;
}

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void readKeepsAnUnchangedFile();
    void failuresHaveTheirStatus_data();
    void failuresHaveTheirStatus();
    void overASerialPair();
    void gatewayConnectingIn();
    void writeAnswersRefusalsByPolicy_data();
    void writeAnswersRefusalsByPolicy();
    void manyGatewaysAtOnce();

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
    QTest::newRow("nobody listening") << QStringList {u"read"_s, u"closed"_s, output, u"x.gwcfg"_s} << u"5823"_s << 3
                                      << u"can't connect to the gateway"_s;
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

void tst_Cli::overASerialPair()
{
    PseudoTerminalPair pair(m_dir.path());
    QVERIFY2(pair.start(), qPrintable(pair.errorText()));
    GatewaySimulatorProcess simulator(m_dir.filePath(u"serial.txt"_s));
    QVERIFY(simulator.start({u"--serial"_s, pair.second(), u"--baud"_s, u"57600"_s}));
    QVERIFY(simulator.waitForStatus(u"open at 57600 baud"_s, kWaitMs));

    const QString target = u"serial:%1:57600"_s.arg(pair.first());
    const QString output = m_dir.filePath(u"serial.gwcfg"_s);
    const Run run = runCli({u"read"_s, target, u"-o"_s, output});
    QVERIFY2(run.status == 0, qPrintable(run.errors));
    QCOMPARE(records(contents(output)), records(golden()));

    // A changed file written over the same line, and the gateway then holds it.
    QFile changed(m_dir.filePath(u"serial-changed.gwcfg"_s));
    QVERIFY(changed.open(QIODevice::WriteOnly));
    changed.write(contents(output).replace("FXO0,,3,4,11,10,40,", "FXO0,,3,4,11,12,40,"));
    changed.close();
    QCOMPARE(runCli({u"diff"_s, changed.fileName(), target}).status, 1);
    const Run write = runCli({u"write"_s, changed.fileName(), target, u"--pages"_s, u"fxo"_s});
    QVERIFY2(write.status == 0, qPrintable(write.errors));
    QCOMPARE(runCli({u"diff"_s, changed.fileName(), target}).status, 0);
}

void tst_Cli::gatewayConnectingIn()
{
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        port = probe.serverPort();
    }
    // The gateway keeps trying until the program listens.
    GatewaySimulatorProcess simulator(m_dir.filePath(u"calling.txt"_s));
    QVERIFY(simulator.start({u"--connect"_s, u"127.0.0.1:%1"_s.arg(port), u"--retry-ms"_s, u"100"_s}));
    const QString output = m_dir.filePath(u"calling.gwcfg"_s);
    const Run run = runCli({u"read"_s, u"listen:%1"_s.arg(port), u"-o"_s, output});
    QVERIFY2(run.status == 0, qPrintable(run.errors));
    QCOMPARE(records(contents(output)), records(golden()));
}

void tst_Cli::writeAnswersRefusalsByPolicy_data()
{
    // The simulator turns every third "OK" into "ERR": the log-on and the FXO
    // record pass, the FXS record is refused, and under retry the NET record,
    // the last of the write, is refused too.
    QTest::addColumn<QString>("policy");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("failed");
    QTest::addColumn<bool>("netWritten");

    QTest::newRow("abort") << u"abort"_s << 4 << QStringList {u"FXS Data"_s} << false;
    QTest::newRow("skip") << u"skip"_s << 4 << QStringList {u"FXS Data"_s} << true;
    QTest::newRow("retry") << u"retry=1"_s << 0 << QStringList() << true;
}

void tst_Cli::writeAnswersRefusalsByPolicy()
{
    QFETCH(QString, policy);
    QFETCH(int, status);
    QFETCH(QStringList, failed);
    QFETCH(bool, netWritten);

    const QByteArray changedFxo = "FXO0,,3,4,11,12,40,1,2,98,0,2,30";
    const QByteArray changedNet = "NET64,36,600,43211,43211,43211,06:00,43235,12:00,43211,18:00,43235,00:00";
    const QString file = m_dir.filePath(u"rollout.gwcfg"_s);
    QFile rollout(file);
    QVERIFY(rollout.open(QIODevice::WriteOnly | QIODevice::Truncate));
    rollout.write(golden().replace("FXO0,,3,4,11,10,40,", "FXO0,,3,4,11,12,40,").replace("NET64,35,", "NET64,36,"));
    rollout.close();

    const QString config = m_dir.filePath(u"refusing-%1.txt"_s.arg(QTest::currentDataTag()));
    GatewaySimulatorProcess simulator(config);
    QVERIFY(simulator.start({u"--listen"_s, u"127.0.0.1:0"_s, u"--err-every"_s, u"3"_s}));
    const quint16 port = simulator.listenPort(kWaitMs);
    QVERIFY(port != 0);
    const QString target = u"tcp:127.0.0.1:%1"_s.arg(port);

    const Run run
        = runCli({u"write"_s, file, target, u"--pages"_s, u"gsm,fxo,fxs"_s, u"--on-error"_s, policy, u"--json"_s});
    QCOMPARE(run.status, status);
    const QJsonObject gateway = gatewaysOf(run.output).value(target);
    QCOMPARE(gateway[u"status"_s].toInt(), status);
    QCOMPARE(gateway[u"failedRecords"_s].toVariant().toStringList(), failed);
    const QStringList lines = simulator.configLines();
    QVERIFY(lines.contains(QString::fromLatin1(changedFxo)));
    QCOMPARE(lines.contains(QString::fromLatin1(changedNet)), netWritten);
}

void tst_Cli::manyGatewaysAtOnce()
{
    // Three gateways answer (one with a password file of its own), one refuses
    // the password, one never answers, at one nobody listens, and the password
    // file of one is missing.
    std::vector<std::unique_ptr<GatewaySimulatorProcess>> simulators;
    QStringList targets;
    const auto simulate = [&](const QString &name, const QStringList &options) {
        simulators.push_back(std::make_unique<GatewaySimulatorProcess>(m_dir.filePath(name + u".txt"_s)));
        if (!simulators.back()->start(QStringList {u"--listen"_s, u"127.0.0.1:0"_s} + options))
            return u"tcp:127.0.0.1:0"_s;
        return u"tcp:127.0.0.1:%1"_s.arg(simulators.back()->listenPort(kWaitMs));
    };
    QFile own(m_dir.filePath(u"own-password"_s));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.write("4711\n");
    own.close();
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    QFile list(m_dir.filePath(u"site.list"_s));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write(u"# the site's gateways\n"
               "north %1\n"
               "refuses %2\n"
               "east\t%3  own-password\n"
               "\n"
               "muted %4\n"
               "nobody tcp:127.0.0.1:%5\n"
               "lost tcp:127.0.0.1:%5 no-such-password\n"
               "south %6\n"_s
                   .arg(simulate(u"north"_s, {}), simulate(u"refuses"_s, {u"--password"_s, u"1111"_s}),
                       simulate(u"east"_s, {u"--password"_s, u"4711"_s}), simulate(u"muted"_s, {u"--mute"_s}))
                   .arg(closedPort)
                   .arg(simulate(u"south"_s, {}))
                   .toLatin1());
    list.close();

    const QString backup = m_dir.filePath(u"backup"_s);
    const QStringList read {u"read"_s, u"--targets"_s, list.fileName(), u"-o"_s, backup, u"--jobs"_s, u"3"_s,
        u"--timeout"_s, u"3"_s, u"--json"_s};
    const Run first = runCli(read);
    QCOMPARE(first.status, 3);
    QVERIFY2(first.errors.contains(u"4 of 7 gateways failed: refuses, muted, nobody, lost"_s), qPrintable(first.errors));
    QHash<QString, QJsonObject> gateways = gatewaysOf(first.output);
    QCOMPARE(gateways.size(), 7);
    QCOMPARE(gateways[u"muted"_s][u"error"_s].toString(), u"no answer within 3 s"_s);
    QCOMPARE(gateways[u"refuses"_s][u"status"_s].toInt(), 3);
    QCOMPARE(gateways[u"nobody"_s][u"status"_s].toInt(), 3);
    QCOMPARE(gateways[u"lost"_s][u"status"_s].toInt(), 2);
    QVERIFY(gateways[u"lost"_s][u"error"_s].toString().contains(u"no-such-password"_s));
    QDateTime written;
    for (const QString &name : {u"north"_s, u"east"_s, u"south"_s}) {
        QCOMPARE(gateways[name][u"result"_s].toString(), u"written"_s);
        QCOMPARE(records(contents(backup + u"/%1.gwcfg"_s.arg(name))), records(golden()));
        written = std::max(written, QFileInfo(backup + u"/%1.gwcfg"_s.arg(name)).lastModified());
    }
    QCOMPARE(QDir(backup).entryList(QDir::Files).size(), 3);

    // The next night nothing changed: the files stay as they were.
    QTest::qWait(20);
    const Run second = runCli(read);
    QCOMPARE(second.status, 3);
    gateways = gatewaysOf(second.output);
    for (const QString &name : {u"north"_s, u"east"_s, u"south"_s}) {
        QCOMPARE(gateways[name][u"result"_s].toString(), u"unchanged"_s);
        QVERIFY(QFileInfo(backup + u"/%1.gwcfg"_s.arg(name)).lastModified() <= written);
    }

    // A drift check of the answering gateways against a template.
    QFile template_(m_dir.filePath(u"template.gwcfg"_s));
    QVERIFY(template_.open(QIODevice::WriteOnly));
    template_.write(golden().replace("FXO0,,3,4,11,10,40,", "FXO0,,3,4,11,12,40,"));
    template_.close();
    const Run drift = runCli({u"diff"_s, template_.fileName(), u"--targets"_s, list.fileName(), u"--pages"_s, u"fxo"_s,
        u"--timeout"_s, u"3"_s});
    QCOMPARE(drift.status, 3);
    QStringList lines = drift.output.split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    QCOMPARE(lines,
        QStringList({u"east\tFXO\tDial Pause (1-255 x 0.1 sec)\t12\t10"_s,
            u"north\tFXO\tDial Pause (1-255 x 0.1 sec)\t12\t10"_s,
            u"south\tFXO\tDial Pause (1-255 x 0.1 sec)\t12\t10"_s}));
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"
