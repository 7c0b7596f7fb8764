#include "velquor_application.h"

#include "calc/error.h"
#include "error_box.h"
#include "platform/dialog_service.h"

#include <QFont>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <QWidget>
#include <cstdio>

namespace velquor {

VelquorApplication::VelquorApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Velquor"));
    installFontSubstitution();
    installStandardDialogTranslations();
}

bool VelquorApplication::installStandardDialogTranslations()
{
    if (m_standardDialogTexts)
        return true;
    auto* translator = new QTranslator(this);
    if (!translator->load(
            QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !installTranslator(translator)) {
        delete translator;
        return false;
    }
    m_standardDialogTexts = translator;
    return true;
}

void VelquorApplication::reportError(const QString& message)
{
    const QString text = errorBoxText(message);
    if (m_dialogs)
        m_dialogs->showError(text);
    else
        std::fprintf(stderr, "Velquor: %s\n", text.toLocal8Bit().constData());
}

bool VelquorApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Error& error) {
        reportError(QString::fromUtf8(error.what()));
        return true;
    }
}

QFont VelquorApplication::interfaceFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

void VelquorApplication::installFontSubstitution()
{
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
        { QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic") });
}

void VelquorApplication::centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace velquor
