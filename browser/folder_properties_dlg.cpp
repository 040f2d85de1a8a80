// Read once when the window opens; only the folder's own level is counted,
// so a huge tree below it costs nothing.
#include "folder_properties_dlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>

namespace {

QString Contents(const QString& path)
{
    const QDir dir(path);
    const QDir::Filters all = QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    const qsizetype folders = dir.entryList(all | QDir::Dirs).size();
    const qsizetype files = dir.entryList(all | QDir::Files).size();
    return QStringLiteral("%1 Folders, %2 Files").arg(folders).arg(files);
}

QLabel* Value(const QString& text, const char* name)
{
    auto* label = new QLabel(text);
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
    const QFileInfo info(path);
    const QString name = info.isRoot() ? QDir::toNativeSeparators(path) : info.fileName();
    setWindowTitle(QStringLiteral("%1 Properties").arg(name));

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Name:"), Value(name, "name"));
    form->addRow(QStringLiteral("Location:"), Value(QDir::toNativeSeparators(info.absolutePath()), "location"));
    form->addRow(QStringLiteral("Contains:"), Value(Contents(path), "contains"));
    form->addRow(
        QStringLiteral("Modified:"), Value(QLocale().toString(info.lastModified(), QLocale::LongFormat), "modified"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}
