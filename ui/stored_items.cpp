#include "ui/stored_items.h"

#include "calc/number_text.h"
#include "document/document.h"
#include "platform/dialog_service.h"
#include "render/plot_view.h"

#include <optional>
#include <string>

namespace velquor {

namespace {

    const QString DefaultName = QStringLiteral("無題");

    std::optional<std::string> askName(
        DialogService& dialogs, const QString& caption, const QString& prompt)
    {
        const std::optional<QString> name = dialogs.inputText(caption, prompt, DefaultName);
        if (!name)
            return std::nullopt;
        return name->toStdString();
    }

} // namespace

bool storePosition(Document& document, DialogService& dialogs)
{
    const std::optional<std::string> name = askName(dialogs, QStringLiteral("位置情報の設定"),
        QStringLiteral("位置情報の名前を入力してください。"));
    if (!name)
        return false;
    GraphEntry entry;
    entry.name = *name;
    entry.kind = static_cast<std::int32_t>(GraphKind::Position);
    entry.visible = 0;
    entry.width = document.CX;
    entry.divisions = document.CY;
    entry.rangeFrom = std::to_string(document.Zoom);
    document.appendEntry(entry);
    return true;
}

bool storePosition(Document& document, const PlotView&, DialogService& dialogs)
{
    return storePosition(document, dialogs);
}

bool storeConstants(Document& document, DialogService& dialogs)
{
    const std::optional<std::string> name = askName(dialogs, QStringLiteral("定数情報の設定"),
        QStringLiteral("定数情報の名前を入力してください。"));
    if (!name)
        return false;
    GraphEntry entry;
    entry.name = *name;
    entry.kind = static_cast<std::int32_t>(GraphKind::Constants);
    entry.visible = 0;
    entry.formula1 = document.settings().valA;
    entry.formula2 = document.settings().valB;
    document.appendEntry(entry);
    return true;
}

void restorePosition(Document&, PlotView& view, const GraphEntry& entry, bool animated)
{
    // The zoom is converted before anything moves, so a bad one leaves the view as it was.
    const std::int32_t zoom = StrToInt(entry.rangeFrom);
    view.moveToView(zoom, entry.width, entry.divisions, animated);
}

void restoreConstants(Document& document, PlotView& view, const GraphEntry& entry)
{
    // Copies: the entry may live in the document's table, which the hooks' handlers can reach.
    const std::string a = entry.formula1;
    const std::string b = entry.formula2;
    document.setText(Setting::ValA, a);
    document.setText(Setting::ValB, b);
    view.RedrawPlot();
}

} // namespace velquor
