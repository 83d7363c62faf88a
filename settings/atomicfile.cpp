#include "atomicfile.h"

#include "isettingsstore.h"
#include "storeerror.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace atomicfile {

namespace {

constexpr int kTempNameAttempts = 100;

[[noreturn]] void fail(std::int32_t number, const char *what, const std::string &path, int error)
{
    throw StoreError {number, std::string(what) + ": " + path + " (" + std::strerror(error) + ")"};
}

// Closes the descriptor when the scope ends, whatever way it ends.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    { }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_fd; }
    // Closes now and gives the result, since a failed close can mean lost data.
    int close()
    {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

// Six characters that make a temporary name unlikely to be taken; O_EXCL decides.
std::string randomSuffix(unsigned attempt)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    auto seed = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count())
        ^ (std::uint64_t(::getpid()) << 32) ^ (std::uint64_t(attempt) * 0x9E3779B97F4A7C15ull);
    std::string suffix;
    for (int i = 0; i < 6; ++i) {
        seed ^= seed >> 33;
        seed *= 0xff51afd7ed558ccdull;
        seed ^= seed >> 33;
        suffix += kAlphabet[seed % (sizeof kAlphabet - 1)];
    }
    return suffix;
}

// The file a save really replaces: the target of a symbolic link, so that the
// link itself stays in place.
std::string resolvedTarget(const std::string &path)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            return resolved;
    }
    return path;
}

} // namespace

std::optional<std::string> read(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        fail(ostrel::kFailureRead, "The file could not be read", path, errno);
    }
    FileDescriptor file(fd);
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            fail(ostrel::kFailureRead, "The file could not be read", path, errno);
        }
        if (got == 0)
            break;
        bytes.append(chunk, std::size_t(got));
    }
    return bytes;
}

void write(const std::string &path, const std::string &bytes)
{
    if (path.empty() || std::filesystem::path(path).filename().empty())
        throw StoreError {ostrel::kFailureWrite, "No file name was given to write to: " + path};
    const std::string target = resolvedTarget(path);

    std::string tempName;
    int fd = -1;
    for (unsigned attempt = 0; attempt < kTempNameAttempts && fd < 0; ++attempt) {
        tempName = target + ".tmp-" + randomSuffix(attempt);
        fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            fail(ostrel::kFailureWrite, "The file could not be written", path, errno);
    }
    if (fd < 0)
        fail(ostrel::kFailureWrite, "The file could not be written", path, EEXIST);

    FileDescriptor file(fd);
    // Any failure from here on removes the temporary file, so none is left behind.
    auto abandon = [&](int error) {
        if (file.get() >= 0)
            file.close();
        ::unlink(tempName.c_str());
        fail(ostrel::kFailureWrite, "The file could not be written", path, error);
    };

    struct stat old;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);

    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            abandon(errno);
        }
        written += std::size_t(put);
    }
    // Without the flush a crash soon after the rename could leave an empty file
    // under the old name on file systems that order metadata before data.
    if (::fsync(fd) != 0)
        abandon(errno);
    if (file.close() != 0)
        abandon(errno);
    if (::rename(tempName.c_str(), target.c_str()) != 0)
        abandon(errno);
}

} // namespace atomicfile
