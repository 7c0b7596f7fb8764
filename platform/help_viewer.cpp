#include "help_viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace velquor {

HelpViewer::~HelpViewer()
{
    delete m_window;
}

QString HelpViewer::contentsPath(const QString& helpFile)
{
    // Every help file name maps to the one contents page of the help folder.
    Q_UNUSED(helpFile);
    const QString appDir = QCoreApplication::applicationDirPath();
    const QStringList folders = {
        appDir + QStringLiteral("/../share/velquor/help"),
        appDir + QStringLiteral("/help"),
        QStringLiteral(VELQUOR_SOURCE_HELP_DIR),
    };
    for (const QString& folder : folders) {
        const QFileInfo page(QDir(folder).filePath(QStringLiteral("index.html")));
        if (page.isFile())
            return page.canonicalFilePath();
    }
    return QString();
}

void HelpViewer::showContents(const QString& helpFile)
{
    if (!m_window) {
        // A top-level window (no parent) so it stays open beside the main window; the
        // viewer deletes it.
        m_window = new QWidget(nullptr, Qt::Window);
        m_window->setObjectName(QStringLiteral("HelpWindow"));
        m_window->setWindowTitle(QStringLiteral("Velquor ヘルプ"));
        m_window->resize(640, 560);
        if (m_owner)
            m_window->setFont(m_owner->font());
        auto* layout = new QVBoxLayout(m_window);
        layout->setContentsMargins(0, 0, 0, 0);
        m_browser = new QTextBrowser(m_window);
        m_browser->setObjectName(QStringLiteral("HelpBrowser"));
        m_browser->setOpenExternalLinks(true);
        layout->addWidget(m_browser);
        // Closed from the keyboard as other help windows are: Esc and Ctrl+W.
        QList<QKeySequence> closeKeys
            = { QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W) };
        for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Close)) {
            if (!closeKeys.contains(key))
                closeKeys.append(key);
        }
        for (const QKeySequence& key : closeKeys) {
            auto* shortcut = new QShortcut(key, m_window);
            QObject::connect(shortcut, &QShortcut::activated, m_window, &QWidget::close);
        }
    }
    const QString path = contentsPath(helpFile);
    if (path.isEmpty()) {
        m_browser->setHtml(QStringLiteral("<h2>Velquor ヘルプ</h2><p>ヘルプファイル %1 "
                                          "が見つかりません。</p>")
                               .arg(helpFile.toHtmlEscaped()));
    } else {
        m_browser->setSource(QUrl::fromLocalFile(path));
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace velquor
