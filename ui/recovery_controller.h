#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QTimer;

namespace velquor {

class DialogService;
class RecoveryStore;

// Keeps a recovery copy of the document while it has changes that are not saved, and offers
// the copies of instances that ended without removing theirs.
class RecoveryController : public QObject
{
    Q_OBJECT
public:
    // What a copy holds: the document file's bytes and the document's own file name.
    struct Snapshot
    {
        std::string bytes;
        QString fileName;
    };
    // The question before a copy is restored.
    static constexpr const char* RestoreQuestion
        = "前回、保存されていない変更があります。復元しますか？";
    // Shown when a copy cannot be read; %1 is where it was kept.
    static constexpr const char* UnreadableMessage
        = "前回の復元ファイルを読み込めないため、%1 として残しました";

    // snapshot is called on this thread when a copy is due; delayMs (at most 5000) is the
    // longest a change waits for its copy.
    RecoveryController(std::unique_ptr<RecoveryStore> store, std::function<Snapshot()> snapshot,
        int delayMs, QObject* parent = nullptr);
    ~RecoveryController() override;

    RecoveryStore& store() { return *m_store; }
    // True from a change (or a restore) until the next save, New or Open.
    bool hasUnsavedChanges() const { return m_unsaved; }

    // Asks about each copy left by an instance that is no longer running, newest first.
    // "はい(&Y)" hands the copy to restore (bytes, its own file name) and ends the offers:
    // once this instance's copy of the restored document is written, the old one is removed.
    // An Error thrown by restore (a redraw that fails on a setting) is shown as Open shows it,
    // and the restore stands. "いいえ(&N)" removes the copy. A copy that cannot be read is
    // renamed aside and the user told where it is.
    void offerStaleCopies(DialogService& dialogs,
        const std::function<void(const std::string& bytes, const QString& fileName)>& restore);

public slots:
    // The document changed: a copy is written within the delay (a running delay is not
    // restarted, so that steady changes are still copied).
    void documentChanged();
    // The document was saved or replaced (New, Open): the copy goes.
    void documentSavedOrReplaced();
    // Writes the copy now (queued on the store's writer).
    void writeNow();

private:
    std::unique_ptr<RecoveryStore> m_store;
    std::function<Snapshot()> m_snapshot;
    QTimer* m_delay = nullptr;
    bool m_unsaved = false;
};

// Whether bytes read as a document file: the header line of the writer, and a load that
// ends without an error. Nothing outside a scratch document is touched.
bool isReadableDocument(const std::string& bytes);

} // namespace velquor
