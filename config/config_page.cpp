// Pages read their settings when first shown, not when the sheet is built,
// so that the tabs the user never opens keep their stored values untouched.
#include "config/config_page.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CConfigPage::CConfigPage(const QString& caption)
    : m_caption(caption)
{
}

void CConfigPage::SetChanged()
{
    emit changed();
}

// Plain text: the examples' runs of spaces and "=>" must show as written.
QLabel* CConfigPage::NoteLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setIndent(24);
    return label;
}

void CConfigPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_modified == 0) {
        OnInitDialog();
        m_modified = 1;
    }
}

QPushButton* CConfigPage::LayOutWithDefault(QWidget* output, QWidget* extension)
{
    auto* defaults = new QPushButton(QStringLiteral("&Default"), this);
    defaults->setObjectName(QStringLiteral("default"));
    defaults->setAutoDefault(false); // Enter stays with the sheet's OK
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(output);
    layout->addWidget(extension);
    layout->addWidget(defaults, 0, Qt::AlignLeft);
    layout->addStretch(1);
    return defaults;
}
