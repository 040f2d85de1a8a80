// The Encrypt page over "EncryptOption"/"replace", "add", "verify", "Format"
// and "Strength"; keeping the source's name only makes sense when the source
// goes, hence "NO change".
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
    static_cast<QVBoxLayout*>(layout())->insertWidget(2, MakeFormatGroup());

    connect(m_replace, &QCheckBox::clicked, this, &CEnDialog::OnReplaceClicked);
    connect(m_add, &QRadioButton::clicked, this, [this] { SetChanged(); });
    connect(m_verify, &QCheckBox::clicked, this, [this] { SetChanged(); });
    connect(m_noChange, &QRadioButton::clicked, this, [this] { SetChanged(); });
    connect(defaults, &QPushButton::clicked, this, &CEnDialog::OnDefault);
}

QWidget* CEnDialog::MakeFormatGroup()
{
    auto* group = new QGroupBox(QStringLiteral("File format"), this);
    m_compatible = new QRadioButton(QStringLiteral("Compatible with earlier versions"), group);
    m_compatible->setObjectName(QStringLiteral("compatible"));
    m_authenticated = new QRadioButton(
        QStringLiteral(
            "Authenticated \u2014 password strengthened, changes detected; not readable by earlier versions"),
        group);
    m_authenticated->setObjectName(QStringLiteral("authenticated"));
    auto* formats = new QButtonGroup(this);
    formats->addButton(m_compatible);
    formats->addButton(m_authenticated);

    // What strengthening costs is paid once per batch, by every computer
    // that decrypts too.
    m_strengthCaption = new QLabel(QStringLiteral("Key strengthening:"), group);
    m_strengthCaption->setIndent(24);
    m_normal = new QRadioButton(QStringLiteral("Normal"), group);
    m_normal->setObjectName(QStringLiteral("normal"));
    m_strong = new QRadioButton(QStringLiteral("Strong"), group);
    m_strong->setObjectName(QStringLiteral("strong"));
    auto* strengths = new QButtonGroup(this);
    strengths->addButton(m_normal);
    strengths->addButton(m_strong);
    m_ideaNote = NoteLabel(QStringLiteral("IDEA encrypts in the compatible format only: its 64-bit blocks are too "
                                          "small for the authenticated format's mode, which needs 128-bit blocks."),
        group);
    m_ideaNote->setObjectName(QStringLiteral("ideaNote"));
    m_ideaNote->setWordWrap(true);
    m_ideaNote->hide();

    auto* inside = new QVBoxLayout(group);
    inside->addWidget(m_compatible);
    inside->addWidget(m_authenticated);
    inside->addWidget(m_strengthCaption);
    auto* strengthRows = new QVBoxLayout;
    strengthRows->setContentsMargins(24, 0, 0, 0);
    strengthRows->addWidget(m_normal);
    strengthRows->addWidget(NoteLabel(QStringLiteral("256 MiB of memory and about a second, once per batch"), group));
    strengthRows->addWidget(m_strong);
    strengthRows->addWidget(NoteLabel(QStringLiteral("2 GiB of memory and about three seconds, once per batch; "
                                                     "slower to guess, and decrypting needs that memory free too"),
        group));
    inside->addLayout(strengthRows);
    inside->addWidget(m_ideaNote);

    connect(m_compatible, &QRadioButton::clicked, this, [this] {
        m_format = batch::FileFormat::Compatible;
        ShowFormat();
        SetChanged();
    });
    connect(m_authenticated, &QRadioButton::clicked, this, [this] {
        m_format = batch::FileFormat::Authenticated;
        ShowFormat();
        SetChanged();
    });
    connect(m_normal, &QRadioButton::clicked, this, [this] { SetChanged(); });
    connect(m_strong, &QRadioButton::clicked, this, [this] { SetChanged(); });
    return group;
}

void CEnDialog::SetCipher(const std::string& code)
{
    m_cipher = code;
    ShowFormat();
}

void CEnDialog::ShowFormat()
{
    const bool offered = m_cipher.empty() || batch::settings::OffersAuthenticated(m_cipher);
    const bool authenticated = offered && m_format == batch::FileFormat::Authenticated;
    (authenticated ? m_authenticated : m_compatible)->setChecked(true);
    m_compatible->setEnabled(offered);
    m_authenticated->setEnabled(offered);
    m_strengthCaption->setEnabled(authenticated);
    m_normal->setEnabled(authenticated);
    m_strong->setEnabled(authenticated);
    m_ideaNote->setVisible(!offered);
}

// An empty "replace" is read by the Encrypt command as replacing with ".kvn"
// added, so both entries are stored that way. An empty "add" alone is filled
// in, but a stored "replace" is kept: turning a kept source into a replaced
// one is not a default the user would expect from opening a page.
void CEnDialog::OnInitDialog()
{
    CSettingsStore& store = CSettingsStore::Instance();
    m_verify->setChecked(batch::settings::VerifyResults(store));
    m_format = batch::settings::StoredFormat(store);
    (batch::settings::StoredStrength(store) == batch::Strength::Strong ? m_strong : m_normal)->setChecked(true);
    if (m_cipher.empty())
        m_cipher = batch::settings::AlgorithmCode(store);
    ShowFormat();
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
    m_format = batch::FileFormat::Compatible;
    m_normal->setChecked(true);
    ShowFormat();
    SetChanged();
}

void CEnDialog::SaveSettings()
{
    CSettingsStore& store = CSettingsStore::Instance();
    const bool replace = m_replace->isChecked();
    batch::settings::WriteEncryptChoice(store, replace, !replace || m_add->isChecked());
    batch::settings::WriteVerifyResults(store, m_verify->isChecked());
    batch::settings::WriteFormat(store, m_format);
    batch::settings::WriteStrength(store, m_strong->isChecked() ? batch::Strength::Strong : batch::Strength::Normal);
}
