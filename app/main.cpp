// Velquor: start-up. The application object, the main window (which creates the
// graph-settings dialog and the print page), then the event loop until the window closes.
#include "ui/main_window.h"
#include "ui/qt_dialog_service.h"
#include "ui/velquor_application.h"

int main(int argc, char** argv)
{
    velquor::VelquorApplication app(argc, argv);
    velquor::QtDialogService dialogs;
    app.setDialogService(&dialogs);

    QStringList arguments = app.arguments();
    arguments.removeFirst();
    velquor::MainWindow window(dialogs, arguments);
    dialogs.setParent(&window);
    window.showAtStartup();
    window.offerRecovery();
    return app.exec();
}
