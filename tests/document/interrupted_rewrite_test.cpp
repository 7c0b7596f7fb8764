// A save over a hard-linked file rewrites it in place. A crash (SIGKILL) at any point of that
// must leave, once the next save or load has looked, the whole old document or the whole new
// one under every name, and no journal beside it.
#include "calc/error.h"
#include "document/atomic_file.h"
#include "document/gdt_loader.h"
#include "temp_folder.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velquor {
namespace {

    namespace fs = std::filesystem;

    // Bytes of a document whose every byte tells which document and where: a torn file shows.
    std::string contents(char tag, std::size_t size)
    {
        std::string bytes = "[A]\r\n" + std::string(1, tag) + "\r\n";
        std::uint32_t state = static_cast<unsigned char>(tag);
        while (bytes.size() < size) {
            state = state * 1664525u + 1013904223u;
            bytes += static_cast<char>('a' + (state >> 24) % 26);
        }
        return bytes;
    }

    ino_t inodeOf(const std::string& path)
    {
        struct stat info
        {
        };
        ::stat(path.c_str(), &info);
        return info.st_ino;
    }

    std::vector<std::string> hiddenNames(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(folder))
            if (item.path().filename().string().starts_with(".velquor-"))
                names.push_back(item.path().filename().string());
        return names;
    }

    // A child process saves new bytes over one of two hard links and is killed at a random
    // moment of it; then a load (or a save) through the other name looks first.
    TEST(InterruptedRewrite, AKillAtAnyPointLeavesTheOldOrTheNewDocumentWhole)
    {
        const std::string oldBytes = contents('o', 3 << 20);
        const std::string newBytes = contents('n', 2 << 20);
        test::TempFolder folder;
        const std::string first = folder.file("first.gdt");
        const std::string second = folder.file("second.gdt");

        // How long a whole save takes here, to spread the kills over it.
        test::writeBytes(first, oldBytes);
        fs::create_hard_link(first, second);
        const auto started = std::chrono::steady_clock::now();
        writeFileAtomically(first, newBytes);
        const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - started);

        std::mt19937 random(24);
        int torn = 0; // kills that came while the file itself was being written
        for (int round = 0; round < 30; ++round) {
            test::writeBytes(first, oldBytes);
            const pid_t child = ::fork();
            if (child == 0) {
                try {
                    writeFileAtomically(first, newBytes);
                } catch (...) {
                    ::_exit(1);
                }
                ::_exit(0);
            }
            ::usleep(static_cast<useconds_t>(random() % (whole.count() * 5 / 4 + 1)));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            const std::string seen = test::readBytes(second);
            if (seen != oldBytes && seen != newBytes)
                ++torn;

            const bool throughLoad = round % 2 == 0;
            if (throughLoad) {
                Document document;
                loadGdt(document, second);
                EXPECT_TRUE(document.settings().valA == "o" || document.settings().valA == "n");
            } else {
                writeFileAtomically(
                    second, test::readBytes(second) == oldBytes ? oldBytes : newBytes);
            }
            const std::string after = test::readBytes(first);
            EXPECT_TRUE(after == oldBytes || after == newBytes) << "round " << round;
            EXPECT_EQ(test::readBytes(second), after) << "round " << round;
            EXPECT_EQ(fs::hard_link_count(first), 2u);
            EXPECT_TRUE(hiddenNames(folder.path()).empty()) << "round " << round;
        }
        RecordProperty("torn", torn);
    }

    // The journal a crash leaves, laid out by hand: the new bytes beside a torn file complete
    // it at the next load or save; old bytes alone (a crash before the file was touched) are
    // only removed.
    TEST(InterruptedRewrite, TheNextLoadOrSaveCompletesWhatTheJournalHolds)
    {
        struct Row
        {
            const char* why;
            bool withNew;
            bool withOld;
            std::string fileAfter;
            bool completed;
        };
        const std::string oldDoc = "[A]\r\nold\r\n";
        const std::string newDoc = "[A]\r\nnew\r\n";
        const Row rows[] = {
            { "killed while the file was written", true, true, newDoc, true },
            { "killed after the file was written, before the journal went", true, false, newDoc,
                true },
            { "killed before the new bytes were beside it", false, true, "[A]\r\nol", false },
            { "no journal", false, false, "[A]\r\nol", false },
        };
        for (const bool throughLoad : { true, false }) {
            for (const Row& row : rows) {
                test::TempFolder folder;
                const std::string path = folder.file("doc.gdt");
                test::writeBytes(path, "[A]\r\nol"); // torn, or just short
                fs::create_hard_link(path, folder.file("other.gdt"));
                const std::string stem = folder.file(".velquor-" + std::to_string(inodeOf(path)));
                if (row.withNew)
                    test::writeBytes(stem + ".new", newDoc);
                if (row.withOld)
                    test::writeBytes(stem + ".old", oldDoc);
                if (throughLoad) {
                    Document document;
                    const GdtLoadResult result = loadGdt(document, folder.file("other.gdt"));
                    EXPECT_EQ(result.warning,
                        row.completed ? "ﾌｧｲﾙ " + folder.file("other.gdt")
                                + " の保存が前回途中で終わっていたため、保存を完了してから読み込み"
                                  "ました"
                                      : "")
                        << row.why;
                    EXPECT_EQ(test::readBytes(path), row.fileAfter) << row.why;
                } else {
                    writeFileAtomically(path, "saved");
                    EXPECT_EQ(test::readBytes(folder.file("other.gdt")), "saved") << row.why;
                }
                EXPECT_TRUE(hiddenNames(folder.path()).empty()) << row.why;
            }
        }
    }

    // A journal that is not the file's own (another owner's, a link, a folder) is not taken.
    TEST(InterruptedRewrite, OnlyARegularJournalFileIsTaken)
    {
        test::TempFolder folder;
        const std::string path = folder.file("doc.gdt");
        test::writeBytes(path, "mine");
        const std::string stem = folder.file(".velquor-" + std::to_string(inodeOf(path)));
        test::writeBytes(folder.file("elsewhere"), "theirs");
        fs::create_symlink(folder.file("elsewhere"), stem + ".new");
        EXPECT_FALSE(completeInterruptedRewrite(path));
        fs::remove(stem + ".new");
        fs::create_directory(stem + ".new");
        EXPECT_FALSE(completeInterruptedRewrite(path));
        EXPECT_EQ(test::readBytes(path), "mine");
    }

} // namespace
} // namespace velquor
