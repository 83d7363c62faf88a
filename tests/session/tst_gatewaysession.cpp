// A gateway session without a window, under QCoreApplication, against the
// gateway simulator run as its own process: the log-on read fills the
// configuration with what the gateway holds, the operator journey saved page by
// page from the configuration leaves the gateway exactly as the window's saves
// do, and a record the gateway refuses is answered by the program's policy.

#include <fieldcodecs.h>
#include <gatewaysession.h>
#include <gatewaysimulatorprocess.h>
#include <operatorjourney.h>
#include <pagerecords.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 15000;
const QString kVersion = u"GW-3200 v3.12 build 0617"_s;

// The questions of a program without a window: scripted answers, then each
// question's preselected button, and every question kept for the test to read.
class ScriptedQuestions final : public IQueueQuestions
{
public:
    QueueQuestion::Button ask(const QueueQuestion &question) override
    {
        asked << question;
        if (!answers.isEmpty())
            return answers.takeFirst();
        return question.defaultButton != QueueQuestion::NoButton ? question.defaultButton : QueueQuestion::Ok;
    }

    QList<QueueQuestion> asked;
    QList<QueueQuestion::Button> answers;
};

// The values a set of record lines decodes into, from the state of fresh pages.
ConfigurationValues decoded(const QStringList &lines)
{
    ConfigurationValues values;
    values.prepareForStartup();
    for (const QString &line : lines) {
        if (const auto fields = FieldCodecs::splitString(line.mid(3), u','))
            values.applyRecord(line.left(3), *fields);
    }
    return values;
}

} // namespace

class tst_GatewaySession : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void operatorJourney();
    void refusedRecordGivenUp();

private:
    void logOn();
    QStringList configLines() const { return m_simulator->configLines(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<GatewaySimulatorProcess> m_simulator;
    ScriptedQuestions m_questions;
    std::unique_ptr<GatewaySession> m_session;
    std::unique_ptr<QSignalSpy> m_writes;
    quint16 m_port = 0;
};

void tst_GatewaySession::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_simulator = std::make_unique<GatewaySimulatorProcess>(m_dir->filePath(u"gw.txt"_s));
    QVERIFY(m_simulator->start({u"--listen"_s, u"127.0.0.1:0"_s}));
    m_port = m_simulator->listenPort(kWaitMs);
    QVERIFY2(m_port != 0, "the simulator did not say which port it listens on");

    m_questions = {};
    GatewaySession::Options options;
    options.settingsFolder = m_dir->path();
    m_session = std::make_unique<GatewaySession>(m_questions, options);
    m_writes = std::make_unique<QSignalSpy>(m_session.get(), &GatewaySession::writeEnded);
}

void tst_GatewaySession::cleanup()
{
    m_writes.reset();
    m_session.reset();
    m_simulator.reset();
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

void tst_GatewaySession::logOn()
{
    QSignalSpy reads(m_session.get(), &GatewaySession::readEnded);
    QVERIFY(m_session->connectWith(tcpClientChoice(m_port)));
    QTRY_COMPARE_WITH_TIMEOUT(m_writes->size(), 1, kWaitMs);
    QCOMPARE(reads.size(), 1);
    QCOMPARE(m_writes->takeFirst().at(0).value<WriteQueue::Outcome>(), WriteQueue::Outcome::Complete);
    QCOMPARE(m_session->version(), kVersion);
    QCOMPARE(m_session->clock().panelText(OperationClock::kPanelConnect), u"Connected        "_s);
}

void tst_GatewaySession::operatorJourney()
{
    QVERIFY(!QCoreApplication::instance()->inherits("QGuiApplication"));
    logOn();
    const ConfigurationValues::Differences read = m_session->configuration().values().differences(decoded(configLines()));
    QVERIFY2(read.isEmpty(), qPrintable(read.controls.join(u' ') + u" cells "_s + QString::number(read.cells.size())));

    Configuration &configuration = m_session->configuration();
    for (const JourneyStep &step : ::operatorJourney()) {
        const QStringList before = configLines();
        for (const JourneyEdit &edit : step.edits) {
            if (edit.position >= 0)
                QVERIFY(configuration.setListPosition(edit.control, edit.position));
            else if (edit.row > 0)
                QVERIFY(configuration.setCell(edit.control, edit.row, edit.col, edit.text));
            else
                configuration.setText(edit.control, edit.text);
        }
        const PageRecords::SaveRecords records = PageRecords::build(step.page, configuration);
        QVERIFY2(records.refusal.isEmpty(), qPrintable(records.refusal));
        QVERIFY(m_session->write(records.entries, u"write"_s, GatewaySession::kPageSaveStep));
        QTRY_COMPARE_WITH_TIMEOUT(m_writes->size(), 1, kWaitMs);
        QCOMPARE(m_writes->takeFirst().at(0).value<WriteQueue::Outcome>(), WriteQueue::Outcome::Complete);
        QCOMPARE(configLines(), linesAfter(before, step));
    }
    QVERIFY(m_questions.asked.isEmpty());
    // Every confirmed record is the gateway's; an edit is not, until written.
    QCOMPARE(m_session->gatewayValues(), configuration.values());
    const ConfigurationValues written = configuration.values();
    configuration.setText(u"txtFXO_DLP"_s, QString());
    QCOMPARE(configuration.values().differences(m_session->gatewayValues()).controls, QStringList {u"txtFXO_DLP"_s});

    // Reading the gateway again gives back what was written.
    m_session->refresh();
    QTRY_COMPARE_WITH_TIMEOUT(configuration.text(u"txtFXO_DLP"_s), u"12"_s, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(configuration.values(), written, kWaitMs);

    m_session->disconnectFromGateway();
    QTRY_VERIFY_WITH_TIMEOUT(!m_session->isConnected(), kWaitMs);
    QVERIFY(!m_session->isActive());
    QCOMPARE(m_session->clock().panelText(OperationClock::kPanelConnect), u"Disconnected"_s);
}

// A record the gateway refuses: the queue asks Retry or Cancel, the policy says
// Cancel, the last entry's notice follows, and the gateway keeps its record.
void tst_GatewaySession::refusedRecordGivenUp()
{
    logOn();
    const QStringList before = configLines();
    m_session->configuration().setText(u"txtFXO_DLP"_s, u"999"_s);
    m_questions.answers = {QueueQuestion::Cancel, QueueQuestion::Ok};
    QVERIFY(m_session->write(
        PageRecords::build(Pages::PageFXO, m_session->configuration()).entries, u"write"_s, GatewaySession::kPageSaveStep));
    QTRY_COMPARE_WITH_TIMEOUT(m_writes->size(), 1, kWaitMs);
    QCOMPARE(m_writes->takeFirst().at(0).value<WriteQueue::Outcome>(), WriteQueue::Outcome::GivenUp);

    QCOMPARE(m_questions.asked.size(), 2);
    QCOMPARE(m_questions.asked.at(0).text, u"Error: can't write : FXO Data\r\nplease check your data."_s);
    QCOMPARE(m_questions.asked.at(0).buttons, QueueQuestion::Retry | QueueQuestion::Cancel);
    QCOMPARE(m_questions.asked.at(1).text, u"Error: can't write data to : \r\nFXO Data"_s);
    QCOMPARE(m_session->clock().panelText(OperationClock::kPanelConnect), u"failed write to gateway"_s);
    QCOMPARE(configLines(), before);
    QVERIFY(m_session->isConnected());
}

QTEST_GUILESS_MAIN(tst_GatewaySession)
#include "tst_gatewaysession.moc"
