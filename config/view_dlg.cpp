// The View page over "ViewOption"/"Option" (the file list's filter) and
// "ViewOption"/"Select" (full-row selection).
#include "config/view_dlg.h"

#include "batch/settings_entries.h"
#include "config/settings_store.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

struct Filter {
    const char* name;
    const char* text;
    const char* code;
};

// "Show all files" last: it stands for every value the others do not name.
const Filter kFilters[] = {
    { "hideHidden", "Do not show hidden files", "1" },
    { "hideSystem", "Do not show system files", "2" },
    { "hideBoth", "Do not show hidden or system files", "3" },
    { "showAll", "Show all files", "4" },
};
constexpr std::size_t kShowAll = 3;

} // namespace

CViewDlg::CViewDlg()
    : CConfigPage(QStringLiteral(" View "))
{
    auto* hidden = new QGroupBox(QStringLiteral("Hidden files"), this);
    auto* hiddenLayout = new QVBoxLayout(hidden);
    for (std::size_t i = 0; i < m_filters.size(); ++i) {
        m_filters[i] = new QRadioButton(QString::fromLatin1(kFilters[i].text), hidden);
        m_filters[i]->setObjectName(QString::fromLatin1(kFilters[i].name));
        hiddenLayout->addWidget(m_filters[i]);
        connect(m_filters[i], &QRadioButton::clicked, this, [this] { SetChanged(); });
    }

    auto* select = new QGroupBox(QStringLiteral("Select files"), this);
    m_fullRow = new QCheckBox(QStringLiteral("Select Full Row"), select);
    m_fullRow->setObjectName(QStringLiteral("fullRow"));
    (new QVBoxLayout(select))->addWidget(m_fullRow);
    connect(m_fullRow, &QCheckBox::clicked, this, [this] { SetChanged(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hidden);
    layout->addWidget(select);
    layout->addStretch(1);
}

void CViewDlg::OnInitDialog()
{
    CSettingsStore& store = CSettingsStore::Instance();
    if (batch::settings::StoredFullRowSelect(store).empty())
        batch::settings::WriteFullRowSelect(store, false);
    m_fullRow->setChecked(batch::settings::FullRowSelect(store));

    const std::string option = batch::settings::ViewFilter(store);
    std::size_t shown = kShowAll;
    for (std::size_t i = 0; i < kShowAll; ++i)
        if (option == kFilters[i].code)
            shown = i;
    m_filters[shown]->setChecked(true);
}

void CViewDlg::SaveSettings()
{
    CSettingsStore& store = CSettingsStore::Instance();
    batch::settings::WriteFullRowSelect(store, m_fullRow->isChecked());
    std::size_t chosen = 0;
    while (chosen < kShowAll && !m_filters[chosen]->isChecked())
        ++chosen;
    batch::settings::WriteViewFilter(store, kFilters[chosen].code);
}
