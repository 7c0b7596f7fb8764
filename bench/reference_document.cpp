#include "reference_document.h"

#include <string>
#include <vector>

namespace velquor {
namespace {

    GraphEntry entry(GraphKind kind, std::string formula1, std::string formula2, int divisions,
        std::string from, std::string to, int index)
    {
        GraphEntry e;
        e.name = "curve " + std::to_string(index);
        e.visible = -1;
        e.kind = static_cast<std::int32_t>(kind);
        e.color = 0x00FFFFFF & (0x3F7FBF * (index + 1));
        e.width = 1 + index % 2;
        e.formula1 = std::move(formula1);
        e.formula2 = std::move(formula2);
        e.divisions = divisions;
        e.rangeFrom = std::move(from);
        e.rangeTo = std::move(to);
        return e;
    }

} // namespace

std::unique_ptr<Document> referenceDocument(int width, int height)
{
    auto document = std::make_unique<Document>();
    document->initialiseView(width, height);
    document->Zoom = 40;
    document->setText(Setting::ValA, "2");
    document->setText(Setting::ValB, "1.5");
    const std::vector<std::string> formulas = { "sin(x)", "2x^2+3x-5", "x^3-2x",
        "sin(x)cos(3x)+x/5", "sqrt(abs(x))exp(-xx/8)", "tan(x)", "a sin(bx)", "(x+1)^2/(x^2+1)" };
    int index = 0;
    for (const std::string& f : formulas)
        document->appendEntry(entry(GraphKind::Function, f, "", 0, "", "", index++));
    for (const std::string& f : formulas)
        document->appendEntry(
            entry(GraphKind::Function, "(" + f + ")/2+1", "", 0, "", "", index++));
    for (int i = 0; i < 4; ++i)
        document->appendEntry(entry(
            GraphKind::Function, "-(" + formulas[std::size_t(i)] + ")", "", 0, "", "", index++));
    for (int k = 1; k <= 5; ++k)
        document->appendEntry(entry(GraphKind::Parametric, "3sin(" + std::to_string(k) + "t)",
            "4cos(" + std::to_string(k + 1) + "t)", 360, "0", "6.2832", index++));
    for (int k = 2; k <= 6; ++k)
        document->appendEntry(entry(
            GraphKind::Polar, "5cos(" + std::to_string(k) + "s)", "", 720, "0", "6.2832", index++));
    return document;
}

} // namespace velquor
