#include "calc/error.h"
#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "document/text_encoding.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace velquor {
namespace {

    // Texts that stress the file: empty, near-keys, Japanese, half-width katakana,
    // characters outside CP932, and a text that is only blanks.
    const std::vector<std::string> SettingTexts = {
        "",
        "sin(x)",
        "[end]",
        "[Count] ",
        " [A]",
        "1.0",
        "名前未設定",
        "ｸﾞﾗﾌ",
        "x^2+a*b",
        "€",
        "𠮷野家",
        "  ",
        "ü",
        "-1",
        "$10",
    };
    // Entry blocks are read by position, so their texts may be keys too.
    const std::vector<std::string> EntryTexts = [] {
        std::vector<std::string> texts = SettingTexts;
        texts.insert(texts.end(), { "[END]", "[Count]", "[A]", "[CheckDegree]" });
        return texts;
    }();

    std::int32_t randomInt(std::mt19937& random)
    {
        static const std::int32_t special[] = { 0, -1, 1, 2147483647, -2147483647 - 1, 16777215 };
        std::uniform_int_distribution<int> pick(0, 7);
        const int choice = pick(random);
        if (choice < 6)
            return special[choice];
        return static_cast<std::int32_t>(random());
    }

    const std::string& pick(const std::vector<std::string>& texts, std::mt19937& random)
    {
        return texts[random() % texts.size()];
    }

    Document randomDocument(std::mt19937& random)
    {
        Document document;
        for (const Setting text : { Setting::Accuracy, Setting::TempAccuracy, Setting::Interval,
                 Setting::Interval2, Setting::Ratio, Setting::MainLineWidth, Setting::ValA,
                 Setting::ValB, Setting::AInterval, Setting::BInterval, Setting::Animate })
            document.setText(text, pick(SettingTexts, random));
        document.setFlag(Setting::CheckScale, random() % 2);
        document.setFlag(Setting::OtherFunction, random() % 2);
        document.setColor(Setting::BackgroundColor, randomInt(random));
        document.setColor(Setting::MainLineColor, randomInt(random));
        document.setView(randomInt(random), randomInt(random), randomInt(random));
        const int count = static_cast<int>(random() % 12);
        static const std::int32_t kinds[] = { 0, 1, 2, 10, 11, 7 };
        for (int i = 0; i < count; ++i) {
            GraphEntry entry;
            entry.name = pick(EntryTexts, random);
            entry.visible = random() % 2 ? -1 : 0;
            entry.kind = kinds[random() % 6];
            entry.color = randomInt(random);
            entry.width = randomInt(random);
            entry.formula1 = pick(EntryTexts, random);
            entry.formula2 = pick(EntryTexts, random);
            entry.divisions = randomInt(random);
            entry.rangeFrom = pick(EntryTexts, random);
            entry.rangeTo = pick(EntryTexts, random);
            document.appendEntry(entry);
            if (random() % 4 == 0)
                document.markDeleted(i);
        }
        return document;
    }

    TEST(GdtRoundTrip, RandomDocumentsSaveLoadSaveToTheSameBytes)
    {
        std::mt19937 random(20261208);
        for (int round = 0; round < 300; ++round) {
            Document original = randomDocument(random);
            // A settings text equal to a key is read as that key (tested with the loader),
            // so settings use near-keys only.
            const std::string first = encodeGdt(original);
            Document loaded;
            loadGdtBytes(loaded, first, "p");
            ASSERT_EQ(encodeGdt(loaded), first) << "round " << round;
            EXPECT_EQ(loaded.settings(), original.settings());
            EXPECT_EQ(loaded.graphCount(), original.liveEntryCount());
        }
    }

    TEST(GdtRoundTrip, EveryTruncationLoadsOrStopsWithTheIntegerMessage)
    {
        Document original;
        GraphEntry entry;
        entry.name = "名前";
        entry.kind = 1;
        entry.divisions = 50;
        original.appendEntry(entry);
        original.appendEntry(entry);
        const std::vector<std::string> lines = gdtLines(original);
        for (std::size_t kept = 0; kept <= lines.size(); ++kept) {
            std::string text, bytes;
            for (std::size_t i = 0; i < kept; ++i)
                text += lines[i] + "\r\n";
            ASSERT_TRUE(encodeCp932(text, bytes));
            Document document;
            std::string message;
            try {
                loadGdtBytes(document, bytes, "p");
            } catch (const Error& error) {
                message = error.what();
            }
            // A cut right after an integer key leaves its value empty; once "[Count]" is
            // read, missing lines read empty and the first integer field among them stops
            // the load (from index 41 to the second block's last integer, 43 + 18 + 7),
            // unless only reserved lines were cut.
            static const std::set<std::string> integerKeys = { "[CheckScale]", "[BackgroundColor]",
                "[MainLineColor]", "[Zoom]", "[CX]", "[CY]", "[CheckDegree]", "[OtherFunction]" };
            const bool cutAfterIntegerKey = kept > 0 && integerKeys.count(lines[kept - 1]) > 0;
            const bool stops = cutAfterIntegerKey || (kept >= 41 && kept < 43 + 18 + 8);
            // A cut before the first key leaves no document at all (header and version only).
            const bool noKey = std::none_of(lines.begin(),
                lines.begin() + static_cast<std::ptrdiff_t>(kept),
                [](const std::string& line) { return line.starts_with('['); });
            EXPECT_EQ(message,
                noKey       ? "ﾌｧｲﾙ p はグラフのファイルではありません"
                    : stops ? "'' は整数ではありません"
                            : "")
                << "kept " << kept;
            EXPECT_LE(document.graphCount(), 2);
            if (kept == lines.size()) {
                EXPECT_EQ(encodeGdt(document), encodeGdt(original));
            }
        }
    }

} // namespace
} // namespace velquor
