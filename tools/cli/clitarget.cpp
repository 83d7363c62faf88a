#include "clitarget.h"

#include <protocol.h>

#include <QRegularExpression>

#include <algorithm>
#include <iterator>

namespace {

constexpr int kDefaultBaud = 115200;
// The console's rate list; a serial target takes one of these.
constexpr int kRates[] = {19200, 38400, 57600, 115200};

std::optional<quint16> portValue(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<quint16>(value);
}

} // namespace

std::optional<CliTarget> CliTarget::parse(const QString &text, QString *error)
{
    const auto fail = [&](const QString &reason) -> std::optional<CliTarget> {
        if (error)
            *error = QStringLiteral("%1: %2").arg(text, reason);
        return std::nullopt;
    };
    CliTarget target;
    target.text = text;
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString scheme = text.left(colon);
    const QString rest = colon < 0 ? QString() : text.mid(colon + 1);

    if (scheme == QLatin1String("tcp")) {
        target.kind = Kind::Tcp;
        target.port = Protocol::kDefaultPort;
        // A bracketed IPv6 address keeps its colons.
        static const QRegularExpression form(QStringLiteral(R"(^(\[[^\]]+\]|[^:]+)(?::([^:]*))?$)"));
        const QRegularExpressionMatch match = form.match(rest);
        if (!match.hasMatch())
            return fail(QStringLiteral("expected tcp:HOST[:PORT]"));
        target.host = match.captured(1);
        if (target.host.startsWith(QLatin1Char('[')))
            target.host = target.host.mid(1, target.host.size() - 2);
        if (match.hasCaptured(2)) {
            const std::optional<quint16> port = portValue(match.captured(2));
            if (!port)
                return fail(QStringLiteral("the port must be a number from 1 to 65535"));
            target.port = *port;
        }
        return target;
    }
    if (scheme == QLatin1String("listen")) {
        target.kind = Kind::Listen;
        const std::optional<quint16> port = portValue(rest);
        if (!port)
            return fail(QStringLiteral("expected listen:PORT, a number from 1 to 65535"));
        target.port = *port;
        return target;
    }
    if (scheme == QLatin1String("serial")) {
        target.kind = Kind::Serial;
        target.baud = kDefaultBaud;
        QString device = rest;
        // A trailing ":BAUD" when the part after the last colon is a number.
        const qsizetype last = rest.lastIndexOf(QLatin1Char(':'));
        if (last > 0) {
            bool ok = false;
            const int baud = rest.mid(last + 1).toInt(&ok);
            if (ok) {
                if (std::find(std::begin(kRates), std::end(kRates), baud) == std::end(kRates))
                    return fail(QStringLiteral("the rate must be 19200, 38400, 57600 or 115200"));
                target.baud = baud;
                device = rest.left(last);
            }
        }
        static const QRegularExpression comPort(
            QStringLiteral(R"(^COM\s*(\d+)$)"), QRegularExpression::CaseInsensitiveOption);
        if (const QRegularExpressionMatch match = comPort.match(device); match.hasMatch()) {
            target.portNumber = match.captured(1).toInt();
            if (target.portNumber < 1 || target.portNumber > 255)
                return fail(QStringLiteral("the port number must be from 1 to 255"));
        } else if (device.isEmpty()) {
            return fail(QStringLiteral("expected serial:DEVICE[:BAUD]"));
        } else {
            target.device = device;
        }
        return target;
    }
    return fail(QStringLiteral("a target starts with tcp:, serial: or listen:"));
}

ConnectionChoice CliTarget::choice(const QString &password) const
{
    ConnectionChoice choice;
    choice.g_Pass = password;
    choice.g_Login = QStringLiteral("0");
    choice.g_Server = QStringLiteral("0");
    choice.g_UnitID = QStringLiteral("1");
    switch (kind) {
    case Kind::Tcp:
        choice.g_Mode = Protocol::kModeNet;
        choice.g_ip = host;
        choice.g_port = QString::number(port);
        break;
    case Kind::Listen:
        choice.g_Mode = Protocol::kModeNet;
        choice.g_port = QString::number(port);
        choice.g_Server = QStringLiteral("1");
        break;
    case Kind::Serial: {
        choice.g_Mode = Protocol::kModeSerial;
        choice.g_com = static_cast<qint16>(device.isEmpty() ? portNumber : kDevicePort);
        choice.g_Rate = QString::number(baud);
        const int index = static_cast<int>(std::find(std::begin(kRates), std::end(kRates), baud) - std::begin(kRates));
        choice.g_Rate_index = QString::number(index);
        break;
    }
    }
    return choice;
}
