#include "ui/velquor_application.h"

#include <QTest>
#include <memory>
#include <vector>

std::unique_ptr<QObject> makeMainWindowTest();
std::unique_ptr<QObject> makeGraphListTest();
std::unique_ptr<QObject> makeGraphDialogTest();
std::unique_ptr<QObject> makeHelpersTest();
std::unique_ptr<QObject> makeHistoryTest();
std::unique_ptr<QObject> makeUnsavedWorkTest();

// Several Qt Test classes in one executable, under the application object the program uses;
// the exit status counts every failure.
int main(int argc, char** argv)
{
    velquor::VelquorApplication app(argc, argv);
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(makeHelpersTest());
    tests.push_back(makeGraphListTest());
    tests.push_back(makeGraphDialogTest());
    tests.push_back(makeMainWindowTest());
    tests.push_back(makeHistoryTest());
    tests.push_back(makeUnsavedWorkTest());
    int failures = 0;
    for (const auto& test : tests)
        failures += QTest::qExec(test.get(), argc, argv);
    return failures;
}
