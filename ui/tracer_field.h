#pragma once

#include <QLabel>
#include <QStringList>

class QFontMetrics;

namespace velquor {

// The status bar's field of the traced point. It shows the tracer's text in full when it fits
// and otherwise a form with shorter labels (no spaces around "=", then without the graph's
// name, then single spaces between the values), never with fewer digits; only a window
// narrower than the default cuts the shortest form. The full text is the tool tip.
class TracerField final : public QLabel
{
    Q_OBJECT
public:
    explicit TracerField(QWidget* parent);

    // The tracer's whole text (empty: nothing traced).
    void setTracerText(const QString& text);
    const QString& tracerText() const { return m_text; }

    // The forms of a tracer text from the full one to the shortest, each shorter in its labels
    // only. The text is "name  label = value  label = value ..." or a message after the name.
    static QStringList shorterForms(const QString& text);
    // The first form that fits `width` pixels, or the shortest cut with an ellipsis.
    static QString fittedText(const QString& text, const QFontMetrics& metrics, int width);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showFitted();

    QString m_text;
};

} // namespace velquor
