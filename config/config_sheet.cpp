// The sheet saves the pages itself, and only those the user has seen: a page
// never shown has not read its settings, so it has nothing to save.
#include "config/config_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

CConfigSheet::CConfigSheet(const QString& caption, QWidget* parent, int selectPage)
    : QDialog(parent)
{
    setWindowTitle(caption);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("configTabs"));
    // The " FileList " page stays out of the tabs.
    for (CConfigPage* page : ShownPages()) {
        connect(page, &CConfigPage::changed, this, &CConfigSheet::EnableApply);
        m_tabs->addTab(page, page->Caption());
    }
    // The Encrypt page's format choice follows the cipher as it is picked.
    connect(&m_arith, &CArith::cipherChosen, &m_enDialog, &CEnDialog::SetCipher);
    m_tabs->setCurrentIndex(selectPage); // an index out of range leaves the first page

    auto* buttons
        = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    m_apply = buttons->button(QDialogButtonBox::Apply);
    m_apply->setObjectName(QStringLiteral("apply"));
    m_apply->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CConfigSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CConfigSheet::reject);
    connect(m_apply, &QPushButton::clicked, this, &CConfigSheet::OnApply);
}

// Taking the pages down one by one makes the tabs show a neighbour; on a
// hidden sheet that neighbour cannot read its settings and write defaults.
CConfigSheet::~CConfigSheet()
{
    hide();
}

std::array<CConfigPage*, 4> CConfigSheet::ShownPages()
{
    return { &m_arith, &m_enDialog, &m_deDialog, &m_viewDlg };
}

void CConfigSheet::EnableApply()
{
    m_apply->setEnabled(true);
}

void CConfigSheet::accept()
{
    SaveSettings();
    m_nResult = kSavedByOk;
    QDialog::accept();
}

void CConfigSheet::OnApply()
{
    SaveSettings();
    m_nResult = kSavedByApply;
    m_apply->setEnabled(false);
}

void CConfigSheet::SaveSettings()
{
    for (CConfigPage* page : ShownPages()) {
        if (page->Modified() == 1)
            page->SaveSettings();
    }
}
