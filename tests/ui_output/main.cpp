#include "test_support.h"

#include <QApplication>
#include <QString>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc == 3 && QString::fromUtf8(argv[1]) == QStringLiteral("--clipboard-helper"))
        return runClipboardHelper(QString::fromUtf8(argv[2]));
    int failures = 0;
    for (auto* run : { runDisplayModesTest, runFullScreenTest, runPictureTest, runPrintTest,
             runMainWindowOutputTest })
        failures += run(argc, argv);
    return failures == 0 ? 0 : 1;
}
