#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>

// What the simulator was asked to do on its command line.
struct SimOptions
{
    enum class Transport { Listen, Connect, Serial };
    enum class LineEnd { Cr, CrLf, CrNul };

    static constexpr quint16 kDefaultPort = 4001;
    static constexpr qint32 kDefaultBaud = 115200;
    static constexpr std::chrono::milliseconds kDefaultRetry {1000};

    Transport transport = Transport::Listen;
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = kDefaultPort;
    QString device;
    qint32 baud = kDefaultBaud;
    QByteArray password = "5823";
    QString configPath;
    LineEnd lineEnd = LineEnd::Cr;
    bool mute = false;
    int errEvery = 0;
    std::chrono::milliseconds delay {0};
    int dropAfter = 0;
    int flood = 0;
    bool log = false;
    std::chrono::milliseconds retry = kDefaultRetry;

    QByteArray lineEndBytes() const;

    struct Parsed;
    // arguments as QCoreApplication::arguments(), the program name first.
    static Parsed parse(const QStringList &arguments);
};

// The result of reading a command line: options, or help to print, or an error.
struct SimOptions::Parsed
{
    SimOptions options;
    bool help = false;
    QString text; // the help text, or the error message

    bool ok() const { return !help && text.isEmpty(); }
};
