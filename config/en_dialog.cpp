// The Encrypt page over "EncryptOption"/"replace" and "add"; keeping the
// source's name only makes sense when the source goes, hence "NO change".
#include "config/en_dialog.h"

#include "batch/settings_entries.h"
#include "config/settings_store.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

CEnDialog::CEnDialog()
    : CConfigPage(QStringLiteral(" Encrypt "))
{
    auto* output = new QGroupBox(QStringLiteral("Output"), this);
    m_replace = new QCheckBox(QStringLiteral("Use encryption file to replace source file"), output);
    m_replace->setObjectName(QStringLiteral("replace"));
    // Also decryption's: its results replace their encrypted files the same way.
    m_verify
        = new QCheckBox(QStringLiteral("Check each result against its original before deleting the original"), output);
    m_verify->setObjectName(QStringLiteral("verify"));
    auto* outputLayout = new QVBoxLayout(output);
    outputLayout->addWidget(m_replace);
    outputLayout->addWidget(m_verify);

    auto* extension = new QGroupBox(QStringLiteral("Extension"), this);
    m_add = new QRadioButton(QStringLiteral("Add \".kvn\""), extension);
    m_add->setObjectName(QStringLiteral("add"));
    m_noChange = new QRadioButton(QStringLiteral("NO change"), extension);
    // One group for the pair, so that checking one always clears the other,
    // also while the other is disabled.
    auto* naming = new QButtonGroup(this);
    naming->addButton(m_add);
    naming->addButton(m_noChange);
    m_noChange->setObjectName(QStringLiteral("noChange"));
    auto* inside = new QVBoxLayout(extension);
    inside->addWidget(m_add);
    inside->addWidget(NoteLabel(QStringLiteral("Example:   abc.txt  =>  abc.txt.kvn (encryption file)"), extension));
    inside->addWidget(m_noChange);
    inside->addWidget(NoteLabel(QStringLiteral("Example:   abc.txt  =>  abc.txt (encryption file)"), extension));

    QPushButton* defaults = LayOutWithDefault(output, extension);

    connect(m_replace, &QCheckBox::clicked, this, &CEnDialog::OnReplaceClicked);
    connect(m_add, &QRadioButton::clicked, this, [this] { SetChanged(); });
    connect(m_verify, &QCheckBox::clicked, this, [this] { SetChanged(); });
    connect(m_noChange, &QRadioButton::clicked, this, [this] { SetChanged(); });
    connect(defaults, &QPushButton::clicked, this, &CEnDialog::OnDefault);
}

// An empty "replace" is read by the Encrypt command as replacing with ".kvn"
// added, so both entries are stored that way. An empty "add" alone is filled
// in, but a stored "replace" is kept: turning a kept source into a replaced
// one is not a default the user would expect from opening a page.
void CEnDialog::OnInitDialog()
{
    CSettingsStore& store = CSettingsStore::Instance();
    m_verify->setChecked(batch::settings::VerifyResults(store));
    batch::settings::EncryptChoice stored = batch::settings::StoredEncryptChoice(store);
    if (stored.replace.empty()) {
        batch::settings::WriteEncryptChoice(store, true, true);
        ShowOptions(true, true);
        return;
    }
    if (stored.add.empty()) {
        batch::settings::WriteEncryptAdd(store, true);
        stored = batch::settings::StoredEncryptChoice(store);
    }
    const batch::OutputOptions shown = batch::settings::EncryptOptions(stored);
    ShowOptions(shown.replace != 0, shown.addExt != 0);
}

void CEnDialog::ShowOptions(bool replace, bool add)
{
    m_replace->setChecked(replace);
    m_noChange->setEnabled(replace);
    if (replace && !add)
        m_noChange->setChecked(true);
    else
        m_add->setChecked(true);
}

void CEnDialog::OnReplaceClicked()
{
    SetChanged();
    const bool replace = m_replace->isChecked();
    m_noChange->setEnabled(replace);
    if (!replace)
        m_add->setChecked(true);
}

void CEnDialog::OnDefault()
{
    ShowOptions(true, true);
    m_verify->setChecked(true);
    SetChanged();
}

void CEnDialog::SaveSettings()
{
    CSettingsStore& store = CSettingsStore::Instance();
    const bool replace = m_replace->isChecked();
    batch::settings::WriteEncryptChoice(store, replace, !replace || m_add->isChecked());
    batch::settings::WriteVerifyResults(store, m_verify->isChecked());
}
