// varlisk-cli: gateways' configurations from a script. Commands:
//   read TARGET -o FILE        the gateway's whole configuration into a file
//   write FILE TARGET          a file's pages written to the gateway
//   diff FILE FILE|TARGET      the differences, one tab-separated line each
//   check FILE...              whether configuration files open, with line numbers
// read, write and diff take --targets LIST instead of a TARGET to run over many
// gateways at once. Exit statuses: 0 done, 1 differences, 2 usage or a bad file,
// 3 could not connect or log on, 4 the gateway refused a record or the write is
// incomplete.

#include "batch.h"
#include "clitarget.h"
#include "gatewayjob.h"
#include "targetlist.h"

#include <configurationdiff.h>
#include <configurationfile.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QSet>
#include <QTextStream>

#include <chrono>
#include <cstdio>
#include <optional>

#include <unistd.h>

namespace {

using namespace Batch;

// The connect and log-on time-out of a job, as the console's own time-outs add up.
constexpr std::chrono::seconds kDefaultTimeOut {10};
// Gateways at once by default: enough to hide most of each one's waiting, few
// enough that a site's network and the gateways' own links are not flooded.
constexpr int kDefaultJobs = 16;
constexpr int kMaxJobs = 1000;

const char kUsageText[] = R"(Usage: varlisk-cli COMMAND [options]

Commands:
  read TARGET -o FILE      Read the gateway's whole configuration into FILE.
  write FILE TARGET        Write FILE's pages to the gateway.
  diff FILE FILE|TARGET    The differences between FILE and a file or gateway.
  check FILE...            Check that configuration files open.

read, write and diff take --targets LIST instead of a TARGET for many gateways.
"varlisk-cli COMMAND --help" describes a command, with examples.

Targets:
  tcp:HOST[:PORT]       connect to the gateway (port 4001 by default)
  serial:DEVICE[:BAUD]  a serial device path or "COM n" (115200 by default)
  listen:PORT           wait for the gateway to connect in

Exit status: 0 done (diff: no differences), 1 differences, 2 usage or a bad
file, 3 could not connect or log on, 4 the gateway refused a record or the
write is incomplete. Over many gateways, the highest status of any of them.
)";

const char kGatewayOptions[] = R"(
Reaching the gateways:
  --password-file FILE   the log-on password is the first line of FILE
  --password PASSWORD    the log-on password (other users of the machine can
                         see it in the process list; prefer a file or the
                         environment variable VARLISK_PASSWORD)
  --timeout SECONDS      give up a gateway that has not connected, logged on
                         and sent its configuration after this long (default 10)
  --targets LIST         every gateway of LIST, one line each:
                           NAME TARGET [PASSWORD-FILE]
                         ("#" starts a comment line; write "COM n" as "COMn";
                         a password file is found beside LIST)
  --jobs N               gateways at once (default 16)
  --json                 a summary for scripts on standard output
  -q, --quiet            no progress lines (given only on a terminal anyway)

The password comes from the gateway's own file in LIST, --password-file,
--password or VARLISK_PASSWORD, in that order. Nothing is ever asked: a
gateway that asks something fails, and the others go on.
)";

const char kReadHelp[] = R"(Usage: varlisk-cli read TARGET -o FILE [options]
       varlisk-cli read --targets LIST -o FOLDER [options]

Reads the gateway's whole configuration into FILE, or each gateway of LIST
into FOLDER/NAME.gwcfg. A file whose contents would not change is left as it
is, untouched, so a backup kept in version control changes only when a
gateway's configuration does.
)";

const char kReadExamples[] = R"(
Exit status: 0 read, 2 usage or a file that cannot be written, 3 could not
connect, log on or read the configuration.

Examples:
  VARLISK_PASSWORD=5823 varlisk-cli read tcp:10.0.0.7 -o gw7.gwcfg
  varlisk-cli read serial:/dev/ttyUSB0:115200 --password-file pw -o gw.gwcfg
  varlisk-cli read --targets site.list --password-file pw -o backup --jobs 50
)";

const char kWriteHelp[] = R"(Usage: varlisk-cli write FILE TARGET [options]
       varlisk-cli write FILE --targets LIST [options]

Writes FILE's pages to the gateway record by record, as the console's page
saves do, each record confirmed before the next. A file read from a gateway
reporting another version is not written unless --any-version is given.

  --pages LIST           only these of the file's pages, separated by commas:
                         fxo, fxs, gsm, sms, gateway, prefixes, numbers
  --on-error POLICY      when the gateway refuses a record or does not confirm
                         it: abort (the default) ends the write; skip goes on
                         with the next record (a refused last record ends the
                         write); retry=N sends it again up to N times, then ends
  --record-timeout SECS  how long each record may take (default 5)
  --any-version          write whatever version the gateway reports
)";

const char kWriteExamples[] = R"(
Exit status: 0 written, every record confirmed; 2 usage or a bad file; 3 could
not connect or log on; 4 the gateway refused a record, the write is incomplete
or the gateway's version is not the file's.

Examples:
  varlisk-cli write gw7.gwcfg tcp:10.0.0.7 --password-file pw
  varlisk-cli write template.gwcfg --targets site.list --pages prefixes,numbers \
      --on-error retry=2 --password-file pw --json > rollout.json
)";

const char kDiffHelp[] = R"(Usage: varlisk-cli diff FILE OTHER [options]
       varlisk-cli diff FILE --targets LIST [options]

The differences between FILE and OTHER (a configuration file or a TARGET) on
the pages FILE holds, one line each: page, field, FILE's value, OTHER's value,
separated by tabs (a tab, line break or backslash inside a value is written
\t, \n, \r or \\). Over LIST, each line starts with the gateway's name and a tab.
Exit status 1 when there are differences.

  --pages LIST           only these pages (see write --help)
)";

const char kDiffExamples[] = R"(
Exit status: 0 no differences, 1 differences, 2 usage or a bad file, 3 could
not connect or log on.

Examples:
  varlisk-cli diff yesterday.gwcfg today.gwcfg
  varlisk-cli diff template.gwcfg tcp:10.0.0.7 --password-file pw
  varlisk-cli diff template.gwcfg --targets site.list --pages prefixes --password-file pw
)";

const char kCheckHelp[] = R"(Usage: varlisk-cli check FILE...

Checks that each configuration file opens as the console would open it. A
refused file is named with the line to blame and the reason; exit status 2.

Example:
  varlisk-cli check backup/*.gwcfg
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

QString help(const QString &command)
{
    const auto text = [](const char *head, const char *examples, bool gateways) {
        return QString::fromUtf8(head) + (gateways ? QString::fromUtf8(kGatewayOptions) : QString())
            + QString::fromUtf8(examples);
    };
    if (command == QLatin1String("read"))
        return text(kReadHelp, kReadExamples, true);
    if (command == QLatin1String("write"))
        return text(kWriteHelp, kWriteExamples, true);
    if (command == QLatin1String("diff"))
        return text(kDiffHelp, kDiffExamples, true);
    if (command == QLatin1String("check"))
        return QString::fromUtf8(kCheckHelp);
    return QString::fromUtf8(kUsageText);
}

// The first line of a password file, without its line end.
std::optional<QString> passwordFrom(const QString &path, QString *error)
{
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

// The password given for every gateway, or nothing when none was given.
std::optional<QString> commonPassword(const QCommandLineParser &options, QString *error)
{
    if (options.isSet(QStringLiteral("password-file")))
        return passwordFrom(options.value(QStringLiteral("password-file")), error);
    if (options.isSet(QStringLiteral("password")))
        return options.value(QStringLiteral("password"));
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (environment.contains(QStringLiteral("VARLISK_PASSWORD")))
        return environment.value(QStringLiteral("VARLISK_PASSWORD"));
    *error = QStringLiteral("no password: give --password-file, --password or VARLISK_PASSWORD");
    return std::nullopt;
}

std::optional<std::chrono::milliseconds> seconds(
    const QCommandLineParser &options, const QString &name, std::chrono::milliseconds byDefault, QString *error)
{
    if (!options.isSet(name))
        return byDefault;
    bool ok = false;
    const double value = options.value(name).toDouble(&ok);
    if (!ok || value <= 0 || value > 24 * 3600) {
        *error = QStringLiteral("--%1 takes a number of seconds").arg(name);
        return std::nullopt;
    }
    return std::chrono::milliseconds(static_cast<qint64>(value * 1000));
}

// The pages named by --pages, in file order; all pages without it.
std::optional<QList<int>> pagesOption(const QCommandLineParser &options, QString *error)
{
    if (!options.isSet(QStringLiteral("pages")))
        return QList<int>(ConfigurationFile::kPageOrder.begin(), ConfigurationFile::kPageOrder.end());
    static const QList<QPair<QString, int>> names {
        {QStringLiteral("fxo"), Pages::PageFXO},
        {QStringLiteral("fxs"), Pages::PageFXS},
        {QStringLiteral("gsm"), Pages::PageGSM},
        {QStringLiteral("sms"), Pages::PageSMS},
        {QStringLiteral("gateway"), Pages::PageTONE},
        {QStringLiteral("prefixes"), Pages::PagePRF},
        {QStringLiteral("numbers"), Pages::PageNumList},
    };
    QSet<int> chosen;
    for (const QString &name : options.value(QStringLiteral("pages")).split(QLatin1Char(','))) {
        const auto found = std::find_if(
            names.begin(), names.end(), [&](const auto &entry) { return entry.first == name.trimmed().toLower(); });
        if (found == names.end()) {
            *error = QStringLiteral("--pages: no page \"%1\"; the pages are fxo, fxs, gsm, sms, gateway, prefixes "
                                    "and numbers")
                         .arg(name);
            return std::nullopt;
        }
        chosen.insert(found->second);
    }
    QList<int> pages;
    for (const int page : ConfigurationFile::kPageOrder) {
        if (chosen.contains(page))
            pages.append(page);
    }
    return pages;
}

bool isTarget(const QString &text)
{
    for (const char *scheme : {"tcp:", "serial:", "listen:"}) {
        if (text.startsWith(QLatin1String(scheme)))
            return true;
    }
    return false;
}

// Writes bytes to path unless the file already holds exactly them: whether it
// was written, or nothing (with error) when writing failed.
std::optional<bool> keep(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.size() == bytes.size() && existing.readAll() == bytes)
        return false;
    if (!ConfigurationFile::save(path, bytes, error))
        return std::nullopt;
    return true;
}

// One gateway of a command: its name in reports and how to reach it.
struct Gateway
{
    QString name;
    CliTarget target;
    QString password;
    // Why the gateway cannot be tried (its password file cannot be read); it
    // fails on its own and the others go on.
    QString problem;
};

// How a command runs over its gateways, and what it tells as they finish.
class Command
{
public:
    Command(const QString &name, const QCommandLineParser &options)
        : m_name(name)
        , m_json(options.isSet(QStringLiteral("json")))
        , m_quiet(options.isSet(QStringLiteral("quiet")) || !isatty(fileno(stderr)))
    { }

    // The command's gateways: the one TARGET, or every one of --targets.
    bool resolve(const QCommandLineParser &options, const QString &target, QString *error)
    {
        std::optional<QString> common;
        QString commonError;
        if (options.isSet(QStringLiteral("targets"))) {
            if (!target.isEmpty()) {
                *error = QStringLiteral("give a TARGET or --targets, not both");
                return false;
            }
            m_many = true;
            const std::optional<TargetList> list = TargetList::load(options.value(QStringLiteral("targets")), error);
            if (!list)
                return false;
            for (const TargetList::Entry &entry : list->entries) {
                if (!entry.passwordFile.isEmpty()) {
                    QString problem;
                    const std::optional<QString> password = passwordFrom(entry.passwordFile, &problem);
                    m_gateways.append({entry.name, entry.target, password.value_or(QString()), problem});
                    continue;
                }
                if (!common && commonError.isEmpty())
                    common = commonPassword(options, &commonError);
                if (!common) {
                    *error = QStringLiteral("%1: %2").arg(entry.name, commonError);
                    return false;
                }
                m_gateways.append({entry.name, entry.target, *common, QString()});
            }
        } else {
            const std::optional<CliTarget> parsed = CliTarget::parse(target, error);
            if (!parsed)
                return false;
            common = commonPassword(options, error);
            if (!common)
                return false;
            m_gateways.append({parsed->text, *parsed, *common, QString()});
        }
        const std::optional<std::chrono::milliseconds> timeOut
            = seconds(options, QStringLiteral("timeout"), kDefaultTimeOut, error);
        if (!timeOut)
            return false;
        m_timeOut = *timeOut;
        if (options.isSet(QStringLiteral("jobs"))) {
            bool ok = false;
            m_jobs = options.value(QStringLiteral("jobs")).toInt(&ok);
            if (!ok || m_jobs < 1 || m_jobs > kMaxJobs) {
                *error = QStringLiteral("--jobs takes a number from 1 to %1").arg(kMaxJobs);
                return false;
            }
        }
        return true;
    }

    bool isMany() const { return m_many; }
    const QList<Gateway> &gateways() const { return m_gateways; }

    // Runs a job per gateway; finished() makes each one's report from its job.
    void run(const std::function<void(GatewayJob &job)> &prepare,
        const std::function<Report(const Gateway &gateway, GatewayJob &job)> &finished)
    {
        m_reports.resize(m_gateways.size());
        qsizetype count = 0;
        QList<qsizetype> runnable;
        for (qsizetype index = 0; index < m_gateways.size(); ++index) {
            const Gateway &gateway = m_gateways.at(index);
            if (gateway.problem.isEmpty()) {
                runnable.append(index);
                continue;
            }
            Report &report = m_reports[index];
            report.name = gateway.name;
            report.target = gateway.target.text;
            report.status = kUsage;
            report.result = QStringLiteral("failed");
            report.error = gateway.problem;
            tell(report, ++count);
        }
        Batch::run(
            runnable.size(), m_jobs,
            [&](qsizetype job) {
                const Gateway &gateway = m_gateways.at(runnable.at(job));
                auto gatewayJob = std::make_unique<GatewayJob>(gateway.target, gateway.password, m_timeOut);
                prepare(*gatewayJob);
                return gatewayJob;
            },
            [&](qsizetype jobIndex, GatewayJob &job) {
                const qsizetype index = runnable.at(jobIndex);
                const Gateway &gateway = m_gateways.at(index);
                Report report
                    = job.result() == GatewayJob::Result::Done ? finished(gateway, job) : failure(gateway.name, job);
                report.target = gateway.target.text;
                tell(report, ++count);
                m_reports[index] = report;
            });
    }

    // A report made without a gateway (a diff of two files).
    void add(const Report &report)
    {
        m_reports.append(report);
        tell(report, m_reports.size());
    }

    // Prints the differences of a report on standard output, unless the summary goes there.
    void printDifferences(const Report &report) const
    {
        if (m_json)
            return;
        QTextStream out(stdout);
        for (const QString &line : report.differences)
            out << (m_many ? report.name + QLatin1Char('\t') : QString()) << line << '\n';
    }

    // The summary, and the program's exit status.
    int end() const
    {
        if (m_json) {
            const QByteArray summary = json(m_name, m_reports);
            std::fwrite(summary.constData(), 1, static_cast<size_t>(summary.size()), stdout);
        }
        QStringList failed;
        for (const Report &report : m_reports) {
            if (report.status >= kUsage)
                failed.append(report.name);
        }
        if (m_many && !failed.isEmpty()) {
            say(QStringLiteral("%1 of %2 gateways failed: %3")
                    .arg(failed.size())
                    .arg(m_reports.size())
                    .arg(failed.join(QStringLiteral(", "))));
        }
        return status(m_reports);
    }

private:
    // A failure always goes to standard error; progress only to a terminal.
    void tell(const Report &report, qsizetype count) const
    {
        if (report.status >= kUsage) {
            say(QStringLiteral("%1: %2").arg(report.name, report.error));
            return;
        }
        if (m_quiet)
            return;
        QString line = report.name + QStringLiteral(": ") + report.result;
        if (!report.file.isEmpty())
            line += QLatin1Char(' ') + report.file;
        if (!report.differences.isEmpty())
            line += QStringLiteral(", %1 differences").arg(report.differences.size());
        if (m_many)
            line = QStringLiteral("[%1/%2] ").arg(count).arg(m_gateways.size()) + line;
        say(line);
    }

    QString m_name;
    bool m_json = false;
    bool m_quiet = false;
    bool m_many = false;
    QList<Gateway> m_gateways;
    std::chrono::milliseconds m_timeOut = kDefaultTimeOut;
    int m_jobs = kDefaultJobs;
    QList<Report> m_reports;
};

// A configuration file's contents, or nothing once it has said why the file was refused.
std::optional<ConfigurationFile::Contents> loadFile(const QString &path)
{
    ConfigurationFile::ReadResult read = ConfigurationFile::load(path);
    if (!read.contents)
        say(QStringLiteral("%1: %2").arg(path, read.error));
    return std::move(read.contents);
}

// A configuration file and the pages a command works on: all it holds, or the
// chosen ones, each of which it must hold. Says why when either fails.
struct FilePages
{
    ConfigurationFile::Contents contents;
    QList<int> pages;
};

std::optional<FilePages> loadPages(const QString &path, const QList<int> &chosen, bool all)
{
    std::optional<ConfigurationFile::Contents> contents = loadFile(path);
    if (!contents)
        return std::nullopt;
    for (const int page : chosen) {
        if (!all && !contents->pages.contains(page)) {
            usage(QStringLiteral("%1 does not hold the %2 page").arg(path, ConfigurationDiff::pageTitle(page)));
            return std::nullopt;
        }
    }
    QList<int> pages = all ? contents->pages : chosen;
    return FilePages {std::move(*contents), std::move(pages)};
}

int check(const QStringList &paths)
{
    int result = kDone;
    for (const QString &path : paths) {
        if (!loadFile(path))
            result = kUsage;
    }
    return result;
}

int read(Command &command, const QString &output)
{
    if (command.isMany() && !QDir().mkpath(output))
        return usage(QStringLiteral("cannot make the folder %1").arg(output));
    command.run([](GatewayJob &) {},
        [&](const Gateway &gateway, GatewayJob &job) {
            Report report;
            report.name = gateway.name;
            report.file = command.isMany() ? QDir(output).filePath(gateway.name + QStringLiteral(".gwcfg")) : output;
            QString error;
            const QByteArray bytes
                = ConfigurationFile::compose(job.values(), {job.version(), gateway.target.text}, &error);
            const std::optional<bool> written = bytes.isEmpty() ? std::nullopt : keep(report.file, bytes, &error);
            if (!written) {
                report.status = kUsage;
                report.result = QStringLiteral("failed");
                report.error = error;
            } else {
                report.result = *written ? QStringLiteral("written") : QStringLiteral("unchanged");
            }
            return report;
        });
    return command.end();
}

int write(Command &command, const QString &path, const QList<int> &chosen, bool allPages,
    const GatewayJob::Write &policy, bool anyVersion)
{
    const std::optional<FilePages> file = loadPages(path, chosen, allPages);
    if (!file)
        return kUsage;
    QString error;
    GatewayJob::Write write = policy;
    write.entries = ConfigurationFile::records(file->contents.values, file->pages, &error);
    if (write.entries.isEmpty()) {
        say(QStringLiteral("%1: %2").arg(path, error));
        return kUsage;
    }
    if (!anyVersion)
        write.version = file->contents.header.version;
    command.run([&](GatewayJob &job) { job.setWrite(write); },
        [](const Gateway &gateway, GatewayJob &) {
            Report report;
            report.name = gateway.name;
            report.result = QStringLiteral("written");
            return report;
        });
    return command.end();
}

Report compared(
    const QString &name, const ConfigurationValues &a, const ConfigurationValues &b, const QList<int> &pages)
{
    Report report;
    report.name = name;
    for (const ConfigurationDiff::Difference &difference : ConfigurationDiff::differences(a, b, pages))
        report.differences.append(ConfigurationDiff::scriptLine(difference));
    report.status = report.differences.isEmpty() ? kDone : kDifferences;
    report.result = report.differences.isEmpty() ? QStringLiteral("same") : QStringLiteral("different");
    return report;
}

int diff(Command &command, const QString &path, const QString &other, const QList<int> &chosen, bool allPages)
{
    const std::optional<FilePages> file = loadPages(path, chosen, allPages);
    if (!file)
        return kUsage;
    if (!other.isEmpty() && !isTarget(other)) {
        const std::optional<ConfigurationFile::Contents> second = loadFile(other);
        if (!second)
            return kUsage;
        // Only pages both files hold compare; a page the other file lacks is no answer.
        for (const int page : file->pages) {
            if (!second->pages.contains(page)) {
                say(QStringLiteral("%1 does not hold the %2 page that %3 holds")
                        .arg(other, ConfigurationDiff::pageTitle(page), path));
                return kUsage;
            }
        }
        Report report = compared(other, file->contents.values, second->values, file->pages);
        report.file = other;
        command.printDifferences(report);
        command.add(report);
        return command.end();
    }
    command.run([](GatewayJob &) {},
        [&](const Gateway &gateway, GatewayJob &job) {
            const Report report = compared(gateway.name, file->contents.values, job.values(), file->pages);
            command.printDifferences(report);
            return report;
        });
    return command.end();
}

// The options each command takes beyond --help.
const QHash<QString, QStringList> &commandOptions()
{
    static const QStringList reach {QStringLiteral("password-file"), QStringLiteral("password"),
        QStringLiteral("timeout"), QStringLiteral("targets"), QStringLiteral("jobs"), QStringLiteral("json"),
        QStringLiteral("quiet")};
    static const QHash<QString, QStringList> options {
        {QStringLiteral("read"), reach + QStringList {QStringLiteral("output")}},
        {QStringLiteral("write"),
            reach
                + QStringList {QStringLiteral("pages"), QStringLiteral("on-error"), QStringLiteral("record-timeout"),
                    QStringLiteral("any-version")}},
        {QStringLiteral("diff"), reach + QStringList {QStringLiteral("pages")}},
        {QStringLiteral("check"), {QStringLiteral("quiet")}},
    };
    return options;
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
        {QStringLiteral("record-timeout"), QString(), QStringLiteral("SECONDS")},
        {QStringLiteral("targets"), QString(), QStringLiteral("LIST")},
        {QStringLiteral("jobs"), QString(), QStringLiteral("N")},
        {QStringLiteral("pages"), QString(), QStringLiteral("LIST")},
        {QStringLiteral("on-error"), QString(), QStringLiteral("POLICY")},
        {QStringLiteral("any-version"), QString()},
        {QStringLiteral("json"), QString()},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, QString()},
        {{QStringLiteral("h"), QStringLiteral("help")}, QString()},
    });
    if (!options.parse(QCoreApplication::arguments()))
        return usage(options.errorText());
    const QStringList arguments = options.positionalArguments();
    const QString command = arguments.value(0);
    if (options.isSet(QStringLiteral("help")) || command == QLatin1String("help")) {
        std::fputs(qPrintable(help(command == QLatin1String("help") ? arguments.value(1) : command)), stdout);
        return kDone;
    }
    if (command.isEmpty())
        return usage(QStringLiteral("no command"));
    if (!commandOptions().contains(command))
        return usage(QStringLiteral("unknown command \"%1\"").arg(command));
    for (const QString &name : options.optionNames()) {
        const QString longName = name == QLatin1String("o") ? QStringLiteral("output")
            : name == QLatin1String("q")                    ? QStringLiteral("quiet")
                                                            : name;
        if (!commandOptions().value(command).contains(longName))
            return usage(QStringLiteral("%1 does not take --%2").arg(command, longName));
    }

    if (command == QLatin1String("check")) {
        if (arguments.size() < 2)
            return usage(QStringLiteral("check takes one FILE or more"));
        return check(arguments.mid(1));
    }

    QString error;
    Command run(command, options);
    const bool many = options.isSet(QStringLiteral("targets"));
    if (command == QLatin1String("read")) {
        if (arguments.size() != (many ? 1 : 2))
            return usage(many ? QStringLiteral("read takes --targets or a TARGET, not both")
                              : QStringLiteral("read takes one TARGET"));
        if (!options.isSet(QStringLiteral("output")))
            return usage(many ? QStringLiteral("read needs -o FOLDER") : QStringLiteral("read needs -o FILE"));
        if (!run.resolve(options, arguments.value(1), &error))
            return usage(error);
        return read(run, options.value(QStringLiteral("output")));
    }

    const std::optional<QList<int>> pages = pagesOption(options, &error);
    if (!pages)
        return usage(error);
    const bool allPages = !options.isSet(QStringLiteral("pages"));
    if (command == QLatin1String("write")) {
        if (arguments.size() != (many ? 2 : 3))
            return usage(many ? QStringLiteral("write takes a FILE and --targets")
                              : QStringLiteral("write takes a FILE and a TARGET"));
        GatewayJob::Write plan;
        if (options.isSet(QStringLiteral("on-error"))) {
            const std::optional<GatewayJob::ErrorPolicy> policy
                = GatewayJob::ErrorPolicy::parse(options.value(QStringLiteral("on-error")));
            if (!policy)
                return usage(QStringLiteral("--on-error takes abort, skip or retry=N (N from 0 to 100)"));
            plan.onError = *policy;
        }
        const std::optional<std::chrono::milliseconds> recordTimeOut
            = seconds(options, QStringLiteral("record-timeout"), GatewaySession::kPageSaveStep, &error);
        if (!recordTimeOut)
            return usage(error);
        plan.recordTimeOut = *recordTimeOut;
        if (!run.resolve(options, arguments.value(2), &error))
            return usage(error);
        return write(run, arguments.at(1), *pages, allPages, plan, options.isSet(QStringLiteral("any-version")));
    }
    // diff
    if (arguments.size() != (many ? 2 : 3))
        return usage(many ? QStringLiteral("diff takes a FILE and --targets")
                          : QStringLiteral("diff takes a FILE and a FILE or TARGET"));
    const QString other = arguments.value(2);
    if (many || isTarget(other)) {
        if (!run.resolve(options, other, &error))
            return usage(error);
    }
    return diff(run, arguments.at(1), many ? QString() : other, *pages, allPages);
}
