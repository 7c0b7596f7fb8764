// The document's history: the undo stack, the steps the commands record, and the question
// asked before unsaved changes would be lost.
#include "constants_panel.h"
#include "error_box.h"
#include "graph_list.h"
#include "main_window.h"
#include "platform/dialog_service.h"
#include "settings_panel.h"
#include "undo_commands.h"

#include <QAction>
#include <QCloseEvent>
#include <QScopeGuard>
#include <QUndoStack>

namespace velquor {

namespace {
    // Far beyond the hundred steps a user expects; a step costs two shared tables at most.
    constexpr int UndoLimit = 1000;
    const QString SettingsStep = QStringLiteral("設定の変更");

    // The name of a step that changed one constant outside any command.
    QString constantStepName(Setting setting)
    {
        switch (setting) {
        case Setting::ValA:
            return QStringLiteral("定数aの変更");
        case Setting::ValB:
            return QStringLiteral("定数bの変更");
        case Setting::AInterval:
            return QStringLiteral("定数aの刻み値の変更");
        default:
            return QStringLiteral("定数bの刻み値の変更");
        }
    }

    // A constant and its step: what the constants panel changes by itself.
    bool isConstant(Setting setting)
    {
        return setting == Setting::ValA || setting == Setting::ValB || setting == Setting::AInterval
            || setting == Setting::BInterval;
    }
} // namespace

void MainWindow::buildHistory()
{
    m_undoStack = new QUndoStack(this);
    m_undoStack->setObjectName(QStringLiteral("undoStack"));
    m_undoStack->setUndoLimit(UndoLimit);
    m_lastStep = DocumentState::of(m_document);
    connect(m_undoStack, &QUndoStack::indexChanged, this, [this] { emit documentModified(); });
}

bool MainWindow::hasUnsavedChanges() const
{
    // The settings panel's live edits are not a step until it closes, but they are changes.
    return !m_undoStack->isClean() || *DocumentState::of(m_document) != *m_lastStep;
}

void MainWindow::undo()
{
    flushPendingChanges();
    m_undoStack->undo();
}

void MainWindow::redo()
{
    flushPendingChanges();
    m_undoStack->redo();
}

void MainWindow::documentCommand(const QString& what, const std::function<void()>& change)
{
    // A command run by another one belongs to the outer step.
    if (m_changeDepth > 0) {
        change();
        return;
    }
    flushPendingChanges();
    const int selectedBefore = m_graphList->selectedSlot();
    const std::int32_t countBefore = m_document.graphCount();
    ++m_changeDepth;
    // Whatever the command changed before an error stays changed, and is a step too.
    const auto record = qScopeGuard([&] {
        --m_changeDepth;
        recordChanges(what, selectedBefore, countBefore);
    });
    change();
}

void MainWindow::recordChanges(const QString& what, int selectedBefore, std::int32_t countBefore)
{
    std::shared_ptr<const DocumentState> now = DocumentState::of(m_document);
    std::optional<ViewState> viewBefore;
    if (m_viewBeforeQuestion && *m_viewBeforeQuestion != ViewState::of(m_document))
        viewBefore = m_viewBeforeQuestion;
    m_viewBeforeQuestion.reset();
    if (*now == *m_lastStep && !viewBefore)
        return;
    int selectedAfter = m_graphList->selectedSlot();
    // An added entry is the one to show selected when the step is done again.
    if (selectedAfter == 0 && now->graphCount > countBefore)
        selectedAfter = now->graphCount;
    std::optional<ViewState> viewAfter;
    if (viewBefore)
        viewAfter = ViewState::of(m_document);
    pushStep(what, { m_lastStep, viewBefore, selectedBefore }, { now, viewAfter, selectedAfter },
        MergeKind::None);
}

void MainWindow::flushPendingChanges()
{
    if (m_changeDepth > 0)
        return;
    // Outside a command the settings panel changes settings; a redraw may hide a graph that
    // cannot be drawn.
    const bool settingsChanged = m_document.settings() != m_lastStep->settings;
    const int selected = m_graphList->selectedSlot();
    recordChanges(settingsChanged ? SettingsStep : QStringLiteral("表示の切り替え"), selected,
        m_document.graphCount());
}

void MainWindow::settingChangedOutsideCommand(Setting setting)
{
    if (!isConstant(setting)) {
        // The settings panel's controls edit the document live; what they change while it is
        // open becomes one step when it closes. Anything else is a step at once.
        if (m_settingsPanel->isHidden())
            flushPendingChanges();
        return;
    }
    // Only the constants go into this step, so that the open panel's edits stay pending.
    auto after = std::make_shared<DocumentState>(*m_lastStep);
    const DocumentSettings& settings = m_document.settings();
    after->settings.valA = settings.valA;
    after->settings.valB = settings.valB;
    after->settings.aInterval = settings.aInterval;
    after->settings.bInterval = settings.bInterval;
    if (*after == *m_lastStep)
        return;
    const MergeKind merge = setting == Setting::ValA ? MergeKind::ConstantA
        : setting == Setting::ValB                   ? MergeKind::ConstantB
                                                     : MergeKind::None;
    const int selected = m_graphList->selectedSlot();
    pushStep(constantStepName(setting), { m_lastStep, std::nullopt, selected },
        { after, std::nullopt, selected }, merge);
}

void MainWindow::pushStep(const QString& what, StepSide before, StepSide after, MergeKind merge)
{
    m_lastStep = after.state;
    m_undoStack->push(new SnapshotCommand(
        what, std::move(before), std::move(after),
        [this](const StepSide& side) { restoreStep(side); }, merge));
}

void MainWindow::restoreStep(const StepSide& side)
{
    ++m_changeDepth;
    m_restoringStep = true;
    const auto done = qScopeGuard([this] {
        m_restoringStep = false;
        --m_changeDepth;
    });
    m_document.replaceEntries(side.state->entries, side.state->graphCount);
    m_document.restoreSettings(side.state->settings);
    if (side.view)
        m_document.setView(side.view->cx, side.view->cy, side.view->zoom);
    m_lastStep = side.state;
    m_viewBeforeQuestion.reset();
    // As the command did: the list is rebuilt and the plot drawn again. This runs inside the
    // undo stack, which must not be unwound by an error: a failed redraw is reported later.
    m_graphList->rebuild();
    m_graphList->selectSlot(side.selectedSlot);
    runHandler(this, [this] { RedrawPlot(); });
    // A graph the redraw had to hide is hidden as it was when the step was recorded: that is
    // no new change, which would be pushed as a step and end the redo history.
    if (*DocumentState::of(m_document) != *m_lastStep)
        m_lastStep = DocumentState::of(m_document);
}

void MainWindow::resetHistory()
{
    m_undoStack->clear();
    m_lastStep = DocumentState::of(m_document);
    m_viewBeforeQuestion.reset();
    emit documentModified();
}

bool MainWindow::confirmDiscardChanges()
{
    flushPendingChanges();
    if (!hasUnsavedChanges())
        return true;
    switch (
        m_dialogs.askYesNoCancel(QStringLiteral("確認"), QStringLiteral("変更を保存しますか？"))) {
    case DialogService::YesNoCancel::Yes:
        return saveAnswered();
    case DialogService::YesNoCancel::No:
        return true;
    case DialogService::YesNoCancel::Cancel:
        break;
    }
    return false;
}

bool MainWindow::saveAnswered()
{
    try {
        saveDocument(); // through Save As when the document has no file name
    } catch (const Error& error) {
        m_dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
        return false;
    }
    // A cancelled Save As leaves the changes unsaved: the command does not go on.
    return !hasUnsavedChanges();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (confirmDiscardChanges())
        QMainWindow::closeEvent(event);
    else
        event->ignore();
}

} // namespace velquor
