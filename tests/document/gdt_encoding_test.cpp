// A document saves in the encoding its file came in, with every unchanged text as the file's
// own bytes; a save that must change the encoding names the text that forced it.
#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "temp_folder.h"

#include <functional>
#include <gtest/gtest.h>

namespace velquor {
namespace {

    // A file as the writer lays it out, with one entry whose name and formula are given as
    // bytes of the file (the placeholders are ASCII, so the layout stays the writer's).
    std::string fileWith(
        std::string_view bom, std::string_view nameBytes, std::string_view rangeBytes)
    {
        Document document;
        GraphEntry entry;
        entry.name = "@NAME@";
        entry.formula1 = "sin(x)";
        entry.rangeTo = "@RANGE@";
        document.appendEntry(entry);
        std::string bytes = std::string(bom) + encodeGdt(document);
        bytes.replace(bytes.find("@NAME@"), 6, nameBytes);
        bytes.replace(bytes.find("@RANGE@"), 7, rangeBytes);
        return bytes;
    }

    TEST(GdtEncoding, UnchangedTextsKeepTheFilesBytesAndEncoding)
    {
        const std::string graph932 = "\x83\x4F\x83\x89\x83\x74"; // グラフ
        const std::string utf8Bom(Utf8ByteOrderMark);
        struct Row
        {
            const char* why;
            std::string file;
            std::function<void(Document&)> edit;
            std::string expected; // the bytes the save writes
            std::string forcedBy;
        };
        const Row rows[] = {
            { "a CP932 file with one invalid byte stays the same bytes",
                fileWith("", graph932 + "\xFF", "\x82\xA0"), {},
                fileWith("", graph932 + "\xFF", "\x82\xA0"), "" },
            { "a duplicate CP932 code (NEC-selected IBM) is not turned into its IBM twin",
                fileWith("", "\xEE\xEF", "1"), {}, fileWith("", "\xEE\xEF", "1"), "" },
            { "a changed text is encoded anew, the unchanged invalid one stays",
                fileWith("", graph932 + "\xFF", "\x82\xA0"),
                [](Document& d) { d.entry(0).rangeTo = "い"; },
                fileWith("", graph932 + "\xFF", "\x82\xA2"), "" },
            { "a text with no CP932 form forces UTF-8; the file's texts go as they were decoded",
                fileWith("", graph932 + "\xFF", "\x82\xA0"),
                [](Document& d) { d.entry(0).rangeTo = "€1"; },
                fileWith(utf8Bom, "グラフ\uFFFD", "€1"), "€1" },
            { "a UTF-8 file stays UTF-8 although CP932 could hold it",
                fileWith(utf8Bom, "グラフ", "1"), {}, fileWith(utf8Bom, "グラフ", "1"), "" },
            { "a UTF-8 file keeps an invalid byte as it was", fileWith(utf8Bom, "\xE3\x82", "1"),
                {}, fileWith(utf8Bom, "\xE3\x82", "1"), "" },
        };
        for (const Row& row : rows) {
            Document document;
            loadGdtBytes(document, row.file, "p");
            if (row.edit)
                row.edit(document);
            const GdtBytes saved = encodeGdtFile(document);
            EXPECT_EQ(saved.bytes, row.expected) << row.why;
            EXPECT_EQ(saved.forcedUtf8By, row.forcedBy) << row.why;
        }
    }

    // New starts a CP932 document again, whatever the file before it was.
    TEST(GdtEncoding, NewForgetsTheFilesEncodingAndBytes)
    {
        Document document;
        loadGdtBytes(document, fileWith(Utf8ByteOrderMark, "\xE3\x82", "1"), "p");
        document.resetForNew(445, 364);
        GraphEntry entry;
        entry.name = "グラフ";
        document.appendEntry(entry);
        const std::string bytes = encodeGdt(document);
        EXPECT_FALSE(bytes.starts_with(Utf8ByteOrderMark));
        EXPECT_NE(bytes.find("\x83\x4F\x83\x89\x83\x74"), std::string::npos);
    }

    // The save still writes everything (in UTF-8) and tells which text forced it; the message
    // shows a long text shortened.
    TEST(GdtEncoding, ASaveThatMustChangeTheEncodingSaysWhichText)
    {
        struct Row
        {
            std::string name;
            std::string warning;
        };
        const Row rows[] = {
            { "sin(x)", "" },
            { "€ graph",
                "'€ graph' "
                "にはShift_JISで保存できない文字があるため、ファイルをUTF-8で保存しました" },
            { std::string(150, 'x') + "€",
                "'" + std::string(100, 'x')
                    + "...' "
                      "にはShift_JISで保存できない文字があるため、ファイルをUTF-8で保存しました" },
        };
        test::TempFolder folder;
        for (const Row& row : rows) {
            Document document;
            GraphEntry entry;
            entry.name = row.name;
            document.appendEntry(entry);
            const std::string path = folder.file("doc.gdt");
            const GdtSaveResult saved = saveGdt(document, path);
            EXPECT_EQ(saved.warning, row.warning) << row.name;
            EXPECT_EQ(saved.changedToUtf8, !row.warning.empty()) << row.name;
            Document loaded;
            loadGdt(loaded, path);
            EXPECT_EQ(loaded.entry(0).name, row.name);
            // Once the file is UTF-8, the next save keeps it so and says nothing.
            if (saved.changedToUtf8)
                adoptUtf8(document);
            EXPECT_EQ(saveGdt(document, path).warning, "") << row.name;
        }
    }

} // namespace
} // namespace velquor
