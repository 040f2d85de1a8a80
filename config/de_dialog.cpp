// The Decrypt page over "DecryptOption"/"replace". The naming rule is not a
// choice of its own, so its check boxes follow the replace box alone.
#include "config/de_dialog.h"

#include "batch/settings_entries.h"
#include "config/settings_store.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Looks and reads like a check box, but mouse and keyboard leave it as it
// is: only the page sets it.
class CRuleCheckBox : public QCheckBox {
public:
    CRuleCheckBox(const QString& text, const QString& name, QWidget* parent)
        : QCheckBox(text, parent)
    {
        setObjectName(name);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void nextCheckState() override { }
};

} // namespace

CDeDialog::CDeDialog()
    : CConfigPage(QStringLiteral(" Decrypt "))
{
    auto* output = new QGroupBox(QStringLiteral("Output"), this);
    m_replace = new QCheckBox(QStringLiteral("Use decryption file to replace source file(encryption)"), output);
    m_replace->setObjectName(QStringLiteral("replace"));
    (new QVBoxLayout(output))->addWidget(m_replace);

    auto* extension = new QGroupBox(QStringLiteral("Extension"), this);
    auto* note = new QLabel(QStringLiteral("The following is only modified by system:"), extension);
    note->setTextFormat(Qt::PlainText);
    m_subtract = new CRuleCheckBox(
        QStringLiteral("Subtract \".kvn\" if EXTENSION is \".kvn\""), QStringLiteral("subtract"), extension);
    m_noChange = new CRuleCheckBox(
        QStringLiteral("NO change if EXTENSION is not \".kvn\""), QStringLiteral("noChange"), extension);
    m_addPrefix = new CRuleCheckBox(QStringLiteral("Add \"de~\" before filename if EXTENSION is not \".kvn\""),
        QStringLiteral("addPrefix"), extension);
    auto* inside = new QVBoxLayout(extension);
    inside->addWidget(note);
    inside->addWidget(m_subtract);
    inside->addWidget(NoteLabel(QStringLiteral("Example:   abc.txt.kvn  =>  abc.txt (decryption file)"), extension));
    inside->addWidget(m_noChange);
    inside->addWidget(NoteLabel(QStringLiteral("Example:   abc.txt  =>  abc.txt (decryption file)"), extension));
    inside->addWidget(m_addPrefix);
    inside->addWidget(NoteLabel(QStringLiteral("Example:   abc.txt  =>  de~abc.txt (decryption file)"), extension));

    QPushButton* defaults = LayOutWithDefault(output, extension);

    connect(m_replace, &QCheckBox::clicked, this, &CDeDialog::OnReplaceClicked);
    connect(defaults, &QPushButton::clicked, this, &CDeDialog::OnDefault);
}

// Any stored value but "1" keeps the encrypted file; only an empty one is
// written back, as the default "1".
void CDeDialog::OnInitDialog()
{
    CSettingsStore& store = CSettingsStore::Instance();
    const std::string replace = batch::settings::StoredDecryptReplace(store);
    if (replace.empty())
        batch::settings::WriteDecryptReplace(store, true);
    ShowOptions(batch::settings::DecryptOptions(replace).replace != 0);
}

void CDeDialog::ShowOptions(bool replace)
{
    m_replace->setChecked(replace);
    m_subtract->setChecked(true);
    m_noChange->setChecked(replace);
    m_addPrefix->setChecked(!replace);
}

void CDeDialog::OnReplaceClicked()
{
    ShowOptions(m_replace->isChecked());
    SetChanged();
}

void CDeDialog::OnDefault()
{
    ShowOptions(true);
    SetChanged();
}

void CDeDialog::SaveSettings()
{
    batch::settings::WriteDecryptReplace(CSettingsStore::Instance(), m_replace->isChecked());
}
