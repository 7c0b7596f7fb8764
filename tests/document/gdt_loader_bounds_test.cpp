// What a load costs: memory within a small multiple of the file, whatever its lines hold, and
// a progress that lets the window live while a big file is read.
#include "calc/error.h"
#include "document/gdt_loader.h"
#include "peak_allocation.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace velquor {
namespace {

    std::string repeated(std::string_view piece, std::size_t times)
    {
        std::string bytes;
        bytes.reserve(piece.size() * times);
        for (std::size_t i = 0; i < times; ++i)
            bytes += piece;
        return bytes;
    }

    const std::string entryBlock = "g\r\n-1\r\n0\r\n255\r\n1\r\nx\r\n\r\n100\r\n0\r\n1\r\n"
                                   "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";

    // Files of 8 to 16 MiB whose lines were each costly before: the loader kept every line as a
    // string of its own (about 34 bytes each, however short the line).
    TEST(GdtLoaderBounds, MemoryIsASmallMultipleOfTheFileWhateverItsLinesHold)
    {
        constexpr std::size_t MiB = std::size_t(1) << 20;
        struct Row
        {
            const char* why;
            std::string bytes;
            int entries;
        };
        const Row rows[] = {
            // A file without any key is no document: these end in "[END]", so the whole file is
            // scanned (the check for a key first, then the settings).
            { "line feeds only", std::string(16 * MiB, '\n') + "[END]", 0 },
            { "lone CRs", std::string(16 * MiB, '\r') + "[END]", 0 },
            { "a short key line after another, each the value of the one before",
                repeated("[A]\r\n", 3 * MiB), 0 },
            { "Japanese text lines (CP932) that are no keys",
                repeated("\x82\xA0\r\n", 4 * MiB) + "[END]", 0 },
            { "200,000 entry blocks after \"[Count]\" 100, which reads 100 of them",
                "[Count]\r\n100\r\n[END]\r\n" + repeated(entryBlock, 200'000), 100 },
        };
        test::TempFolder folder;
        for (const Row& row : rows) {
            const std::string path = folder.file("big.gdt");
            test::writeBytes(path, row.bytes);
            Document document;
            const std::size_t peak = test::peakAllocation([&] { loadGdt(document, path); });
            // The file's bytes once, and some room for the read's margin and the document.
            EXPECT_LE(peak, row.bytes.size() + 2 * MiB) << row.why;
            EXPECT_EQ(document.graphCount(), row.entries) << row.why;
        }
    }

    // The progress rises from 0 to 1 through the read and the scan, so that a caller can keep
    // its window alive; a big file reports often, one under a MiB never.
    TEST(GdtLoaderBounds, ProgressRisesToTheEnd)
    {
        test::TempFolder folder;
        const std::string path = folder.file("doc.gdt");
        test::writeBytes(path, "[A]\r\n3\r\n" + std::string(std::size_t(8) << 20, '\n'));
        std::vector<double> reports;
        Document document;
        loadGdt(document, path, [&](double done) { reports.push_back(done); });
        ASSERT_GE(reports.size(), 8u);
        EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
        EXPECT_GE(reports.front(), 0.0);
        EXPECT_EQ(reports.back(), 1.0);
        EXPECT_EQ(document.settings().valA, "3");

        // A small file is loaded without a call: the window's events wait as before.
        test::writeBytes(path, "[A]\r\n4\r\n");
        reports.clear();
        loadGdt(document, path, [&](double done) { reports.push_back(done); });
        EXPECT_TRUE(reports.empty());
    }

    // Whether any line was a key or "[END]": a file without one holds no document and is refused
    // before the document changes.
    TEST(GdtLoaderBounds, TellsWhetherAnyKeyLineMatched)
    {
        struct Row
        {
            std::string bytes;
            bool found;
        };
        const Row rows[] = {
            { "", false }, { "hello\r\nworld\r\n", false },
            { "[a]\r\n[End]\r\n [END]\r\n", false }, // case and blanks count
            { "[END]", true }, { "text\r\n[Zoom]\r\n30\r\n", true },
            { "[Accuracy]", true }, // its value line lies past the end and reads as empty
        };
        for (const Row& row : rows) {
            Document document;
            document.setText(Setting::ValA, "7");
            if (row.found) {
                EXPECT_TRUE(loadGdtBytes(document, row.bytes, "p").keyLineFound) << row.bytes;
            } else {
                EXPECT_THROW(loadGdtBytes(document, row.bytes, "p"), Error) << row.bytes;
                EXPECT_EQ(document.settings().valA, "7") << row.bytes;
                EXPECT_TRUE(document.fileName().empty()) << row.bytes;
            }
        }
    }

} // namespace
} // namespace velquor
