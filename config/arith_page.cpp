// The General page: one radio button per cipher, stored as its algorithm code
// in "Arith"/"value".
#include "config/arith_page.h"

#include "batch/algorithm.h"
#include "batch/cipher_list.h"
#include "batch/settings_entries.h"
#include "config/settings_store.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// The buttons stand in the cipher list's order.
std::string CodeAt(std::size_t i)
{
    std::size_t count = 0;
    return batch::Ciphers(count)[i].code;
}

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
    std::size_t count = 0;
    const batch::CipherInfo* ciphers = batch::Ciphers(count);
    for (std::size_t i = 0; i < m_buttons.size() && i < count; ++i) {
        m_buttons[i] = new QRadioButton(QString::fromLatin1(ciphers[i].pageText), group);
        m_buttons[i]->setObjectName(QString::fromLatin1(ciphers[i].cliName));
        inside->addWidget(m_buttons[i]);
        inside->addWidget(NoteLabel(QString::fromLatin1(ciphers[i].pageLine), group));
        connect(m_buttons[i], &QRadioButton::clicked, this, [this, i] {
            SetChanged();
            emit cipherChosen(CodeAt(i));
        });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch(1);
}

void CArith::OnInitDialog()
{
    const std::string code = batch::ResolveAlgorithm(CSettingsStore::Instance());
    for (std::size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setChecked(code == CodeAt(i));
}

void CArith::SaveSettings()
{
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i]->isChecked()) {
            batch::settings::WriteAlgorithm(CSettingsStore::Instance(), CodeAt(i));
            return;
        }
    }
}
