#include "about_box.h"

#include "pictures.h"
#include "velquor_application.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace velquor {

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint
        | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    setFont(VelquorApplication::interfaceFont());
    setFixedSize(428, 244);

    // The 421-pixel picture is centred in its 406-pixel frame, so both edges are cut.
    auto* frame = new QFrame(this);
    frame->setGeometry(11, 7, 406, 157);
    auto* picture = new QLabel(frame);
    picture->setObjectName(QStringLiteral("titlePicture"));
    picture->setPixmap(aboutTitlePicture());
    picture->setGeometry((406 - 421) / 2, 0, 421, 157);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("versionPanel"));
    panel->setGeometry(10, 168, 408, 28);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    auto* inner = new QFrame(panel);
    inner->setGeometry(1, 1, 406, 26);
    inner->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* version = new QLabel(QStringLiteral("バージョン 1.40 "), panel);
    version->setObjectName(QStringLiteral("versionLabel"));
    version->move(168, 8);
    version->adjustSize();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(330, 208, 87, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    VelquorApplication::centreOnScreen(this);
}

} // namespace velquor
