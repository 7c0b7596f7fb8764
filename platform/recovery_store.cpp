#include "platform/recovery_store.h"

#include "document/atomic_file.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <algorithm>
#include <filesystem>

namespace velquor {

namespace {

    const QString DocumentSuffix = QStringLiteral(".gdt");
    const QString NameSuffix = QStringLiteral(".name");
    const QString LockSuffix = QStringLiteral(".lock");
    const QString UnreadableMark = QStringLiteral(".unreadable");

    std::string localPath(const QString& path)
    {
        return QFile::encodeName(path).toStdString();
    }

    // A lock that only a dead holder makes stale: the age of a live instance's lock file
    // means nothing, so the time-based staleness is off.
    std::unique_ptr<QLockFile> takeLock(const QString& path)
    {
        auto lock = std::make_unique<QLockFile>(path);
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            return nullptr;
        return lock;
    }

} // namespace

QString defaultRecoveryFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/velquor/recovery");
}

StaleRecovery::StaleRecovery(QString folder, QString id, std::unique_ptr<QLockFile> lock)
    : m_folder(std::move(folder))
    , m_id(std::move(id))
    , m_lock(std::move(lock))
{
}

StaleRecovery::~StaleRecovery() = default;

QString StaleRecovery::path(const QString& suffix) const
{
    return m_folder + QLatin1Char('/') + m_id + suffix;
}

QString StaleRecovery::documentPath() const
{
    return path(DocumentSuffix);
}

std::optional<std::string> StaleRecovery::readBytes() const
{
    QFile file(documentPath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes.toStdString();
}

QString StaleRecovery::originalFileName() const
{
    QFile file(path(NameSuffix));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void StaleRecovery::discard()
{
    QFile::remove(documentPath());
    QFile::remove(path(NameSuffix));
    m_lock.reset(); // unlocking removes the lock file
}

QString StaleRecovery::keepAside()
{
    QString target;
    for (int n = 1;; ++n) {
        const QString mark = n == 1 ? UnreadableMark : UnreadableMark + QString::number(n);
        target = path(mark + DocumentSuffix);
        if (!QFileInfo::exists(target))
            break;
    }
    const QString kept = QFile::rename(documentPath(), target) ? target : documentPath();
    if (kept == target) {
        const QString nameTarget = target.chopped(DocumentSuffix.size()) + NameSuffix;
        QFile::rename(path(NameSuffix), nameTarget);
    }
    m_lock.reset();
    return kept;
}

RecoveryStore::RecoveryStore(QString folder)
    : m_folder(std::move(folder))
{
    if (!QDir().mkpath(m_folder))
        return;
    // The copies hold the user's formulas: only the user may read them.
    QFile::setPermissions(
        m_folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Start time and process id name the instance: readable, sorted by age, and unique
    // unless a second instance of the same process id starts within the same second.
    const QString stem = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"))
        + QLatin1Char('-') + QString::number(QCoreApplication::applicationPid());
    for (int n = 1; n <= 100 && !m_lock; ++n) {
        m_id = n == 1 ? stem : stem + QLatin1Char('-') + QString::number(n);
        if (QFileInfo::exists(m_folder + QLatin1Char('/') + m_id + DocumentSuffix))
            continue;
        m_lock = takeLock(m_folder + QLatin1Char('/') + m_id + LockSuffix);
    }
    if (m_lock)
        m_writer = std::thread([this] { runWriter(); });
}

RecoveryStore::~RecoveryStore()
{
    if (!m_lock)
        return;
    remove();
    {
        const std::lock_guard guard(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_writer.join();
}

QString RecoveryStore::documentPath() const
{
    return m_folder + QLatin1Char('/') + m_id + DocumentSuffix;
}

void RecoveryStore::write(std::string bytes, std::string originalFileName)
{
    queue(Job { false, std::move(bytes), std::move(originalFileName) });
}

void RecoveryStore::remove()
{
    queue(Job { true, {}, {} });
}

void RecoveryStore::queue(Job job)
{
    if (!m_lock)
        return;
    {
        const std::lock_guard guard(m_mutex);
        m_pending = std::move(job);
    }
    m_wake.notify_all();
}

void RecoveryStore::waitUntilIdle()
{
    std::unique_lock guard(m_mutex);
    m_wake.wait(guard, [this] { return !m_pending && !m_working; });
}

void RecoveryStore::runWriter()
{
    std::unique_lock guard(m_mutex);
    for (;;) {
        m_wake.wait(guard, [this] { return m_pending || m_stopping; });
        if (!m_pending)
            return; // stopping with nothing left to do
        const Job job = std::move(*m_pending);
        m_pending.reset();
        m_working = true;
        guard.unlock();
        perform(job);
        guard.lock();
        m_working = false;
        m_wake.notify_all();
    }
}

void RecoveryStore::perform(const Job& job) const
{
    const std::string document = localPath(documentPath());
    const std::string name = localPath(m_folder + QLatin1Char('/') + m_id + NameSuffix);
    std::error_code ignored;
    if (job.remove) {
        // The document first: a name without its document is never offered.
        std::filesystem::remove(document, ignored);
        std::filesystem::remove(name, ignored);
        return;
    }
    try {
        // The folder may have been removed while the instance ran.
        std::filesystem::create_directories(localPath(m_folder), ignored);
        // The name first, so that a document copy never stands beside an older name.
        writeFileAtomically(name, job.originalFileName);
        writeFileAtomically(document, job.bytes);
    } catch (...) {
        // A full disk or a folder taken away: skipped quietly; the next change tries again.
    }
}

void RecoveryStore::removeLeftovers() const
{
    // A lock (and a name) without a copy: an instance that was killed before its first change,
    // or after its copy went. Taking the lock proves its holder is gone; dropping it removes it.
    const QStringList locks
        = QDir(m_folder).entryList({ QStringLiteral("*") + LockSuffix }, QDir::Files);
    for (const QString& lockName : locks) {
        const QString stem = m_folder + QLatin1Char('/') + lockName.chopped(LockSuffix.size());
        if (stem.endsWith(QLatin1Char('/') + m_id) || QFileInfo::exists(stem + DocumentSuffix))
            continue;
        if (takeLock(stem + LockSuffix))
            QFile::remove(stem + NameSuffix);
    }
    // The temporary file of a write that a kill interrupted; a write in progress is younger by
    // far, and one that loses its file anyway only skips that copy.
    const QFileInfoList temporaries = QDir(m_folder).entryInfoList(
        { QStringLiteral(".velquor-*") }, QDir::Files | QDir::Hidden);
    const QDateTime hourAgo = QDateTime::currentDateTimeUtc().addSecs(-3600);
    for (const QFileInfo& temporary : temporaries)
        if (temporary.lastModified().toUTC() < hourAgo)
            QFile::remove(temporary.absoluteFilePath());
}

std::vector<std::unique_ptr<StaleRecovery>> RecoveryStore::claimStale() const
{
    std::vector<std::unique_ptr<StaleRecovery>> claimed;
    if (!m_lock)
        return claimed;
    removeLeftovers();
    const QFileInfoList copies = QDir(m_folder).entryInfoList(
        { QStringLiteral("*") + DocumentSuffix }, QDir::Files, QDir::Time);
    for (const QFileInfo& copy : copies) {
        const QString id = copy.fileName().chopped(DocumentSuffix.size());
        if (id == m_id || id.contains(UnreadableMark))
            continue;
        // The lock of a running instance cannot be taken; that of a dead one can.
        if (auto lock = takeLock(m_folder + QLatin1Char('/') + id + LockSuffix))
            claimed.push_back(std::make_unique<StaleRecovery>(m_folder, id, std::move(lock)));
    }
    return claimed;
}

} // namespace velquor
