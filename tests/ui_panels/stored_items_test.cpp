#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "panel_harness.h"
#include "ui/stored_items.h"

#include <QLineEdit>
#include <QTest>
#include <memory>

using namespace velquor;
using namespace velquor::test;

namespace {

GraphEntry storedPosition(std::int32_t zoom, std::int32_t cx, std::int32_t cy)
{
    GraphEntry entry;
    entry.kind = static_cast<std::int32_t>(GraphKind::Position);
    entry.rangeFrom = std::to_string(zoom);
    entry.width = cx;
    entry.divisions = cy;
    return entry;
}

} // namespace

class StoredItemsTest : public QObject
{
    Q_OBJECT

private slots:
    void storingTwiceGivesTwoEntriesOfTheDefaultName()
    {
        PanelHarness harness;
        harness.document.setView(130, 90, 33);
        harness.dialogs.push(QStringLiteral("無題"));
        harness.dialogs.push(QStringLiteral("無題"));
        QVERIFY(storePosition(harness.document, harness.dialogs));
        QVERIFY(storePosition(harness.document, harness.view, harness.dialogs));
        QCOMPARE(harness.document.graphCount(), 2);
        GraphEntry expected = storedPosition(33, 130, 90);
        expected.name = "無題";
        QVERIFY(harness.document.entry(0) == expected);
        QVERIFY(harness.document.entry(1) == expected);
        const QString question
            = QStringLiteral("input: 位置情報の設定: 位置情報の名前を入力してください。: 無題");
        QCOMPARE(harness.dialogs.log(), QStringList({ question, question }));
    }

    void constantSetKeepsTheTextsAsTyped()
    {
        PanelHarness harness;
        harness.document.setText(Setting::ValA, " 1.5 ");
        harness.document.setText(Setting::ValB, "abc");
        harness.dialogs.push(QString());
        QVERIFY(storeConstants(harness.document, harness.dialogs));
        GraphEntry expected;
        expected.kind = static_cast<std::int32_t>(GraphKind::Constants);
        expected.formula1 = " 1.5 ";
        expected.formula2 = "abc";
        QVERIFY(harness.document.entry(0) == expected); // an empty name stays empty here
        QCOMPARE(harness.dialogs.log(),
            QStringList { QStringLiteral(
                "input: 定数情報の設定: 定数情報の名前を入力してください。: 無題") });
    }

    void cancellingStoresNothing()
    {
        PanelHarness harness;
        QVERIFY(!storePosition(harness.document, harness.dialogs));
        QVERIFY(!storeConstants(harness.document, harness.dialogs));
        QCOMPARE(harness.document.graphCount(), 0);
        QCOMPARE(harness.redraws(), 0);
    }

    void animatedMoveDrawsTenRoundedFrames()
    {
        PanelHarness harness;
        harness.document.setView(222, 182, 25);
        restorePosition(harness.document, harness.view, storedPosition(40, 100, 100), true);
        const std::int32_t zooms[] = { 26, 28, 30, 31, 32, 34, 36, 37, 38, 40 };
        const std::int32_t columns[] = { 210, 198, 185, 173, 161, 149, 137, 124, 112, 100 };
        QCOMPARE(harness.redraws(), 10);
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(harness.frames[i].zoom, zooms[i]);
            QCOMPARE(harness.frames[i].cx, columns[i]);
        }
        QVERIFY(harness.frames.back() == (Frame { 40, 100, 100 }));
        QCOMPARE(harness.view.settleTicks, 1); // the settle redraw follows
    }

    void theCurrentViewStillDrawsTenFrames()
    {
        PanelHarness harness;
        harness.document.setView(222, 182, 25);
        restorePosition(harness.document, harness.view, storedPosition(25, 222, 182), true);
        QCOMPARE(harness.frames, std::vector<Frame>(10, Frame { 25, 222, 182 }));
    }

    void jumpDrawsOnceWithoutSettling()
    {
        PanelHarness harness;
        harness.document.setView(222, 182, 25);
        restorePosition(harness.document, harness.view, storedPosition(40, 100, 100), false);
        QCOMPARE(harness.frames, std::vector<Frame>({ Frame { 40, 100, 100 } }));
        QCOMPARE(harness.view.settleTicks, 0);
    }

    void storedZoomMustBeAnInteger()
    {
        const struct
        {
            const char* rangeFrom;
            int zoom; // 0: the restore fails
        } cases[] = { { "25", 25 }, { "  40", 40 }, { "$1E", 30 }, { "2.5", 0 }, { "", 0 },
            { "40 ", 0 }, { "2147483648", 0 } };
        for (const auto& row : cases) {
            PanelHarness harness;
            harness.document.setView(222, 182, 10);
            GraphEntry entry = storedPosition(0, 100, 100);
            entry.rangeFrom = row.rangeFrom;
            const QString error
                = errorOf([&] { restorePosition(harness.document, harness.view, entry, false); });
            if (row.zoom == 0) {
                QCOMPARE(
                    error, QString::fromStdString(formatMessage(NotIntegerMessage, row.rangeFrom)));
                QCOMPARE(harness.redraws(), 0);
                QCOMPARE(harness.document.Zoom, 10);
                QCOMPARE(harness.document.CX, 222);
            } else {
                QCOMPARE(error, QStringLiteral("(no error)"));
                QCOMPARE(harness.document.Zoom, row.zoom);
            }
        }
    }

    void restoringConstantsRedrawsPerChangeAndOnceMore()
    {
        PanelHarness harness;
        ConstantsPanel panel(harness.document, harness.dialogs);
        harness.constants = &panel;
        harness.document.setText(Setting::AInterval, "0.1");
        panel.m_bUpDown->press(UpDownButton::Up);
        harness.document.setText(Setting::ValB, "0");
        harness.frames.clear();
        GraphEntry set;
        set.kind = static_cast<std::int32_t>(GraphKind::Constants);
        set.formula1 = "0.5";
        set.formula2 = "2";
        restoreConstants(harness.document, harness.view, set);
        QCOMPARE(panel.m_aEdit->text(), QStringLiteral("0.5"));
        QCOMPARE(panel.m_bEdit->text(), QStringLiteral("2"));
        QCOMPARE(harness.redraws(), 3);
        restoreConstants(harness.document, harness.view, set);
        QCOMPARE(harness.redraws(), 4);
        // Steps and counters are not touched.
        QCOMPARE(harness.document.settings().aInterval, std::string("0.1"));
        QCOMPARE(panel.m_bUpDown->position(), 1);
    }

    void savedDocumentLoadsBackTheSame()
    {
        PanelHarness harness;
        harness.document.setView(130, 90, 33);
        harness.document.setText(Setting::ValA, "0.5");
        harness.document.setText(Setting::ValB, " -2 ");
        harness.document.setText(Setting::AInterval, "2.5E-5");
        harness.document.setText(Setting::BInterval, "abc");
        harness.dialogs.push(true);
        harness.document.setFlag(Setting::CheckDegree, true);
        for (const char* name : { "原点", "" }) {
            harness.dialogs.push(QString::fromUtf8(name));
            storePosition(harness.document, harness.dialogs);
        }
        harness.dialogs.push(QStringLiteral("無題"));
        storeConstants(harness.document, harness.dialogs);
        harness.document.nameUnnamedEntries(); // the list rebuild that follows storing

        PanelHarness loaded;
        loadGdtBytes(loaded.document, encodeGdt(harness.document), "round.gdt");
        QVERIFY(loaded.document.settings() == harness.document.settings());
        QCOMPARE(loaded.document.graphCount(), 3);
        for (int slot = 0; slot < 3; ++slot)
            QVERIFY(loaded.document.entry(slot) == harness.document.entry(slot));
        QCOMPARE(loaded.dialogs.log().size(), 1); // the degree question on loading
    }
};

std::unique_ptr<QObject> makeStoredItemsTest()
{
    return std::make_unique<StoredItemsTest>();
}

#include "stored_items_test.moc"
