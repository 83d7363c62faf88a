#include "simoptions.h"

#include <QCommandLineParser>

namespace {

const char *const kDescription = R"(Gateway simulator: plays the gateway side of the console's line protocol.

Transports (choose one; default --listen 127.0.0.1:4001):
  --listen serves one console at a time and accepts again after it leaves;
  --connect reaches a console in server mode, retrying until it can and again
  after a drop; --serial opens a serial device or pseudo terminal, 8N1. On a
  serial line a drop, restart or close cannot break the line: it forgets the
  log-on and discards unsent answers instead.

Protocol (lines end with CR; 8-bit text):
  CPW<password>   correct: "VER<version>", the FXO, FXS, GSM, NET, SMS and GWP
                  records, 32 PRF rows, 64 LST rows (103 lines), then "OK".
                  Wrong: "ERR" (and whoever was logged on is logged off).
  <record>        FXO, FXS, GSM, NET, SMS, GWP, PRF or LST with its fields.
                  Accepted only after a successful log-on on this connection,
                  otherwise "ERR". Checked against the record's layout: exact
                  field count (FXS also with 4 fields: option bits, dial pause,
                  polarity type, polarity timer; the stored cadence is kept),
                  numbers within the page's ranges, list positions within the
                  list, option bits within their masks, PRF row 01-32, LST row
                  01-64 with permissions 0-31, texts within the control widths.
                  Good: stored and "OK"; bad: "ERR", nothing changed.
  RBT             "OK", then the connection drops as a restarting gateway.
  SRV:CLOSE       no answer; the connection is closed.
  anything else   "ERR" (an empty line too). A line over 64 KiB is discarded
                  and answered "ERR" once its CR arrives.
  Input lines end at CR; a NUL or LF right after the CR is dropped.

Configuration file (--config): one record line per line as the gateway reports
  them; "#" lines are comments. Loaded at start (a missing file gives the
  defaults and is created), written atomically after every accepted change and
  at exit. Invalid lines are reported and skipped, and the file as found is
  kept as FILE.orig before it is rewritten.

Faults: --mute still carries commands out but sends no answers (unsolicited
  --flood lines still go out). --err-every counts every answer that would be
  "OK" (log-on included); the one it turns into "ERR" is not carried out.
  --delay-ms delays each answer (all lines of one answer together), keeping
  their order. --drop-after counts every line sent on the connection.

Ends cleanly on SIGINT or SIGTERM, saving the configuration.)";

bool parseHostPort(const QString &text, QString &host, quint16 &port)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    bool ok = false;
    const uint number = text.mid(colon + 1).toUInt(&ok);
    if (!ok || number > 65535)
        return false;
    host = text.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    port = quint16(number);
    return true;
}

bool parseCount(const QCommandLineParser &parser, const QString &name, int &value, QString &error)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int number = parser.value(name).toInt(&ok);
    if (!ok || number < 0) {
        error = QStringLiteral("--%1 needs a whole number of 0 or more, not \"%2\"").arg(name, parser.value(name));
        return false;
    }
    value = number;
    return true;
}

} // namespace

QByteArray SimOptions::lineEndBytes() const
{
    switch (lineEnd) {
    case LineEnd::CrLf:
        return QByteArray("\r\n");
    case LineEnd::CrNul:
        return QByteArray("\r\0", 2);
    case LineEnd::Cr:
        break;
    }
    return QByteArray("\r");
}

SimOptions::Parsed SimOptions::parse(const QStringList &arguments)
{
    Parsed result;
    SimOptions &options = result.options;

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    parser.addOption(help);
    parser.addOptions({
        {QStringLiteral("listen"),
            QStringLiteral("Listen for the console on HOST:PORT (default 127.0.0.1:4001; port 0 picks a free one)."),
            QStringLiteral("HOST:PORT")},
        {QStringLiteral("connect"), QStringLiteral("Connect to a console in server mode at HOST:PORT."),
            QStringLiteral("HOST:PORT")},
        {QStringLiteral("serial"), QStringLiteral("Use a serial device or pseudo terminal, 8N1."),
            QStringLiteral("DEVICE")},
        {QStringLiteral("baud"), QStringLiteral("Serial rate (default 115200)."), QStringLiteral("N")},
        {QStringLiteral("password"), QStringLiteral("Log-on password (default 5823)."), QStringLiteral("TEXT")},
        {QStringLiteral("config"), QStringLiteral("Load the configuration from FILE and save every change there."),
            QStringLiteral("FILE")},
        {QStringLiteral("crlf"), QStringLiteral("End sent lines with CR LF.")},
        {QStringLiteral("crnul"), QStringLiteral("End sent lines with CR NUL.")},
        {QStringLiteral("mute"), QStringLiteral("Never answer.")},
        {QStringLiteral("err-every"), QStringLiteral("Turn every Nth \"OK\" into \"ERR\"."), QStringLiteral("N")},
        {QStringLiteral("delay-ms"), QStringLiteral("Wait N ms before each answer."), QStringLiteral("N")},
        {QStringLiteral("drop-after"), QStringLiteral("Drop the connection after N lines sent."), QStringLiteral("N")},
        {QStringLiteral("flood"), QStringLiteral("Send N unsolicited alarm and call-record lines a second."),
            QStringLiteral("N")},
        {QStringLiteral("retry-ms"), QStringLiteral("Wait N ms between connection or device attempts (default 1000)."),
            QStringLiteral("N")},
        {QStringLiteral("log"),
            QStringLiteral("Print the traffic to stderr, one line per line: \"<< \" received, \">> \" sent.")},
    });

    if (!parser.parse(arguments)) {
        result.text = parser.errorText();
        return result;
    }
    if (parser.isSet(help)) {
        result.help = true;
        result.text = parser.helpText();
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.text = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return result;
    }

    const int transports = int(parser.isSet(QStringLiteral("listen"))) + int(parser.isSet(QStringLiteral("connect")))
        + int(parser.isSet(QStringLiteral("serial")));
    if (transports > 1) {
        result.text = QStringLiteral("choose one of --listen, --connect and --serial");
        return result;
    }
    if (parser.isSet(QStringLiteral("connect"))) {
        options.transport = Transport::Connect;
        if (!parseHostPort(parser.value(QStringLiteral("connect")), options.host, options.port) || options.port == 0) {
            result.text = QStringLiteral("--connect needs HOST:PORT with a port of 1 to 65535");
            return result;
        }
    } else if (parser.isSet(QStringLiteral("serial"))) {
        options.transport = Transport::Serial;
        options.device = parser.value(QStringLiteral("serial"));
        if (options.device.isEmpty()) {
            result.text = QStringLiteral("--serial needs a device");
            return result;
        }
    } else if (parser.isSet(QStringLiteral("listen"))
        && !parseHostPort(parser.value(QStringLiteral("listen")), options.host, options.port)) {
        result.text = QStringLiteral("--listen needs HOST:PORT");
        return result;
    }

    if (parser.isSet(QStringLiteral("crlf")) && parser.isSet(QStringLiteral("crnul"))) {
        result.text = QStringLiteral("choose one of --crlf and --crnul");
        return result;
    }
    if (parser.isSet(QStringLiteral("crlf")))
        options.lineEnd = LineEnd::CrLf;
    if (parser.isSet(QStringLiteral("crnul")))
        options.lineEnd = LineEnd::CrNul;
    options.mute = parser.isSet(QStringLiteral("mute"));
    options.log = parser.isSet(QStringLiteral("log"));
    if (parser.isSet(QStringLiteral("password")))
        options.password = parser.value(QStringLiteral("password")).toLatin1();
    options.configPath = parser.value(QStringLiteral("config"));

    int baud = options.baud;
    int delay = 0;
    int retry = int(options.retry.count());
    QString error;
    if (!parseCount(parser, QStringLiteral("baud"), baud, error)
        || !parseCount(parser, QStringLiteral("err-every"), options.errEvery, error)
        || !parseCount(parser, QStringLiteral("delay-ms"), delay, error)
        || !parseCount(parser, QStringLiteral("drop-after"), options.dropAfter, error)
        || !parseCount(parser, QStringLiteral("flood"), options.flood, error)
        || !parseCount(parser, QStringLiteral("retry-ms"), retry, error)) {
        result.text = error;
        return result;
    }
    if (baud == 0) {
        result.text = QStringLiteral("--baud must be above 0");
        return result;
    }
    options.baud = baud;
    options.delay = std::chrono::milliseconds(delay);
    options.retry = std::chrono::milliseconds(qMax(retry, 10));
    return result;
}
