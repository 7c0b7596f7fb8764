#include "ui/input_text_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace velquor;

namespace {

// Answers the next modal dialog: types the text (replacing the selection) and presses a key.
void answerNextDialog(const QString& typed, Qt::Key key)
{
    QTimer::singleShot(0, [typed, key] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        auto* edit = dialog->findChild<QLineEdit*>();
        if (!typed.isNull())
            edit->insert(typed); // replaces the selected initial text, as typing does
        QTest::keyClick(edit, key);
    });
}

} // namespace

class InputTextDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void prefilledSelectedAndLimited()
    {
        InputTextDialog dialog(QStringLiteral("刻み値設定"),
            QStringLiteral("定数Aの刻み値を設定してください。"), QStringLiteral("0.1"));
        auto* edit = dialog.findChild<QLineEdit*>();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("刻み値設定"));
        QCOMPARE(edit->text(), QStringLiteral("0.1"));
        QCOMPARE(edit->selectedText(), QStringLiteral("0.1"));
        QCOMPARE(edit->maxLength(), 255);
        const auto buttons = dialog.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 2);
        QCOMPARE(buttons[0]->text(), QStringLiteral("OK"));
        QVERIFY(buttons[0]->isDefault());
        QCOMPARE(buttons[1]->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    }

    // The layout is in dialog units; whatever the font's metrics, the parts keep their
    // proportions and nothing overlaps or leaves the client area.
    void layoutKeepsItsProportions()
    {
        InputTextDialog dialog(QStringLiteral("位置情報の設定"),
            QStringLiteral("位置情報の名前を入力してください。"), QStringLiteral("無題"));
        const QSize client = dialog.size();
        const QRect prompt = dialog.findChild<QLabel*>()->geometry();
        const QRect edit = dialog.findChild<QLineEdit*>()->geometry();
        const auto buttons = dialog.findChildren<QPushButton*>();
        const QRect ok = buttons[0]->geometry();
        const QRect cancel = buttons[1]->geometry();
        QVERIFY(qAbs(ok.x() * 180 - 38 * client.width()) <= 180);
        QVERIFY(qAbs(cancel.x() * 180 - 92 * client.width()) <= 180);
        QVERIFY(qAbs(edit.width() * 180 - 164 * client.width()) <= 180);
        QCOMPARE(ok.size(), cancel.size());
        QCOMPARE(ok.y(), cancel.y());
        QVERIFY(!ok.intersects(cancel));
        QVERIFY(prompt.bottom() < edit.top());
        QVERIFY(edit.bottom() < ok.top());
        QVERIFY(QRect(QPoint(), client).contains(prompt));
        QVERIFY(QRect(QPoint(), client).contains(cancel));
        QCOMPARE(dialog.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    }

    void enterConfirmsAndEscapeCancels()
    {
        const QString caption = QStringLiteral("定数情報の設定");
        const QString prompt = QStringLiteral("定数情報の名前を入力してください。");
        answerNextDialog(QStringLiteral("放物線"), Qt::Key_Return);
        QCOMPARE(InputTextDialog::getText(nullptr, caption, prompt, QStringLiteral("無題")),
            std::optional<QString>(QStringLiteral("放物線")));
        answerNextDialog(QString(), Qt::Key_Enter);
        QCOMPARE(InputTextDialog::getText(nullptr, caption, prompt, QStringLiteral("無題")),
            std::optional<QString>(QStringLiteral("無題")));
        answerNextDialog(QStringLiteral("x"), Qt::Key_Escape);
        QCOMPARE(InputTextDialog::getText(nullptr, caption, prompt, QStringLiteral("無題")),
            std::nullopt);
    }
};

std::unique_ptr<QObject> makeInputTextDialogTest()
{
    return std::make_unique<InputTextDialogTest>();
}

#include "input_text_dialog_test.moc"
