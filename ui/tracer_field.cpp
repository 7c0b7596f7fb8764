#include "ui/tracer_field.h"

#include <QFontMetrics>

namespace velquor {

namespace {

    // The tracer separates the name and the values by two spaces, and a label from its value
    // by " = ".
    const QString FieldSeparator = QStringLiteral("  ");
    const QString LabelSeparator = QStringLiteral(" = ");

} // namespace

TracerField::TracerField(QWidget* parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("tracerField"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setContentsMargins(3, 0, 3, 0);
    setFixedHeight(20);
    // The field takes the width it is given; the text is fitted to it, not it to the text.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setTextFormat(Qt::PlainText);
}

void TracerField::setTracerText(const QString& text)
{
    m_text = text;
    setToolTip(text);
    showFitted();
}

QStringList TracerField::shorterForms(const QString& text)
{
    QStringList forms { text };
    const auto add = [&forms](const QString& form) {
        if (form != forms.last())
            forms << form;
    };
    QString shorter = text;
    shorter.replace(LabelSeparator, QStringLiteral("="));
    add(shorter);
    // The graph is the one selected in the list; its name is the first thing to go.
    const qsizetype nameEnd = shorter.indexOf(FieldSeparator);
    if (nameEnd >= 0)
        shorter = shorter.mid(nameEnd + FieldSeparator.size());
    add(shorter);
    shorter.replace(FieldSeparator, QStringLiteral(" "));
    add(shorter);
    return forms;
}

QString TracerField::fittedText(const QString& text, const QFontMetrics& metrics, int width)
{
    const QStringList forms = shorterForms(text);
    for (const QString& form : forms)
        if (metrics.horizontalAdvance(form) <= width)
            return form;
    return metrics.elidedText(forms.last(), Qt::ElideRight, width);
}

void TracerField::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    showFitted();
}

void TracerField::showFitted()
{
    setText(fittedText(m_text, fontMetrics(), contentsRect().width()));
}

} // namespace velquor
