// The file commands of the main window: New, Open, Save, Save As and the load they share.
#include "constants_panel.h"
#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "error_box.h"
#include "graph_list.h"
#include "main_window.h"
#include "platform/dialog_service.h"
#include "platform/file_filter.h"
#include "recovery_controller.h"
#include "undo_commands.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScopeGuard>
#include <QUndoStack>

namespace velquor {

namespace {
    const QString DocumentFilter
        = QStringLiteral("グラフデータファイル(*.gdt)|*.gdt|すべてのファイル|*.*");
    const QString DocumentSuffix = QStringLiteral("gdt");
} // namespace

void MainWindow::newDocument()
{
    if (!confirmDiscardChanges())
        return;
    ++m_changeDepth;
    const auto newHistory = qScopeGuard([this] {
        --m_changeDepth;
        resetHistory();
    });
    m_constantsPanel->resetCounterA();
    m_document.resetForNew(m_surface.width(), m_surface.height());
    m_plotView.forgetSamples();
    initialiseView();
    RedrawPlot();
    m_recovery->documentSavedOrReplaced();
}

void MainWindow::openDocument()
{
    if (!confirmDiscardChanges())
        return;
    const auto path = m_dialogs.openFileName(qtFileFilter(DocumentFilter), DocumentSuffix,
        QString::fromStdString(m_document.fileName()));
    if (path)
        loadDocument(*path);
}

void MainWindow::loadDocument(const QString& path)
{
    // A load refused before it changed anything (a missing file, a file that is no document)
    // keeps the history; any other ends it, and the loaded document is the clean state.
    const std::shared_ptr<const DocumentState> before = DocumentState::of(m_document);
    const std::string nameBefore = m_document.fileName();
    const ViewState viewBefore = ViewState::of(m_document);
    bool loaded = false;
    ++m_changeDepth;
    const auto newHistory = qScopeGuard([&] {
        --m_changeDepth;
        if (loaded || *DocumentState::of(m_document) != *before
            || m_document.fileName() != nameBefore || ViewState::of(m_document) != viewBefore)
            resetHistory();
    });
    // A big file is read in slices between which the window repaints; what the user does, and
    // the timers (a settle redraw of the half-loaded document), wait until the document is in.
    const GdtLoadResult result = loadGdt(m_document, path.toStdString(), [](double) {
        QCoreApplication::processEvents(
            QEventLoop::ExcludeUserInputEvents | QEventLoop::X11ExcludeTimers);
    });
    showReplacedDocument();
    loaded = true;
    fileOpenedOrSaved(path);
    if (!result.warning.empty())
        m_dialogs.showError(errorBoxText(QString::fromStdString(result.warning)));
}

void MainWindow::showReplacedDocument()
{
    m_plotView.forgetSamples();
    // The list follows the table even when the redraw fails on a setting of the file, so it
    // never lists the entries of the document that was replaced.
    try {
        RedrawPlot();
    } catch (...) {
        m_graphList->rebuild();
        throw;
    }
    m_graphList->rebuild();
}

void MainWindow::saveDocument()
{
    if (m_document.fileName().empty()) {
        saveDocumentAs();
        return;
    }
    flushPendingChanges();
    const GdtSaveResult result = saveGdt(m_document, m_document.fileName());
    if (result.changedToUtf8)
        adoptUtf8(m_document);
    m_undoStack->setClean();
    fileOpenedOrSaved(QString::fromStdString(m_document.fileName()));
    if (!result.warning.empty())
        m_dialogs.showError(errorBoxText(QString::fromStdString(result.warning)));
}

void MainWindow::saveDocumentAs()
{
    const auto path = m_dialogs.saveFileName(qtFileFilter(DocumentFilter), DocumentSuffix,
        QString::fromStdString(m_document.fileName()), true);
    if (!path)
        return;
    m_document.setFileName(path->toStdString());
    saveDocument();
}

} // namespace velquor
