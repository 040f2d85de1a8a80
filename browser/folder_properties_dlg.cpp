// Read once when the window opens; only the folder's own level is counted,
// so a huge tree below it costs nothing.
#include "browser/folder_properties_dlg.h"

#include "browser/file_list_reader.h"
#include "browser/subfolder_reader.h"
#include "shell/local_path.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>

namespace {

QString Contents(const QString& path)
{
    const qsizetype folders = filelist::ReadSubfolders(path, true).size();
    const auto files = qsizetype(filelist::ReadEntries(path, filelist::Filter{}).size());
    return QStringLiteral("%1 Folders, %2 Files").arg(folders).arg(files);
}

QLabel* Value(const QString& text, const char* name)
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

CFolderPropertiesDlg::CFolderPropertiesDlg(const QString& path, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("folderPropertiesDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString own = localpath::NameOf(path);
    const bool root = own.isEmpty() || path == QLatin1String("/");
    const QString name = localpath::Display(root ? QDir::toNativeSeparators(path) : own);
    const QString location = root ? path : path.left(qMax(qsizetype(1), path.size() - own.size() - 1));
    setWindowTitle(QStringLiteral("%1 Properties").arg(name));

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Name:"), Value(name, "name"));
    form->addRow(
        QStringLiteral("Location:"), Value(localpath::Display(QDir::toNativeSeparators(location)), "location"));
    form->addRow(QStringLiteral("Contains:"), Value(Contents(path), "contains"));
    form->addRow(QStringLiteral("Modified:"),
        Value(QLocale().toString(QDateTime::fromSecsSinceEpoch(localpath::FactsOf(path).modified), QLocale::LongFormat),
            "modified"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}
