// The General page: one radio button per cipher, stored as its algorithm code
// in "Arith"/"value".
#include "arith_page.h"

#include "settings_store.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("Arith");
const QString kEntry = QStringLiteral("value");

struct Choice {
    const char* name;
    const char* text;
    const char* line;
    const char* code;
};

// AES first: it is checked before the stored value is known.
const Choice kChoices[] = {
    { "aes", "AES ( Rijndael ) Advanced Encryption Standard ", "The Key is 256 bit in length. ", "1" },
    { "mars", "MARS ", "The Key is 448 bit in length. ", "2" },
    { "rc6", "RC6  ", "The Key is 256 bit in length. ", "3" },
    { "serpent", "Serpent  ", "The Key is 256 bit in length. ", "4" },
    { "twofish", "Twofish  ", "The Key is 256 bit in length. ", "5" },
    { "idea", "IDEA  International Data Encryption Algorithm", "The Key is 128 bit in length. ", "10" },
};

} // namespace

CArith::CArith()
    : CConfigPage(QStringLiteral(" General "))
{
    auto* group = new QGroupBox(QStringLiteral("Algorithmic"), this);
    auto* inside = new QVBoxLayout(group);
    auto* prompt = new QLabel(QStringLiteral("Please choose Symmetric Algorithm:"), group);
    prompt->setTextFormat(Qt::PlainText);
    inside->addWidget(prompt);
    // One parent for all six buttons makes them one exclusive group.
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const Choice& choice = kChoices[i];
        m_buttons[i] = new QRadioButton(QString::fromLatin1(choice.text), group);
        m_buttons[i]->setObjectName(QString::fromLatin1(choice.name));
        inside->addWidget(m_buttons[i]);
        inside->addWidget(NoteLabel(QString::fromLatin1(choice.line), group));
        connect(m_buttons[i], &QRadioButton::clicked, this, [this] { SetChanged(); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch(1);
}

void CArith::OnInitDialog()
{
    m_buttons[0]->setChecked(true);
    const QString stored = CSettingsStore::Instance().GetString(kSection, kEntry);
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        if (stored == QLatin1String(kChoices[i].code)) {
            m_buttons[i]->setChecked(true);
            return;
        }
    }
    CSettingsStore::Instance().WriteString(kSection, kEntry, QStringLiteral("1"));
}

void CArith::SaveSettings()
{
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i]->isChecked()) {
            CSettingsStore::Instance().WriteString(kSection, kEntry, QString::fromLatin1(kChoices[i].code));
            return;
        }
    }
}
