#include "calc/error.h"
#include "document/atomic_file.h"
#include "non_root.h"
#include "temp_folder.h"

#include <chrono>
#include <functional>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace velquor {
namespace {

    namespace fs = std::filesystem;

    std::string errorOf(
        const std::string& path, std::string_view bytes, const WriteFaults& faults = {})
    {
        try {
            writeFileAtomically(path, bytes, faults);
        } catch (const Error& error) {
            return error.what();
        }
        return {};
    }

    std::size_t entriesIn(const fs::path& folder)
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
    }

    TEST(AtomicFile, ReplacesAndKeepsPermissions)
    {
        test::TempFolder folder;
        const std::string path = folder.file("doc.gdt");
        EXPECT_EQ(errorOf(path, "first"), "");
        EXPECT_EQ(test::readBytes(path), "first");
        ::chmod(path.c_str(), 0640);
        EXPECT_EQ(errorOf(path, "second"), "");
        EXPECT_EQ(test::readBytes(path), "second");
        struct stat info
        {
        };
        ::stat(path.c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0640u);
        EXPECT_EQ(entriesIn(folder.path()), 1u);
    }

    TEST(AtomicFile, FailuresLeaveTheOldFileAndNoTemporaryFile)
    {
        test::TempFolder folder;
        const std::string path = folder.file("doc.gdt");
        test::writeBytes(path, "old contents");
        struct Row
        {
            const char* why;
            WriteFaults faults;
        };
        const Row rows[] = {
            { "write fails half-way", WriteFaults { 3, false } },
            { "write fails at once", WriteFaults { 0, false } },
            { "rename fails", WriteFaults { std::nullopt, true } },
        };
        for (const Row& row : rows) {
            EXPECT_EQ(
                errorOf(path, "new contents", row.faults), "ﾌｧｲﾙ " + path + " を作成できません")
                << row.why;
            EXPECT_EQ(test::readBytes(path), "old contents") << row.why;
            EXPECT_EQ(entriesIn(folder.path()), 1u) << row.why;
        }
    }

    TEST(AtomicFile, UnwritableTargets)
    {
        test::TempFolder folder;
        const fs::path locked = folder.path() / "locked";
        fs::create_directory(locked);
        test::writeBytes((locked / "doc.gdt").string(), "old");
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        const fs::path subfolder = folder.path() / "sub.gdt";
        fs::create_directory(subfolder);
        // Root writes into read-only folders; /proc takes no new files from anyone.
        std::vector<fs::path> targets
            = { subfolder, folder.path() / "no" / "x.gdt", "/proc/velquor-test.gdt" };
        if (::geteuid() != 0)
            targets.push_back(locked / "doc.gdt");
        for (const fs::path& target : targets) {
            EXPECT_EQ(
                errorOf(target.string(), "new"), "ﾌｧｲﾙ " + target.string() + " を作成できません");
        }
        EXPECT_TRUE(fs::is_directory(subfolder));
        EXPECT_EQ(test::readBytes((locked / "doc.gdt").string()), "old");
        EXPECT_EQ(entriesIn(folder.path()), 2u);
    }

    TEST(AtomicFile, DevicesAreWrittenInPlaceAndLinksFollowed)
    {
        EXPECT_EQ(errorOf("/dev/null", "x"), "");
        struct stat info
        {
        };
        ASSERT_EQ(::stat("/dev/null", &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));

        test::TempFolder folder;
        const std::string target = folder.file("real.gdt");
        test::writeBytes(target, "old");
        const std::string link = folder.file("link.gdt");
        fs::create_symlink(target, link);
        EXPECT_EQ(errorOf(link, "new"), "");
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(test::readBytes(target), "new");
    }

    std::string cannotCreate(const std::string& path)
    {
        return "ﾌｧｲﾙ " + path + " を作成できません";
    }

    // The temporary name is short and of its own, so every name the folder takes can be saved,
    // up to the system's 255 bytes.
    TEST(AtomicFile, NamesUpToTheLongestTheFolderTakes)
    {
        test::TempFolder folder;
        for (std::size_t length : { 1u, 248u, 249u, 250u, 254u, 255u }) {
            const std::string path = folder.file(std::string(length - 1, 'n') + "g");
            EXPECT_EQ(errorOf(path, "first"), "") << length;
            EXPECT_EQ(errorOf(path, "second"), "") << length;
            EXPECT_EQ(test::readBytes(path), "second") << length;
            fs::remove(path);
        }
        EXPECT_EQ(entriesIn(folder.path()), 0u);
        const std::string tooLong = folder.file(std::string(256, 'n'));
        EXPECT_EQ(errorOf(tooLong, "x"), cannotCreate(tooLong));
        EXPECT_EQ(entriesIn(folder.path()), 0u);
    }

    // Mode 0444 in a folder the user may write: the rename would be allowed, the change of the
    // file is not. Root may write any file, so this runs as another user.
    TEST(AtomicFile, AWriteProtectedFileIsLeftAsItWas)
    {
        test::TempFolder folder;
        const std::string path = folder.file("protected.gdt");
        const std::string linked = folder.file("linked.gdt");
        const std::string other = folder.file("other.gdt");
        test::writeBytes(path, "old");
        test::writeBytes(other, "old");
        fs::create_hard_link(other, linked);
        const std::string written = folder.file("written.gdt");
        const test::NonRootRun run = test::runAsNonRoot(folder.path(), [&] {
            ::chmod(path.c_str(), 0444);
            ::chmod(other.c_str(), 0444);
            // A file the user may write, next to it, is replaced as usual.
            return errorOf(path, "new") == cannotCreate(path)
                && errorOf(linked, "new") == cannotCreate(linked) && errorOf(written, "new").empty();
        });
        if (run.skipped)
            GTEST_SKIP() << run.why;
        EXPECT_TRUE(run.passed) << run.why;
        EXPECT_EQ(test::readBytes(path), "old");
        EXPECT_EQ(test::readBytes(other), "old");
        EXPECT_EQ(test::readBytes(written), "new");
        struct stat info
        {
        };
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0444u);
        EXPECT_EQ(entriesIn(folder.path()), 4u); // no temporary file left
    }

    // Links stay links: the name they finally give gets the bytes, created when it is missing.
    TEST(AtomicFile, DanglingLinksAndLinkChainsNameTheFileWritten)
    {
        test::TempFolder folder;
        fs::create_directory(folder.path() / "sub");
        const std::string link = folder.file("link.gdt");
        fs::create_symlink("sub/missing.gdt", link); // relative to the link's folder
        EXPECT_EQ(errorOf(link, "new"), "");
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(test::readBytes(folder.file("sub/missing.gdt")), "new");

        const std::string chain = folder.file("chain.gdt");
        fs::create_symlink(link, chain); // chain -> link -> sub/missing.gdt
        EXPECT_EQ(errorOf(chain, "again"), "");
        EXPECT_TRUE(fs::is_symlink(chain) && fs::is_symlink(link));
        EXPECT_EQ(test::readBytes(folder.file("sub/missing.gdt")), "again");

        const std::string absolute = folder.file("absolute.gdt");
        fs::create_symlink(folder.path() / "sub" / "made.gdt", absolute);
        EXPECT_EQ(errorOf(absolute, "made"), "");
        EXPECT_EQ(test::readBytes(folder.file("sub/made.gdt")), "made");
        EXPECT_EQ(entriesIn(folder.path() / "sub"), 2u);

        // A loop and a link into a missing folder cannot be written, and stay as they were.
        const std::string loop = folder.file("loop.gdt");
        fs::create_symlink("loop.gdt", loop);
        EXPECT_EQ(errorOf(loop, "x"), cannotCreate(loop));
        const std::string nowhere = folder.file("nowhere.gdt");
        fs::create_symlink("no/such/folder.gdt", nowhere);
        EXPECT_EQ(errorOf(nowhere, "x"), cannotCreate(nowhere));
        EXPECT_TRUE(fs::is_symlink(loop) && fs::is_symlink(nowhere));
        EXPECT_EQ(entriesIn(folder.path()), 6u);
    }

    // A hard-linked file is rewritten in place, so that every name sees the new bytes; a
    // failed write puts the old ones back; no backup is left either way.
    TEST(AtomicFile, HardLinkedFilesKeepTheirLinks)
    {
        test::TempFolder folder;
        const std::string first = folder.file("first.gdt");
        const std::string second = folder.file("second.gdt");
        test::writeBytes(first, "old contents");
        fs::create_hard_link(first, second);
        ::chmod(first.c_str(), 0640);

        EXPECT_EQ(errorOf(first, "new"), "");
        EXPECT_EQ(test::readBytes(second), "new");
        EXPECT_EQ(fs::hard_link_count(first), 2u);
        EXPECT_TRUE(fs::equivalent(first, second));
        EXPECT_EQ(fs::status(second).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        EXPECT_EQ(entriesIn(folder.path()), 2u);

        for (const WriteFaults& faults : { WriteFaults { 0, false }, WriteFaults { 2, false } }) {
            EXPECT_EQ(errorOf(second, "longer new contents", faults), cannotCreate(second));
            EXPECT_EQ(test::readBytes(first), "new");
            EXPECT_EQ(fs::hard_link_count(first), 2u);
            EXPECT_EQ(entriesIn(folder.path()), 2u);
        }
    }

    // Runs body in a child process that SIGALRM ends after `seconds`; the child's verdict.
    bool inChildWithin(int seconds, const std::function<bool()>& body)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(static_cast<unsigned>(seconds));
            ::_exit(body() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    TEST(AtomicFile, APipeWithoutReaderFailsAtOnce)
    {
        test::TempFolder folder;
        const std::string pipe = folder.file("pipe");
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        EXPECT_TRUE(inChildWithin(20, [&] { return errorOf(pipe, "x") == cannotCreate(pipe); }));
        EXPECT_TRUE(fs::is_fifo(pipe));
        EXPECT_EQ(entriesIn(folder.path()), 1u);
    }

    TEST(AtomicFile, APipeIsWrittenToItsReaderAndAReaderThatLeavesIsAFailure)
    {
        test::TempFolder folder;
        const std::string pipe = folder.file("pipe");
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        // The reader opens first (without waiting for a writer), reads one byte and leaves: the
        // rest of a write larger than the pipe then fails, and the process goes on.
        EXPECT_TRUE(inChildWithin(20, [&] {
            const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
            std::thread leaving([reader] {
                pollfd wait { reader, POLLIN, 0 };
                ::poll(&wait, 1, -1);
                char byte = 0;
                [[maybe_unused]] const ssize_t got = ::read(reader, &byte, 1);
                ::close(reader);
            });
            const std::string error = errorOf(pipe, std::string(4 << 20, 'x'));
            leaving.join();
            sigset_t pending;
            sigpending(&pending);
            return error == cannotCreate(pipe) && sigismember(&pending, SIGPIPE) == 0;
        }));
        EXPECT_TRUE(inChildWithin(20, [&] {
            const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
            std::string received;
            std::thread reading([&] {
                char buffer[4096];
                for (;;) {
                    pollfd wait { reader, POLLIN, 0 };
                    ::poll(&wait, 1, -1);
                    const ssize_t got = ::read(reader, buffer, sizeof buffer);
                    if (got > 0)
                        received.append(buffer, static_cast<std::size_t>(got));
                    else if (got == 0 && !received.empty())
                        return;
                }
            });
            const std::string error = errorOf(pipe, std::string(200000, 'y'));
            reading.join();
            ::close(reader);
            return error.empty() && received == std::string(200000, 'y');
        }));
    }

} // namespace
} // namespace velquor
