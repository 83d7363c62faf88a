#include "pseudoterminalpair.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <chrono>

namespace {

constexpr std::chrono::milliseconds kDevicesWait {5000};
constexpr std::chrono::milliseconds kEndWait {3000};

} // namespace

PseudoTerminalPair::PseudoTerminalPair(const QString &folder)
    : m_folder(folder)
    , m_first(QDir(folder).filePath(QStringLiteral("a")))
    , m_second(QDir(folder).filePath(QStringLiteral("b")))
{ }

PseudoTerminalPair::~PseudoTerminalPair()
{
    stop();
}

bool PseudoTerminalPair::start()
{
    m_socat.setStandardErrorFile(QDir(m_folder).filePath(QStringLiteral("socat.log")));
    m_socat.start(QStringLiteral("socat"),
        {QStringLiteral("-d"), QStringLiteral("-d"), QStringLiteral("pty,raw,echo=0,link=") + m_first,
            QStringLiteral("pty,raw,echo=0,link=") + m_second});
    if (!m_socat.waitForStarted()) {
        m_errorText = QStringLiteral("socat is missing (scripts/setup installs it): ") + m_socat.errorString();
        return false;
    }
    const bool devices = QTest::qWaitFor(
        [this] { return QFileInfo::exists(m_first) && QFileInfo::exists(m_second); }, int(kDevicesWait.count()));
    if (!devices)
        m_errorText = QStringLiteral("socat made no pseudo-terminal pair; see socat.log in ") + m_folder;
    return devices;
}

bool PseudoTerminalPair::stop()
{
    if (m_socat.state() == QProcess::NotRunning)
        return true;
    m_socat.terminate();
    if (m_socat.waitForFinished(int(kEndWait.count())))
        return true;
    m_socat.kill();
    return m_socat.waitForFinished(int(kEndWait.count()));
}
