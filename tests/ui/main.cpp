#include "ui/velquor_application.h"

#include <QTest>
#include <memory>
#include <vector>

std::unique_ptr<QObject> makeMainFormTest();
std::unique_ptr<QObject> makeGraphListTest();
std::unique_ptr<QObject> makeInputDlgTest();
std::unique_ptr<QObject> makeHelpersTest();

// Several Qt Test classes in one executable, under the application object the program uses;
// the exit status counts every failure.
int main(int argc, char** argv)
{
    velquor::VelquorApplication app(argc, argv);
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(makeHelpersTest());
    tests.push_back(makeGraphListTest());
    tests.push_back(makeInputDlgTest());
    tests.push_back(makeMainFormTest());
    int failures = 0;
    for (const auto& test : tests)
        failures += QTest::qExec(test.get(), argc, argv);
    return failures;
}
