#include "../document/non_root.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct RenderRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

RenderRun render(const QStringList& arguments, const QString& scaleFactor = {})
{
    QProcess process;
    if (!scaleFactor.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_SCALE_FACTOR"), scaleFactor);
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(VELQUOR_RENDER), arguments);
    RenderRun run;
    if (!process.waitForFinished(60000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

std::string readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

void writeFile(const QString& path, const std::string& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), qint64(bytes.size()));
}

// A small document: the header, the given settings lines and entry blocks, CR LF throughout.
std::string document(
    const std::vector<std::string>& settings, const std::vector<std::string>& entries)
{
    std::string text = "Velquor 1.00 Alpha Version Data File\r\n1.00\r\n";
    for (const std::string& line : settings)
        text += line + "\r\n";
    text += "[Count]\r\n" + std::to_string(entries.size()) + "\r\n[END]\r\n";
    for (const std::string& formula : entries) {
        text += formula + "\r\n-1\r\n0\r\n255\r\n1\r\n" + formula + "\r\n\r\n0\r\n\r\n\r\n";
        for (int i = 0; i < 8; ++i)
            text += "\r\n";
    }
    return text;
}

TEST(VelquorRender, DrawsEveryExampleAsItsGoldenTrace)
{
    const bool regenerate = qEnvironmentVariableIsSet("VELQUOR_REGENERATE_GOLDEN");
    QDir examples(QStringLiteral(EXAMPLES_DIR));
    const QStringList names
        = examples.entryList({ QStringLiteral("*.gdt") }, QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 6);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        RenderRun run
            = render({ examples.filePath(name), QStringLiteral("--ops"), QStringLiteral("-") });
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        QString golden = QStringLiteral(GOLDEN_DIR "/") + QFileInfo(name).completeBaseName()
            + QStringLiteral(".ops");
        if (regenerate)
            writeFile(golden, run.out);
        EXPECT_EQ(run.out, readFile(golden)) << "regenerate with VELQUOR_REGENERATE_GOLDEN=1";
    }
}

// The picture does not depend on the screen: the scale values' glyphs are the same whatever
// scale the screens have (Qt would otherwise drop the font's hinting on scaled screens).
TEST(VelquorRender, PicturesAreTheSameAtEveryScreenScale)
{
    QDir examples(QStringLiteral(EXAMPLES_DIR));
    QTemporaryDir dir;
    for (const QString& name :
        examples.entryList({ QStringLiteral("*.gdt") }, QDir::Files, QDir::Name)) {
        SCOPED_TRACE(name.toStdString());
        std::vector<std::string> pictures;
        for (const QString& factor : { QString(), QStringLiteral("1.5"), QStringLiteral("2") }) {
            const QString out = dir.filePath(QStringLiteral("plot%1.bmp").arg(pictures.size()));
            const RenderRun run = render({ examples.filePath(name), QStringLiteral("-o"), out,
                                             QStringLiteral("--size"), QStringLiteral("445x364") },
                factor);
            ASSERT_EQ(run.exitCode, 0) << run.err;
            pictures.push_back(readFile(out));
        }
        EXPECT_FALSE(pictures[0].empty());
        EXPECT_EQ(pictures[1], pictures[0]) << "QT_SCALE_FACTOR=1.5";
        EXPECT_EQ(pictures[2], pictures[0]) << "QT_SCALE_FACTOR=2";
    }
}

TEST(VelquorRender, RejectsUsageErrorsWithExitStatusTwo)
{
    const std::vector<QStringList> rows = {
        {},
        { QStringLiteral("--animate") }, // no document
        { QStringLiteral("a.gdt"), QStringLiteral("b.gdt") },
        { QStringLiteral("a.gdt"), QStringLiteral("--frobnicate") },
        { QStringLiteral("a.gdt"), QStringLiteral("-o") }, // option without its value
        { QStringLiteral("a.gdt"), QStringLiteral("--size"), QStringLiteral("0x10") },
        { QStringLiteral("a.gdt"), QStringLiteral("--size"), QStringLiteral("445") },
        { QStringLiteral("a.gdt"), QStringLiteral("--size"), QStringLiteral("20000x10") },
        { QStringLiteral("a.gdt"), QStringLiteral("--size"), QStringLiteral("10x-5") },
        { QStringLiteral("a.gdt"), QStringLiteral("--size"), QStringLiteral("10x5x") },
    };
    for (const QStringList& arguments : rows) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        RenderRun run = render(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("usage: velquor-render"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(VelquorRender, ReportsDocumentAndRedrawErrorsWithExitStatusOne)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Row
    {
        const char* why;
        std::string content; // empty: the file does not exist
        std::string message;
        bool pictureWritten;
    };
    const std::vector<Row> rows = {
        { "missing file", "", " は開けません.", false },
        { "an integer that is not one", document({ "[Zoom]", "abc" }, {}),
            "'abc' は整数ではありません.", false },
        { "a ratio that is not a number: the grid pass fails",
            document({ "[ratio]", "x" }, { "x" }), "'x' は浮動小数点数ではありません.", true },
        { "a step below 1: the curve is hidden", document({ "[Accuracy]", "0.5" }, { "x^2" }),
            "描画できません。表示できないグラフを非表示にしました: x^2", true },
        // The names of values that C's readers take are no numbers, nor is text after a NUL.
        { "a ratio of nan", document({ "[ratio]", "nan" }, { "x" }),
            "'nan' は浮動小数点数ではありません.", true },
        { "an interval of inf", document({ "[Interval]", "inf" }, { "x" }),
            "'inf' は浮動小数点数ではありません.", true },
        { "a ratio of infinity", document({ "[ratio]", "-Infinity" }, { "x" }),
            "'-Infinity' は浮動小数点数ではありません.", true },
        { "a ratio followed by a NUL byte, shown as \\0",
            document({ "[ratio]", std::string("2\0", 2) }, { "x" }),
            "'2\\0' は浮動小数点数ではありません.", true },
        { "a huge ratio is shown cut to 100 characters",
            document({ "[ratio]", std::string(1000000, '7') + "x" }, { "x" }),
            "velquor-render: '" + std::string(100, '7') + "...' は浮動小数点数ではありません.\n",
            true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        QString doc = dir.filePath(QStringLiteral("doc.gdt"));
        QString out = dir.filePath(QStringLiteral("out.bmp"));
        QFile::remove(doc);
        QFile::remove(out);
        if (!row.content.empty())
            writeFile(doc, row.content);
        RenderRun run = render({ doc, QStringLiteral("-o"), out });
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(row.message), std::string::npos) << run.err.substr(0, 300);
        EXPECT_LT(run.err.size(), 300u);
        EXPECT_EQ(QFileInfo::exists(out), row.pictureWritten);
        if (row.pictureWritten) {
            EXPECT_EQ(QFileInfo(out).size(), 486358);
        }
    }
}

// The plot reads a and b with the tolerant reader: a text that is no number, "nan" among them,
// counts as 0 (never as NaN), as it does when typed.
TEST(VelquorRender, ConstantsThatAreNoNumbersDrawAsZero)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto traceOf = [&](const std::string& a) {
        const QString doc = dir.filePath(QStringLiteral("a.gdt"));
        writeFile(doc, document({ "[A]", a, "[B]", a }, { "ax+b+1" }));
        RenderRun run = render({ doc, QStringLiteral("--ops"), QStringLiteral("-") });
        EXPECT_EQ(run.exitCode, 0) << a << run.err;
        return run.out;
    };
    const std::string zero = traceOf("0");
    for (const std::string a : { "nan", "inf", "-infinity", "nan(1)", "abc" }) {
        EXPECT_EQ(traceOf(a), zero) << a;
    }
    EXPECT_NE(traceOf("2"), zero);
}

TEST(VelquorRender, WritesPicturesTracesAndTheSavedDocument)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString family = QStringLiteral(EXAMPLES_DIR "/family.gdt");
    auto path = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };

    RenderRun run = render({ family, QStringLiteral("-o"), path("plot.bmp"),
        QStringLiteral("--ops"), path("plot.ops"), QStringLiteral("--save"), path("saved.gdt") });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string bmp = readFile(path("plot.bmp"));
    EXPECT_EQ(bmp.size(), 486358u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(readFile(path("plot.ops")), readFile(QStringLiteral(GOLDEN_DIR "/family.ops")));
    // The examples were written by the same writer: saving one back changes no byte.
    EXPECT_EQ(readFile(path("saved.gdt")), readFile(family));

    // Any name but *.png gets the bitmap file; *.png a PNG of the same size.
    ASSERT_EQ(render({ family, QStringLiteral("-o"), path("plot.PNG") }).exitCode, 0);
    EXPECT_EQ(readFile(path("plot.PNG")).substr(0, 8), "\x89PNG\r\n\x1A\n");
    ASSERT_EQ(render({ family, QStringLiteral("--size"), QStringLiteral("101x7"),
                         QStringLiteral("-o"), path("small.img") })
                  .exitCode,
        0);
    EXPECT_EQ(readFile(path("small.img")).size(), 54u + 304u * 7u); // 303 bytes padded to 304

    // Animation presents stage by stage; at rest the trace ends with the one present.
    RenderRun animated = render(
        { family, QStringLiteral("--animate"), QStringLiteral("--ops"), QStringLiteral("-") });
    RenderRun atRest = render({ family, QStringLiteral("--ops"), QStringLiteral("-") });
    auto presents = [](const std::string& trace) {
        std::size_t count = 0;
        for (std::size_t at = trace.find("present\n"); at != std::string::npos;
             at = trace.find("present\n", at + 1))
            ++count;
        return count;
    };
    EXPECT_EQ(presents(atRest.out), 1u);
    EXPECT_GT(presents(animated.out), 40u);
}

// Runs the tool with standard error into errPath, from a process that may not use Qt; the exit
// status, or -1.
int runPlainly(const std::vector<std::string>& arguments, const std::string& errPath)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(err, STDERR_FILENO);
        std::vector<char*> argv { const_cast<char*>(VELQUOR_RENDER) };
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(VELQUOR_RENDER, argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// A file of mode 0444 in a folder the user may write is not the user's to replace: --save and
// -o (PNG and BMP) each fail with the message and leave it as it was. Run as a user who is not
// root, since root may write any file.
TEST(VelquorRender, WriteProtectedOutputsAreLeftAsTheyWere)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    const std::string family = folder + "/family.gdt";
    writeFile(QString::fromStdString(family), readFile(QStringLiteral(EXAMPLES_DIR "/family.gdt")));
    struct Row
    {
        const char* option;
        const char* name;
    };
    const Row rows[] = { { "--save", "saved.gdt" }, { "-o", "plot.png" }, { "-o", "plot.bmp" } };
    for (const Row& row : rows)
        writeFile(QString::fromStdString(folder + "/" + row.name), "old");
    ::setenv("HOME", folder.c_str(), 1); // for the child's font cache
    const velquor::test::NonRootRun run = velquor::test::runAsNonRoot(folder, [&] {
        bool ok = true;
        for (const Row& row : rows) {
            const std::string target = folder + "/" + row.name;
            ::chmod(target.c_str(), 0444);
            const std::string errPath = folder + "/err.txt";
            const int status = runPlainly({ family, row.option, target }, errPath);
            std::ifstream in(errPath);
            const std::string err { std::istreambuf_iterator<char>(in), {} };
            const std::string message = "ﾌｧｲﾙ " + target + " を作成できません.";
            if (status != 1 || err.find(message) == std::string::npos) {
                std::fprintf(stderr, "%s %s: status %d, %s\n", row.option, row.name, status,
                    err.c_str());
                ok = false;
            }
        }
        return ok;
    });
    if (run.skipped)
        GTEST_SKIP() << run.why;
    EXPECT_TRUE(run.passed) << run.why;
    for (const Row& row : rows) {
        EXPECT_EQ(readFile(QString::fromStdString(folder + "/" + row.name)), "old") << row.name;
    }
}

// -o by extension: the PNG holds the bitmap's pixels; the SVG and the PDF are the same drawing
// as vectors of the surface's size, and writing them changes nothing of the drawing itself.
TEST(VelquorRender, WritesPngSvgAndPdfByTheNamesExtension)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString family = QStringLiteral(EXAMPLES_DIR "/family.gdt");
    auto path = [&](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
    for (const char* name : { "plot.bmp", "plot.png", "plot.svg", "plot.PDF" }) {
        SCOPED_TRACE(name);
        const std::string ops = std::string(name) + ".ops";
        RenderRun run = render({ family, QStringLiteral("--size"), QStringLiteral("301x203"),
            QStringLiteral("-o"), path(name), QStringLiteral("--ops"), path(ops.c_str()) });
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(readFile(path(ops.c_str())), readFile(path("plot.bmp.ops")));
    }
    const QImage bitmap(path("plot.bmp"), "BMP");
    const QImage png(path("plot.png"), "PNG");
    ASSERT_EQ(bitmap.size(), QSize(301, 203));
    EXPECT_EQ(
        png.convertToFormat(QImage::Format_RGB32), bitmap.convertToFormat(QImage::Format_RGB32))
        << "the PNG has the bitmap's pixels";

    const std::string svg = readFile(path("plot.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("viewBox=\"0 0 301 203\""), std::string::npos);
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    QImage drawn(301, 203, QImage::Format_RGB32);
    QPainter painter(&drawn);
    renderer.render(&painter, QRectF(0, 0, 301, 203));
    painter.end();
    const QImage reference = bitmap.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < 203; ++y)
        for (int x = 0; x < 301; ++x) {
            const QRgb a = drawn.pixel(x, y), b = reference.pixel(x, y);
            differing += std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                             std::abs(qBlue(a) - qBlue(b)) })
                    > 127
                ? 1
                : 0;
        }
    EXPECT_LT(differing, 301 * 203 / 100) << "the SVG at 1:1 is the bitmap but for smoothing";

    const std::string pdf = readFile(path("plot.PDF"));
    EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
    EXPECT_NE(pdf.find("/MediaBox [0 0 301.000000 203.000000]"), std::string::npos);
}

TEST(VelquorRender, AVectorPictureThatCannotBeWrittenGetsTheSystemsMessage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : { "missing/plot.svg", "missing/plot.pdf" }) {
        const QString target = dir.filePath(QString::fromUtf8(name));
        RenderRun run
            = render({ QStringLiteral(EXAMPLES_DIR "/family.gdt"), QStringLiteral("-o"), target });
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, "velquor-render: ﾌｧｲﾙ " + target.toStdString() + " を作成できません.\n");
        EXPECT_FALSE(QFile::exists(target));
    }
}

} // namespace
