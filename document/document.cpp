#include "document/document.h"

#include "calc/error.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace velquor {

namespace {

    std::string* textField(DocumentSettings& settings, Setting which)
    {
        switch (which) {
        case Setting::Accuracy:
            return &settings.accuracy;
        case Setting::TempAccuracy:
            return &settings.tempAccuracy;
        case Setting::Interval:
            return &settings.interval;
        case Setting::Interval2:
            return &settings.interval2;
        case Setting::Ratio:
            return &settings.ratio;
        case Setting::MainLineWidth:
            return &settings.mainLineWidth;
        case Setting::ValA:
            return &settings.valA;
        case Setting::ValB:
            return &settings.valB;
        case Setting::AInterval:
            return &settings.aInterval;
        case Setting::BInterval:
            return &settings.bInterval;
        case Setting::Animate:
            return &settings.animate;
        default:
            throw std::invalid_argument("not a text setting");
        }
    }

    bool* flagField(DocumentSettings& settings, Setting which)
    {
        switch (which) {
        case Setting::CheckScale:
            return &settings.checkScale;
        case Setting::CheckDegree:
            return &settings.checkDegree;
        case Setting::OtherFunction:
            return &settings.otherFunction;
        default:
            throw std::invalid_argument("not a check-box setting");
        }
    }

    std::int32_t* colorField(DocumentSettings& settings, Setting which)
    {
        switch (which) {
        case Setting::BackgroundColor:
            return &settings.backgroundColor;
        case Setting::MainLineColor:
            return &settings.mainLineColor;
        default:
            throw std::invalid_argument("not a colour setting");
        }
    }

    // Half a surface dimension, to nearest with ties to even (the default rounding mode).
    std::int32_t centre(int size)
    {
        return static_cast<std::int32_t>(std::nearbyint(static_cast<double>(size) / 2.0));
    }

} // namespace

int Document::appendEntry()
{
    return appendEntry(GraphEntry {});
}

int Document::appendEntry(const GraphEntry& entry)
{
    // A 101st slot does not exist: refuse rather than write past the table.
    if (m_graphCount >= MaxEntries)
        throw Error(std::string(TableFullMessage));
    const int slot = m_graphCount;
    m_entries[static_cast<std::size_t>(slot)] = entry;
    m_entries[static_cast<std::size_t>(slot)].deleted = 0;
    ++m_graphCount;
    return slot;
}

void Document::markDeleted(int slot)
{
    if (slot < 0 || slot >= m_graphCount)
        throw std::out_of_range("slot not in use");
    GraphEntry& target = m_entries[static_cast<std::size_t>(slot)];
    target.deleted = -1;
    target.visible = 0;
}

void Document::exchangeEntries(int slotA, int slotB)
{
    if (slotA < 0 || slotA >= m_graphCount || slotB < 0 || slotB >= m_graphCount)
        throw std::out_of_range("slot not in use");
    std::swap(
        m_entries[static_cast<std::size_t>(slotA)], m_entries[static_cast<std::size_t>(slotB)]);
}

void Document::clearEntries()
{
    m_entries.fill(GraphEntry {});
    m_graphCount = 0;
}

void Document::replaceEntries(const std::array<GraphEntry, MaxEntries>& entries, std::int32_t count)
{
    if (count < 0 || count > MaxEntries)
        throw std::out_of_range("entry count out of range");
    m_entries = entries;
    m_graphCount = count;
}

int Document::liveEntryCount() const
{
    int live = 0;
    for (int slot = 0; slot < m_graphCount; ++slot)
        live += m_entries[static_cast<std::size_t>(slot)].deleted == 0 ? 1 : 0;
    return live;
}

bool Document::nameUnnamedEntries()
{
    bool named = false;
    for (int slot = 0; slot < m_graphCount; ++slot) {
        GraphEntry& entry = m_entries[static_cast<std::size_t>(slot)];
        if (entry.deleted == 0 && entry.name.empty()) {
            entry.name = UnnamedEntryName;
            named = true;
        }
    }
    return named;
}

bool Document::setText(Setting which, const std::string& text)
{
    std::string* field = textField(m_settings, which);
    if (*field == text)
        return false;
    *field = text;
    if (m_hooks.settingChanged)
        m_hooks.settingChanged(which);
    return true;
}

bool Document::setFlag(Setting which, bool value)
{
    bool* field = flagField(m_settings, which);
    if (*field == value)
        return false;
    *field = value;
    if (m_hooks.settingChanged)
        m_hooks.settingChanged(which);
    // The degree box's change handler: ticking it offers the settings that suit degrees.
    if (which == Setting::CheckDegree && value && m_hooks.askDegreeAutoSettings
        && m_hooks.askDegreeAutoSettings()) {
        setText(Setting::Ratio, "90");
        setText(Setting::Interval, "1");
        setText(Setting::Interval2, "90");
        setView(CX, CY, 1);
        if (m_hooks.degreeAutoSettingsApplied)
            m_hooks.degreeAutoSettingsApplied();
    }
    return true;
}

void Document::restoreSettings(const DocumentSettings& settings)
{
    DocumentSettings wanted = settings; // the field lookups take a mutable record
    for (Setting which : { Setting::Accuracy, Setting::TempAccuracy, Setting::Interval,
             Setting::Interval2, Setting::Ratio, Setting::MainLineWidth, Setting::ValA,
             Setting::ValB, Setting::AInterval, Setting::BInterval, Setting::Animate }) {
        setText(which, *textField(wanted, which));
    }
    setColor(Setting::BackgroundColor, settings.backgroundColor);
    setColor(Setting::MainLineColor, settings.mainLineColor);
    // Flags are set without their change handler's question: the values are known already.
    for (Setting which : { Setting::CheckScale, Setting::CheckDegree, Setting::OtherFunction }) {
        bool* field = flagField(m_settings, which);
        const bool value = *flagField(wanted, which);
        if (*field == value)
            continue;
        *field = value;
        if (m_hooks.settingChanged)
            m_hooks.settingChanged(which);
    }
}

bool Document::setColor(Setting which, std::int32_t color)
{
    std::int32_t* field = colorField(m_settings, which);
    if (*field == color)
        return false;
    *field = color;
    if (m_hooks.settingChanged)
        m_hooks.settingChanged(which);
    return true;
}

void Document::setView(std::int32_t cx, std::int32_t cy, std::int32_t zoom)
{
    if (CX == cx && CY == cy && Zoom == zoom)
        return;
    CX = cx;
    CY = cy;
    Zoom = zoom;
    if (m_hooks.viewChanged)
        m_hooks.viewChanged();
}

void Document::initialiseView(int surfaceWidth, int surfaceHeight)
{
    setView(centre(surfaceWidth), centre(surfaceHeight), 25);
    clearEntries();
}

void Document::resetForNew(int surfaceWidth, int surfaceHeight)
{
    m_fileName.clear();
    m_textSource = {};
    // New writes "1" where the window starts with "1.0".
    setFlag(Setting::CheckScale, true);
    setText(Setting::Interval, "1");
    setText(Setting::Interval2, "1");
    setText(Setting::Animate, "40");
    setText(Setting::Ratio, "1");
    setFlag(Setting::CheckDegree, false);
    setText(Setting::MainLineWidth, "1");
    setColor(Setting::BackgroundColor, 0);
    setColor(Setting::MainLineColor, DefaultGridColor);
    initialiseView(surfaceWidth, surfaceHeight);
}

std::string nameAfterEdit(
    const std::string& oldName, bool nameWasFormula, const std::string& newFormula1)
{
    return nameWasFormula ? newFormula1 : oldName;
}

} // namespace velquor
