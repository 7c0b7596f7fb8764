// velquor-render: draws a document headless, exactly as the plot window would.
//   velquor-render DOC.gdt [-o OUT] [--size WxH] [--ops FILE] [--save FILE] [--animate]
// Exit status: 0; 1 for an error of the document or of the redraw (what was drawn is still
// written); 2 for a usage error.

#include "calc/error.h"
#include "document/atomic_file.h"
#include "document/document.h"
#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "output/plot_picture.h"
#include "platform/qimage_surface.h"
#include "render/draw_context.h"
#include "render/plot_view.h"
#include "render/recording_surface.h"

#include <QBuffer>
#include <QGuiApplication>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velquor {
namespace {

    constexpr std::string_view Usage
        = "usage: velquor-render DOC.gdt [-o OUT] [--size WxH] [--ops FILE] [--save FILE] "
          "[--animate]\n";
    constexpr int MaxSurfaceSide = 16384;

    struct Options
    {
        std::string document;
        std::optional<std::string> output;
        std::optional<std::string> ops;
        std::optional<std::string> save;
        int width = 445;
        int height = 364;
        bool animate = false;
    };

    struct UsageError
    {
        std::string message;
    };

    // A whole positive decimal number of at most MaxSurfaceSide.
    std::optional<int> parseSide(std::string_view text)
    {
        int value = 0;
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc() || end != text.data() + text.size() || value < 1
            || value > MaxSurfaceSide)
            return std::nullopt;
        return value;
    }

    void parseSize(std::string_view text, Options& options)
    {
        auto x = text.find('x');
        std::optional<int> w = parseSide(text.substr(0, x));
        std::optional<int> h
            = x == std::string_view::npos ? std::nullopt : parseSide(text.substr(x + 1));
        if (!w || !h)
            throw UsageError { "--size wants WxH with both from 1 to 16384, not '"
                + std::string(text) + "'" };
        options.width = *w;
        options.height = *h;
    }

    Options parseArguments(const std::vector<std::string_view>& args)
    {
        Options options;
        bool haveDocument = false;
        for (std::size_t i = 0; i < args.size(); ++i) {
            std::string_view arg = args[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= args.size())
                    throw UsageError { std::string(arg) + " needs a value" };
                return std::string(args[++i]);
            };
            if (arg == "-o")
                options.output = value();
            else if (arg == "--ops")
                options.ops = value();
            else if (arg == "--save")
                options.save = value();
            else if (arg == "--size")
                parseSize(value(), options);
            else if (arg == "--animate")
                options.animate = true;
            else if (arg.size() > 1 && arg.front() == '-')
                throw UsageError { "unknown option " + std::string(arg) };
            else if (haveDocument)
                throw UsageError { "only one document, not also " + std::string(arg) };
            else {
                options.document = std::string(arg);
                haveDocument = true;
            }
        }
        if (!haveDocument)
            throw UsageError { "no document given" };
        return options;
    }

    // Reports a message the application would show, with the error box's "." rule.
    void report(std::string message)
    {
        if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
            message += '.';
        std::fprintf(stderr, "velquor-render: %s\n", message.c_str());
    }

    // One drawing on two surfaces: the picture and the operation trace of the same calls.
    class TeeSurface final : public Surface, public Canvas
    {
    public:
        TeeSurface(Surface& first, Surface& second)
            : m_first(first)
            , m_second(second)
        {
        }
        Canvas& canvas() override { return *this; }
        void present() override
        {
            both([](Surface& s) { s.present(); });
        }
        int width() const override { return m_first.width(); }
        int height() const override { return m_first.height(); }

        void setPenColor(Color c) override
        {
            all([&](Canvas& k) { k.setPenColor(c); });
        }
        void setPenWidth(int w) override
        {
            all([&](Canvas& k) { k.setPenWidth(w); });
        }
        void setBrushColor(Color c) override
        {
            all([&](Canvas& k) { k.setBrushColor(c); });
        }
        void setFontColor(Color c) override
        {
            all([&](Canvas& k) { k.setFontColor(c); });
        }
        void fillRect(int l, int t, int r, int b) override
        {
            all([&](Canvas& k) { k.fillRect(l, t, r, b); });
        }
        void moveTo(int x, int y) override
        {
            all([&](Canvas& k) { k.moveTo(x, y); });
        }
        void lineTo(int x, int y) override
        {
            all([&](Canvas& k) { k.lineTo(x, y); });
        }
        void textOut(int x, int y, std::string_view s) override
        {
            all([&](Canvas& k) { k.textOut(x, y, s); });
        }
        void release() override
        {
            all([](Canvas& k) { k.release(); });
        }

    private:
        template <typename F> void both(F f)
        {
            f(m_first);
            f(m_second);
        }
        template <typename F> void all(F f)
        {
            both([&](Surface& s) { f(s.canvas()); });
        }
        Surface& m_first;
        Surface& m_second;
    };

    bool endsWithPng(const std::string& path)
    {
        if (path.size() < 4)
            return false;
        std::string tail = path.substr(path.size() - 4);
        for (char& c : tail)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        return tail == ".png";
    }

    void writePicture(const std::string& path, QImageSurface& surface)
    {
        if (!endsWithPng(path)) {
            writeBitmapFile(path, surface);
            return;
        }
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!surface.image().save(&buffer, "PNG"))
            throw Error(formatMessage(CannotCreateMessage, path));
        surface.canvas().release();
        writeFileAtomically(path, std::string_view(png.constData(), std::size_t(png.size())));
    }

    // Loads, saves and draws; returns the exit status.
    int render(const Options& options)
    {
        Document document;
        QImageSurface picture(options.width, options.height);
        RecordingSurface recording(options.width, options.height);
        TeeSurface surface(picture, recording);
        int status = 0;
        PlotHooks hooks;
        hooks.entryHidden = [&](int slot) {
            report(std::string(CannotDrawMessage) + ": " + document.entry(slot).name);
            status = 1;
        };
        PlotView view(document, surface, std::move(hooks));
        view.initialiseView();
        try {
            // Without a question hook the degree question is answered "いいえ(&N)".
            GdtLoadResult result = loadGdt(document, options.document);
            if (!result.warning.empty()) {
                report(result.warning);
                status = 1;
            }
        } catch (const Error& error) {
            report(error.what()); // the application neither redraws nor keeps a picture
            return 1;
        }
        try {
            if (options.save)
                saveGdt(document, *options.save);
        } catch (const Error& error) {
            report(error.what());
            status = 1;
        }
        try {
            if (options.animate)
                view.animate();
            else
                view.RedrawPlot();
        } catch (const Error& error) {
            report(error.what());
            status = 1;
        }
        try {
            if (options.ops)
                writeFileAtomically(*options.ops, recording.trace());
            if (options.output)
                writePicture(*options.output, picture);
        } catch (const Error& error) {
            report(error.what());
            status = 1;
        }
        return status;
    }

} // namespace
} // namespace velquor

// Qt's own notes about the headless environment are not messages of the document.
void quietHeadlessNotes(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, text)));
}

int main(int argc, char** argv)
{
    std::vector<std::string_view> args(argv + 1, argv + argc);
    velquor::Options options;
    try {
        options = velquor::parseArguments(args);
    } catch (const velquor::UsageError& error) {
        std::fprintf(stderr, "velquor-render: %s\n%s", error.message.c_str(),
            std::string(velquor::Usage).c_str());
        return 2;
    }
    // The tool needs fonts but no display.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietHeadlessNotes);
    QGuiApplication app(argc, argv);
    return velquor::render(options);
}
