#pragma once

#include <QWidget>
#include <functional>

namespace velquor {

// A pair of arrow buttons stacked in one control, with a position between a minimum and a
// maximum that does not wrap; there is no number field of its own.
class UpDownButtons : public QWidget
{
public:
    UpDownButtons(int minimum, int maximum, int position, QWidget* parent = nullptr);

    int position() const { return m_position; }
    // Sets the position, held within the range; runs no callback.
    void setPosition(int position);
    // Runs after an arrow was clicked (also when the position stayed at its limit).
    std::function<void(int direction)> clicked;

    void stepUp() { step(+1); }
    void stepDown() { step(-1); }

private:
    void step(int direction);
    int m_minimum;
    int m_maximum;
    int m_position;
};

} // namespace velquor
