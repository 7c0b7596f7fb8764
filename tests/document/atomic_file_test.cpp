#include "calc/error.h"
#include "document/atomic_file.h"
#include "temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
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

} // namespace
} // namespace velquor
