#pragma once

#include "platform/recovery_store.h"
#include "platform/scripted_dialog_service.h"
#include "ui/main_window.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <memory>

namespace velquor::testing {

// The switch that makes the test executable the instance the kill test kills.
inline constexpr const char* ChildSwitch = "--change-and-wait";

// The killed instance: opens path, types 3 into the a box (a change), and runs until killed.
int runChangedInstance(const QString& path);

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The recovery copies in the folder that are offered (not those kept aside).
inline QStringList recoveryCopies(const QString& folder = defaultRecoveryFolder())
{
    QStringList copies;
    for (const QString& name : QDir(folder).entryList({ QStringLiteral("*.gdt") }, QDir::Files))
        if (!name.contains(QStringLiteral(".unreadable")))
            copies << QDir(folder).filePath(name);
    return copies;
}

// Each test starts without copies of earlier ones.
inline void clearRecoveryFolder()
{
    QDir(defaultRecoveryFolder()).removeRecursively();
}

// A main window on a scripted dialog service, not shown (nothing here needs a screen); ticks
// are left to the tests.
struct Harness
{
    ScriptedDialogService dialogs;
    std::unique_ptr<MainWindow> window;

    explicit Harness(const QStringList& arguments = {})
        : window(std::make_unique<MainWindow>(dialogs, arguments))
    {
        window->m_tickTimer->stop();
    }
};

// Another instance of the program, started as a child process, that has a change.
class ChildInstance
{
public:
    explicit ChildInstance(const QString& documentPath)
    {
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments({ QString::fromLatin1(ChildSwitch), documentPath });
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
        m_process.start();
    }
    ~ChildInstance() { kill(); }
    bool started() { return m_process.waitForStarted(10000); }
    // SIGKILL: no destructor runs, the copy and the lock stay as a crash leaves them.
    void kill()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
};

} // namespace velquor::testing
