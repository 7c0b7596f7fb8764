#pragma once

#include <QDialog>

namespace velquor {

// The about box: created for each showing and released when it closes.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override; // centred on the screen
};

} // namespace velquor
