#pragma once

#include <QApplication>

namespace velquor {

class DialogService;

// The application object: sets the title and the interface font, and turns every
// velquor::Error that escapes an event handler into the error box.
class VelquorApplication : public QApplication
{
public:
    VelquorApplication(int& argc, char** argv);

    // The error box goes through this service; without one the message goes to stderr.
    void setDialogService(DialogService* dialogs) { m_dialogs = dialogs; }
    void reportError(const QString& message);

    bool notify(QObject* receiver, QEvent* event) override;

    // "ＭＳ Ｐゴシック" at 12 pixels, drawn with IPAPGothic where that is installed.
    static QFont interfaceFont();
    static void installFontSubstitution();
    // Moves a window so that its frame is centred on its screen's available area.
    static void centreOnScreen(QWidget* window);

private:
    DialogService* m_dialogs = nullptr;
};

} // namespace velquor
