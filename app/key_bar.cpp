// The key bar's widgets.
#include "app/key_bar.h"

#include "batch/key_buffer.h"
#include "batch/key_strength.h"
#include "chrome/art_label.h"
#include "chrome/toolbar_art.h"
#include "engine/os/secure_zero.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace {

// A box that never lets its text out: no copy or cut to the clipboard, and
// no X11 primary selection, which any program on the display can read,
// whether the key is shown or not. The line edit writes to those only while
// its text is shown plainly, after keys (Ctrl+C, Ctrl+X, Ctrl+U, selecting)
// and mouse releases; for those events the box counts as masked.
class CKeyBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        Masked([&] { QLineEdit::keyPressEvent(event); });
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        Masked([&] { QLineEdit::mouseReleaseEvent(event); });
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        Masked([&] { QLineEdit::mouseDoubleClickEvent(event); });
    }

private:
    // Nothing is drawn in between: the box looks the same throughout.
    template <typename Step> void Masked(Step step)
    {
        const EchoMode mode = echoMode();
        if (mode == Normal)
            setEchoMode(Password);
        step();
        if (mode == Normal)
            setEchoMode(Normal);
    }
};

} // namespace

CKeyBar::CKeyBar(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("keyBar"));
    auto* picture = new CArtLabel(QSize(22, 22), this);
    picture->setObjectName(QStringLiteral("keyPicture"));
    picture->SetArt(ToolbarArt::KeyPicture());
    picture->setAccessibleName(QStringLiteral("Key"));
    auto make_box = [this](const char* name) {
        auto* box = new CKeyBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setEchoMode(QLineEdit::Password);
        box->setMinimumWidth(180);
        box->setContextMenuPolicy(Qt::NoContextMenu); // a key is not copied around
        box->setDragEnabled(false);
        return box;
    };
    m_key = make_box("keyBox");
    m_key->setAccessibleName(QStringLiteral("Key"));
    m_confirm = make_box("confirmBox");
    m_confirm->setAccessibleName(QStringLiteral("Verify key"));
    auto* keyLabel = new QLabel(QStringLiteral("Key"), this);
    keyLabel->setBuddy(m_key);
    auto* verifyLabel = new QLabel(QStringLiteral("Verify"), this);
    verifyLabel->setBuddy(m_confirm);
    auto* strengthLabel = new QLabel(QStringLiteral("Strength:"), this);
    strengthLabel->setObjectName(QStringLiteral("keyStrengthCaption"));
    // Only the verdict, never anything of the key itself.
    m_strength = new QLabel(this);
    m_strength->setObjectName(QStringLiteral("keyStrength"));
    m_strength->setTextFormat(Qt::PlainText);
    m_strength->setMinimumWidth(m_strength->fontMetrics().horizontalAdvance(QStringLiteral("strong")));
    m_strength->setAccessibleName(QStringLiteral("Key strength"));
    m_strength->setToolTip(QStringLiteral("How hard the key would be to guess: weak, fair or strong"));
    m_showKey = new QPushButton(QStringLiteral("Show Key"), this);
    m_showKey->setObjectName(QStringLiteral("showKey"));
    m_showKey->setCheckable(true);
    m_showKey->setFlat(true);
    m_showKey->setFocusPolicy(Qt::TabFocus);
    m_showKey->setAccessibleName(QStringLiteral("Show Key"));
    m_showKey->setAccessibleDescription(QStringLiteral("Shows the key and its confirmation as plain text"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(6);
    layout->addWidget(picture);
    layout->addWidget(keyLabel);
    layout->addWidget(m_key, 1);
    layout->addSpacing(8);
    layout->addWidget(verifyLabel);
    layout->addWidget(m_confirm, 1);
    layout->addSpacing(8);
    layout->addWidget(strengthLabel);
    layout->addWidget(m_strength);
    layout->addWidget(m_showKey);
    layout->addStretch(0);

    connect(m_key, &QLineEdit::textChanged, this, &CKeyBar::keyTextChanged);
    connect(m_key, &QLineEdit::textChanged, this, &CKeyBar::ShowStrength);
    connect(m_showKey, &QPushButton::clicked, this, &CKeyBar::showKeyClicked);
}

// The key's bytes live only as long as the estimate takes, and are wiped.
void CKeyBar::ShowStrength(const QString& key)
{
    if (key.isEmpty()) {
        m_strength->clear();
        m_strength->setAccessibleDescription(QString());
        return;
    }
    QByteArray bytes = key.toUtf8();
    batch::KeyText text;
    text.value.assign(bytes.constData(), std::size_t(bytes.size()));
    tessiral::secure_zero(bytes.data(), std::size_t(bytes.size()));
    const QString verdict = QString::fromLatin1(batch::KeyStrengthName(batch::EstimateKeyStrength(text.value)));
    m_strength->setText(verdict);
    m_strength->setAccessibleDescription(QStringLiteral("The key is ") + verdict);
}

void CKeyBar::SetLimit(int characters)
{
    m_key->setMaxLength(characters);
    m_confirm->setMaxLength(characters);
}

void CKeyBar::SetKeyShown(bool shown)
{
    const auto mode = shown ? QLineEdit::Normal : QLineEdit::Password;
    m_key->setEchoMode(mode);
    m_confirm->setEchoMode(mode);
}

// setText, unlike clear, also drops the boxes' undo history, which would
// otherwise keep the key's characters.
void CKeyBar::Clear()
{
    m_key->setText(QString());
    m_confirm->setText(QString());
}
