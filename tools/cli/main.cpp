// varlisk-cli: a gateway's configuration from a script. Commands:
//   read TARGET -o FILE    the gateway's whole configuration into a file
//   diff FILE FILE|TARGET  the differences, one tab-separated line each
//   check FILE             whether a configuration file opens, with line numbers
// Exit statuses: 0 done, 1 differences, 2 usage or a bad file, 3 could not
// connect or log on.

#include "clitarget.h"
#include "gatewayjob.h"

#include <configurationdiff.h>
#include <configurationfile.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QProcessEnvironment>
#include <QTextStream>

#include <chrono>
#include <cstdio>
#include <optional>

#include <unistd.h>

namespace {

enum ExitStatus : int {
    kDone = 0,
    kDifferences = 1,
    kUsage = 2,
    kNoGateway = 3,
};

// The connect and log-on time-out of a job, as the console's own time-outs add up.
constexpr std::chrono::seconds kDefaultTimeOut {10};

const char kUsageText[] = R"(Usage: varlisk-cli COMMAND [options]

Commands:
  read TARGET -o FILE   Read the gateway's whole configuration into FILE.
  diff FILE OTHER       The differences between FILE and OTHER (a file or a
                        TARGET) on the pages FILE holds, one line each: page,
                        field, FILE's value, OTHER's value, separated by tabs.
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

Exit status: 0 done (diff: no differences), 1 differences, 2 usage or a bad
file, 3 could not connect or log on.

Examples:
  VARLISK_PASSWORD=5823 varlisk-cli read tcp:10.0.0.7 -o gw7.gwcfg
  varlisk-cli read serial:/dev/ttyUSB0:115200 --password-file pw -o gw.gwcfg
  varlisk-cli diff template.gwcfg tcp:10.0.0.7 --password-file pw
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

// How to reach and log on to the gateways of a command.
struct Access
{
    QString password;
    std::chrono::milliseconds timeOut;
};

// Runs one gateway's read to its end.
void runJob(GatewayJob &job)
{
    QObject::connect(&job, &GatewayJob::finished, QCoreApplication::instance(), &QCoreApplication::quit);
    job.start();
    QCoreApplication::exec();
}

int read(const CliTarget &target, const Access &access, const QString &output, bool quiet)
{
    GatewayJob job(target, access.password, access.timeOut);
    runJob(job);
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

bool isTarget(const QString &text)
{
    for (const char *scheme : {"tcp:", "serial:", "listen:"}) {
        if (text.startsWith(QLatin1String(scheme)))
            return true;
    }
    return false;
}

int diff(const QString &first, const QString &other, const std::optional<Access> &access)
{
    const ConfigurationFile::ReadResult file = ConfigurationFile::load(first);
    if (!file.contents) {
        say(QStringLiteral("%1: %2").arg(first, file.error));
        return kUsage;
    }
    const QList<int> &pages = file.contents->pages;
    ConfigurationValues otherValues;
    if (isTarget(other)) {
        QString error;
        const std::optional<CliTarget> target = CliTarget::parse(other, &error);
        if (!target)
            return usage(error);
        if (!access)
            return kUsage;
        GatewayJob job(*target, access->password, access->timeOut);
        runJob(job);
        if (job.result() != GatewayJob::Result::Done) {
            say(QStringLiteral("%1: %2").arg(target->text, job.error()));
            return kNoGateway;
        }
        otherValues = job.values();
    } else {
        const ConfigurationFile::ReadResult second = ConfigurationFile::load(other);
        if (!second.contents) {
            say(QStringLiteral("%1: %2").arg(other, second.error));
            return kUsage;
        }
        // Only pages both files hold compare; a page the other file lacks is no answer.
        for (const int page : pages) {
            if (!second.contents->pages.contains(page)) {
                say(QStringLiteral("%1 does not hold the %2 page that %3 holds")
                        .arg(other, ConfigurationDiff::pageTitle(page), first));
                return kUsage;
            }
        }
        otherValues = second.contents->values;
    }
    const QList<ConfigurationDiff::Difference> differences
        = ConfigurationDiff::differences(file.contents->values, otherValues, pages);
    QTextStream out(stdout);
    for (const ConfigurationDiff::Difference &difference : differences)
        out << ConfigurationDiff::scriptLine(difference) << '\n';
    return differences.isEmpty() ? kDone : kDifferences;
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
    // The time-out and password of the commands that reach a gateway.
    const auto access = [&options](QString *error) -> std::optional<Access> {
        std::chrono::milliseconds timeOut = kDefaultTimeOut;
        if (options.isSet(QStringLiteral("timeout"))) {
            bool ok = false;
            const double seconds = options.value(QStringLiteral("timeout")).toDouble(&ok);
            if (!ok || seconds <= 0 || seconds > 24 * 3600) {
                *error = QStringLiteral("--timeout takes a number of seconds");
                return std::nullopt;
            }
            timeOut = std::chrono::milliseconds(static_cast<qint64>(seconds * 1000));
        }
        const std::optional<QString> secret = password(options, error);
        if (!secret)
            return std::nullopt;
        return Access {*secret, timeOut};
    };

    if (command == QLatin1String("read")) {
        if (arguments.size() != 2)
            return usage(QStringLiteral("read takes one TARGET"));
        if (!options.isSet(QStringLiteral("output")))
            return usage(QStringLiteral("read needs -o FILE"));
        QString error;
        const std::optional<CliTarget> target = CliTarget::parse(arguments.at(1), &error);
        if (!target)
            return usage(error);
        const std::optional<Access> reach = access(&error);
        if (!reach)
            return usage(error);
        return read(*target, *reach, options.value(QStringLiteral("output")), quiet);
    }
    if (command == QLatin1String("diff")) {
        if (arguments.size() != 3)
            return usage(QStringLiteral("diff takes a FILE and a FILE or TARGET"));
        std::optional<Access> reach;
        if (isTarget(arguments.at(2))) {
            QString error;
            reach = access(&error);
            if (!reach)
                return usage(error);
        }
        return diff(arguments.at(1), arguments.at(2), reach);
    }
    return usage(QStringLiteral("unknown command \"%1\"").arg(command));
}
