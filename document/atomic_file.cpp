#include "document/atomic_file.h"

#include "calc/error.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velquor {

namespace {

    [[noreturn]] void cannotCreate(const std::string& path)
    {
        throw Error(formatMessage(CannotCreateMessage, path));
    }

    // Writes all bytes to fd; false on any failure (an injected one included).
    bool writeAll(int fd, std::string_view bytes, const WriteFaults& faults)
    {
        std::size_t written = 0;
        while (written < bytes.size()) {
            std::size_t chunk = bytes.size() - written;
            if (faults.failAfterBytes) {
                if (written >= *faults.failAfterBytes)
                    return false;
                chunk = std::min(chunk, *faults.failAfterBytes - written);
            }
            const ssize_t result = ::write(fd, bytes.data() + written, chunk);
            if (result < 0 && errno == EINTR)
                continue;
            if (result <= 0)
                return false;
            written += static_cast<std::size_t>(result);
        }
        return !(faults.failAfterBytes && *faults.failAfterBytes < bytes.size());
    }

    // Devices, pipes and standard output cannot be replaced; they take the bytes as they come.
    void writeInPlace(const std::string& path, std::string_view bytes, const WriteFaults& faults)
    {
        if (path == "-") {
            if (!writeAll(STDOUT_FILENO, bytes, faults))
                cannotCreate(path);
            return;
        }
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            cannotCreate(path);
        const bool ok = writeAll(fd, bytes, faults);
        if (::close(fd) != 0 || !ok)
            cannotCreate(path);
    }

    std::string folderOf(const std::string& path)
    {
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos)
            return ".";
        return slash == 0 ? "/" : path.substr(0, slash);
    }

    // The mode a newly created file gets: 0666 less the process's umask.
    mode_t newFileMode()
    {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666 & ~mask;
    }

    void syncFolder(const std::string& folder)
    {
        // Best effort: the rename is durable once the folder is synced; a failure here does
        // not undo a completed replacement.
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }

} // namespace

void writeFileAtomically(const std::string& path, std::string_view bytes)
{
    writeFileAtomically(path, bytes, WriteFaults {});
}

void writeFileAtomically(const std::string& path, std::string_view bytes, const WriteFaults& faults)
{
    if (path.empty())
        cannotCreate(path);
    std::string target = path;
    struct stat info
    {
    };
    if (path == "-" || (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))) {
        writeInPlace(path, bytes, faults);
        return;
    }
    const bool exists = ::stat(path.c_str(), &info) == 0;
    struct stat linkInfo
    {
    };
    if (exists && ::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) == nullptr)
            cannotCreate(path);
        target = resolved;
    }

    const std::string folder = folderOf(target);
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        cannotCreate(path);
    // An existing file keeps its permissions; a new one gets the usual ones.
    const mode_t mode = exists ? (info.st_mode & 07777) : newFileMode();
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes, faults) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && !faults.failRename)
        ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    else
        ok = false;
    if (!ok) {
        ::unlink(temporary.c_str());
        cannotCreate(path);
    }
    syncFolder(folder);
}

} // namespace velquor
