// What the main window keeps beyond the document file: the recovery copy of unsaved changes,
// its offer at start, and the recently used files.
#include "calc/error.h"
#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "graph_list.h"
#include "main_window.h"
#include "platform/recovery_store.h"
#include "recent_files.h"
#include "recovery_controller.h"

#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QStatusTipEvent>
#include <QUndoStack>

namespace velquor {

namespace {

    // A change waits at most this long for its recovery copy.
    constexpr int RecoveryDelayMs = 2000;

    // Shows the status tip of the menu item under the mouse (the full path of a recent file) in
    // the status bar's text field, which QMainWindow cannot do for a status bar of our own. The
    // field's own text (coordinates, the traced point) comes back when the tip goes.
    class StatusTipShower : public QObject
    {
    public:
        StatusTipShower(QLabel* label, QObject* parent)
            : QObject(parent)
            , m_label(label)
        {
        }

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::StatusTip) {
                const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
                if (!tip.isEmpty() && !m_showing)
                    m_ownText = m_label->text();
                if (!tip.isEmpty() || m_showing)
                    m_label->setText(tip.isEmpty() ? m_ownText : tip);
                m_showing = !tip.isEmpty();
                return true;
            }
            return QObject::eventFilter(watched, event);
        }

    private:
        QLabel* m_label;
        QString m_ownText;
        bool m_showing = false;
    };

} // namespace

void MainWindow::setUpSession()
{
    auto snapshot = [this] {
        return RecoveryController::Snapshot { encodeGdt(m_document),
            QString::fromStdString(m_document.fileName()) };
    };
    m_recovery = new RecoveryController(std::make_unique<RecoveryStore>(defaultRecoveryFolder()),
        std::move(snapshot), RecoveryDelayMs, this);
    // The desktop's configuration folder ($XDG_CONFIG_HOME/velquor/velquor.conf).
    m_recentFiles = new RecentFiles(
        std::make_unique<QSettings>(QStringLiteral("velquor"), QStringLiteral("velquor")), this);
    m_recentFiles->open
        = [this](const QString& path) { guarded([this, &path] { openRecentFile(path); }); };
}

void MainWindow::connectDocumentChanges()
{
    // Every step of the history (and its reset by New and Open) ends here: changes not saved
    // get their copy, a document back at its saved state has none.
    connect(this, &MainWindow::documentModified, m_recovery, [this] {
        if (hasUnsavedChanges())
            m_recovery->documentChanged();
        else
            m_recovery->documentSavedOrReplaced();
    });
    installEventFilter(new StatusTipShower(m_coordinatesLabel, this));
}

void MainWindow::fileOpenedOrSaved(const QString& path)
{
    m_recentFiles->add(path);
    m_recovery->documentSavedOrReplaced();
}

void MainWindow::openRecentFile(const QString& path)
{
    if (!confirmDiscardChanges())
        return;
    try {
        loadDocument(path);
    } catch (const Error&) {
        // A file that is gone leaves the list; one that exists but cannot be read stays.
        if (!QFileInfo::exists(path))
            m_recentFiles->remove(path);
        throw;
    }
}

void MainWindow::offerRecovery()
{
    m_recovery->offerStaleCopies(
        m_dialogs, [this](const std::string& bytes, const QString& fileName) {
            restoreRecoveredDocument(bytes, fileName);
        });
}

void MainWindow::restoreRecoveredDocument(const std::string& bytes, const QString& fileName)
{
    // The copy holds the settings as they were: the degree question of a load is not asked.
    const DocumentHooks hooks = m_document.hooks();
    DocumentHooks quiet = hooks;
    quiet.askDegreeAutoSettings = nullptr;
    m_document.setHooks(quiet);
    GdtLoadResult result;
    try {
        result = loadGdtBytes(m_document, bytes, fileName.toStdString());
    } catch (...) {
        m_document.setHooks(hooks);
        throw;
    }
    m_document.setHooks(hooks);
    showReplacedDocument();
    // Changed: the user decides where to save it, and the question asks before it is lost.
    resetHistory();
    m_undoStack->resetClean();
    m_recovery->documentChanged();
}

} // namespace velquor
