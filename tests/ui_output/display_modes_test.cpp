#include "calc/error.h"
#include "platform/display_modes.h"
#include "test_support.h"

#include <QSet>
#include <QTest>

using namespace velquor;

Q_DECLARE_METATYPE(velquor::DisplayMode)

namespace {

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Error& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

} // namespace

class DisplayModesTest : public QObject
{
    Q_OBJECT

private slots:
    void listHoldsTheSizesThatFitAtEveryDepth()
    {
        const auto modes = listDisplayModes(QSize(1024, 768));
        QStringList captions;
        for (const auto& mode : modes)
            captions << modeCaption(mode);
        QCOMPARE(captions.join(QLatin1Char(' ')),
            QStringLiteral("640x480x8 640x480x16 640x480x24 640x480x32 800x600x8 800x600x16 "
                           "800x600x24 800x600x32 1024x768x8 1024x768x16 1024x768x24 "
                           "1024x768x32"));
        // A screen smaller than every mode lists none: the menu stays empty.
        QVERIFY(listDisplayModes(QSize(639, 1000)).empty());
    }

    void captionParse_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<DisplayMode>("mode");
        QTest::addColumn<QString>("error");
        QTest::newRow("listed") << "800x600x16" << DisplayMode { 800, 600, 16 } << "";
        QTest::newRow("leading blanks pass")
            << " 800x 600x 16" << DisplayMode { 800, 600, 16 } << "";
        QTest::newRow("hexadecimal") << "$280x$1E0x8" << DisplayMode { 640, 480, 8 } << "";
        QTest::newRow("no second x: empty height")
            << "800x600" << DisplayMode {} << "'' は整数ではありません";
        QTest::newRow("no x at all: empty width")
            << "800" << DisplayMode {} << "'' は整数ではありません";
        QTest::newRow("trailing blank")
            << "800x600x16 " << DisplayMode {} << "'16 ' は整数ではありません";
        QTest::newRow("extra part stays in bits")
            << "1x2x3x4" << DisplayMode {} << "'3x4' は整数ではありません";
    }

    void captionParse()
    {
        QFETCH(QString, caption);
        QFETCH(DisplayMode, mode);
        QFETCH(QString, error);
        DisplayMode parsed;
        QCOMPARE(errorOf([&] { parsed = parseModeCaption(caption); }), error);
        if (error.isEmpty())
            QVERIFY(parsed == mode);
    }

    void settingsStartAt640x480x8AndRefuseOtherDepths()
    {
        DisplaySettings settings;
        QVERIFY(settings.mode() == (DisplayMode { 640, 480, 8 }));
        settings.setWidth(800);
        settings.setHeight(600);
        QCOMPARE(errorOf([&] { settings.setBits(15); }),
            QString::fromUtf8("8, 16, 24, 32 のいずれかの値でなければなりません"));
        // Width and height were stored before the depth was refused.
        QVERIFY(settings.mode() == (DisplayMode { 800, 600, 8 }));
        for (int bits : { 8, 16, 24, 32 }) {
            settings.setBits(bits);
            QCOMPARE(settings.bits(), bits);
        }
    }

    void substitution_data()
    {
        QTest::addColumn<DisplayMode>("requested");
        QTest::addColumn<DisplayMode>("result");
        QTest::addColumn<QString>("error");
        QTest::newRow("listed mode as is")
            << DisplayMode { 800, 600, 16 } << DisplayMode { 800, 600, 16 } << "";
        QTest::newRow("smallest larger of any ratio")
            << DisplayMode { 700, 500, 8 } << DisplayMode { 800, 600, 8 } << "";
        // 1280x1024 and 1920x1080 are smaller than 1600x1200 but not 4:3.
        QTest::newRow("same ratio first")
            << DisplayMode { 1200, 900, 32 } << DisplayMode { 1600, 1200, 32 } << "";
        QTest::newRow("then any ratio")
            << DisplayMode { 1700, 1000, 32 } << DisplayMode { 1920, 1080, 32 } << "";
        QTest::newRow("too large") << DisplayMode { 4000, 3000, 8 } << DisplayMode {}
                                   << "ディスプレイモードを変更できません (4000x3000 8bit)";
        QTest::newRow("depth not listed") << DisplayMode { 640, 480, 15 } << DisplayMode {}
                                          << "ディスプレイモードを変更できません (640x480 15bit)";
    }

    void substitution()
    {
        QFETCH(DisplayMode, requested);
        QFETCH(DisplayMode, result);
        QFETCH(QString, error);
        const auto modes = listDisplayModes(QSize(1920, 1200));
        DisplayMode chosen;
        QCOMPARE(errorOf([&] { chosen = substituteMode(modes, requested); }), error);
        if (error.isEmpty())
            QVERIFY(chosen == result);
    }

    void depthReduction()
    {
        QImage gradient(256, 256, QImage::Format_RGB32);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                gradient.setPixel(x, y, qRgb(x, y, (x + y) / 2));
        gradient.setPixel(0, 0, qRgb(0, 0, 0));
        gradient.setPixel(255, 255, qRgb(255, 255, 255));

        QSet<QRgb> colours;
        const QImage eight = reduceToDepth(gradient, 8);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                colours.insert(eight.pixel(x, y));
        QVERIFY(colours.size() <= 256);
        QCOMPARE(eight.pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(eight.pixel(255, 255), qRgb(255, 255, 255));

        // 5-6-5 keeps the top 5, 6 and 5 bits of red, green and blue.
        const QImage sixteen = reduceToDepth(gradient, 16);
        const QRgb reduced = sixteen.pixel(0x57, 0x33);
        QCOMPARE(qRed(reduced) & 0xF8, 0x57 & 0xF8);
        QCOMPARE(qGreen(reduced) & 0xFC, 0x33 & 0xFC);
        QCOMPARE(sixteen.pixel(255, 255), qRgb(255, 255, 255));

        for (int bits : { 24, 32 })
            QCOMPARE(reduceToDepth(gradient, bits), gradient);
    }
};

int runDisplayModesTest(int argc, char** argv)
{
    DisplayModesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "display_modes_test.moc"
