// varlisk-cli: a gateway's configuration from a script. Commands:
//   read TARGET -o FILE    the gateway's whole configuration into a file
//   check FILE             whether a configuration file opens, with line numbers
// Exit statuses: 0 done, 2 usage or a bad file, 3 could not connect or log on.

#include "clitarget.h"
#include "gatewayjob.h"

#include <configurationfile.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QProcessEnvironment>

#include <chrono>
#include <cstdio>
#include <optional>

#include <unistd.h>

namespace {

enum ExitStatus : int {
    kDone = 0,
    kUsage = 2,
    kNoGateway = 3,
};

// The connect and log-on time-out of a job, as the console's own time-outs add up.
constexpr std::chrono::seconds kDefaultTimeOut {10};

const char kUsageText[] = R"(Usage: varlisk-cli COMMAND [options]

Commands:
  read TARGET -o FILE   Read the gateway's whole configuration into FILE.
  check FILE            Check that FILE opens; a refusal names the line.

Targets:
  tcp:HOST[:PORT]       connect to the gateway (port 4001 by default)
  serial:DEVICE[:BAUD]  a serial device path or "COM n" (115200 by default)
  listen:PORT           wait for the gateway to connect in

Options:
  -o, --output FILE         the configuration file to write (read)
  --password-file FILE      the log-on password is the first line of FILE
  --password PASSWORD       the log-on password (other users of the machine can
                            see it in the process list; prefer a file or
                            VARLISK_PASSWORD)
  --timeout SECONDS         give up a gateway after this long (default 10)
  -q, --quiet               no progress on standard error
  -h, --help                this text

The password comes from --password-file, --password or the environment
variable VARLISK_PASSWORD, in that order.

A file whose contents would not change is left as it is, untouched, so a
backup kept in version control changes only when the gateway's does.

Exit status: 0 done, 2 usage or a bad file, 3 could not connect or log on.

Examples:
  VARLISK_PASSWORD=5823 varlisk-cli read tcp:10.0.0.7 -o gw7.gwcfg
  varlisk-cli read serial:/dev/ttyUSB0:115200 --password-file pw -o gw.gwcfg
  varlisk-cli check gw7.gwcfg
)";

void say(const QString &text)
{
    std::fprintf(stderr, "varlisk-cli: %s\n", qPrintable(text));
}

int usage(const QString &problem)
{
    say(problem + QStringLiteral(" (see --help)"));
    return kUsage;
}

std::optional<QString> password(const QCommandLineParser &options, QString *error)
{
    if (options.isSet(QStringLiteral("password-file"))) {
        const QString path = options.value(QStringLiteral("password-file"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
            return std::nullopt;
        }
        QByteArray line = file.readLine(4096);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        return QString::fromLatin1(line);
    }
    if (options.isSet(QStringLiteral("password")))
        return options.value(QStringLiteral("password"));
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (environment.contains(QStringLiteral("VARLISK_PASSWORD")))
        return environment.value(QStringLiteral("VARLISK_PASSWORD"));
    *error = QStringLiteral("no password: give --password-file, --password or VARLISK_PASSWORD");
    return std::nullopt;
}

int check(const QString &path)
{
    const ConfigurationFile::ReadResult read = ConfigurationFile::load(path);
    if (!read.contents) {
        say(QStringLiteral("%1: %2").arg(path, read.error));
        return kUsage;
    }
    return kDone;
}

// Writes bytes to path unless the file already holds exactly them.
bool keep(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.size() == bytes.size() && existing.readAll() == bytes)
        return true;
    return ConfigurationFile::save(path, bytes, error);
}

int read(const CliTarget &target, const QString &password, std::chrono::milliseconds timeOut,
    const QString &output, bool quiet)
{
    GatewayJob job(target, password, timeOut);
    QObject::connect(&job, &GatewayJob::finished, QCoreApplication::instance(), &QCoreApplication::quit);
    job.start();
    QCoreApplication::exec();
    if (job.result() != GatewayJob::Result::Done) {
        say(QStringLiteral("%1: %2").arg(target.text, job.error()));
        return kNoGateway;
    }
    QString error;
    const QByteArray bytes = ConfigurationFile::compose(job.values(), {job.version(), target.text}, &error);
    if (bytes.isEmpty() || !keep(output, bytes, &error)) {
        say(QStringLiteral("%1: %2").arg(target.text, error));
        return kUsage;
    }
    if (!quiet)
        say(QStringLiteral("%1: read into %2").arg(target.text, output));
    return kDone;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varlisk-cli"));

    QCommandLineParser options;
    options.addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")}, QString(), QStringLiteral("FILE")},
        {QStringLiteral("password-file"), QString(), QStringLiteral("FILE")},
        {QStringLiteral("password"), QString(), QStringLiteral("PASSWORD")},
        {QStringLiteral("timeout"), QString(), QStringLiteral("SECONDS")},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, QString()},
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
    });
    if (!options.parse(QCoreApplication::arguments()))
        return usage(options.errorText());
    if (options.isSet(QStringLiteral("help"))) {
        std::fputs(kUsageText, stdout);
        return kDone;
    }
    const QStringList arguments = options.positionalArguments();
    if (arguments.isEmpty())
        return usage(QStringLiteral("no command"));
    const QString command = arguments.first();
    // Progress goes to a terminal only, unless asked to be quiet.
    const bool quiet = options.isSet(QStringLiteral("quiet")) || !isatty(fileno(stderr));

    if (command == QLatin1String("check")) {
        if (arguments.size() != 2)
            return usage(QStringLiteral("check takes one FILE"));
        return check(arguments.at(1));
    }
    if (command == QLatin1String("read")) {
        if (arguments.size() != 2)
            return usage(QStringLiteral("read takes one TARGET"));
        if (!options.isSet(QStringLiteral("output")))
            return usage(QStringLiteral("read needs -o FILE"));
        QString error;
        const std::optional<CliTarget> target = CliTarget::parse(arguments.at(1), &error);
        if (!target)
            return usage(error);
        std::chrono::milliseconds timeOut = kDefaultTimeOut;
        if (options.isSet(QStringLiteral("timeout"))) {
            bool ok = false;
            const double seconds = options.value(QStringLiteral("timeout")).toDouble(&ok);
            if (!ok || seconds <= 0 || seconds > 24 * 3600)
                return usage(QStringLiteral("--timeout takes a number of seconds"));
            timeOut = std::chrono::milliseconds(static_cast<qint64>(seconds * 1000));
        }
        const std::optional<QString> secret = password(options, &error);
        if (!secret)
            return usage(error);
        return read(*target, *secret, timeOut, options.value(QStringLiteral("output")), quiet);
    }
    return usage(QStringLiteral("unknown command \"%1\"").arg(command));
}
