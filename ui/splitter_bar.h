#pragma once

#include <QFrame>
#include <functional>

namespace velquor {

// The vertical bar between the left panel and the plot. While the left button is held on it,
// an inverted 4-pixel line centred on the mouse follows it across the window's client area
// (its left edge kept from 2 to the client width - 5); on release the line goes, endDrag runs,
// and then resizeTo receives the line's position as the new width of the left panel.
class SplitterBar : public QFrame
{
public:
    SplitterBar(QWidget* client, QWidget* parent = nullptr);

    std::function<void()> endDrag;
    std::function<void(int width)> resizeTo;

    // The line's left edge for a mouse x in client coordinates.
    int linePosition(int clientX) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void moveLine(const QPoint& globalPosition);
    QWidget* m_client;
    QWidget* m_line = nullptr;
};

} // namespace velquor
