// The program's own properties window for one file.
#include "file_properties_dlg.h"

#include "file_list_texts.h"
#include "message_service.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QVBoxLayout>

namespace {

void AddRow(QFormLayout* form, const char* label, const char* objectName, const QString& value)
{
    auto* text = new QLabel(value);
    text->setObjectName(QString::fromLatin1(objectName));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setWordWrap(true);
    form->addRow(QString::fromLatin1(label), text);
}

} // namespace

CFilePropertiesDlg::CFilePropertiesDlg(const QString& path, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("filePropertiesDialog"));
    const QFileInfo info(path);
    setWindowTitle(QStringLiteral("%1 Properties").arg(info.fileName()));

    auto* form = new QFormLayout;
    AddRow(form, "Name:", "propertyName", info.fileName());
    AddRow(form, "Folder:", "propertyFolder", QDir::toNativeSeparators(info.absolutePath()));
    AddRow(form, "Size:", "propertySize", QStringLiteral("%1 bytes").arg(QLocale().toString(info.size())));
    AddRow(form, "Type:", "propertyType",
        QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension).comment());
    AddRow(form, "Modified:", "propertyModified", filelist::ModifiedText(info.lastModified().toSecsSinceEpoch()));
    AddRow(form, "Permissions:", "propertyPermissions", PermissionText(info.permissions()));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

CFilePropertiesDlg* CFilePropertiesDlg::ShowFor(const QString& path, QWidget* parent)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        CMessageService::Show(parent, QStringLiteral("\"%1\" no longer exists.").arg(QDir::toNativeSeparators(path)),
            QStringLiteral("Properties"), QMessageBox::Ok, QMessageBox::Warning);
        return nullptr;
    }
    auto* dlg = new CFilePropertiesDlg(path, parent);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->show();
    return dlg;
}

QString CFilePropertiesDlg::PermissionText(QFileDevice::Permissions p)
{
    const QFileDevice::Permission bits[] = {
        QFileDevice::ReadOwner,
        QFileDevice::WriteOwner,
        QFileDevice::ExeOwner,
        QFileDevice::ReadGroup,
        QFileDevice::WriteGroup,
        QFileDevice::ExeGroup,
        QFileDevice::ReadOther,
        QFileDevice::WriteOther,
        QFileDevice::ExeOther,
    };
    const char letters[] = "rwx";
    QString text;
    for (int i = 0; i < 9; ++i)
        text += p.testFlag(bits[i]) ? QLatin1Char(letters[i % 3]) : QLatin1Char('-');
    return text;
}
