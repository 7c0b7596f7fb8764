#include "document/gdt_writer.h"
#include "document/text_encoding.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <iconv.h>
#include <random>

namespace velquor {
namespace {

    GraphEntry sineGraph()
    {
        GraphEntry graph;
        graph.name = graph.formula1 = "sin(x)";
        graph.visible = -1;
        graph.color = 16777215;
        graph.width = 1;
        graph.formula2 = "cos(x)";
        graph.divisions = 360;
        graph.rangeFrom = "0";
        graph.rangeTo = "6.28";
        return graph;
    }

    TEST(GdtWriter, OneSineGraphGivesTheSixtyOneLineFile)
    {
        Document document;
        document.initialiseView(445, 364);
        document.appendEntry(sineGraph());
        const std::string expected = "Velquor 1.00 Alpha Version Data File\r\n1.00\r\n"
                                     "[Accuracy]\r\n1\r\n[TempAccuracy]\r\n20\r\n"
                                     "[CheckScale]\r\n1\r\n[Interval]\r\n1.0\r\n"
                                     "[Interval2]\r\n1.0\r\n[BackgroundColor]\r\n0\r\n"
                                     "[ratio]\r\n1\r\n[MainLineColor]\r\n8421504\r\n"
                                     "[MainLineWidth]\r\n1\r\n[Zoom]\r\n25\r\n"
                                     "[CX]\r\n222\r\n[CY]\r\n182\r\n[A]\r\n0\r\n[B]\r\n0\r\n"
                                     "[AInterval]\r\n1\r\n[BInterval]\r\n1\r\n"
                                     "[Animate]\r\n40\r\n[CheckDegree]\r\n0\r\n"
                                     "[OtherFunction]\r\n1\r\n[Count]\r\n1\r\n[END]\r\n"
                                     "sin(x)\r\n-1\r\n0\r\n16777215\r\n1\r\nsin(x)\r\ncos(x)\r\n"
                                     "360\r\n0\r\n6.28\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
        EXPECT_EQ(encodeGdt(document), expected);
        EXPECT_EQ(gdtLines(document).size(), 61u);
    }

    TEST(GdtWriter, DeletedEntriesAreLeftOutAndTheTableStays)
    {
        Document document;
        for (const char* name : { "first", "second", "third" }) {
            GraphEntry entry;
            entry.name = name;
            entry.kind = 10;
            entry.width = -5; // a Position's stored CX may be negative
            document.appendEntry(entry);
        }
        document.markDeleted(1);
        const auto lines = gdtLines(document);
        ASSERT_EQ(lines.size(), 43u + 2 * 18);
        EXPECT_EQ(lines[40], "[Count]");
        EXPECT_EQ(lines[41], "2");
        EXPECT_EQ(lines[43], "first");
        EXPECT_EQ(lines[47], "-5");
        EXPECT_EQ(lines[61], "third");
        EXPECT_EQ(document.graphCount(), 3);
    }

    // Which texts keep the file in CP932 and which need UTF-8 with a byte order mark.
    TEST(GdtWriter, EncodingFallsBackToUtf8OnlyWhenCp932CannotHoldAText)
    {
        struct Row
        {
            const char* name;
            bool cp932;
            const char* encodedName; // the name's bytes in the file
        };
        const Row rows[] = {
            { "名前未設定", true, "\x96\xBC\x91\x4F\x96\xA2\x90\xDD\x92\xE8" },
            { "ｱ", true, "\xB1" }, // half-width katakana is one byte
            { "〜", true, "\x81\x60" }, // WAVE DASH, as glibc maps it
            { "～", true, "\x81\x60" }, // FULLWIDTH TILDE
            { "¥", true, "\x5C" }, // YEN SIGN becomes the byte the Japanese fonts show as ¥
            { "€", false, "€" },
            { "𠮷", false, "𠮷" },
        };
        for (const Row& row : rows) {
            Document document;
            GraphEntry entry;
            entry.name = row.name;
            document.appendEntry(entry);
            const std::string bytes = encodeGdt(document);
            EXPECT_EQ(bytes.starts_with(Utf8ByteOrderMark), !row.cp932) << row.name;
            EXPECT_NE(
                bytes.find(std::string("[END]\r\n") + row.encodedName + "\r\n"), std::string::npos)
                << row.name;
        }
    }

    TEST(TextEncoding, DecodingReplacesBadBytesOnly)
    {
        EXPECT_EQ(decodeCp932("\x82\xA0\xA0x\x81"), "あ\uFFFDx\uFFFD");
        EXPECT_EQ(decodeCp932("\x81\x60\x5C"), "～\\");
        EXPECT_EQ(decodeCp932("\x81\r\n"), "\uFFFD\r\n"); // a cut-off lead byte keeps the line end
        EXPECT_EQ(sanitizeUtf8("a\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xE3\x81"),
            "a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
        EXPECT_EQ(sanitizeUtf8("あ𠮷"), "あ𠮷");
        std::string out;
        EXPECT_FALSE(encodeCp932("\xFF", out));
    }

    // The plain way to decode: iconv over everything, one U+FFFD per byte it stops at.
    std::string referenceDecode(std::string input)
    {
        iconv_t cd = iconv_open("UTF-8", "CP932");
        std::string out;
        char* in = input.data();
        std::size_t inLeft = input.size();
        while (inLeft > 0) {
            char buffer[256];
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                out += "\uFFFD";
                ++in;
                --inLeft;
            }
        }
        iconv_close(cd);
        return out;
    }

    // The decoder's fast paths (ASCII runs, bytes known to start no character) must agree
    // with iconv on its own, byte for byte.
    TEST(TextEncoding, DecodingAgreesWithPlainIconv)
    {
        std::mt19937 random(932);
        for (int round = 0; round < 2000; ++round) {
            std::string bytes(random() % 40, '\0');
            for (char& byte : bytes) {
                // Mostly bytes around the lead and trail ranges, some ASCII.
                const unsigned pick = random() % 4;
                byte = static_cast<char>(pick == 0 ? random() % 0x80 : 0x3E + random() % 0xC2);
            }
            ASSERT_EQ(decodeCp932(bytes), referenceDecode(bytes)) << "round " << round;
        }
    }

} // namespace
} // namespace velquor
