#include "ui/output_wiring.h"

#include "calc/error.h"
#include "platform/dialog_service.h"
#include "platform/emulated_display.h"
#include "platform/plot_widget.h"
#include "ui/copy_shortcut.h"
#include "ui/error_box.h"
#include "ui/full_screen.h"
#include "ui/main_window.h"
#include "ui/output_commands.h"
#include "ui/print_page.h"
#include "ui/splitter_bar.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>

namespace velquor {

namespace {

    // Owns the pieces for the window's lifetime.
    class OutputWiring final : public QObject
    {
    public:
        OutputWiring(MainWindow& window, DialogService& dialogs)
            : QObject(&window)
            , m_dialogs(dialogs)
            , m_printPage(screenDpi())
            , m_display(window.surface(), *window.m_plot, &window, this)
            , m_commands(&window, dialogs, window.surface(), m_printPage)
        {
            setObjectName(QStringLiteral("outputWiring")); // the window deletes it early
            FullScreenParts parts;
            parts.window = &window;
            parts.fullScreenAction = window.m_fullScreenAction;
            parts.viewMenuAction = window.m_viewMenuAction;
            parts.helpMenuAction = window.m_helpMenuAction;
            parts.displayModesMenu = window.m_displayModesMenu;
            parts.toolbar = window.m_toolbar;
            parts.leftPanel = window.m_leftPanel;
            parts.splitter = window.m_splitter;
            parts.statusBarSpacer = window.m_statusBarSpacer;
            parts.statusBar = window.m_statusBar;
            parts.menuRule = window.m_menuRule;
            parts.plot = window.m_plot;
            m_fullScreen = new FullScreen(parts, m_display, plotControlOf(window.plotView()), this);
            m_fullScreen->setErrorHandler([this](const std::string& message) {
                m_dialogs.showError(errorBoxText(QString::fromStdString(message)));
            });
            // The start-up initialisation of the surface: "解像度" is filled before first use.
            m_fullScreen->fillDisplayModesMenu();

            QAction* n12 = window.m_fullScreenAction;
            connectGuarded(n12, [this, n12] {
                // The tick is the switch's own first step: undo the toggle of the click.
                n12->setChecked(!n12->isChecked());
                m_fullScreen->toggleFullScreen();
            });
            connectGuarded(window.m_copyAction, [this] { m_commands.copyPicture(); });
            new CopyShortcutGuard(&window, window.m_copyAction);
            connectGuarded(window.m_saveImageAction, [this] { m_commands.saveImage(); });
            connectGuarded(window.m_printAction, [this] { m_commands.print(); });
            connectGuarded(window.m_pageSetupAction, [this] { m_commands.pageSetup(); });
        }

    private:
        static double screenDpi()
        {
            const QScreen* screen = QGuiApplication::primaryScreen();
            return screen ? screen->logicalDotsPerInch() : 96.0;
        }

        template <typename Command> void connectGuarded(QAction* action, Command command)
        {
            connect(action, &QAction::triggered, this, [this, command] {
                try {
                    command();
                } catch (const Error& error) {
                    m_dialogs.showError(errorBoxText(QString::fromUtf8(error.what())));
                }
            });
        }

        DialogService& m_dialogs;
        PrintPage m_printPage;
        EmulatedDisplay m_display;
        OutputCommands m_commands;
        FullScreen* m_fullScreen = nullptr;
    };

} // namespace

void installOutputCommands(MainWindow& window, DialogService& dialogs)
{
    new OutputWiring(window, dialogs);
}

} // namespace velquor
