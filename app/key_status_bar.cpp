// The status bar's panes.
#include "app/key_status_bar.h"

#include "chrome/art_label.h"
#include "chrome/toolbar_art.h"

#include <QLabel>

CKeyStatusBar::CKeyStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("statusBar"));
    auto pane = [this](const QString& text, const char* name, QLabel* l = nullptr) {
        if (!l)
            l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        addPermanentWidget(l);
        return l;
    };
    m_light = new CArtLabel(QSize(16, 16), this);
    pane(QString(), "strengthLight", m_light);
    m_light->setAccessibleName(QStringLiteral("Key strength"));
    m_length = pane(QStringLiteral(" Key Length: 0 Bit     "), "keyLength");
    m_cipher = pane(QStringLiteral(" AES    "), "cipherName");
    m_caps = pane(QStringLiteral("Cap"), "capsLock");
    m_num = pane(QStringLiteral("Num"), "numLock");
    SetStrongKey(false);
    showMessage(QString::fromLatin1(kIdlePrompt));
    // Menu and toolbar hovers reach the main window, which sets or clears the
    // message itself; whatever clears it, the idle prompt comes back.
    connect(this, &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            showMessage(QString::fromLatin1(kIdlePrompt));
    });
    UpdateLockIndicators();
}

void CKeyStatusBar::ShowKeyLength(int characters)
{
    const int bits = 8 * characters;
    m_length->setText(QStringLiteral(" Key Length: %1 Bit").arg(bits));
    SetStrongKey(bits > 120);
}

void CKeyStatusBar::SetStrongKey(bool strong)
{
    m_bStrongKey = strong ? 1 : 0;
    m_light->SetArt(ToolbarArt::StrengthLight(strong));
    const QString says = strong ? QStringLiteral("Strong key") : QStringLiteral("Weak key: 15 characters or fewer");
    m_light->setToolTip(says);
    m_light->setAccessibleDescription(says);
}

void CKeyStatusBar::SetCipherText(const QString& text)
{
    m_cipher->setText(text);
}

QString CKeyStatusBar::KeyLengthText() const
{
    return m_length->text();
}

QString CKeyStatusBar::CipherText() const
{
    return m_cipher->text();
}

// Qt does not tell the lock keys' state portably; the panes keep their
// place and stay greyed, as an indicator that is off looks.
void CKeyStatusBar::UpdateLockIndicators()
{
    m_caps->setEnabled(false);
    m_num->setEnabled(false);
}
