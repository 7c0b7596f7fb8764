#include "ui/undo_commands.h"

namespace velquor {

std::shared_ptr<const DocumentState> DocumentState::of(const Document& document)
{
    auto state = std::make_shared<DocumentState>();
    state->entries = document.entries();
    state->graphCount = document.graphCount();
    state->settings = document.settings();
    return state;
}

SnapshotCommand::SnapshotCommand(const QString& text, StepSide before, StepSide after,
    Restore restore, MergeKind merge, Clock::time_point at)
    : QUndoCommand(text)
    , m_before(std::move(before))
    , m_after(std::move(after))
    , m_restore(std::move(restore))
    , m_merge(merge)
    , m_lastChange(at)
{
}

void SnapshotCommand::undo()
{
    m_applied = false;
    m_restore(m_before);
}

void SnapshotCommand::redo()
{
    if (m_applied)
        return;
    m_applied = true;
    m_restore(m_after);
}

bool SnapshotCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = dynamic_cast<const SnapshotCommand*>(other);
    if (!next || next->m_merge != m_merge || m_merge == MergeKind::None
        || next->m_lastChange - m_lastChange > MergeWindow)
        return false;
    m_after = next->m_after;
    m_lastChange = next->m_lastChange;
    setObsolete(*m_before.state == *m_after.state && m_before.view == m_after.view);
    return true;
}

} // namespace velquor
