// The link against the gateway simulator: log on and receive the configuration.

#include "cspoolingtestkit.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_CSpoolingGwsim : public QObject
{
    Q_OBJECT

private slots:
    void logOnReceivesConfigurationThenOK();
};

void tst_CSpoolingGwsim::logOnReceivesConfigurationThenOK()
{
    const QString program = QCoreApplication::applicationDirPath() + u"/varlisk-gwsim"_s;
    QProcess simulator;
    simulator.start(program, {u"--listen"_s, u"127.0.0.1:0"_s});
    QVERIFY2(simulator.waitForStarted(), qPrintable(program));

    // Port 0 lets the system choose; the simulator says which port it got.
    QByteArray status;
    const QRegularExpression listening(u"listening on [^\\s:]+:(\\d+)"_s);
    QRegularExpressionMatch match;
    QTRY_VERIFY_WITH_TIMEOUT((status += simulator.readAllStandardError(),
                                 match = listening.match(QString::fromLatin1(status)), match.hasMatch()),
        10000);

    RecordingServices services;
    CSpooling link(services.services());
    services.watch(link);
    link.InitNET(u"127.0.0.1"_s, match.captured(1));
    link.FillBuffer();
    QTRY_COMPARE(services.count(u"spl:1"_s), 1);

    link.SendCommand(u"CPW5823"_s);
    QTRY_COMPARE_WITH_TIMEOUT(services.count(u"WriteResult:1"_s), 1, 10000);

    QCOMPARE(services.receivedLines.size(), 104);
    QCOMPARE(services.receivedLines.last(), u"OK"_s);
    // Every line before the "OK" is a version or a record that was recognised.
    QCOMPARE(services.records.size() + services.versions.size(), 103);
    QCOMPARE(services.count(u"WriteResult:0"_s), 0);

    link.Disconnect();
    simulator.terminate();
    if (!simulator.waitForFinished(3000))
        simulator.kill();
}

QTEST_GUILESS_MAIN(tst_CSpoolingGwsim)
#include "tst_cspooling_gwsim.moc"
