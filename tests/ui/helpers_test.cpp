#include "calc/error.h"
#include "platform/file_filter.h"
#include "platform/help_viewer.h"
#include "platform/scripted_dialog_service.h"
#include "ui/about_box.h"
#include "ui/error_box.h"
#include "ui/main_window.h"
#include "ui/velquor_application.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTranslator>
#include <memory>

using namespace velquor;

namespace {

// A handler that fails the way a command does.
class FailingObject : public QObject
{
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw Error("'x' は整数ではありません");
        return QObject::event(event);
    }
};

} // namespace

class HelpersTest : public QObject
{
    Q_OBJECT
private slots:
    void errorBoxFullStop_data();
    void errorBoxFullStop();
    void fileFilter_data();
    void fileFilter();
    void aboutBox();
    void eventLoopReportsErrors();
    void helpWindowShowsContents();
    void standardDialogsSpeakJapanese();
};

void HelpersTest::errorBoxFullStop_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("japanese") << QStringLiteral("ﾌｧｲﾙ a は開けません")
                              << QStringLiteral("ﾌｧｲﾙ a は開けません.");
    QTest::newRow("quote sorts before .") << QStringLiteral("'x'") << QStringLiteral("'x'");
    QTest::newRow("full stop") << QStringLiteral("done.") << QStringLiteral("done.");
    QTest::newRow("hyphen") << QStringLiteral("a-") << QStringLiteral("a-");
    QTest::newRow("slash sorts after .") << QStringLiteral("a/") << QStringLiteral("a/.");
    QTest::newRow("digit") << QStringLiteral("x 1") << QStringLiteral("x 1.");
    QTest::newRow("blank") << QStringLiteral("x ") << QStringLiteral("x ");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("beyond the BMP") << QStringLiteral("x😀") << QStringLiteral("x😀.");
}

void HelpersTest::errorBoxFullStop()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(errorBoxText(message), shown);
}

void HelpersTest::fileFilter_data()
{
    QTest::addColumn<QString>("windows");
    QTest::addColumn<QString>("qt");
    QTest::newRow("documents") << QStringLiteral(
        "グラフデータファイル(*.gdt)|*.gdt|すべてのファイル|*.*")
                               << QStringLiteral(
                                      "グラフデータファイル(*.gdt);;すべてのファイル (*.*)");
    QTest::newRow("several patterns")
        << QStringLiteral("画像|*.bmp;*.dib") << QStringLiteral("画像 (*.bmp *.dib)");
}

void HelpersTest::fileFilter()
{
    QFETCH(QString, windows);
    QFETCH(QString, qt);
    QCOMPARE(qtFileFilter(windows), qt);
}

void HelpersTest::aboutBox()
{
    AboutBox about;
    QCOMPARE(about.windowTitle(), QStringLiteral("バージョン情報"));
    QCOMPARE(about.size(), QSize(428, 244));
    auto* version = about.findChild<QLabel*>(QStringLiteral("versionLabel"));
    QVERIFY(version);
    QCOMPARE(version->text(), QStringLiteral("バージョン 1.40 "));
    auto* ok = about.findChild<QPushButton*>(QStringLiteral("okButton"));
    QVERIFY(ok && ok->isDefault());
    QCOMPARE(ok->geometry(), QRect(330, 208, 87, 25));
    about.show();
    QTest::keyClick(&about, Qt::Key_Return);
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

void HelpersTest::eventLoopReportsErrors()
{
    auto* app = static_cast<VelquorApplication*>(qApp);
    ScriptedDialogService dialogs;
    app->setDialogService(&dialogs);
    FailingObject object;
    QEvent event(QEvent::User);
    QApplication::sendEvent(&object, &event);
    app->setDialogService(nullptr);
    QCOMPARE(dialogs.errors(), QStringList { QStringLiteral("'x' は整数ではありません.") });
}

void HelpersTest::helpWindowShowsContents()
{
    HelpViewer help;
    help.showContents(QStringLiteral("Velquor.hlp"));
    QVERIFY(help.window());
    QVERIFY(help.window()->isVisible());
    auto* browser = help.window()->findChild<QTextBrowser*>();
    QVERIFY(browser);
    QVERIFY(!browser->toPlainText().isEmpty());
    if (HelpViewer::contentsPath(QStringLiteral("Velquor.hlp")).isEmpty())
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Velquor.hlp")));
}

void HelpersTest::standardDialogsSpeakJapanese()
{
    // The tests run in the C locale (see CMakeLists.txt), as a user with LANG=C.UTF-8 does: the
    // Japanese texts are loaded whatever the locale.
    auto* app = static_cast<VelquorApplication*>(qApp);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(folder + QStringLiteral("/qtbase_ja.qm")))
        QFAIL(qPrintable(QStringLiteral("%1/qtbase_ja.qm is missing: install qt6-translations-l10n "
                                        "(scripts/install-deps.sh)")
                             .arg(folder)));
    QVERIFY(app->standardDialogTranslations());
    QCOMPARE(app->standardDialogTranslations()->language(), QStringLiteral("ja"));
    QVERIFY(app->installStandardDialogTranslations()); // once only, however often asked

    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    // The texts of the file dialog and its overwrite question come from the same file.
    QVERIFY(QCoreApplication::translate("QFileDialog", "Look in:") != QStringLiteral("Look in:"));
    QVERIFY(
        QCoreApplication::translate("QFileDialog", "File &name:") != QStringLiteral("File &name:"));
}

std::unique_ptr<QObject> makeHelpersTest()
{
    return std::make_unique<HelpersTest>();
}

#include "helpers_test.moc"
