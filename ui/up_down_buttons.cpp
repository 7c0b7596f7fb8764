#include "up_down_buttons.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace velquor {

UpDownButtons::UpDownButtons(int minimum, int maximum, int position, QWidget* parent)
    : QWidget(parent)
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_position(std::clamp(position, minimum, maximum))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const auto& [arrow, direction] :
        { std::pair { Qt::UpArrow, +1 }, { Qt::DownArrow, -1 } }) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setObjectName(direction > 0 ? QStringLiteral("Up") : QStringLiteral("Down"));
        connect(button, &QToolButton::clicked, this, [this, d = direction] { step(d); });
        layout->addWidget(button);
    }
}

void UpDownButtons::setPosition(int position)
{
    m_position = std::clamp(position, m_minimum, m_maximum);
}

void UpDownButtons::step(int direction)
{
    setPosition(m_position + direction);
    if (clicked)
        clicked(direction);
}

} // namespace velquor
