#include "panel_harness.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <memory>

using namespace velquor;
using namespace velquor::test;

namespace {

const QString DegreeQuestion
    = QStringLiteral("yesno: 確認: 縦横比・目盛などの設定も最適に自動設定しますか？");

} // namespace

class SettingsPanelTest : public QObject
{
    Q_OBJECT

private slots:
    void applyRepairsEmptyAndNonPositiveFields()
    {
        const struct
        {
            Setting which;
            const char* before;
            const char* after;
        } cases[] = {
            { Setting::Interval, "0", "1" }, { Setting::Interval, "-2", "1" },
            { Setting::Interval, "", "1" },
            { Setting::Interval, " 0.5", " 0.5" }, // positive: kept as typed
            { Setting::Interval2, "0", "1" }, { Setting::Interval2, "-2", "1" },
            { Setting::Interval2, "", "1" }, { Setting::Interval2, "-0", "1" },
            { Setting::Accuracy, "", "1" },
            { Setting::Accuracy, "0", "0" }, // only an empty accuracy is filled in
            { Setting::TempAccuracy, "", "20" }, { Setting::TempAccuracy, "abc", "abc" },
            { Setting::Animate, "", "40" },
            { Setting::Ratio, "", "" }, // the ratio is not tested at all
        };
        for (const auto& row : cases) {
            PanelHarness harness;
            SettingsPanel panel(harness.document, harness.dialogs);
            harness.settings = &panel;
            harness.document.setText(row.which, row.before);
            panel.apply();
            PanelHarness expected;
            expected.document.setText(row.which, row.after);
            QVERIFY2(harness.document.settings() == expected.document.settings(), row.before);
            QCOMPARE(harness.redraws(), 0);
        }
    }

    void applyStopsAtAnIntervalThatIsNoNumber()
    {
        PanelHarness harness;
        SettingsPanel panel(harness.document, harness.dialogs);
        harness.settings = &panel;
        harness.document.setText(Setting::Interval, "abc");
        harness.document.setText(Setting::Interval2, "0");
        harness.document.setText(Setting::Accuracy, "");
        QCOMPARE(errorOf([&] { panel.apply(); }), notFloat("abc"));
        QCOMPARE(harness.document.settings().accuracy, std::string("1")); // done before
        QCOMPARE(harness.document.settings().interval2, std::string("0")); // never reached
    }

    void editsFollowTheDocumentBothWays()
    {
        PanelHarness harness;
        SettingsPanel panel(harness.document, harness.dialogs);
        harness.settings = &panel;
        panel.show();
        panel.m_accuracyEdit->setFocus();
        panel.m_accuracyEdit->selectAll();
        QTest::keyClicks(panel.m_accuracyEdit, QStringLiteral("3"));
        QTest::mouseClick(panel.m_gridCheck, Qt::LeftButton);
        panel.m_gridWidthSpin->setValue(4);
        deliverQueued();
        QCOMPARE(harness.document.settings().accuracy, std::string("3"));
        QCOMPARE(harness.document.settings().checkScale, false);
        QCOMPARE(harness.document.settings().mainLineWidth, std::string("4"));

        harness.document.setText(Setting::Ratio, "2");
        harness.document.setText(Setting::Animate, "7");
        harness.document.setFlag(Setting::CheckScale, true);
        harness.document.setText(Setting::MainLineWidth, "2");
        QCOMPARE(panel.m_ratioEdit->text(), QStringLiteral("2"));
        QCOMPARE(panel.m_animationFramesEdit->text(), QStringLiteral("7"));
        QVERIFY(panel.m_gridCheck->isChecked());
        QCOMPARE(panel.m_gridWidthSpin->value(), 2);
        deliverQueued();
        QCOMPARE(harness.document.settings().mainLineWidth, std::string("2"));
        QCOMPARE(harness.redraws(), 0);
    }

    void degreeQuestionAnswers()
    {
        for (const bool yes : { true, false }) {
            PanelHarness harness;
            SettingsPanel panel(harness.document, harness.dialogs);
            harness.settings = &panel;
            panel.show();
            harness.dialogs.push(yes);
            QTest::mouseClick(panel.m_degreeCheck, Qt::LeftButton);
            deliverQueued();
            QCOMPARE(harness.dialogs.log(), QStringList { DegreeQuestion });
            QVERIFY(harness.document.settings().checkDegree);
            DocumentSettings expected;
            expected.checkDegree = true;
            if (yes) {
                expected.ratio = "90";
                expected.interval = "1";
                expected.interval2 = "90";
            }
            QVERIFY(harness.document.settings() == expected);
            QCOMPARE(harness.document.Zoom, yes ? 1 : 25);
            QCOMPARE(harness.redraws(), yes ? 1 : 0);
            QCOMPARE(panel.m_ratioEdit->text(), QString::fromStdString(expected.ratio));
            QCOMPARE(
                panel.m_horizontalIntervalEdit->text(), QString::fromStdString(expected.interval2));

            // Clearing the box asks nothing and changes nothing else.
            QTest::mouseClick(panel.m_degreeCheck, Qt::LeftButton);
            deliverQueued();
            QCOMPARE(harness.dialogs.log().size(), 1);
            QVERIFY(!harness.document.settings().checkDegree);
            QCOMPARE(harness.redraws(), yes ? 1 : 0);
        }
    }

    void degreeMenuTwiceAsksOnce()
    {
        PanelHarness harness;
        SettingsPanel panel(harness.document, harness.dialogs);
        harness.settings = &panel;
        harness.dialogs.push(false);
        harness.dialogs.push(true);
        harness.document.setFlag(Setting::CheckDegree, true); // "度表示に設定"
        harness.document.setFlag(Setting::CheckDegree, true);
        QCOMPARE(harness.dialogs.log(), QStringList { DegreeQuestion });
        QVERIFY(panel.m_degreeCheck->isChecked());
        QCOMPARE(harness.document.settings().ratio, std::string("1"));
    }

    void colourSwatchesRedrawEvenWhenCancelled()
    {
        PanelHarness harness;
        SettingsPanel panel(harness.document, harness.dialogs);
        harness.settings = &panel;
        panel.setRedraw([&] { harness.view.RedrawPlot(); });
        panel.show();
        harness.dialogs.push(ScriptedDialogService::Cancel {});
        QTest::mouseClick(panel.m_backgroundSwatch, Qt::LeftButton);
        deliverQueued();
        QCOMPARE(harness.redraws(), 1);
        QCOMPARE(harness.document.settings().backgroundColor, 0);

        harness.dialogs.push(std::int32_t { 0x0000ff });
        QTest::mouseClick(panel.m_gridColorSwatch, Qt::LeftButton);
        deliverQueued();
        QCOMPARE(harness.redraws(), 2);
        QCOMPARE(harness.document.settings().mainLineColor, 0x0000ff);
        QCOMPARE(panel.m_gridColorSwatch->palette().color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(harness.dialogs.log(),
            QStringList({ QStringLiteral("color: 0"), QStringLiteral("color: 8421504") }));
    }

    void startValuesAndLayout()
    {
        PanelHarness harness;
        SettingsPanel panel(harness.document, harness.dialogs);
        QCOMPARE(panel.m_accuracyEdit->text(), QStringLiteral("1"));
        QCOMPARE(panel.m_movingAccuracyEdit->text(), QStringLiteral("20"));
        QCOMPARE(panel.m_verticalIntervalEdit->text(), QStringLiteral("1.0"));
        QCOMPARE(panel.m_horizontalIntervalEdit->text(), QStringLiteral("1.0"));
        QCOMPARE(panel.m_animationFramesEdit->text(), QStringLiteral("40"));
        QCOMPARE(panel.m_ratioEdit->text(), QStringLiteral("1"));
        QVERIFY(panel.m_gridCheck->isChecked());
        QVERIFY(!panel.m_degreeCheck->isChecked());
        QCOMPARE(panel.m_gridWidthSpin->minimum(), 1);
        QCOMPARE(panel.m_gridWidthSpin->maximum(), 5);
        QCOMPARE(panel.m_accuracyEdit->geometry(), QRect(188, 60, 73, 20));
        QCOMPARE(panel.m_horizontalIntervalEdit->geometry(), QRect(220, 135, 73, 20));
        QCOMPARE(panel.m_gridColorSwatch->geometry(), QRect(137, 34, 81, 21));
    }
};

std::unique_ptr<QObject> makeSettingsPanelTest()
{
    return std::make_unique<SettingsPanelTest>();
}

#include "settings_panel_test.moc"
