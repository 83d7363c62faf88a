#include "commandinterpreter.h"
#include "configfile.h"
#include "configstore.h"
#include "signalwatcher.h"
#include "simoptions.h"
#include "simulatedsession.h"
#include "simulatorlink.h"

#include <QCoreApplication>

#include <cstdio>
#include <optional>

namespace {

void report(const QString &text)
{
    std::fprintf(stderr, "varlisk-gwsim: %s\n", qPrintable(text));
    std::fflush(stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varlisk-gwsim"));

    const SimOptions::Parsed parsed = SimOptions::parse(QCoreApplication::arguments());
    if (parsed.help) {
        std::fputs(qPrintable(parsed.text), stdout);
        return 0;
    }
    if (!parsed.ok()) {
        report(parsed.text + QStringLiteral(" (see --help)"));
        return 2;
    }
    const SimOptions &options = parsed.options;

    ConfigStore store;
    std::optional<ConfigFile> file;
    if (!options.configPath.isEmpty()) {
        file.emplace(options.configPath);
        if (!file->load(store)) {
            report(QStringLiteral("cannot read %1: %2").arg(options.configPath, file->errorText()));
            return 1;
        }
        for (const QByteArray &problem : file->problems())
            report(QStringLiteral("%1: skipped %2").arg(options.configPath, QString::fromLatin1(problem)));
        if (!file->problems().isEmpty() && !file->keepOriginal())
            report(file->errorText());
        if (!file->save(store)) {
            report(QStringLiteral("cannot write %1: %2").arg(options.configPath, file->errorText()));
            return 1;
        }
    }
    const auto save = [&file, &store] {
        if (file && !file->save(store))
            report(QStringLiteral("cannot write %1: %2").arg(file->path(), file->errorText()));
    };

    CommandInterpreter interpreter(store, options.password);
    interpreter.setErrEvery(options.errEvery);
    SimulatedSession session(interpreter, options);
    QObject::connect(&session, &SimulatedSession::configChanged, &app, save);

    SignalWatcher signalWatcher;
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app, [](int signalNumber) {
        report(QStringLiteral("signal %1, ending").arg(signalNumber));
        QCoreApplication::quit();
    });

    int result = 0;
    {
        SimulatorLink link(session, options);
        if (!link.start()) {
            report(link.errorText());
            return 1;
        }
        result = QCoreApplication::exec();
    }
    save();
    return result;
}
