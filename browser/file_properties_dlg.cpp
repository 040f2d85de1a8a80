// The program's own properties window for one file.
#include "browser/file_properties_dlg.h"

#include "browser/file_list_texts.h"
#include "shell/local_path.h"
#include "shell/message_service.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QVBoxLayout>

namespace {

void AddRow(QFormLayout* form, const char* label, const char* objectName, const QString& value)
{
    auto* text = new QLabel(value);
    text->setTextFormat(Qt::PlainText);
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
    const localpath::Facts facts = localpath::FactsOf(path);
    const QString name = localpath::NameOf(path);
    const QString folder = path.left(qMax(qsizetype(1), path.size() - name.size() - 1));
    setWindowTitle(QStringLiteral("%1 Properties").arg(localpath::Display(name)));

    auto* form = new QFormLayout;
    AddRow(form, "Name:", "propertyName", localpath::Display(name));
    AddRow(form, "Folder:", "propertyFolder", localpath::Display(QDir::toNativeSeparators(folder)));
    AddRow(form, "Size:", "propertySize", QStringLiteral("%1 bytes").arg(QLocale().toString(facts.size)));
    AddRow(
        form, "Type:", "propertyType", QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension).comment());
    AddRow(form, "Modified:", "propertyModified", filelist::ModifiedText(facts.modified));
    AddRow(form, "Permissions:", "propertyPermissions", PermissionText(facts.permissions));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

CFilePropertiesDlg* CFilePropertiesDlg::ShowFor(const QString& path, QWidget* parent)
{
    if (!localpath::FactsOf(path).exists) {
        CMessageService::Show(parent,
            QStringLiteral("\"%1\" no longer exists.").arg(localpath::Display(QDir::toNativeSeparators(path))),
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
