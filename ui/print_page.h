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
    void setPlotImage(const QImage& picture) { m_engine.setPicture(picture); }
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
