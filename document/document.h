#pragma once

#include "graph_entry.h"
#include "text_source.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace velquor {

inline constexpr int MaxEntries = 100;
inline constexpr std::int32_t DefaultGridColor = 8421504; // 0x808080

// The name an entry gets when its name is empty at a rebuild of the graph list.
inline constexpr std::string_view UnnamedEntryName = "名前未設定";
// Refusal of an append beyond the last slot.
inline constexpr std::string_view TableFullMessage = "グラフは100個までしか登録できません";

// The document settings, each held exactly as its control shows it and named after its key
// in the document file.
enum class Setting {
    Accuracy, // "[Accuracy]", curve accuracy text
    TempAccuracy, // "[TempAccuracy]", accuracy text while the plot moves
    CheckScale, // "[CheckScale]", grid switch
    Interval, // "[Interval]", vertical grid interval text
    Interval2, // "[Interval2]", horizontal grid interval text
    BackgroundColor, // "[BackgroundColor]"
    Ratio, // "[ratio]", aspect ratio text
    MainLineColor, // "[MainLineColor]"
    MainLineWidth, // "[MainLineWidth]", text of the spin edit
    ValA, // "[A]", text of the a box
    ValB, // "[B]", text of the b box
    AInterval, // "[AInterval]", step text of a
    BInterval, // "[BInterval]", step text of b
    Animate, // "[Animate]", animation frame count text
    CheckDegree, // "[CheckDegree]", degree mode
    OtherFunction, // "[OtherFunction]", the function calls switch
};

struct DocumentSettings
{
    std::string accuracy = "1";
    std::string tempAccuracy = "20";
    bool checkScale = true;
    std::string interval = "1.0";
    std::string interval2 = "1.0";
    std::int32_t backgroundColor = 0;
    std::string ratio = "1";
    std::int32_t mainLineColor = DefaultGridColor;
    std::string mainLineWidth = "1";
    std::string valA = "0";
    std::string valB = "0";
    std::string aInterval = "1";
    std::string bInterval = "1";
    std::string animate = "40";
    bool checkDegree = false;
    bool otherFunction = true;

    bool operator==(const DocumentSettings&) const = default;
};

// How the document reaches the application without knowing it. Every hook may be empty.
struct DocumentHooks
{
    // A setting's value changed (never called when the new value equals the old one).
    std::function<void(Setting)> settingChanged;
    // The view state (CX, CY, Zoom) was set by the document itself (degree auto settings, load).
    std::function<void()> viewChanged;
    // The degree box was ticked while clear: "縦横比・目盛などの設定も最適に自動設定しますか？".
    // Returns true for "はい(&Y)". Without a hook the answer is "いいえ(&N)".
    std::function<bool()> askDegreeAutoSettings;
    // After "はい(&Y)" has replaced ratio, intervals and Zoom: the track bar goes to 1 and the
    // plot is redrawn by the application.
    std::function<void()> degreeAutoSettingsApplied;
};

// The one document: the 100-slot entry table, the settings, the view and the file name.
class Document
{
public:
    Document() = default;
    explicit Document(DocumentHooks hooks)
        : m_hooks(std::move(hooks))
    {
    }

    void setHooks(DocumentHooks hooks) { m_hooks = std::move(hooks); }
    const DocumentHooks& hooks() const { return m_hooks; }

    // --- the entry table; slots are counted from 0 here, from 1 in the graph list ---
    const std::array<GraphEntry, MaxEntries>& entries() const { return m_entries; }
    const GraphEntry& entry(int slot) const { return m_entries.at(static_cast<std::size_t>(slot)); }
    GraphEntry& entry(int slot) { return m_entries.at(static_cast<std::size_t>(slot)); }
    std::int32_t graphCount() const { return m_graphCount; }

    // Appends the empty record at slot graphCount and returns that slot.
    // Throws Error with the table-full message when all 100 slots are in use.
    int appendEntry();
    // Appends a copy of the entry, made live (deleted := 0); same refusal as above.
    int appendEntry(const GraphEntry& entry);
    // Slot numbers must be in use (0 to graphCount - 1); std::out_of_range otherwise.
    void markDeleted(int slot); // deleted := -1, visible := 0
    void exchangeEntries(int slotA, int slotB); // all eleven fields
    void clearEntries(); // graphCount := 0, every slot the empty record
    // Puts back a table taken earlier (undo): every slot as given, deleted ones included, and
    // the count of slots in use (0 to 100; std::out_of_range otherwise).
    void replaceEntries(const std::array<GraphEntry, MaxEntries>& entries, std::int32_t count);
    int liveEntryCount() const;
    // The list rebuild's naming rule: every live entry whose name is empty is named
    // "名前未設定" (stored, so later saved). Returns whether any name was given.
    bool nameUnnamedEntries();

    // --- settings (setters report a change only when the value differs) ---
    // Each setter returns whether the value changed; a setting of the wrong type for the
    // setter is a programming error (std::invalid_argument).
    const DocumentSettings& settings() const { return m_settings; }
    bool setText(Setting which, const std::string& text); // text-valued settings
    bool setFlag(Setting which, bool value); // CheckScale, CheckDegree, OtherFunction
    bool setColor(Setting which, std::int32_t color); // BackgroundColor, MainLineColor
    // Ticking CheckDegree while clear asks the degree question through the hooks; on "はい(&Y)"
    // ratio := "90", Interval := "1", Interval2 := "90", Zoom := 1, then degreeAutoSettingsApplied.
    // Puts back settings taken earlier (undo): each value that differs is set and reported
    // through settingChanged, and nothing is asked (the degree mode included).
    void restoreSettings(const DocumentSettings& settings);

    // --- view state (surface pixels of the origin, pixels per plot unit) ---
    std::int32_t CX = 0;
    std::int32_t CY = 0;
    std::int32_t Zoom = 25;

    // Sets CX, CY and Zoom; calls viewChanged when any of them differs.
    void setView(std::int32_t cx, std::int32_t cy, std::int32_t zoom);

    // --- file name (empty when never saved) ---
    const std::string& fileName() const { return m_fileName; }
    void setFileName(std::string path) { m_fileName = std::move(path); }

    // --- the encoding and the file's own bytes of the texts, for the next save ---
    const TextSource& textSource() const { return m_textSource; }
    void setTextSource(TextSource source) { m_textSource = std::move(source); }

    // Start-up initialisation of view and table (New's step 6 without the list and redraw):
    // Zoom := 25, CX, CY := the centre of a surface of the given size (ties to even), table
    // emptied.
    void initialiseView(int surfaceWidth, int surfaceHeight);
    // New, steps 2 to 6 (the up-down and the redraw belong to the application); a new
    // document is written in CP932 again.
    void resetForNew(int surfaceWidth, int surfaceHeight);

private:
    DocumentHooks m_hooks;
    std::array<GraphEntry, MaxEntries> m_entries {};
    std::int32_t m_graphCount = 0;
    DocumentSettings m_settings;
    std::string m_fileName;
    TextSource m_textSource;
};

// The naming rule of the add and edit flows: the name an edited graph gets.
// nameWasFormula: the name equalled the old formula1 (exactly) before the edit.
std::string nameAfterEdit(
    const std::string& oldName, bool nameWasFormula, const std::string& newFormula1);
// An added graph is named after its formula1.
inline std::string nameForNewGraph(const std::string& formula1)
{
    return formula1;
}

} // namespace velquor
