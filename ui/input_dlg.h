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
class TInputDlg : public QDialog
{
    Q_OBJECT
public:
    TInputDlg(Document& document, DialogService& dialogs, QWidget* parent = nullptr);

    // Add flow: true when a graph was appended (the caller rebuilds the list and redraws).
    bool addGraph();
    // Edit flow on the entry in slot (from 0): true when it was changed.
    bool editGraph(int slot);

    // The kind switch: sample and rows follow the selected radio button.
    void Button1Click();
    void UpDown1Click();
    void Panel8Click();
    void OKBtnClick();

    int selectedKind() const { return m_selectedKind; }
    int lineWidth() const { return m_lineWidth; }
    std::int32_t lineColor() const { return m_lineColor; }
    // The spin edit's value: its text read as an integer, 0 when it is not one.
    std::int32_t divisions() const;

    // The controls, by their names (tests fill them before pressing "OK").
    QRadioButton* RadioButton1 = nullptr; // 関数のグラフ
    QRadioButton* RadioButton2 = nullptr; // パラメータ曲線のグラフ
    QRadioButton* RadioButton3 = nullptr; // 極形式のグラフ
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* SpinEdit1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QFrame* Panel4 = nullptr; // sample background
    QFrame* Panel5 = nullptr; // sample line
    QFrame* Panel6 = nullptr; // second-formula row
    QFrame* Panel7 = nullptr; // range row
    SwatchFrame* Panel8 = nullptr; // colour swatch
    UpDownButtons* UpDown1 = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override; // FormActivate

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
