// The status bar's panes.
#include "key_status_bar.h"

#include "toolbar_art.h"

#include <QEvent>
#include <QLabel>

CKeyStatusBar::CKeyStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("statusBar"));
    auto pane = [this](const QString& text, const char* name) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        addPermanentWidget(l);
        return l;
    };
    m_light = pane(QString(), "strengthLight");
    m_length = pane(QStringLiteral(" Key Length: 0 Bit     "), "keyLength");
    m_cipher = pane(QStringLiteral(" AES    "), "cipherName");
    m_caps = pane(QStringLiteral("Cap"), "capsLock");
    m_num = pane(QStringLiteral("Num"), "numLock");
    SetStrongKey(false);
    showMessage(QString::fromLatin1(kIdlePrompt));
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
    m_light->setPixmap(ToolbarArt::StrengthLight(strong));
    m_light->setToolTip(strong ? QStringLiteral("Strong key") : QStringLiteral("Weak key: 15 characters or fewer"));
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

bool CKeyStatusBar::event(QEvent* e)
{
    // An empty temporary message brings the idle prompt back.
    if (e->type() == QEvent::StatusTip) {
        const bool r = QStatusBar::event(e);
        if (currentMessage().isEmpty())
            showMessage(QString::fromLatin1(kIdlePrompt));
        return r;
    }
    return QStatusBar::event(e);
}
