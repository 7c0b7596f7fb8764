#include <QApplication>
#include <QFont>
#include <QTest>
#include <memory>
#include <vector>

std::unique_ptr<QObject> makeConstantsPanelTest();
std::unique_ptr<QObject> makeSettingsPanelTest();
std::unique_ptr<QObject> makeStoredItemsTest();
std::unique_ptr<QObject> makeInputTextDialogTest();

// Several Qt Test classes in one executable; the exit status counts every failure.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
        { QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic") });
    std::vector<std::unique_ptr<QObject>> tests;
    tests.push_back(makeConstantsPanelTest());
    tests.push_back(makeSettingsPanelTest());
    tests.push_back(makeStoredItemsTest());
    tests.push_back(makeInputTextDialogTest());
    int failures = 0;
    for (const auto& test : tests)
        failures += QTest::qExec(test.get(), argc, argv);
    return failures;
}
