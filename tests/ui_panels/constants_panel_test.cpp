#include "panel_harness.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace velquor;
using namespace velquor::test;

namespace {

struct StepCase
{
    const char* why;
    const char* value;
    const char* step;
    std::vector<UpDownButton> presses;
    std::vector<const char*> texts; // m_aEdit after each press
    int redraws;
};

} // namespace

class ConstantsPanelTest : public QObject
{
    Q_OBJECT

private slots:
    void steppingFormatsTheSum()
    {
        using enum UpDownButton;
        const StepCase cases[] = {
            { "the 15-digit format hides the rounding of 0.1 sums", "0", "0.1", { Up, Up, Up },
                { "0.1", "0.2", "0.3" }, 3 },
            { "down from 1 by 1", "1", "1", { Down }, { "0" }, 1 },
            { "down twice by a half", "0", "0.5", { Down, Down }, { "-0.5", "-1" }, 2 },
            { "a small step turns scientific", "0", "2.5E-5", { Up }, { "2.5E-5" }, 1 },
            { "blanks around the value are skipped", " 1.5 ", "1", { Up }, { "2.5" }, 1 },
            { "a zero step leaves the text, so no redraw", "3", "0", { Up, Down }, { "3", "3" },
                0 },
            { "a step with blanks and exponent", "0", " -1e2 ", { Up }, { "-100" }, 1 },
        };
        for (const StepCase& row : cases) {
            PanelHarness harness;
            ConstantsPanel panel(harness.document, harness.dialogs);
            harness.constants = &panel;
            harness.document.setText(Setting::ValA, row.value);
            harness.document.setText(Setting::AInterval, row.step);
            harness.frames.clear();
            for (std::size_t i = 0; i < row.presses.size(); ++i) {
                QVERIFY2(panel.m_aUpDown->press(row.presses[i]), row.why);
                QCOMPARE(panel.m_aEdit->text(), QString::fromUtf8(row.texts[i]));
                QCOMPARE(harness.document.settings().valA, std::string(row.texts[i]));
            }
            QVERIFY2(harness.redraws() == row.redraws, row.why);
        }
    }

    void constantBStepsWithItsOwnStep()
    {
        PanelHarness harness;
        ConstantsPanel panel(harness.document, harness.dialogs);
        harness.constants = &panel;
        harness.document.setText(Setting::BInterval, "0.25");
        panel.m_bUpDown->press(UpDownButton::Up);
        QCOMPARE(panel.m_bEdit->text(), QStringLiteral("0.25"));
        QCOMPARE(panel.m_aEdit->text(), QStringLiteral("0"));
        QCOMPARE(harness.redraws(), 1);
    }

    void badTextsReportAndChangeNothing()
    {
        // Longer than the message shows (an edit holds at most 32767 characters).
        static const std::string hugeValue = std::string(1000, '9') + "x";
        const struct
        {
            const char* why;
            const char* value;
            const char* step;
            QString message;
        } cases[] = {
            { "a step of letters", "0", "abc", notFloat("abc") },
            { "an empty value", "", "1", notFloat("") },
            { "the value's error comes first", "x", "y", notFloat("x") },
            { "letters after the number", "1.5x", "1", notFloat("1.5x") },
            // The names of values that C's readers take are no numbers here.
            { "a value of nan", "nan", "1", notFloat("nan") },
            { "a step of inf", "0", "inf", notFloat("inf") },
            { "a value of -infinity", "-infinity", "1", notFloat("-infinity") },
            { "a huge value is shown cut to 100 characters", hugeValue.c_str(), "1",
                notFloat((std::string(100, '9') + "...").c_str()) },
        };
        for (const auto& row : cases) {
            PanelHarness harness;
            ConstantsPanel panel(harness.document, harness.dialogs);
            harness.constants = &panel;
            harness.document.setText(Setting::ValA, row.value);
            harness.document.setText(Setting::AInterval, row.step);
            harness.frames.clear();
            QCOMPARE(errorOf([&] { panel.m_aUpDown->press(UpDownButton::Up); }), row.message);
            QCOMPARE(panel.m_aEdit->text(), QString::fromUtf8(row.value));
            QVERIFY2(harness.redraws() == 0, row.why);
        }
    }

    void overflowKeepsTheValue()
    {
        PanelHarness harness;
        ConstantsPanel panel(harness.document, harness.dialogs);
        harness.document.setText(Setting::ValA, "1E4932");
        harness.document.setText(Setting::AInterval, "1E4932");
        QVERIFY(errorOf([&] { panel.m_aUpDown->press(UpDownButton::Up); })
            != QStringLiteral("(no error)"));
        QCOMPARE(harness.document.settings().valA, std::string("1E4932"));
    }

    void typingRedrawsOncePerChange()
    {
        PanelHarness harness;
        ConstantsPanel panel(harness.document, harness.dialogs);
        harness.constants = &panel;
        panel.show();
        panel.m_aEdit->setFocus();
        panel.m_aEdit->selectAll();
        QTest::keyClicks(panel.m_aEdit, QStringLiteral("-2"));
        QCOMPARE(harness.redraws(), 2); // after "-" (drawn with a = 0) and after "-2"
        QCOMPARE(harness.document.settings().valA, std::string("-2"));
        QCOMPARE(panel.m_aEdit->text(), QStringLiteral("-2"));
        QCOMPARE(panel.m_aEdit->cursorPosition(), 2);
    }

    void anErrorOfTheRedrawLeavesThroughTheEventLoop()
    {
        PanelHarness harness;
        ConstantsPanel panel(harness.document, harness.dialogs);
        harness.constants = &panel;
        harness.document.setText(Setting::Ratio, "abc");
        panel.show();
        panel.m_aEdit->setFocus();
        panel.m_aEdit->selectAll();
        QTest::keyClicks(panel.m_aEdit, QStringLiteral("1"));
        QCOMPARE(errorOf([] { deliverQueued(); }), notFloat("abc"));
        QCOMPARE(harness.document.settings().valA, std::string("1")); // the change stays
        // A press whose redraw fails: the error is raised again from the event loop, and the
        // held arrow does not go on repeating.
        QTest::mousePress(panel.m_aUpDown, Qt::LeftButton, {}, QPoint(8, 4));
        QCOMPARE(errorOf([] { deliverQueued(); }), notFloat("abc"));
        QCOMPARE(harness.document.settings().valA, std::string("2"));
        QTest::qWait(600);
        QCOMPARE(harness.document.settings().valA, std::string("2"));
    }

    void documentChangesShowWithoutFeedback()
    {
        PanelHarness harness;
        ConstantsPanel panel(harness.document, harness.dialogs);
        harness.constants = &panel;
        harness.document.setText(Setting::ValB, "abc");
        deliverQueued();
        QCOMPARE(panel.m_bEdit->text(), QStringLiteral("abc"));
        QCOMPARE(harness.redraws(), 1);
    }

    void counterStopsAtItsEnds()
    {
        PanelHarness harness;
        ConstantsPanel panel(harness.document, harness.dialogs);
        harness.constants = &panel;
        harness.document.setText(Setting::AInterval, "0");
        for (int i = 0; i < 32767; ++i)
            QVERIFY(panel.m_aUpDown->press(UpDownButton::Up));
        QCOMPARE(panel.m_aUpDown->position(), 32767);
        harness.document.setText(Setting::AInterval, "1");
        harness.document.setText(Setting::ValA, "5"); // edited by hand in between
        harness.frames.clear();
        QVERIFY(!panel.m_aUpDown->press(UpDownButton::Up));
        QCOMPARE(panel.m_aEdit->text(), QStringLiteral("5"));
        QCOMPARE(harness.redraws(), 0);
        QVERIFY(panel.m_aUpDown->press(UpDownButton::Down));
        QCOMPARE(panel.m_aEdit->text(), QStringLiteral("4"));
        // b has a counter of its own; the bottom end is symmetric.
        QVERIFY(panel.m_bUpDown->press(UpDownButton::Up));
        panel.m_bUpDown->setPosition(-32767);
        QVERIFY(!panel.m_bUpDown->press(UpDownButton::Down));
        panel.resetCounterA();
        QCOMPARE(panel.m_aUpDown->position(), 0);
        QCOMPARE(panel.m_bUpDown->position(), -32767);
    }

    void arrowHalvesStepUpAndDown()
    {
        PanelHarness harness;
        ConstantsPanel panel(harness.document, harness.dialogs);
        harness.constants = &panel;
        panel.show();
        QTest::mouseClick(panel.m_aUpDown, Qt::LeftButton, {}, QPoint(8, 4));
        QCOMPARE(panel.m_aEdit->text(), QStringLiteral("1"));
        QTest::mouseClick(panel.m_aUpDown, Qt::LeftButton, {}, QPoint(8, 20));
        QTest::mouseClick(panel.m_aUpDown, Qt::LeftButton, {}, QPoint(8, 20));
        QCOMPARE(panel.m_aEdit->text(), QStringLiteral("-1"));
        QCOMPARE(panel.m_aUpDown->position(), -1);
    }

    void stepDialogStoresTheTextAsTyped()
    {
        PanelHarness harness;
        ConstantsPanel panel(harness.document, harness.dialogs);
        harness.constants = &panel;
        panel.show();
        harness.dialogs.push(QStringLiteral("abc"));
        QTest::mouseClick(panel.m_aStepButton, Qt::LeftButton);
        deliverQueued();
        harness.dialogs.push(ScriptedDialogService::Cancel {});
        panel.askStepB();
        QCOMPARE(harness.dialogs.log(),
            QStringList({ QStringLiteral("input: 刻み値設定: 定数Aの刻み値を設定してください。: 1"),
                QStringLiteral("input: 刻み値設定: 定数Bの刻み値を設定してください。: 1") }));
        QCOMPARE(harness.document.settings().aInterval, std::string("abc"));
        QCOMPARE(harness.document.settings().bInterval, std::string("1"));
        QCOMPARE(harness.redraws(), 0);
        QCOMPARE(errorOf([&] { panel.m_aUpDown->press(UpDownButton::Up); }), notFloat("abc"));
        QCOMPARE(panel.m_aStepButton->toolTip(), QStringLiteral("刻み値を設定する"));
    }

    void layoutMatchesThePanel()
    {
        PanelHarness harness;
        ConstantsPanel panel(harness.document, harness.dialogs);
        QCOMPARE(panel.size(), QSize(152, 64));
        QCOMPARE(panel.m_aEdit->geometry(), QRect(50, 8, 39, 20));
        QCOMPARE(panel.m_bEdit->geometry(), QRect(50, 37, 40, 20));
        QCOMPARE(panel.m_aUpDown->geometry(), QRect(94, 6, 16, 24));
        QCOMPARE(panel.m_bUpDown->geometry(), QRect(94, 35, 16, 24));
        QCOMPARE(panel.m_aStepButton->geometry(), QRect(114, 6, 14, 24));
        QCOMPARE(panel.m_bStepButton->geometry(), QRect(114, 35, 14, 24));
    }
};

std::unique_ptr<QObject> makeConstantsPanelTest()
{
    return std::make_unique<ConstantsPanelTest>();
}

#include "constants_panel_test.moc"
