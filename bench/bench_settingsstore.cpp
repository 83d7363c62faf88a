// Times the settings store through the run-time loader, as the console uses it:
// GetSetting, SaveSetting (which rewrites the file) and FileName (a load), on a
// file of 200 keys in 10 sections. Prints median and 95th percentile per call.
// Usage: bench_settingsstore [folder to work in]

#include <settingsloader.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSections = 10;
constexpr int kKeysPerSection = 20;

struct Figures
{
    double median;
    double p95;
};

Figures timeRuns(int runs, const std::function<void(int)> &call)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> micros;
    micros.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        call(i);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    return {micros[micros.size() / 2], micros[std::min(micros.size() - 1, micros.size() * 95 / 100)]};
}

std::string sectionName(int i)
{
    return "Section" + std::to_string(i);
}

std::string keyName(int i)
{
    return "key" + std::to_string(i);
}

// What a save costs the file system alone: write a file of the same size next to
// the target and rename it over, with or without flushing it to the disk first.
void replaceFile(const std::string &path, const std::string &bytes, bool flush)
{
    const std::string temp = path + ".tmp-bench";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return;
    if (::write(fd, bytes.data(), bytes.size()) < 0)
        std::perror("write");
    if (flush)
        ::fsync(fd);
    ::close(fd);
    ::rename(temp.c_str(), path.c_str());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // An optional folder to work in (a RAM disk, say, to leave the disk out).
    const QStringList arguments = app.arguments();
    QTemporaryDir dir(arguments.size() > 1 ? arguments.at(1) + QStringLiteral("/bench-XXXXXX")
                                           : QDir::tempPath() + QStringLiteral("/bench-XXXXXX"));
    const std::string path = dir.filePath(QStringLiteral("Setting.xml")).toStdString();

    auto created = SettingsLoader::create();
    if (!created.store) {
        std::fprintf(stderr, "%s\n", qPrintable(created.errorText));
        return 1;
    }
    auto &store = *created.store;
    if (!store.FileName(path).ok())
        return 1;
    for (int s = 0; s < kSections; ++s) {
        for (int k = 0; k < kKeysPerSection; ++k)
            store.SaveSetting(sectionName(s), keyName(k), "value of key " + std::to_string(k), true);
    }
    if (!store.Sync().ok())
        return 1;

    bool failed = false;
    const Figures get = timeRuns(20000, [&](int i) {
        const auto result = store.GetSetting(sectionName(i % kSections), keyName(i % kKeysPerSection), "");
        failed |= !result.ok() || result.value.empty();
    });
    const Figures save = timeRuns(500, [&](int i) {
        failed |= !store
                       .SaveSetting(sectionName(i % kSections), keyName(i % kKeysPerSection),
                           "saved " + std::to_string(i), false)
                       .ok();
    });
    const Figures load = timeRuns(2000, [&](int) { failed |= !store.FileName(path).ok(); });

    const std::string bytes(std::size_t(QFileInfo(QString::fromStdString(path)).size()), 'x');
    const std::string rawPath = dir.filePath(QStringLiteral("raw.xml")).toStdString();
    const Figures rawFlush = timeRuns(500, [&](int) { replaceFile(rawPath, bytes, true); });
    const Figures rawNoFlush = timeRuns(2000, [&](int) { replaceFile(rawPath, bytes, false); });

    std::printf("%-28s %12s %12s %10s\n", "operation (200 keys)", "median us", "p95 us", "target us");
    std::printf("%-28s %12.1f %12.1f %10s\n", "GetSetting", get.median, get.p95, "20");
    std::printf("%-28s %12.1f %12.1f %10s\n", "SaveSetting (file rewrite)", save.median, save.p95, "1000");
    std::printf("%-28s %12.1f %12.1f %10s\n", "FileName (load)", load.median, load.p95, "-");
    std::printf("%-28s %12.1f %12.1f %10s\n", "raw replace, with fsync", rawFlush.median, rawFlush.p95, "-");
    std::printf("%-28s %12.1f %12.1f %10s\n", "raw replace, no fsync", rawNoFlush.median, rawNoFlush.p95, "-");
    std::printf("(file of %zu bytes)\n", bytes.size());
    if (failed)
        std::fprintf(stderr, "Some calls failed.\n");
    return failed ? 1 : 0;
}
