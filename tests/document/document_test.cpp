#include "calc/error.h"
#include "document/document.h"

#include <gtest/gtest.h>
#include <vector>

namespace velquor {
namespace {

    TEST(DocumentTable, AppendStopsAtTheHundredthSlot)
    {
        Document document;
        for (int i = 0; i < MaxEntries; ++i)
            EXPECT_EQ(document.appendEntry(), i);
        try {
            document.appendEntry();
            FAIL() << "a 101st entry was stored";
        } catch (const Error& error) {
            EXPECT_EQ(error.what(), std::string(TableFullMessage));
        }
        EXPECT_EQ(document.graphCount(), MaxEntries);
    }

    TEST(DocumentTable, DeletedEntryKeepsItsSlotUntilCleared)
    {
        Document document;
        GraphEntry graph;
        graph.visible = -1;
        graph.deleted = -1; // an appended entry is live whatever it carried
        for (const char* formula : { "x", "x^2", "x^3" }) {
            graph.name = graph.formula1 = formula;
            document.appendEntry(graph);
        }
        document.markDeleted(1);
        graph.name = "x^4";
        EXPECT_EQ(document.appendEntry(graph), 3);
        EXPECT_EQ(document.graphCount(), 4);
        EXPECT_EQ(document.liveEntryCount(), 3);
        EXPECT_EQ(document.entry(1).deleted, -1);
        EXPECT_EQ(document.entry(1).visible, 0);
        EXPECT_EQ(document.entry(1).name, "x^2");
        EXPECT_EQ(document.entry(3).deleted, 0);

        document.exchangeEntries(0, 1);
        EXPECT_EQ(document.entry(0).name, "x^2");
        EXPECT_EQ(document.entry(0).deleted, -1);
        EXPECT_EQ(document.entry(1).name, "x");
        EXPECT_THROW(document.exchangeEntries(3, 4), std::out_of_range);
        EXPECT_THROW(document.markDeleted(4), std::out_of_range);

        document.clearEntries();
        EXPECT_EQ(document.graphCount(), 0);
        EXPECT_EQ(document.entry(0), GraphEntry {});
    }

    TEST(DocumentTable, EmptyNamesOfLiveEntriesGetThePlaceholderName)
    {
        Document document;
        document.appendEntry(); // empty formula: the name is empty too
        GraphEntry named;
        named.name = "mine";
        document.appendEntry(named);
        document.appendEntry();
        document.markDeleted(2);
        EXPECT_TRUE(document.nameUnnamedEntries());
        EXPECT_EQ(document.entry(0).name, UnnamedEntryName);
        EXPECT_EQ(document.entry(1).name, "mine");
        EXPECT_EQ(document.entry(2).name, ""); // deleted entries are never listed
        EXPECT_FALSE(document.nameUnnamedEntries());
    }

    // Records what the document reports through its hooks.
    struct HookLog
    {
        std::vector<Setting> changes;
        int questions = 0;
        int applied = 0;
        int viewChanges = 0;
        bool answer = false;

        DocumentHooks hooks()
        {
            DocumentHooks hooks;
            hooks.settingChanged = [this](Setting s) { changes.push_back(s); };
            hooks.viewChanged = [this] { ++viewChanges; };
            hooks.askDegreeAutoSettings = [this] {
                ++questions;
                return answer;
            };
            hooks.degreeAutoSettingsApplied = [this] { ++applied; };
            return hooks;
        }
    };

    TEST(DocumentSettings, ChangeIsReportedOnlyWhenTheValueDiffers)
    {
        HookLog log;
        Document document(log.hooks());
        EXPECT_FALSE(document.setText(Setting::ValA, "0"));
        EXPECT_TRUE(document.setText(Setting::ValA, "0.0"));
        EXPECT_FALSE(document.setFlag(Setting::CheckScale, true));
        EXPECT_TRUE(document.setColor(Setting::BackgroundColor, 255));
        EXPECT_FALSE(document.setColor(Setting::BackgroundColor, 255));
        EXPECT_EQ(log.changes, (std::vector { Setting::ValA, Setting::BackgroundColor }));
        EXPECT_THROW(document.setText(Setting::CheckScale, "1"), std::invalid_argument);
    }

    TEST(DocumentSettings, DegreeQuestionIsAskedOnlyWhenTheBoxBecomesTicked)
    {
        for (const bool answer : { true, false }) {
            HookLog log;
            log.answer = answer;
            Document document(log.hooks());
            document.setView(100, 80, 25);
            document.setFlag(Setting::CheckDegree, true);
            document.setFlag(Setting::CheckDegree, true); // already ticked: no question
            EXPECT_EQ(log.questions, 1);
            EXPECT_EQ(log.applied, answer ? 1 : 0);
            const DocumentSettings& s = document.settings();
            EXPECT_TRUE(s.checkDegree);
            EXPECT_EQ(s.ratio, answer ? "90" : "1");
            EXPECT_EQ(s.interval, answer ? "1" : "1.0");
            EXPECT_EQ(s.interval2, answer ? "90" : "1.0");
            EXPECT_EQ(document.Zoom, answer ? 1 : 25);
            EXPECT_EQ(document.CX, 100);
            document.setFlag(Setting::CheckDegree, false); // clearing asks nothing
            EXPECT_EQ(log.questions, 1);
        }
    }

    TEST(DocumentLifecycle, NewResetsItsSettingsAndLeavesTheOthers)
    {
        Document document;
        document.setText(Setting::Accuracy, "7");
        document.setText(Setting::TempAccuracy, "9");
        document.setText(Setting::ValA, "2");
        document.setText(Setting::ValB, "3");
        document.setText(Setting::AInterval, "0.5");
        document.setFlag(Setting::OtherFunction, false);
        document.setText(Setting::Interval, "5");
        document.setText(Setting::Animate, "3");
        document.setText(Setting::MainLineWidth, "4");
        document.setColor(Setting::MainLineColor, 1);
        document.setFlag(Setting::CheckScale, false);
        document.setFileName("/tmp/a.gdt");
        document.appendEntry();

        document.resetForNew(445, 364);
        DocumentSettings expected;
        expected.accuracy = "7";
        expected.tempAccuracy = "9";
        expected.valA = "2";
        expected.valB = "3";
        expected.aInterval = "0.5";
        expected.otherFunction = false;
        expected.interval = expected.interval2 = "1"; // New writes "1", not "1.0"
        EXPECT_EQ(document.settings(), expected);
        EXPECT_EQ(document.fileName(), "");
        EXPECT_EQ(document.graphCount(), 0);
        EXPECT_EQ(document.Zoom, 25);
    }

    TEST(DocumentLifecycle, ViewCentreRoundsHalvesToEven)
    {
        struct Row
        {
            int width, height, cx, cy;
        };
        for (const Row row :
            { Row { 445, 364, 222, 182 }, Row { 447, 1, 224, 0 }, Row { 3, 0, 2, 0 } }) {
            Document document;
            document.initialiseView(row.width, row.height);
            EXPECT_EQ(document.CX, row.cx) << row.width;
            EXPECT_EQ(document.CY, row.cy) << row.height;
        }
    }

} // namespace
} // namespace velquor
