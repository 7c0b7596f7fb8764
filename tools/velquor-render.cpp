// velquor-render: draws a document headless, exactly as the plot window would.
//   velquor-render DOC.gdt [-o OUT] [--size WxH] [--ops FILE] [--save FILE] [--animate]
// OUT by its extension: .png, .svg, .pdf; any other name the bitmap file.
// Exit status: 0; 1 for an error of the document or of the redraw (what was drawn is still
// written); 2 for a usage error.

#include "calc/error.h"
#include "document/atomic_file.h"
#include "document/document.h"
#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "output/plot_picture.h"
#include "output/vector_picture.h"
#include "platform/qimage_surface.h"
#include "render/draw_context.h"
#include "render/plot_view.h"
#include "render/recording_surface.h"
#include "render/tee_surface.h"

#include <QGuiApplication>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/mman.h>
#include <sys/stat.h>

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

    enum class PictureKind { Bitmap, Png, Svg, Pdf };

    // The picture an output name asks for, by its extension in any case: ".png", ".svg" and
    // ".pdf" name theirs, any other name the bitmap file.
    PictureKind pictureKindOf(const std::string& path)
    {
        std::string tail = path.size() < 4 ? std::string() : path.substr(path.size() - 4);
        for (char& c : tail)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (tail == ".png")
            return PictureKind::Png;
        if (tail == ".svg")
            return PictureKind::Svg;
        if (tail == ".pdf")
            return PictureKind::Pdf;
        return PictureKind::Bitmap;
    }

    std::unique_ptr<VectorPicture> vectorPictureFor(const Options& options)
    {
        if (!options.output)
            return nullptr;
        switch (pictureKindOf(*options.output)) {
        case PictureKind::Svg:
            return std::make_unique<VectorPicture>(
                VectorPicture::Format::Svg, options.width, options.height);
        case PictureKind::Pdf:
            return std::make_unique<VectorPicture>(
                VectorPicture::Format::Pdf, options.width, options.height);
        default:
            return nullptr;
        }
    }

    void writePicture(const std::string& path, QImageSurface& surface, VectorPicture* vectorPicture)
    {
        if (vectorPicture)
            writeVectorFile(path, *vectorPicture);
        else if (pictureKindOf(path) == PictureKind::Png)
            writePngFile(path, surface);
        else
            writeBitmapFile(path, surface);
    }

    // The operation trace on its way to --ops: the lines go to an unnamed temporary file as
    // they are drawn, so that memory does not grow with the number of calls, and are written
    // to the target atomically once the drawing is done.
    class StreamedTrace
    {
    public:
        StreamedTrace()
            : m_file(std::tmpfile())
        {
        }
        ~StreamedTrace()
        {
            if (m_file)
                std::fclose(m_file);
        }
        StreamedTrace(const StreamedTrace&) = delete;
        StreamedTrace& operator=(const StreamedTrace&) = delete;

        RecordingSurface::LineSink sink()
        {
            return [this](std::string_view line) {
                if (m_file && std::fwrite(line.data(), 1, line.size(), m_file) != line.size())
                    m_failed = true;
            };
        }

        // Throws Error("ﾌｧｲﾙ %s を作成できません") when the trace could not be kept or written.
        void writeTo(const std::string& path)
        {
            if (!m_file || m_failed || std::fflush(m_file) != 0)
                throw Error(formatMessage(CannotCreateMessage, path));
            const int fd = fileno(m_file);
            struct stat info
            {
            };
            if (::fstat(fd, &info) != 0)
                throw Error(formatMessage(CannotCreateMessage, path));
            const auto size = static_cast<std::size_t>(info.st_size);
            if (size == 0) {
                writeFileAtomically(path, {});
                return;
            }
            // The file's pages are mapped, not copied onto the heap.
            void* bytes = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
            if (bytes == MAP_FAILED)
                throw Error(formatMessage(CannotCreateMessage, path));
            try {
                writeFileAtomically(path, std::string_view(static_cast<const char*>(bytes), size));
            } catch (...) {
                ::munmap(bytes, size);
                throw;
            }
            ::munmap(bytes, size);
        }

    private:
        std::FILE* m_file;
        bool m_failed = false;
    };

    // Loads, saves and draws; returns the exit status.
    int render(const Options& options)
    {
        Document document;
        QImageSurface picture(options.width, options.height);
        // Without --ops nothing keeps the trace.
        std::optional<StreamedTrace> trace;
        std::optional<RecordingSurface> recording;
        if (options.ops) {
            trace.emplace();
            recording.emplace(options.width, options.height, trace->sink());
        }
        std::unique_ptr<VectorPicture> vectorPicture = vectorPictureFor(options);
        // The picture, the operation trace and the vector picture take the same calls.
        std::vector<Surface*> surfaces { &picture };
        if (recording)
            surfaces.push_back(&*recording);
        if (vectorPicture)
            surfaces.push_back(vectorPicture.get());
        TeeSurface surface(std::move(surfaces));
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
            if (options.save) {
                const GdtSaveResult saved = saveGdt(document, *options.save);
                if (!saved.warning.empty()) {
                    report(saved.warning);
                    status = 1;
                }
            }
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
                trace->writeTo(*options.ops);
            if (options.output)
                writePicture(*options.output, picture, vectorPicture.get());
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
