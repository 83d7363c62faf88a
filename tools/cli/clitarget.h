#pragma once

#include <connectionchoice.h>

#include <QString>

#include <optional>

// Where a gateway is reached, as a script names it:
//   tcp:HOST[:PORT]        the console connects to the gateway (port 4001 by default)
//   serial:DEVICE[:BAUD]   a serial device path, or "COM n" as the console maps it (115200 by default)
//   listen:PORT            the gateway connects in to this port
struct CliTarget
{
    enum class Kind { Tcp, Serial, Listen };

    Kind kind = Kind::Tcp;
    QString host;
    quint16 port = 0;
    // A device path, or empty when the target names a console port number.
    QString device;
    // The console's port number ("COM n"), or 0 for a device path.
    int portNumber = 0;
    int baud = 0;
    // The target as written, for messages and the file's header.
    QString text;

    // Nothing, and the reason in error, when text names no target.
    static std::optional<CliTarget> parse(const QString &text, QString *error);

    // The choice that connects there with password. A device path goes through
    // console port kDevicePort, mapped to it in the job's own settings.
    ConnectionChoice choice(const QString &password) const;
    static constexpr int kDevicePort = 1;
};
