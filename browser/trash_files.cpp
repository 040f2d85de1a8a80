// Moving the selected files to the trash through the desktop's service.
#include "browser/trash_files.h"

#include "shell/local_path.h"
#include "shell/message_service.h"
#include "shell/shell_service.h"

#include <QProgressDialog>

#include <memory>

namespace {

const char* const kCaption = "Delete File";
constexpr int kReportedFailures = 15;

bool Confirmed(QWidget* owner, const QStringList& paths)
{
    const QString text = paths.size() == 1
        ? QStringLiteral("Are you sure you want to move \"%1\" to the trash?")
              .arg(localpath::Display(localpath::NameOf(paths.front())))
        : QStringLiteral("Are you sure you want to move these %1 files to the trash?").arg(paths.size());
    return CMessageService::Show(
               owner, text, QString::fromLatin1(kCaption), QMessageBox::Yes | QMessageBox::No, QMessageBox::Question)
        == QMessageBox::Yes;
}

void ReportFailures(QWidget* owner, const QStringList& failures)
{
    QString text = QStringLiteral("These files could not be moved to the trash:\n");
    for (qsizetype i = 0; i < failures.size() && i < kReportedFailures; ++i)
        text += QLatin1Char('\n') + failures[i];
    if (failures.size() > kReportedFailures)
        text += QStringLiteral("\n... and %1 more").arg(failures.size() - kReportedFailures);
    CMessageService::Show(owner, text, QString::fromLatin1(kCaption), QMessageBox::Ok, QMessageBox::Warning);
}

} // namespace

int MoveFilesToTrash(QWidget* owner, const QStringList& paths)
{
    if (paths.isEmpty() || !Confirmed(owner, paths))
        return 0;

    // For several files; it appears only when the operation lasts long enough to be noticed.
    std::unique_ptr<QProgressDialog> progress;
    if (paths.size() > 1) {
        progress = std::make_unique<QProgressDialog>(
            QStringLiteral("Moving files to the trash..."), QStringLiteral("Cancel"), 0, int(paths.size()), owner);
        progress->setObjectName(QStringLiteral("deleteProgress"));
        progress->setWindowTitle(QString::fromLatin1(kCaption));
        progress->setWindowModality(Qt::WindowModal);
        progress->setMinimumDuration(500);
    }

    int moved = 0;
    QStringList failures;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (progress) {
            progress->setValue(int(i));
            if (progress->wasCanceled())
                break;
        }
        QString error;
        if (CShellService::Instance().MoveToTrash(paths[i], &error))
            ++moved;
        else
            failures << localpath::Display(error.isEmpty() ? paths[i] : paths[i] + QStringLiteral(": ") + error);
    }
    progress.reset();
    if (!failures.isEmpty())
        ReportFailures(owner, failures);
    return moved;
}
