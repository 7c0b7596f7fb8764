#pragma once

#include "document/document.h"

#include <QUndoCommand>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace velquor {

// What an undo step puts back of the document: the entry table and the settings. The view
// (CX, CY, Zoom) and the file name are not part of it.
struct DocumentState
{
    std::array<GraphEntry, MaxEntries> entries {};
    std::int32_t graphCount = 0;
    DocumentSettings settings;

    static std::shared_ptr<const DocumentState> of(const Document& document);
    bool operator==(const DocumentState&) const = default;
};

// The view, kept by the one step that changes it: the degree question sets the zoom.
struct ViewState
{
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    std::int32_t zoom = 0;

    static ViewState of(const Document& document)
    {
        return { document.CX, document.CY, document.Zoom };
    }
    bool operator==(const ViewState&) const = default;
};

// One side of a step: the state, the view when the step changed it, and the graph list's
// selection to show (slot from 1, 0 for none).
struct StepSide
{
    std::shared_ptr<const DocumentState> state;
    std::optional<ViewState> view;
    int selectedSlot = 0;
};

// Kinds of step that merge with the one before when they follow it within a second.
enum class MergeKind { None = -1, ConstantA = 1, ConstantB = 2 };

// An undo step holding the document before and after a command. The command itself has run
// already, so the first redo (from QUndoStack::push) does nothing; later undos and redos put
// a side back through the window's restore function.
class SnapshotCommand : public QUndoCommand
{
public:
    using Restore = std::function<void(const StepSide& side)>;
    using Clock = std::chrono::steady_clock;

    SnapshotCommand(const QString& text, StepSide before, StepSide after, Restore restore,
        MergeKind merge = MergeKind::None, Clock::time_point at = Clock::now());

    void undo() override;
    void redo() override;
    int id() const override { return static_cast<int>(m_merge); }
    // A step of the same constant within MergeWindow of the last one extends this step;
    // when the constant is back where it started, the step is dropped.
    bool mergeWith(const QUndoCommand* other) override;

    static constexpr std::chrono::milliseconds MergeWindow { 1000 };

    const StepSide& before() const { return m_before; }
    const StepSide& after() const { return m_after; }

private:
    StepSide m_before;
    StepSide m_after;
    Restore m_restore;
    MergeKind m_merge;
    Clock::time_point m_lastChange;
    bool m_applied = true; // the command ran before it was pushed
};

} // namespace velquor
