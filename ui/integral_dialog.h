#pragma once

#include "calc/ext.h"

#include <QDialog>
#include <functional>
#include <string_view>

class QComboBox;
class QLabel;
class QLineEdit;

namespace velquor {

class DialogService;
class Document;

// The refusal of "積分..." without a selected function graph.
inline constexpr std::string_view IntegralNeedsFunctionMessage
    = "積分する関数のグラフを選択してください";

// "積分": the definite integral of one function graph from a start to an end that the user
// types (the visible range at first), and the area between it and another visible function
// graph or the x axis, each with 15 digits and its estimated error, or "積分できません" with the
// reason. While the dialog is open the area is shaded over the shown plot (`shadingChanged`
// tells the plot to paint it again); closing it takes the shading away.
class IntegralDialog final : public QDialog
{
public:
    IntegralDialog(const Document& document, DialogService& dialogs, QWidget* parent = nullptr);

    // Opens for the function graph in `slot`, from `from` to `to` (plot units), with the
    // surface's height for the jump limit of the crossings, and computes.
    void openFor(int slot, Ext from, Ext to, int surfaceHeight, char decimalPoint);
    // Reads the ends and the other curve and computes; a text that is not a number is
    // refused with the system's conversion message and leaves the last result.
    void compute();

    // The area being shaded: nothing shaded when `shaded` is false.
    struct Shading
    {
        bool shaded = false;
        int slot = -1;
        int other = -1; // XAxis for the x axis
        Ext from = 0;
        Ext to = 0;
    };
    const Shading& shading() const { return m_shading; }
    std::function<void()> shadingChanged;

    QLineEdit* startEdit() { return m_startEdit; }
    QLineEdit* endEdit() { return m_endEdit; }
    QComboBox* otherBox() { return m_otherBox; }
    QLabel* integralLabel() { return m_integralLabel; }
    QLabel* areaLabel() { return m_areaLabel; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void fillOtherCurves();
    void setShading(const Shading& shading);

    const Document& m_document;
    DialogService& m_dialogs;
    int m_slot = -1;
    int m_surfaceHeight = 0;
    char m_decimalPoint = '.';
    Shading m_shading;
    QLineEdit* m_startEdit = nullptr;
    QLineEdit* m_endEdit = nullptr;
    QComboBox* m_otherBox = nullptr; // the x axis, then the other visible function graphs
    QLabel* m_integralLabel = nullptr;
    QLabel* m_areaLabel = nullptr;
};

} // namespace velquor
