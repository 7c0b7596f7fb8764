#pragma once

#include <QApplication>

class QTranslator;

namespace velquor {

class DialogService;

// The application object: sets the title, the interface font and Qt's Japanese texts, and
// turns every velquor::Error that escapes an event handler into the error box.
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
    // Qt's own texts (standard buttons, file, print and colour dialogs) in Japanese from
    // qtbase_ja in Qt's translations folder, whatever the locale, since the interface is
    // Japanese by design. Returns false when the file is missing or unreadable: the standard
    // dialogs then stay in English and nothing else changes.
    bool installStandardDialogTranslations();
    // The translator installed by installStandardDialogTranslations, or null before it has
    // succeeded.
    const QTranslator* standardDialogTranslations() const { return m_standardDialogTexts; }
    // Moves a window so that its frame is centred on its screen's available area.
    static void centreOnScreen(QWidget* window);

private:
    DialogService* m_dialogs = nullptr;
    QTranslator* m_standardDialogTexts = nullptr;
};

} // namespace velquor
