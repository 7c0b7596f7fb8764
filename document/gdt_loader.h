#pragma once

#include "document/document.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velquor {

// Files larger than this are refused unread: no document comes near it, and reading one
// whole into memory must stay cheap.
inline constexpr std::uintmax_t MaxGdtFileSize = 64u * 1024u * 1024u;

// Shown after a load whose "[Count]" announced more entries than the table holds; %s is
// the number of entries left out.
inline constexpr std::string_view EntriesNotLoadedMessage
    = "グラフは100個までしか登録できないため、残りの %s 個は読み込まれませんでした";

// A file in which the settings scan finds no key line and no "[END]" is no document (a text
// file chosen by mistake); %s is its path.
inline constexpr std::string_view NotADocumentMessage = "ﾌｧｲﾙ %s はグラフのファイルではありません";
// Shown after a load that first completed a save of the file which a crash had cut short;
// %s is the path.
inline constexpr std::string_view InterruptedSaveCompletedMessage
    = "ﾌｧｲﾙ %s の保存が前回途中で終わっていたため、保存を完了してから読み込みました";

// What a completed load tells the application besides the document itself.
struct GdtLoadResult
{
    // Entries announced by "[Count]" beyond the 100th slot, which were not read.
    int entriesNotLoaded = 0;
    // The text to show the user after the redraw and list rebuild, empty when all is well.
    std::string warning;
    // Whether some line of the file was a key or "[END]" (a file with none holds no document).
    bool keyLineFound = false;
};

// Called about once a MiB while a file of more than 1 MiB is read and scanned, with the part
// done (0 to 1), so that the caller can keep its window alive; it must not touch the document.
using GdtLoadProgress = std::function<void(double done)>;

// The file's bytes as lines (UTF-8): a leading UTF-8 byte order mark selects UTF-8
// (invalid sequences become U+FFFD), anything else is decoded as CP932. CR LF, a lone CR
// and a lone LF each end a line; a line end at the very end opens no further line.
// (The loader itself reads the lines one after another and keeps none of them.)
std::vector<std::string> decodeGdtLines(std::string_view bytes);

// Reads the file at path into the document, as Open does.
// Before anything changes, a path that is not a readable regular file of at most 64 MiB is
// refused with Error("ﾌｧｲﾙ %s は開けません").
// Bytes in which no line is a key of the settings scan or "[END]" are refused the same way
// with Error("ﾌｧｲﾙ %s はグラフのファイルではありません").
// Then the file name becomes path, the steps of a and b "1", the animation frame count "40", the
// table is emptied, the settings are applied in file order through the document's setters (so their
// hooks run, the degree question included), and the announced entries are appended.
// A value that must be an integer and is not throws Error("'%s' は整数ではありません") at once:
// what was applied stays, entries whose blocks were read completely stay, the entry whose
// block failed is not appended; the caller then neither redraws nor rebuilds the list.
// On a normal return the caller redraws the plot and rebuilds the graph list, then shows
// result.warning when it is not empty.
// The texts of the file are kept with their encoding in the document's text source, so that a
// save writes unchanged texts as the file's own bytes.
// A save of this file that a crash cut short (see completeInterruptedRewrite) is completed
// first, and said so in result.warning.
// Memory: the file's bytes once, and what the settings and the announced entries hold.
GdtLoadResult loadGdt(
    Document& document, const std::string& path, const GdtLoadProgress& progress = {});

// The same from bytes already read; path only becomes the document's file name.
GdtLoadResult loadGdtBytes(Document& document, std::string_view bytes, const std::string& path,
    const GdtLoadProgress& progress = {});

} // namespace velquor
