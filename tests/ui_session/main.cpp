#include "session_support.h"
#include "ui/velquor_application.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>
#include <vector>

std::unique_ptr<QObject> makeRecoveryStoreTest();
std::unique_ptr<QObject> makeRecoveryWindowTest();
std::unique_ptr<QObject> makeRecentFilesTest();

// Several Qt Test classes in one executable. Before anything reads them, XDG_STATE_HOME and
// XDG_CONFIG_HOME point into a temporary folder, so that no test touches the user's recovery
// copies or settings. Started with ChildSwitch, the executable is instead the instance that
// the kill test changes and kills (its folders come from the parent's environment).
int main(int argc, char** argv)
{
    const bool child = argc == 3 && QByteArray(argv[1]) == velquor::testing::ChildSwitch;
    std::optional<QTemporaryDir> folders;
    if (!child) {
        folders.emplace();
        qputenv("XDG_STATE_HOME", QFile::encodeName(folders->filePath(QStringLiteral("state"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folders->filePath(QStringLiteral("config"))));
    }
    velquor::VelquorApplication app(argc, argv);
    if (child)
        return velquor::testing::runChangedInstance(QFile::decodeName(argv[2]));
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(makeRecoveryStoreTest());
    tests.push_back(makeRecentFilesTest());
    tests.push_back(makeRecoveryWindowTest());
    int failures = 0;
    for (const auto& test : tests)
        failures += QTest::qExec(test.get(), argc, argv);
    return failures;
}
