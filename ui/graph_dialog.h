#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velquor {

class Document;
class DialogService;
class UpDownButtons;
class SwatchFrame;

// The graph-settings dialog: created once and reused, so its kind, colour and width stay
// from one use to the next. The add and edit flows fill it, show it modally and store it.
class GraphDialog : public QDialog
{
    Q_OBJECT
public:
    GraphDialog(Document& document, DialogService& dialogs, QWidget* parent = nullptr);

    // Add flow: true when a graph was appended (the caller rebuilds the list and redraws).
    bool addGraph();
    // Edit flow on the entry in slot (from 0): true when it was changed.
    bool editGraph(int slot);

    // The sample and the rows follow the selected kind button.
    void kindChanged();
    void lineWidthChanged(); // the sample line takes the new width
    void chooseLineColor(); // the colour dialog, from a click on the swatch
    void confirm(); // "OK": repairs an empty or reversed range, then accepts

    int selectedKind() const { return m_selectedKind; }
    int lineWidth() const { return m_lineWidth; }
    std::int32_t lineColor() const { return m_lineColor; }
    // The spin edit's value: its text read as an integer, 0 when it is not one.
    std::int32_t divisions() const;

    // The widgets, public for the tests (which fill them before pressing "OK").
    QRadioButton* m_functionKindButton = nullptr; // 関数のグラフ
    QRadioButton* m_parametricKindButton = nullptr; // パラメータ曲線のグラフ
    QRadioButton* m_polarKindButton = nullptr; // 極形式のグラフ
    QLineEdit* m_formulaEdit = nullptr;
    QLineEdit* m_secondFormulaEdit = nullptr;
    QLineEdit* m_rangeFromEdit = nullptr;
    QLineEdit* m_rangeToEdit = nullptr;
    QLineEdit* m_divisionsEdit = nullptr;
    QLabel* m_formulaLabel = nullptr;
    QLabel* m_secondFormulaLabel = nullptr;
    QFrame* m_sampleBackground = nullptr; // the sample: the plot's background
    QFrame* m_sampleLine = nullptr; // with a line in the chosen colour and width
    QFrame* m_secondFormulaRow = nullptr; // x=f(t), parametric curves only
    QFrame* m_rangeRow = nullptr; // the range and the division count
    SwatchFrame* m_colorSwatch = nullptr;
    UpDownButtons* m_lineWidthButtons = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override; // centred, the focus in the formula box

private:
    void buildKindBox(QWidget* panel);
    void buildLookBox(QWidget* panel);
    void buildFormulaRows(QWidget* panel);
    void buildRangeRow(QWidget* panel);
    void setLineColor(std::int32_t color);
    void selectKind(int kind);

    Document& m_document;
    DialogService& m_dialogs;
    int m_selectedKind = 0;
    int m_lineWidth = 1;
    std::int32_t m_lineColor = 0xffffff;
};

} // namespace velquor
