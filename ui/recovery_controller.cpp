#include "recovery_controller.h"

#include "calc/error.h"
#include "document/gdt_loader.h"
#include "document/gdt_writer.h"
#include "error_box.h"
#include "platform/dialog_service.h"
#include "platform/recovery_store.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

namespace velquor {

bool isReadableDocument(const std::string& bytes)
{
    const std::vector<std::string> lines = decodeGdtLines(bytes);
    if (lines.empty() || lines.front() != GdtHeader)
        return false;
    // Without hooks the degree question answers "いいえ(&N)" and nothing is shown.
    Document scratch;
    try {
        loadGdtBytes(scratch, bytes, {});
    } catch (const Error&) {
        return false;
    }
    return true;
}

RecoveryController::RecoveryController(std::unique_ptr<RecoveryStore> store,
    std::function<Snapshot()> snapshot, int delayMs, QObject* parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_snapshot(std::move(snapshot))
{
    m_delay = new QTimer(this);
    m_delay->setObjectName(QStringLiteral("recoveryDelay"));
    m_delay->setSingleShot(true);
    m_delay->setInterval(std::clamp(delayMs, 0, 5000));
    connect(m_delay, &QTimer::timeout, this, &RecoveryController::writeNow);
}

// The store's destructor removes this instance's copy: an instance that is destroyed ended
// cleanly.
RecoveryController::~RecoveryController() = default;

void RecoveryController::documentChanged()
{
    m_unsaved = true;
    if (!m_delay->isActive())
        m_delay->start();
}

void RecoveryController::documentSavedOrReplaced()
{
    m_unsaved = false;
    m_delay->stop();
    m_store->remove();
}

void RecoveryController::writeNow()
{
    m_delay->stop();
    if (!m_unsaved || !m_store->isEnabled())
        return;
    // Never visible: a document the writer cannot encode simply has no copy this time.
    try {
        Snapshot snapshot = m_snapshot();
        m_store->write(std::move(snapshot.bytes), snapshot.fileName.toStdString());
    } catch (...) {
    }
}

void RecoveryController::offerStaleCopies(DialogService& dialogs,
    const std::function<void(const std::string& bytes, const QString& fileName)>& restore)
{
    for (const auto& copy : m_store->claimStale()) {
        const std::optional<std::string> bytes = copy->readBytes();
        if (!bytes || !isReadableDocument(*bytes)) {
            const QString kept = QDir::toNativeSeparators(copy->keepAside());
            dialogs.showError(errorBoxText(QString::fromUtf8(UnreadableMessage).arg(kept)));
            continue;
        }
        if (!dialogs.askYesNo(QStringLiteral("確認"), QString::fromUtf8(RestoreQuestion))) {
            copy->discard();
            continue;
        }
        try {
            restore(*bytes, copy->originalFileName());
        } catch (const Error& error) {
            dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
        }
        m_unsaved = true;
        writeNow();
        m_store->waitUntilIdle();
        // The old copy goes only when this instance's copy stands in its place; otherwise it
        // stays (released) and is offered again at the next start.
        if (QFileInfo::exists(m_store->documentPath()))
            copy->discard();
        return;
    }
}

} // namespace velquor
