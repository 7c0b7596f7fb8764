#include "calc/error.h"
#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "temp_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velquor {
namespace {

    std::string joinLines(
        std::initializer_list<std::string_view> lines, std::string_view end = "\r\n")
    {
        std::string bytes;
        for (std::string_view line : lines) {
            bytes += line;
            bytes += end;
        }
        return bytes;
    }

    // The message of the Error the call throws, or "" when it returns.
    template <typename Call> std::string errorOf(Call call)
    {
        try {
            call();
        } catch (const Error& error) {
            return error.what();
        }
        return {};
    }

    const std::string block(std::string_view name, std::string_view visible = "-1")
    {
        return joinLines({ name, visible, "0", "255", "2", "x", "", "100", "0", "1", "", "", "", "",
            "", "", "", "" });
    }

    TEST(GdtLoader, CountZeroAndEndLoadNothingElse)
    {
        Document document;
        document.setText(Setting::Accuracy, "5");
        document.setText(Setting::AInterval, "0.1");
        document.setText(Setting::Animate, "7");
        document.appendEntry();
        const DocumentSettings before = document.settings();
        const GdtLoadResult result
            = loadGdtBytes(document, joinLines({ "[Count]", "0", "[END]" }), "/x/y.gdt");
        EXPECT_EQ(result.warning, "");
        DocumentSettings expected = before;
        expected.aInterval = "1";
        expected.animate = "40";
        EXPECT_EQ(document.settings(), expected);
        EXPECT_EQ(document.graphCount(), 0);
        EXPECT_EQ(document.fileName(), "/x/y.gdt");
    }

    TEST(GdtLoader, LineEndsOfEveryKindAndKeysInAnyOrder)
    {
        for (std::string_view end : { "\r\n", "\r", "\n" }) {
            Document document;
            loadGdtBytes(document,
                joinLines({ "anything", "[CY]", "-7", "[CX]", "12", "[Zoom]", "300", "[Zoom]", "40",
                              "[ratio]", "2", "[Count]", "1", "[END]" },
                    end)
                    + block("g"),
                "p");
            EXPECT_EQ(document.CX, 12);
            EXPECT_EQ(document.CY, -7);
            EXPECT_EQ(document.Zoom, 40); // the last occurrence wins
            EXPECT_EQ(document.settings().ratio, "2");
            ASSERT_EQ(document.graphCount(), 1);
            EXPECT_EQ(document.entry(0).name, "g");
            EXPECT_EQ(document.entry(0).divisions, 100);
        }
    }

    TEST(GdtLoader, AValueLineIsComparedWithTheKeys)
    {
        Document document;
        // The value "[END]" of [A] ends the scan; the line after it starts the first block.
        loadGdtBytes(document,
            joinLines({ "[Count]", "1", "[A]", "[END]" }) + block("after")
                + joinLines({ "[B]", "9" }),
            "p");
        EXPECT_EQ(document.settings().valA, "[END]");
        EXPECT_EQ(document.settings().valB, "0");
        ASSERT_EQ(document.graphCount(), 1);
        EXPECT_EQ(document.entry(0).name, "after");

        // A value that equals a key is applied and then read as that key.
        loadGdtBytes(document, joinLines({ "[A]", "[B]", "5" }), "p");
        EXPECT_EQ(document.settings().valA, "[B]");
        EXPECT_EQ(document.settings().valB, "5");
    }

    TEST(GdtLoader, MissingEndMarker)
    {
        Document document;
        EXPECT_EQ(errorOf([&] { loadGdtBytes(document, joinLines({ "[A]", "3" }), "p"); }), "");
        EXPECT_EQ(document.settings().valA, "3");
        EXPECT_EQ(document.graphCount(), 0);
        EXPECT_EQ(errorOf([&] {
            loadGdtBytes(document, joinLines({ "[Count]", "2" }), "p");
        }),
            "'' は整数ではありません");
        // A key on the last line reads its value past the end: an empty text.
        EXPECT_EQ(errorOf([&] { loadGdtBytes(document, "[B]", "p"); }), "");
        EXPECT_EQ(document.settings().valB, "");
    }

    TEST(GdtLoader, BytesWithoutKeyOrEndAreNoDocumentAndChangeNothing)
    {
        const struct
        {
            std::string bytes;
            bool isDocument;
        } cases[] = {
            { "", false },
            { joinLines({ "Shopping list", "milk", "[eggs]" }), false },
            { joinLines({ "[a]", "1", "[end]" }), false }, // keys are compared exactly
            { joinLines({ " [A]", "1", "[END] " }), false },
            { joinLines({ "notes", "[END]" }), true },
            { joinLines({ "notes", "[CY]", "5" }), true },
            { "[Count]\n0", true },
        };
        for (const auto& [bytes, isDocument] : cases) {
            Document document;
            document.setFileName("old");
            document.appendEntry();
            document.setText(Setting::AInterval, "7");
            const std::string error = errorOf([&] { loadGdtBytes(document, bytes, "p.txt"); });
            EXPECT_EQ(error, isDocument ? "" : "ﾌｧｲﾙ p.txt はグラフのファイルではありません")
                << bytes;
            if (isDocument)
                continue;
            EXPECT_EQ(document.fileName(), "old");
            EXPECT_EQ(document.graphCount(), 1);
            EXPECT_EQ(document.settings().aInterval, "7");
        }
    }

    TEST(GdtLoader, IntegerFailureKeepsWhatWasReadSoFar)
    {
        Document document;
        document.appendEntry();
        const std::string bytes = joinLines({ "[A]", "1", "[Zoom]", "x1", "[B]", "2", "[END]" });
        EXPECT_EQ(
            errorOf([&] { loadGdtBytes(document, bytes, "p"); }), "'x1' は整数ではありません");
        EXPECT_EQ(document.settings().valA, "1");
        EXPECT_EQ(document.settings().valB, "0");
        EXPECT_EQ(document.graphCount(), 0);
        EXPECT_EQ(document.fileName(), "p");

        // The second block's kind is bad: the first entry stays, the broken one is not added.
        std::string twoBlocks
            = joinLines({ "[Count]", "2", "[END]" }) + block("one") + "two\r\n-1\r\nx\r\n";
        EXPECT_EQ(
            errorOf([&] { loadGdtBytes(document, twoBlocks, "p"); }), "'x' は整数ではありません");
        ASSERT_EQ(document.graphCount(), 1);
        EXPECT_EQ(document.entry(0).name, "one");
    }

    TEST(GdtLoader, CountBeyondTheTableLoadsTheFirstHundred)
    {
        std::string bytes = joinLines({ "[Count]", "102", "[END]" });
        for (int i = 0; i < 102; ++i)
            bytes += block("g" + std::to_string(i));
        Document document;
        const GdtLoadResult result = loadGdtBytes(document, bytes, "p");
        EXPECT_EQ(document.graphCount(), 100);
        EXPECT_EQ(document.entry(99).name, "g99");
        EXPECT_EQ(result.entriesNotLoaded, 2);
        EXPECT_EQ(result.warning,
            "グラフは100個までしか登録できないため、残りの 2 個は読み込まれませんでした");

        loadGdtBytes(document, joinLines({ "[Count]", "-3", "[END]" }) + block("g"), "p");
        EXPECT_EQ(document.graphCount(), 0);
    }

    TEST(GdtLoader, DegreeBoxFromTheFileAsksOnce)
    {
        for (const bool answer : { true, false }) {
            int questions = 0;
            DocumentHooks hooks;
            hooks.askDegreeAutoSettings = [&] {
                ++questions;
                return answer;
            };
            Document document(hooks);
            // The question comes at the key's place: the ratio after it is the file's own.
            loadGdtBytes(document,
                joinLines({ "[Zoom]", "30", "[CheckDegree]", "1", "[CheckDegree]", "1",
                    "[Interval]", "2", "[END]" }),
                "p");
            EXPECT_EQ(questions, 1);
            EXPECT_EQ(document.Zoom, answer ? 1 : 30);
            EXPECT_EQ(document.settings().ratio, answer ? "90" : "1");
            EXPECT_EQ(document.settings().interval, "2");
        }
    }

    TEST(GdtLoader, EncodingsOfTheFile)
    {
        Document document;
        loadGdtBytes(document, "[A]\r\n\x82\xA0\xFF\r\n", "p");
        EXPECT_EQ(document.settings().valA, "あ\uFFFD");
        loadGdtBytes(document, "\xEF\xBB\xBF[A]\r\n€\xFF\r\n", "p");
        EXPECT_EQ(document.settings().valA, "€\uFFFD");
        // Without the byte order mark the same bytes are CP932.
        loadGdtBytes(document, "[A]\r\n\xE2\x82\xAC\r\n", "p");
        EXPECT_NE(document.settings().valA, "€");
    }

    TEST(GdtLoader, PathsThatAreNoRegularFileAreRefusedBeforeAnyChange)
    {
        test::TempFolder folder;
        const std::string big = folder.file("big.gdt");
        test::writeBytes(big, "");
        ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(MaxGdtFileSize) + 1), 0);
        const std::string fifo = folder.file("pipe");
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        for (const std::string& path : { folder.path().string(), folder.file("missing.gdt"), big,
                 fifo, std::string("/dev/zero") }) {
            Document document;
            document.setFileName("old");
            document.appendEntry();
            EXPECT_EQ(errorOf([&] { loadGdt(document, path); }), "ﾌｧｲﾙ " + path + " は開けません");
            EXPECT_EQ(document.fileName(), "old");
            EXPECT_EQ(document.graphCount(), 1);
            EXPECT_EQ(document.settings().aInterval, "1");
        }
        const std::string fine = folder.file("fine.gdt");
        test::writeBytes(fine, joinLines({ "[A]", "4" }));
        Document document;
        loadGdt(document, fine);
        EXPECT_EQ(document.settings().valA, "4");
        EXPECT_EQ(document.fileName(), fine);
    }

} // namespace
} // namespace velquor
