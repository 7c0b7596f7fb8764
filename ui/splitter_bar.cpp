#include "splitter_bar.h"

#include <QMouseEvent>
#include <algorithm>

namespace velquor {

SplitterBar::SplitterBar(QWidget* client, QWidget* parent)
    : QFrame(parent)
    , m_client(client)
{
    setObjectName(QStringLiteral("splitter"));
    setFixedWidth(4);
    setCursor(Qt::SplitHCursor);
}

int SplitterBar::linePosition(int clientX) const
{
    return std::clamp(clientX - 2, 2, std::max(2, m_client->width() - 5));
}

void SplitterBar::moveLine(const QPoint& globalPosition)
{
    const QPoint local = m_client->mapFromGlobal(globalPosition);
    m_line->setGeometry(linePosition(local.x()), 0, 4, m_client->height());
}

void SplitterBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (!m_line) {
        // Drawn over the client area in the inverse of the usual window colour.
        m_line = new QWidget(m_client);
        m_line->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_line->setAutoFillBackground(true);
        QPalette palette = m_line->palette();
        palette.setColor(QPalette::Window, QColor(64, 64, 64));
        m_line->setPalette(palette);
    }
    moveLine(event->globalPosition().toPoint());
    m_line->raise();
    m_line->show();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event)
{
    if (m_line && m_line->isVisible())
        moveLine(event->globalPosition().toPoint());
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_line || !m_line->isVisible())
        return;
    moveLine(event->globalPosition().toPoint());
    const int position = m_line->x();
    m_line->hide();
    if (endDrag)
        endDrag();
    if (resizeTo)
        resizeTo(position);
}

} // namespace velquor
