#include "document/atomic_file.h"

#include "calc/error.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velquor {

namespace {

    // Symbolic links followed from one name before the chain counts as a loop, as the system's
    // own limit (ELOOP) does.
    constexpr int MaxLinkHops = 40;

    [[noreturn]] void cannotCreate(const std::string& path)
    {
        throw Error(formatMessage(CannotCreateMessage, path));
    }

    // Closes the descriptor it holds when it goes.
    class Descriptor
    {
    public:
        explicit Descriptor(int fd)
            : m_fd(fd)
        {
        }
        ~Descriptor()
        {
            if (m_fd >= 0)
                ::close(m_fd);
        }
        Descriptor(const Descriptor&) = delete;
        Descriptor& operator=(const Descriptor&) = delete;

        bool isOpen() const { return m_fd >= 0; }
        int fd() const { return m_fd; }
        // False when the close reports an error (a delayed write error, for example).
        bool close()
        {
            const int fd = m_fd;
            m_fd = -1;
            return ::close(fd) == 0;
        }

    private:
        int m_fd;
    };

    // While it lives, a write to a pipe whose reader has gone fails with EPIPE instead of
    // ending the process by SIGPIPE; a SIGPIPE raised meanwhile is taken back at the end.
    class BrokenPipeAsError
    {
    public:
        BrokenPipeAsError()
        {
            sigemptyset(&m_pipe);
            sigaddset(&m_pipe, SIGPIPE);
            sigset_t pending;
            sigpending(&pending);
            m_wasPending = sigismember(&pending, SIGPIPE) == 1;
            pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
        }
        ~BrokenPipeAsError()
        {
            sigset_t pending;
            sigpending(&pending);
            if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
                const timespec noWait {};
                sigtimedwait(&m_pipe, nullptr, &noWait);
            }
            pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
        }
        BrokenPipeAsError(const BrokenPipeAsError&) = delete;
        BrokenPipeAsError& operator=(const BrokenPipeAsError&) = delete;

    private:
        sigset_t m_pipe {};
        sigset_t m_previous {};
        bool m_wasPending = false;
    };

    // Writes all bytes to fd at its offset; false on any failure (an injected one included,
    // when faults are given).
    bool writeAll(int fd, std::string_view bytes, const WriteFaults* faults = nullptr)
    {
        // No limit is a limit beyond any size.
        const std::size_t limit
            = faults && faults->failAfterBytes ? *faults->failAfterBytes : bytes.size() + 1;
        std::size_t written = 0;
        while (written < bytes.size()) {
            if (written >= limit)
                return false;
            const std::size_t chunk = std::min(bytes.size() - written, limit - written);
            const ssize_t result = ::write(fd, bytes.data() + written, chunk);
            if (result < 0 && errno == EINTR)
                continue;
            if (result <= 0)
                return false;
            written += static_cast<std::size_t>(result);
        }
        return limit >= bytes.size();
    }

    // Copies everything from the start of `from` to the offset of `to`.
    bool copyContents(int from, int to)
    {
        char buffer[65536];
        for (off_t offset = 0;;) {
            const ssize_t got = ::pread(from, buffer, sizeof buffer, offset);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return false;
            if (got == 0)
                return true;
            if (!writeAll(to, std::string_view(buffer, static_cast<std::size_t>(got))))
                return false;
            offset += got;
        }
    }

    std::string folderOf(const std::string& path)
    {
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos)
            return ".";
        return slash == 0 ? "/" : path.substr(0, slash);
    }

    std::string inFolder(const std::string& folder, const std::string& name)
    {
        return folder.ends_with('/') ? folder + name : folder + "/" + name;
    }

    // A new empty file with a short name of its own in the folder (mode 0600), so that any
    // name the folder takes can be the target; the name is left in `name`.
    int createTemporary(const std::string& folder, std::string& name)
    {
        name = inFolder(folder, ".velquor-XXXXXX");
        return ::mkostemp(name.data(), O_CLOEXEC);
    }

    // The name that the symbolic links starting at path finally give (path itself when it is
    // no link); that name need not exist. Nothing for a loop or a link that cannot be read.
    std::optional<std::string> followLinks(const std::string& path)
    {
        std::string current = path;
        for (int hop = 0; hop <= MaxLinkHops; ++hop) {
            struct stat info
            {
            };
            if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
                return current;
            std::string target(
                static_cast<std::size_t>(std::max<off_t>(info.st_size, PATH_MAX)) + 1, '\0');
            const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
            if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
                return std::nullopt; // unreadable, or changed while being read
            target.resize(static_cast<std::size_t>(length));
            current = target.front() == '/' ? target : inFolder(folderOf(current), target);
        }
        return std::nullopt;
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
        const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.isOpen())
            ::fsync(fd.fd());
    }

    // Devices, pipes and standard output cannot be replaced; they take the bytes as they come.
    // The open does not wait: a pipe without a reader fails at once (ENXIO).
    void writeInPlace(const std::string& path, const std::string& target, std::string_view bytes,
        const WriteFaults& faults)
    {
        const BrokenPipeAsError brokenPipe;
        if (path == "-") {
            if (!writeAll(STDOUT_FILENO, bytes, &faults))
                cannotCreate(path);
            return;
        }
        Descriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!file.isOpen())
            cannotCreate(path);
        // Once a reader is there, the writes wait for it as usual.
        const int flags = ::fcntl(file.fd(), F_GETFL);
        bool ok = flags >= 0 && ::fcntl(file.fd(), F_SETFL, flags & ~O_NONBLOCK) == 0;
        ok = ok && writeAll(file.fd(), bytes, &faults);
        if (!file.close() || !ok)
            cannotCreate(path);
    }

    // The names beside a hard-linked file that its rewrite in place leaves while it runs: the
    // old bytes (".old") and the new ones (".new"), named after the file's inode so that a
    // later save or load through any of its names in the folder finds them.
    struct RewriteJournal
    {
        std::string oldBytes;
        std::string newBytes;
    };

    RewriteJournal journalOf(const std::string& target, ino_t inode)
    {
        const std::string stem = inFolder(folderOf(target), ".velquor-" + std::to_string(inode));
        return { stem + ".old", stem + ".new" };
    }

    // Puts the bytes of `from` into the file itself (from its start to its end) and syncs it.
    bool rewriteFrom(int file, const std::function<bool()>& writeBytes)
    {
        return ::ftruncate(file, 0) == 0 && ::lseek(file, 0, SEEK_SET) == 0 && writeBytes()
            && ::fsync(file) == 0;
    }

    // A synced file `name` with the bytes that `fill` writes, made under `name` + ".part" and
    // renamed (so that `name` only ever holds complete bytes); false, leaving nothing, on
    // failure. The ".part" name is fixed so that a crash leaves no file that nothing removes.
    bool writeAside(const std::string& name, const std::function<bool(int)>& fill)
    {
        const std::string part = name + ".part";
        Descriptor file(::open(part.c_str(),
            O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK, 0600));
        if (!file.isOpen())
            return false;
        bool ok = fill(file.fd()) && ::fsync(file.fd()) == 0;
        ok = file.close() && ok;
        if (!ok || ::rename(part.c_str(), name.c_str()) != 0) {
            ::unlink(part.c_str());
            return false;
        }
        return true;
    }

    void removeJournal(const RewriteJournal& journal)
    {
        for (const std::string& name : { journal.newBytes, journal.oldBytes }) {
            ::unlink(name.c_str());
            ::unlink((name + ".part").c_str());
        }
    }

    // Completes the rewrite of the regular file `target` (inode in `info`) that a crash cut
    // short: when its new bytes wait beside it, they are written into it and the journal is
    // removed; a lone ".old" (the crash came before the file was touched) is just removed.
    // Returns whether a rewrite was completed; false and the journal left when it cannot be.
    bool completeRewrite(const std::string& target, const struct stat& info, bool& failed)
    {
        failed = false;
        const RewriteJournal journal = journalOf(target, info.st_ino);
        const Descriptor newBytes(
            ::open(journal.newBytes.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat pending
        {
        };
        // Only a regular file of the file's own owner is taken as its new bytes.
        if (!newBytes.isOpen() || ::fstat(newBytes.fd(), &pending) != 0 || !S_ISREG(pending.st_mode)
            || pending.st_uid != info.st_uid) {
            removeJournal(journal);
            return false;
        }
        Descriptor file(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (!file.isOpen()
            || !rewriteFrom(file.fd(), [&] { return copyContents(newBytes.fd(), file.fd()); })) {
            failed = true;
            return false;
        }
        file.close();
        removeJournal(journal);
        syncFolder(folderOf(target));
        return true;
    }

    // Writes the bytes into the existing file itself, so that all its hard links see them.
    // Before the file is touched, its old bytes and then the new ones are put beside it, each
    // complete and synced (the journal): a failed write puts the old bytes back, and a crash
    // while the file is being written leaves the new bytes for the next save or load, which
    // completes the rewrite (completeInterruptedRewrite). Nothing is left after a normal end.
    void rewriteInPlace(const std::string& path, const std::string& target, Descriptor& file,
        std::string_view bytes, const WriteFaults& faults)
    {
        struct stat info
        {
        };
        const Descriptor source(::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!source.isOpen() || ::fstat(file.fd(), &info) != 0)
            cannotCreate(path); // without a backup the file is not touched
        const std::string folder = folderOf(target);
        const RewriteJournal journal = journalOf(target, info.st_ino);
        if (!writeAside(journal.oldBytes, [&](int to) { return copyContents(source.fd(), to); })) {
            removeJournal(journal);
            cannotCreate(path);
        }
        const Descriptor backup(::open(journal.oldBytes.c_str(), O_RDONLY | O_CLOEXEC));
        if (!backup.isOpen()
            || !writeAside(journal.newBytes, [&](int to) { return writeAll(to, bytes); })) {
            removeJournal(journal);
            cannotCreate(path);
        }
        syncFolder(folder); // from here on a crash completes the save
        if (!rewriteFrom(file.fd(), [&] { return writeAll(file.fd(), bytes, &faults); })) {
            // The new bytes stay beside the file until the old ones are back in it.
            if (rewriteFrom(file.fd(), [&] { return copyContents(backup.fd(), file.fd()); }))
                removeJournal(journal);
            cannotCreate(path);
        }
        file.close(); // the bytes are synced; a late error of the close changes nothing
        removeJournal(journal);
        syncFolder(folder);
    }

    // Writes the bytes to a temporary file beside the target and renames it over the target.
    // An existing target (`old`) lends the new file its owner and permissions.
    void replaceByRename(const std::string& path, const std::string& target, const struct stat* old,
        std::string_view bytes, const WriteFaults& faults)
    {
        const std::string folder = folderOf(target);
        std::string temporary;
        Descriptor file(createTemporary(folder, temporary));
        if (!file.isOpen())
            cannotCreate(path);
        if (old != nullptr) {
            // Best effort: only root may give a file away; the group a member may keep.
            [[maybe_unused]] const int ignored = ::fchown(file.fd(), old->st_uid, old->st_gid);
        }
        const mode_t mode = old != nullptr ? (old->st_mode & 07777) : newFileMode();
        bool ok = ::fchmod(file.fd(), mode) == 0 && writeAll(file.fd(), bytes, &faults)
            && ::fsync(file.fd()) == 0;
        ok = file.close() && ok;
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

} // namespace

bool completeInterruptedRewrite(const std::string& path)
{
    if (path.empty() || path == "-")
        return false;
    const std::optional<std::string> target = followLinks(path);
    struct stat info
    {
    };
    if (!target || ::stat(target->c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false; // nothing that could have been rewritten in place
    bool failed = false;
    const bool completed = completeRewrite(*target, info, failed);
    if (failed)
        cannotCreate(path);
    return completed;
}

void writeFileAtomically(const std::string& path, std::string_view bytes)
{
    writeFileAtomically(path, bytes, WriteFaults {});
}

void writeFileAtomically(const std::string& path, std::string_view bytes, const WriteFaults& faults)
{
    if (path.empty())
        cannotCreate(path);
    if (path == "-") {
        writeInPlace(path, path, bytes, faults);
        return;
    }
    const std::optional<std::string> target = followLinks(path);
    if (!target)
        cannotCreate(path);
    struct stat info
    {
    };
    if (::lstat(target->c_str(), &info) != 0) {
        if (errno != ENOENT)
            cannotCreate(path);
        replaceByRename(path, *target, nullptr, bytes, faults);
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        writeInPlace(path, *target, bytes, faults);
        return;
    }
    // Opening for writing asks the system itself whether this process may change the file
    // (its permissions for the effective user, a read-only mount, an immutable flag); a file it
    // may not change is not replaced either, although the folder would allow the rename.
    Descriptor file(::open(target->c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.isOpen() || ::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode))
        cannotCreate(path);
    // A rewrite of this file that a crash cut short is completed before anything else.
    bool failed = false;
    completeRewrite(*target, info, failed);
    if (failed)
        cannotCreate(path);
    if (info.st_nlink > 1) {
        rewriteInPlace(path, *target, file, bytes, faults);
        return;
    }
    file.close();
    replaceByRename(path, *target, &info, bytes, faults);
}

} // namespace velquor
