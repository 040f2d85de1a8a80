// The about box.
#include "chrome/about_dlg.h"

#include "chrome/static_link.h"
#include "chrome/toolbar_art.h"
#include "product_version.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDlg"));
    setWindowTitle(QStringLiteral("About " KVN_PRODUCT_NAME " " KVN_VERSION));
    auto* icon = new QLabel(this);
    icon->setPixmap(ToolbarArt::AppIcon().pixmap(QSize(64, 64), devicePixelRatioF()));
    icon->setAccessibleName(QStringLiteral(KVN_PRODUCT_NAME));
    auto* title = new QLabel(QStringLiteral("<b>" KVN_PRODUCT_NAME " " KVN_VERSION "</b>"), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    title->setFont(big);
    auto* text = new QLabel(QStringLiteral("File encryption with AES, MARS, RC6, Serpent, Twofish and IDEA.\n"
                                           "Copyright \u00A9 the " KVN_PRODUCT_NAME " developers."),
        this);
    auto* home = new CStaticLink(QStringLiteral("Visit our homepage"), QUrl(QString::fromLatin1(kHomePage)), this);
    home->setObjectName(QStringLiteral("homeLink"));
    auto* mail = new CStaticLink(QStringLiteral("Send e-mail to us"), QUrl(QString::fromLatin1(kSupportMail)), this);
    mail->setObjectName(QStringLiteral("mailLink"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* words = new QVBoxLayout;
    words->addWidget(title);
    words->addWidget(text);
    words->addSpacing(6);
    words->addWidget(home);
    words->addWidget(mail);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(words, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
