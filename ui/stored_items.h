#pragma once

#include "document/graph_entry.h"

namespace velquor {

class Document;
class DialogService;
class PlotView;

// "位置情報の追加": asks for a name (default "無題") and appends a Position entry holding the
// document's current CX, CY and Zoom. False when cancelled (nothing changed). The caller then
// rebuilds the graph list and redraws. A full table throws Error after the dialog.
bool storePosition(Document& document, DialogService& dialogs);
// The same; the view's document is the one stored into.
bool storePosition(Document& document, const PlotView& view, DialogService& dialogs);

// "定数a,b情報の追加": the same for a Constants entry holding the texts of a and b as typed.
bool storeConstants(Document& document, DialogService& dialogs);

// Moves the view to a stored position: ten animated steps, or one jump when !animated.
// A stored zoom that is not an integer throws Error("'%s' は整数ではありません") first,
// and the view is left as it was.
void restorePosition(Document& document, PlotView& view, const GraphEntry& entry, bool animated);

// Sets a and b from a stored constant set (each change redraws through the document's hook),
// then redraws once more. Steps and up-down counters are not touched.
void restoreConstants(Document& document, PlotView& view, const GraphEntry& entry);

} // namespace velquor
