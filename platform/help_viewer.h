#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QTextBrowser;

namespace velquor {

// The help system: opens a help file at its contents in a window of its own.
// The file name the program asks for ("Velquor.hlp") maps to docs/help/index.html.
class HelpViewer
{
public:
    explicit HelpViewer(QWidget* owner = nullptr)
        : m_owner(owner)
    {
    }
    ~HelpViewer();

    // Shows the contents of the named help file; a missing file shows a placeholder page.
    void showContents(const QString& helpFile);

    // The contents page for a help file name, or an empty text when none is found:
    // share/velquor/help beside the installed program first, then the source tree.
    static QString contentsPath(const QString& helpFile);

    QWidget* window() const { return m_window; }

private:
    QWidget* m_owner;
    QPointer<QWidget> m_window;
    QTextBrowser* m_browser = nullptr;
};

} // namespace velquor
