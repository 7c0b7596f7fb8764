#pragma once

#include "platform/print_engine.h"

#include <QImage>
#include <QString>

class QWidget;

namespace velquor {

// The print page: one page holding the image item PlotImage, created at start-up and kept for
// the whole run. Its title is empty until the first print command.
class PrintPage
{
public:
    explicit PrintPage(double screenDpi = 96.0);

    // The item's picture becomes a copy of `picture`; the page keeps it while the plot changes.
    // vectors: the canvas calls that made the whole picture, printed in its place when known.
    void setPlotImage(const QImage& picture, std::shared_ptr<const PictureLog> vectors = nullptr)
    {
        m_engine.setPicture(picture, std::move(vectors));
    }
    const QImage& plotImage() const { return m_engine.picture(); }
    void setTitle(const QString& title) { m_engine.setTitle(title); }
    const QString& title() const { return m_engine.title(); }

    // The preview (maximised); returns when it has been closed.
    void preview(QWidget* parent, const std::function<void(QWidget&)>& onShown = {})
    {
        m_engine.preview(parent, onShown);
    }
    // The printer set-up; confirmed choices are kept for the next print.
    bool printerSetup(QWidget* parent) { return m_engine.setup(parent); }

    PrintEngine& engine() { return m_engine; }

private:
    PrintEngine m_engine;
};

} // namespace velquor
