#pragma once

#include "platform/scripted_dialog_service.h"
#include "ui/main_window.h"

#include <QTest>
#include <memory>

namespace velquor::testing {

// A main window answered by a scripted dialog service, its ticks driven by the test.
struct Harness
{
    ScriptedDialogService dialogs;
    std::unique_ptr<MainWindow> window;

    explicit Harness(const QStringList& arguments = {}, bool show = true)
        : window(std::make_unique<MainWindow>(dialogs, arguments))
    {
        // Ticks are driven by the tests, one tick at a time.
        window->m_tickTimer->stop();
        if (show) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        }
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            window->tick();
    }
};

} // namespace velquor::testing
