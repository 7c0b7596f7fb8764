#include "output/vector_picture.h"

#include "calc/error.h"
#include "document/atomic_file.h"
#include "platform/painter_canvas.h"

#include <QBuffer>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgGenerator>
#include <optional>

namespace velquor {

namespace {

    constexpr double PixelsPerInch = 96;
    constexpr int PointsPerInch = 72;

    // The generator states the size in millimetres, which viewers round to another number of
    // pixels (117.74mm makes 446 of 445): the root element's width and height become the
    // surface's pixels, the view box stays.
    QByteArray withSizeInPixels(QByteArray svg, int width, int height)
    {
        const qsizetype root = svg.indexOf("<svg");
        const qsizetype rootEnd = root < 0 ? -1 : svg.indexOf('>', root);
        if (rootEnd < 0)
            return svg;
        const QByteArray tag = svg.mid(root, rootEnd - root);
        static const QRegularExpression widthAttribute(QStringLiteral("\\swidth=\"[^\"]*\""));
        static const QRegularExpression heightAttribute(QStringLiteral("\\sheight=\"[^\"]*\""));
        QString text = QString::fromUtf8(tag);
        text.replace(widthAttribute, QStringLiteral(" width=\"%1px\"").arg(width));
        text.replace(heightAttribute, QStringLiteral(" height=\"%1px\"").arg(height));
        return svg.left(root) + text.toUtf8() + svg.mid(rootEnd);
    }

} // namespace

// The painter canvas on the SVG generator or the PDF writer, which write into a buffer.
class VectorPicture::Painter
{
public:
    Painter(Format format, int width, int height)
        : m_format(format)
        , m_width(width)
        , m_height(height)
    {
        m_buffer.open(QIODevice::WriteOnly);
        if (format == Format::Svg) {
            auto svg = std::make_unique<QSvgGenerator>();
            svg->setOutputDevice(&m_buffer);
            svg->setSize(QSize(width, height));
            svg->setViewBox(QRect(0, 0, width, height));
            svg->setResolution(int(PixelsPerInch));
            svg->setTitle(QStringLiteral("Velquor"));
            m_device = std::move(svg);
        } else {
            auto pdf = std::make_unique<QPdfWriter>(&m_buffer);
            pdf->setCreator(QStringLiteral("Velquor"));
            // One pixel to the point: the page size is kept in whole points, and so it is
            // exactly the surface's size.
            pdf->setResolution(PointsPerInch);
            pdf->setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf->setPageSize(QPageSize(QSize(width, height), QString(), QPageSize::ExactMatch));
            m_device = std::move(pdf);
        }
        m_painter.begin(m_device.get());
        m_canvas.emplace(m_painter, width, height);
    }

    Canvas& canvas() { return *m_canvas; }

    std::string finish()
    {
        if (m_painter.isActive()) {
            m_canvas->finish();
            m_painter.end();
            m_device.reset(); // the generator writes its last bytes as it goes
            if (m_format == Format::Svg)
                m_bytes = withSizeInPixels(m_bytes, m_width, m_height);
        }
        return std::string(m_bytes.constData(), std::size_t(m_bytes.size()));
    }

private:
    Format m_format;
    int m_width;
    int m_height;
    QByteArray m_bytes;
    QBuffer m_buffer { &m_bytes };
    std::unique_ptr<QPaintDevice> m_device;
    QPainter m_painter;
    std::optional<PainterCanvas> m_canvas;
};

VectorPicture::VectorPicture(Format format, int width, int height)
    : m_width(std::max(width, 1))
    , m_height(std::max(height, 1))
    , m_painter(std::make_unique<Painter>(format, m_width, m_height))
{
}

VectorPicture::~VectorPicture() = default;

Canvas& VectorPicture::canvas()
{
    return m_painter->canvas();
}

std::string VectorPicture::finish()
{
    return m_painter->finish();
}

void writeVectorFile(const std::string& path, VectorPicture& picture)
{
    writeFileAtomically(path, picture.finish());
}

} // namespace velquor
