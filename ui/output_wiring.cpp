#include "ui/output_wiring.h"

#include "calc/error.h"
#include "platform/dialog_service.h"
#include "platform/emulated_display.h"
#include "platform/plot_widget.h"
#include "ui/error_box.h"
#include "ui/full_screen.h"
#include "ui/main_form.h"
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
        OutputWiring(TMainForm& form, DialogService& dialogs)
            : QObject(&form)
            , m_dialogs(dialogs)
            , m_printPage(screenDpi())
            , m_display(form.surface(), *form.DXDraw1, &form, this)
            , m_commands(&form, dialogs, form.surface(), m_printPage)
        {
            FullScreenParts parts;
            parts.window = &form;
            parts.N12 = form.N12;
            parts.Show2 = form.Show2;
            parts.Help1 = form.Help1;
            parts.ModesMenu = form.ModesMenu;
            parts.Panel12 = form.Panel12;
            parts.Panel9 = form.Panel9;
            parts.Splitter2 = form.Splitter2;
            parts.Panel4 = form.Panel4;
            parts.Panel1 = form.Panel1;
            parts.Bevel7 = form.Bevel7;
            m_fullScreen = new FullScreen(parts, m_display, plotControlOf(form.plotView()), this);
            m_fullScreen->setErrorHandler([this](const std::string& message) {
                m_dialogs.showError(errorBoxText(QString::fromStdString(message)));
            });
            // The start-up initialisation of the surface: "解像度" is filled before first use.
            m_fullScreen->DXDraw1Initialize();

            QAction* n12 = form.N12;
            connectGuarded(n12, [this, n12] {
                // The tick is the switch's own first step: undo the toggle of the click.
                n12->setChecked(!n12->isChecked());
                m_fullScreen->N12Click();
            });
            connectGuarded(form.Copy2, [this] { m_commands.Copy2Click(); });
            connectGuarded(form.Links1, [this] { m_commands.Links1Click(); });
            connectGuarded(form.Print2, [this] { m_commands.Print2Click(); });
            connectGuarded(form.PrintSetup2, [this] { m_commands.PrintSetup2Click(); });
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

void installOutputCommands(TMainForm& form, DialogService& dialogs)
{
    new OutputWiring(form, dialogs);
}

} // namespace velquor
