// The console's work against the gateway simulator over loopback, through the
// real main window on the offscreen platform: the log-on read and a save of the
// number list, and the resident memory after the log-on.
//
//   bench_session [reads] [saves]       (default 9 reads, 3 saves)
//
// Prints "logon_ms <median>" (from "CPW" sent by "Refresh" to the link's
// WriteResult for the "OK" that follows the configuration lines, all of them
// applied by then), "rss_kb <kb>" after the log-on reads, and "save_ms <median>"
// with "save_entries <n>" (from "Save Data" on the number list page to the write
// queue's writeEnded). The simulator, varlisk-gwsim beside this program, answers
// at once.

#include "startupprobe.h"

#include <cspooling.h>
#include <frmconnectionselect.h>
#include <frmprigroups.h>
#include <messageboxservice.h>
#include <ucprogress.h>
#include <uctoolbar.h>
#include <writequeue.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 15000;

// Answers every question with its preselected button and counts the questions:
// a sound run asks none.
class SilentMessages final : public MessageBoxService
{
public:
    QMessageBox::StandardButton show(QWidget *, const MessageRequest &request) override
    {
        ++asked;
        std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        return request.defaultButton == QMessageBox::NoButton ? QMessageBox::Ok : request.defaultButton;
    }
    int asked = 0;
};

// Runs the event loop until done() holds or timeoutMs has passed.
bool waitFor(const std::function<bool()> &done, int timeoutMs = kWaitMs)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.hasExpired(timeoutMs))
            loop.quit();
    });
    poll.start();
    if (!done())
        loop.exec();
    return done();
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n == 0 ? -1 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

quint16 startSimulator(QProcess &simulator)
{
    // No configuration file: a simulator that saved its file after every accepted
    // record would add its own disk flushes to each entry of the save.
    simulator.start(QCoreApplication::applicationDirPath() + u"/varlisk-gwsim"_s, {u"--listen"_s, u"127.0.0.1:0"_s});
    if (!simulator.waitForStarted())
        return 0;
    // Port 0 lets the system choose; the simulator says which port it got.
    QByteArray status;
    const QRegularExpression listening(u"listening on [^\\s:]+:(\\d+)"_s);
    QRegularExpressionMatch match;
    waitFor([&] {
        status += simulator.readAllStandardError();
        return (match = listening.match(QString::fromLatin1(status))).hasMatch();
    });
    return match.hasMatch() ? match.captured(1).toUShort() : 0;
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_session: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int reads = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const int saves = argc > 2 ? std::max(1, atoi(argv[2])) : 3;

    QTemporaryDir dir;
    QProcess simulator;
    const quint16 port = startSimulator(simulator);
    if (!dir.isValid() || port == 0)
        return fail("the simulator did not start");

    SilentMessages messages;
    FrmPRIGroups::Options options;
    options.settingsFolder = dir.path();
    options.messages = &messages;
    options.chooseConnection = [port] {
        ConnectionChoice choice;
        choice.g_Mode = u"NET"_s;
        choice.g_ip = u"127.0.0.1"_s;
        choice.g_port = QString::number(port);
        choice.g_Pass = u"5823"_s;
        choice.g_Login = u"0"_s;
        choice.g_Server = u"0"_s;
        choice.g_UnitID = u"1"_s;
        return choice;
    };
    auto window = std::make_unique<FrmPRIGroups>(options);
    window->startUp();
    WriteQueue *queue = window->writeQueue();
    auto *version = window->findChild<QLabel *>(u"lblESN"_s);
    auto *dialPause = window->findChild<QLineEdit *>(u"txtFXO_DLP"_s);
    auto *refresh = window->findChild<QPushButton *>(u"cmdRefresh"_s);
    auto *save = window->findChild<QPushButton *>(u"cmdSAVE"_s);
    if (!version || !dialPause || !refresh || !save)
        return fail("a control of the main window is missing");

    // The first log-on connects and reads everything through the write queue.
    window->toolBar()->button(u"connect"_s)->trigger();
    if (!waitFor([&] { return !version->text().isEmpty() && !dialPause->text().isEmpty() && !queue->isWriting(); }))
        return fail("the first log-on did not finish");

    // Every further log-on read is "Refresh": "CPW" and the password at once.
    QList<double> readMs;
    for (int run = 0; run < reads; ++run) {
        dialPause->clear();
        QElapsedTimer clock;
        double elapsed = -1;
        bool isOK = false;
        QEventLoop loop;
        QObject::connect(window->objSpool, &CSpooling::WriteResult, &loop, [&](bool ok) {
            elapsed = double(clock.nsecsElapsed()) / 1e6;
            isOK = ok;
            loop.quit();
        });
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        clock.start();
        refresh->click();
        loop.exec();
        if (elapsed < 0 || !isOK || dialPause->text().isEmpty())
            return fail("a log-on read did not finish with every record applied");
        readMs << elapsed;
    }
    std::printf("logon_ms %.2f\nrss_kb %ld\n", median(readMs), StartupProbe::residentKb());
    std::fflush(stdout);

    // "Save Data" on the number list page, its whole table one entry a row.
    window->toolBar()->button(u"groups"_s)->trigger();
    QList<double> saveMs;
    int entries = 0;
    for (int run = 0; run < saves; ++run) {
        QElapsedTimer clock;
        double elapsed = -1;
        WriteQueue::Outcome outcome = WriteQueue::Outcome::GivenUp;
        QEventLoop loop;
        QObject::connect(queue, &WriteQueue::writeEnded, &loop, [&](WriteQueue::Outcome result) {
            elapsed = double(clock.nsecsElapsed()) / 1e6;
            outcome = result;
            loop.quit();
        });
        QTimer::singleShot(kWaitMs * 4, &loop, &QEventLoop::quit);
        clock.start();
        save->click();
        entries = queue->g_QueueCount;
        if (!queue->isWriting())
            return fail("Save Data started no write");
        loop.exec();
        if (elapsed < 0 || outcome != WriteQueue::Outcome::Complete)
            return fail("the number list save did not complete");
        saveMs << elapsed;
    }
    std::printf("save_ms %.2f\nsave_entries %d\nquestions %d\n", median(saveMs), entries, messages.asked);
    std::fflush(stdout);

    window.reset();
    simulator.terminate();
    if (!simulator.waitForFinished(3000))
        simulator.kill();
    return 0;
}
