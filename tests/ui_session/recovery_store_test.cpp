#include "session_support.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace velquor;
using namespace velquor::testing;

class RecoveryStoreTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { QDir(folder()).removeRecursively(); }
    void defaultFolderFollowsXdgStateHome_data();
    void defaultFolderFollowsXdgStateHome();
    void copyHoldsBytesAndOwnFileName();
    void laterWriteSupersedesEarlier();
    void cleanEndRemovesCopyAndLock();
    void runningInstancesNeverClaimEachOther();
    void copyWithoutLiveHolderIsClaimedByOneAtATime();
    void failedWriteIsQuietAndNextWriteWorks();
    void locksOfDeadInstancesWithoutCopyAreRemoved();
    void folderThatCannotBeMadeDisablesStore();
    void unreadableCopyIsRenamedAsideNotDeleted();

private:
    QString folder() const { return m_temp.filePath(QStringLiteral("recovery")); }
    QTemporaryDir m_temp;
};

void RecoveryStoreTest::defaultFolderFollowsXdgStateHome_data()
{
    QTest::addColumn<QByteArray>("stateHome");
    QTest::addColumn<QString>("expected");
    const QString home = QDir::homePath();
    QTest::newRow("set") << QByteArray("/var/tmp/state")
                         << QStringLiteral("/var/tmp/state/velquor/recovery");
    // The XDG rules: an empty or relative value is ignored.
    QTest::newRow("empty") << QByteArray()
                           << home + QStringLiteral("/.local/state/velquor/recovery");
    QTest::newRow("relative") << QByteArray("state")
                              << home + QStringLiteral("/.local/state/velquor/recovery");
}

void RecoveryStoreTest::defaultFolderFollowsXdgStateHome()
{
    QFETCH(QByteArray, stateHome);
    QFETCH(QString, expected);
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", stateHome);
    const QString folder = defaultRecoveryFolder();
    qputenv("XDG_STATE_HOME", saved);
    QCOMPARE(folder, expected);
}

void RecoveryStoreTest::copyHoldsBytesAndOwnFileName()
{
    RecoveryStore store(folder());
    QVERIFY(store.isEnabled());
    store.write("document bytes\r\n", "/home/user/グラフ.gdt");
    store.waitUntilIdle();
    QCOMPARE(readFile(store.documentPath()), QByteArray("document bytes\r\n"));
    RecoveryStore other(folder());
    QVERIFY(other.claimStale().empty()); // the first one is running
    store.remove();
    store.waitUntilIdle();
    QVERIFY(!QFile::exists(store.documentPath()));
    QVERIFY(recoveryCopies(folder()).isEmpty());
}

void RecoveryStoreTest::laterWriteSupersedesEarlier()
{
    RecoveryStore store(folder());
    for (int i = 0; i < 200; ++i)
        store.write(std::to_string(i), {});
    store.waitUntilIdle();
    QCOMPARE(readFile(store.documentPath()), QByteArray("199"));
    // A removal queued after a write wins, and a write after a removal brings the copy back.
    store.write("x", {});
    store.remove();
    store.waitUntilIdle();
    QVERIFY(!QFile::exists(store.documentPath()));
    store.remove();
    store.write("y", {});
    store.waitUntilIdle();
    QCOMPARE(readFile(store.documentPath()), QByteArray("y"));
}

void RecoveryStoreTest::cleanEndRemovesCopyAndLock()
{
    QString path;
    {
        RecoveryStore store(folder());
        store.write("bytes", "/a.gdt");
        store.waitUntilIdle();
        path = store.documentPath();
        QVERIFY(QFile::exists(path));
    }
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList());
}

void RecoveryStoreTest::runningInstancesNeverClaimEachOther()
{
    RecoveryStore first(folder());
    RecoveryStore second(folder());
    QVERIFY(first.documentPath() != second.documentPath());
    first.write("first", {});
    second.write("second", {});
    first.waitUntilIdle();
    second.waitUntilIdle();
    QVERIFY(first.claimStale().empty());
    QVERIFY(second.claimStale().empty());
    QCOMPARE(readFile(first.documentPath()), QByteArray("first"));
    QCOMPARE(readFile(second.documentPath()), QByteArray("second"));
}

void RecoveryStoreTest::copyWithoutLiveHolderIsClaimedByOneAtATime()
{
    QDir().mkpath(folder());
    // A copy whose instance is gone (its lock with it), and the name of its document.
    writeFile(folder() + QStringLiteral("/20200101-000000-1.gdt"), "old copy");
    writeFile(folder() + QStringLiteral("/20200101-000000-1.name"), "/home/user/a.gdt");
    RecoveryStore first(folder());
    RecoveryStore second(folder());
    {
        auto claimed = first.claimStale();
        QCOMPARE(claimed.size(), std::size_t(1));
        QCOMPARE(*claimed.front()->readBytes(), std::string("old copy"));
        QCOMPARE(claimed.front()->originalFileName(), QStringLiteral("/home/user/a.gdt"));
        // While claimed, another starting instance does not see it.
        QVERIFY(second.claimStale().empty());
    }
    // Released without a decision, it is offered again.
    auto claimed = second.claimStale();
    QCOMPARE(claimed.size(), std::size_t(1));
    claimed.front()->discard();
    QVERIFY(recoveryCopies(folder()).isEmpty());
    QVERIFY(first.claimStale().empty());
}

void RecoveryStoreTest::failedWriteIsQuietAndNextWriteWorks()
{
    RecoveryStore store(folder());
    // A folder where the copy should go: every write of it fails, as on a full disk.
    QVERIFY(QDir().mkpath(store.documentPath()));
    store.write("lost", {});
    store.waitUntilIdle();
    QVERIFY(QFileInfo(store.documentPath()).isDir());
    QVERIFY(QDir().rmdir(store.documentPath()));
    store.write("kept", {});
    store.waitUntilIdle();
    QCOMPARE(readFile(store.documentPath()), QByteArray("kept"));
}

void RecoveryStoreTest::locksOfDeadInstancesWithoutCopyAreRemoved()
{
    QDir().mkpath(folder());
    // The lock of a process that is gone (a process id no system hands out) and its name.
    writeFile(folder() + QStringLiteral("/20200101-000000-3.lock"), "2147483646\nvelquor\n\n");
    writeFile(folder() + QStringLiteral("/20200101-000000-3.name"), "/a.gdt");
    // The temporary file of a write killed long ago, and one of a write in progress.
    const QString killedWrite = folder() + QStringLiteral("/.velquor-AbC123");
    const QString currentWrite = folder() + QStringLiteral("/.velquor-XyZ789");
    writeFile(killedWrite, "half");
    writeFile(currentWrite, "half");
    {
        QFile old(killedWrite);
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(
            QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
    }
    RecoveryStore running(folder());
    RecoveryStore starting(folder());
    QVERIFY(starting.claimStale().empty());
    // What is left: the two running instances' locks.
    QCOMPARE(QDir(folder()).entryList(QDir::Files).size(), 2);
    QVERIFY(!QFile::exists(folder() + QStringLiteral("/20200101-000000-3.lock")));
    QVERIFY(!QFile::exists(killedWrite));
    QVERIFY(QFile::exists(currentWrite));
}

void RecoveryStoreTest::folderThatCannotBeMadeDisablesStore()
{
    writeFile(m_temp.filePath(QStringLiteral("file")), "x");
    RecoveryStore store(m_temp.filePath(QStringLiteral("file/recovery")));
    QVERIFY(!store.isEnabled());
    store.write("bytes", {});
    store.waitUntilIdle();
    QVERIFY(store.claimStale().empty());
}

void RecoveryStoreTest::unreadableCopyIsRenamedAsideNotDeleted()
{
    QDir().mkpath(folder());
    const QString base = folder() + QStringLiteral("/20200101-000000-2");
    writeFile(base + QStringLiteral(".unreadable.gdt"), "kept before");
    writeFile(base + QStringLiteral(".gdt"), "garbage");
    writeFile(base + QStringLiteral(".name"), "/a.gdt");
    RecoveryStore store(folder());
    auto claimed = store.claimStale();
    QCOMPARE(claimed.size(), std::size_t(1)); // what was kept aside is never offered
    // The name already taken gets a number.
    QCOMPARE(claimed.front()->keepAside(), base + QStringLiteral(".unreadable2.gdt"));
    QCOMPARE(readFile(base + QStringLiteral(".unreadable2.gdt")), QByteArray("garbage"));
    QCOMPARE(readFile(base + QStringLiteral(".unreadable2.name")), QByteArray("/a.gdt"));
    QCOMPARE(readFile(base + QStringLiteral(".unreadable.gdt")), QByteArray("kept before"));
    claimed.clear();
    QVERIFY(store.claimStale().empty());
}

std::unique_ptr<QObject> makeRecoveryStoreTest()
{
    return std::make_unique<RecoveryStoreTest>();
}

#include "recovery_store_test.moc"
