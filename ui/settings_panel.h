#pragma once

#include "document/document.h"

#include <QFrame>
#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace velquor {

class DialogService;

// A lowered panel filled with a document colour; a click reports itself.
class ColorSwatch : public QFrame
{
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);
    void setColor(std::int32_t bgr); // 0x00BBGGRR

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The settings panel, shown in the plot area in place of the plot. It owns no data:
// every control edits its document setting live, and syncFromDocument shows the document's.
class SettingsPanel : public QFrame
{
    Q_OBJECT
public:
    SettingsPanel(Document& document, DialogService& dialogs, QWidget* parent = nullptr);

    // Called after a colour swatch's dialog, whether confirmed or cancelled.
    void setRedraw(std::function<void()> redraw) { m_redraw = std::move(redraw); }

    // Shows the document's value of one setting in its control without reporting it back.
    void syncFromDocument(Setting which);
    void syncAll();

    // The repairs made when the panel closes: empty accuracies and frame count get their
    // start values; an empty interval, or one not greater than 0, becomes "1". An interval
    // that is not a number throws Error and leaves the later repairs undone. No redraw.
    void apply();

    // Handlers (the entry points for tests as well).
    void chooseBackgroundColor();
    void chooseGridColor();
    void degreeClicked(bool ticked);
    void textEdited(Setting which, const QString& text);

    QLineEdit* m_accuracyEdit = nullptr;
    QLineEdit* m_movingAccuracyEdit = nullptr;
    QCheckBox* m_gridCheck = nullptr;
    QLineEdit* m_verticalIntervalEdit = nullptr;
    QLineEdit* m_horizontalIntervalEdit = nullptr;
    QLineEdit* m_animationFramesEdit = nullptr;
    QLineEdit* m_ratioEdit = nullptr;
    QCheckBox* m_degreeCheck = nullptr;
    ColorSwatch* m_backgroundSwatch = nullptr;
    ColorSwatch* m_gridColorSwatch = nullptr;
    QSpinBox* m_gridWidthSpin = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* addLabel(QWidget* parent, int x, int y, const QString& text);
    QLineEdit* addEdit(Setting which, int x, int y);
    QFrame* addRule(QWidget* parent, bool horizontal, const QRect& geometry);
    void buildColorGroup();
    void chooseColor(Setting which);
    void repairInterval(Setting which);
    QLineEdit* editFor(Setting which) const;

    Document& m_document;
    DialogService& m_dialogs;
    std::function<void()> m_redraw;
    QFrame* m_topRule = nullptr;
    QFrame* m_bottomRule = nullptr;
};

} // namespace velquor
