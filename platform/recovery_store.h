#pragma once

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class QLockFile;

namespace velquor {

// $XDG_STATE_HOME/velquor/recovery, where an unset, empty or relative XDG_STATE_HOME means
// ~/.local/state (as the XDG base directory rules say).
QString defaultRecoveryFolder();

// A recovery copy left by an instance that ended without removing it (a crash, a kill, a power
// cut). It is claimed: its lock is held until this object goes, so that two instances starting
// at the same time never offer the same copy.
class StaleRecovery
{
public:
    StaleRecovery(QString folder, QString id, std::unique_ptr<QLockFile> lock);
    ~StaleRecovery();
    StaleRecovery(const StaleRecovery&) = delete;
    StaleRecovery& operator=(const StaleRecovery&) = delete;

    // The copy's document file.
    QString documentPath() const;
    // The copy's bytes (a document file), or nothing when it cannot be read.
    std::optional<std::string> readBytes() const;
    // The document's own file name when the copy was made; empty for a document never saved.
    QString originalFileName() const;
    // Removes the copy and its lock: the user declined it or it lives on elsewhere.
    void discard();
    // Renames the copy that cannot be read to "<id>.unreadable.gdt" (with a number when that
    // name is taken), where it is never offered again, and releases the lock. Returns the new
    // path, or the old one when the rename failed (the copy then stays where it was).
    QString keepAside();

private:
    QString path(const QString& suffix) const;
    QString m_folder;
    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
};

// The recovery copies of one running instance: "<id>.gdt" (the document file) and
// "<id>.name" (its own file name, UTF-8) in the folder, guarded by the lock "<id>.lock" that the
// instance holds while it runs. Writes and removals run on a thread of their own, so that a
// slow disk never stops the window; a write that fails (a full disk, a folder that cannot be
// made) is skipped without a word, and the next one tries again.
class RecoveryStore
{
public:
    // Takes a fresh instance lock in folder (made when missing). When that fails the store is
    // disabled: every write is skipped and nothing is ever claimed.
    explicit RecoveryStore(QString folder);
    // A clean end: removes this instance's copy, waits for the writer and releases the lock.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    bool isEnabled() const { return m_lock != nullptr; }
    QString folder() const { return m_folder; }
    // This instance's copy (which exists only after a write).
    QString documentPath() const;

    // Queues a write of the document file's bytes with its own file name and returns at once.
    // Work queued and not yet started is superseded: only the last state matters.
    void write(std::string bytes, std::string originalFileName);
    // Queues the removal of this instance's copy.
    void remove();
    // Waits until the queued work is done.
    void waitUntilIdle();

    // The copies of instances that are no longer running, newest first, each claimed. Locks
    // and temporary files that such instances left without a copy are removed.
    std::vector<std::unique_ptr<StaleRecovery>> claimStale() const;

private:
    struct Job
    {
        bool remove = false;
        std::string bytes;
        std::string originalFileName;
    };
    void queue(Job job);
    void runWriter();
    void perform(const Job& job) const;
    void removeLeftovers() const;

    QString m_folder;
    QString m_id;
    std::unique_ptr<QLockFile> m_lock;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Job> m_pending;
    bool m_working = false;
    bool m_stopping = false;
    std::thread m_writer;
};

} // namespace velquor
