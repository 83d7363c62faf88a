// A gateway flooding the console: lines pour in over a real loopback socket into
// the link, through its line framing and reply analysis, into the monitor page
// (filter on, "Max lines" 2000, a real widget on the offscreen platform).
// Reports lines per second and the longest stall of the event loop, seen as the
// largest gap between the ticks of a 10 ms timer.
//
//   bench_monitorflood [lines] [--no-monitor]     (default 1,000,000 lines)
//
// --no-monitor leaves the monitor out of the link's services, which shows what
// the link's framing and analysis cost on their own.

#include <autocombo.h>
#include <cspooling.h>
#include <messageboxservice.h>
#include <monitorpage.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

// Answers every question with its preselected button; the bench asks none.
class SilentMessages final : public MessageBoxService
{
public:
    QMessageBox::StandardButton show(QWidget *, const MessageRequest &request) override
    {
        return request.defaultButton == QMessageBox::NoButton ? QMessageBox::Ok : request.defaultButton;
    }
};

// A mix of what a busy gateway reports: alarms and call records the filter
// hides, and status lines and answers it shows.
QByteArray lineBlock(int copies)
{
    const char *lines[] = {
        "I_ALR03,25,1,0,17:03:11\r",
        "A_CDR,2,0412345678,00:01:13,OK\r",
        "GSM1,-67,2,1,0,1,23410,Mobile Net\r",
        "C_CDR,1,0298765432,00:00:09,BUSY\r",
        "I_ALR07,12,0,1,17:03:12\r",
        "OK\r",
        "NET1,23410,Mobile Net,-71,3\r",
        "FXS2,1,0,0,3,1\r",
    };
    QByteArray block;
    for (int i = 0; i < copies; ++i) {
        for (const char *line : lines)
            block += line;
    }
    return block;
}

constexpr int kLinesPerBlockCopy = 8;

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    long requested = 1000000;
    bool withMonitor = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-monitor") == 0)
            withMonitor = false;
        else
            requested = std::atol(argv[i]);
    }
    const QByteArray block = lineBlock(512);
    const long blocks = std::max(1L, requested / (512 * kLinesPerBlockCopy));
    const long lineTotal = blocks * 512 * kLinesPerBlockCopy;
    const qint64 byteTotal = qint64(blocks) * block.size();

    // The gateway: a plain blocking socket in its own thread, writing as fast as
    // the console takes it.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(listener, 1) != 0
        || ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        std::fprintf(stderr, "cannot listen on loopback\n");
        return 1;
    }
    const quint16 port = ntohs(address.sin_port);
    std::atomic<bool> sent {false};
    std::thread gateway([&] {
        const int peer = ::accept(listener, nullptr, nullptr);
        for (long i = 0; i < blocks && peer >= 0; ++i) {
            qsizetype done = 0;
            while (done < block.size()) {
                const ssize_t n = ::write(peer, block.constData() + done, size_t(block.size() - done));
                if (n <= 0)
                    break;
                done += n;
            }
        }
        sent = true;
        if (peer >= 0)
            ::close(peer);
    });

    QTemporaryDir folder;
    SilentMessages messages;
    CSpooling link;
    MonitorPage page(&link, messages, folder.path());
    CSpooling::Services services;
    if (withMonitor)
        services.monitor = &page;
    services.relay = page.relay();
    link.setServices(services);
    page.resize(1000, 700);
    page.show();

    page.findChild<AutoCombo *>(QStringLiteral("txtDBGFilter"))
        ->textBox()
        ->setText(QStringLiteral("I_ALR*,25*|A_CDR*|C_CDR*"));
    page.cmdDBGFilter_Click();

    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(
        &ticker, &QTimer::timeout, &page, [&] { longestGapMs = std::max(longestGapMs, sinceTick.restart()); });

    QElapsedTimer clock;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, &page, [&] {
        if (link.receivedByteCount() >= byteTotal && !page.hasPendingPieces())
            app.quit();
    });

    QObject::connect(&link, &CSpooling::onSplAction, &page, [&](qint32 code) {
        if (code == CSpooling::splConnected) {
            clock.start();
            sinceTick.start();
            ticker.start();
            watch.start();
        }
    });
    link.InitNET(QStringLiteral("127.0.0.1"), QString::number(port));
    link.FillBuffer();
    app.exec();

    const double seconds = clock.nsecsElapsed() / 1e9;
    gateway.join();
    ::close(listener);
    std::printf("monitor: %s\n", withMonitor ? "on (filter, Max lines 2000)" : "left out");
    std::printf("lines: %ld (%lld bytes) in %.3f s\n", lineTotal, static_cast<long long>(byteTotal), seconds);
    std::printf("lines per second: %.0f\n", lineTotal / seconds);
    std::printf("longest event loop stall: %lld ms (10 ms timer)\n", static_cast<long long>(longestGapMs));
    std::printf("lines counted by the monitor at the end: %lld\n", static_cast<long long>(page.log().lineCount()));
    return 0;
}
