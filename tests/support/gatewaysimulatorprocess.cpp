#include "gatewaysimulatorprocess.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

GatewaySimulatorProcess::GatewaySimulatorProcess(const QString &configFile)
    : m_configFile(configFile)
{ }

GatewaySimulatorProcess::~GatewaySimulatorProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

bool GatewaySimulatorProcess::start(const QStringList &arguments)
{
    m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/varlisk-gwsim"),
        QStringList {QStringLiteral("--config"), m_configFile} + arguments);
    return m_process.waitForStarted();
}

quint16 GatewaySimulatorProcess::listenPort(int waitMs)
{
    // Port 0 lets the system choose; the simulator says which port it got.
    static const QRegularExpression listening(QStringLiteral("listening on [^\\s:]+:(\\d+)"));
    QRegularExpressionMatch match;
    (void)QTest::qWaitFor(
        [&] {
            m_status += m_process.readAllStandardError();
            return (match = listening.match(QString::fromLatin1(m_status))).hasMatch();
        },
        waitMs);
    return match.hasMatch() ? match.captured(1).toUShort() : 0;
}

bool GatewaySimulatorProcess::waitForStatus(const QString &text, int waitMs)
{
    return QTest::qWaitFor(
        [&] {
            m_status += m_process.readAllStandardError();
            return QString::fromLatin1(m_status).contains(text);
        },
        waitMs);
}

QStringList GatewaySimulatorProcess::configLines() const
{
    QFile file(m_configFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

ConnectionChoice tcpClientChoice(quint16 port)
{
    ConnectionChoice choice;
    choice.g_Mode = QStringLiteral("NET");
    choice.g_ip = QStringLiteral("127.0.0.1");
    choice.g_port = QString::number(port);
    choice.g_Pass = QStringLiteral("5823");
    choice.g_Login = QStringLiteral("0");
    choice.g_Server = QStringLiteral("0");
    choice.g_UnitID = QStringLiteral("1");
    choice.g_receiving_mode = 0;
    return choice;
}
