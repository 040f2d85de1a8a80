// The Encrypt and Decrypt commands: check the key and the selection, work
// out the batch by the shared batch rules, and run it in the batch window.
#include "main_frame.h"

#include "algorithm.h"
#include "batch_runner.h"
#include "cipher_view.h"
#include "idea.h"
#include "key_bar.h"
#include "message_service.h"
#include "prechecks.h"
#include "progress_dlg.h"
#include "settings_store.h"
#include "zoom_dialog.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>

namespace {

QMessageBox::Icon icon_of(unsigned icon)
{
    return icon ? QMessageBox::Information : QMessageBox::NoIcon;
}

} // namespace

void CMainFrame::RunBatchCommand(batch::Direction direction)
{
    CSettingsStore& settings = CSettingsStore::Instance();
    const std::string code = batch::ResolveAlgorithm(settings);
    const std::string key = m_wndKeyBar->KeyBox()->text().toStdString();
    const std::string confirm = m_wndKeyBar->ConfirmBox()->text().toStdString();
    const int selected = m_list->GetSelectedCount();

    const batch::CheckResult check = batch::CheckSelectionAndKey(direction, std::size_t(selected), key, confirm);
    switch (check.refusal) {
    case batch::Refusal::None:
        break;
    case batch::Refusal::KeyMissing:
    case batch::Refusal::ConfirmMissing:
    case batch::Refusal::ConfirmDiffers: {
        const bool noKey = check.refusal == batch::Refusal::KeyMissing;
        QApplication::beep();
        const QPoint anchor = QCursor::pos();
        if (noKey) {
            CNoKeyDlg dlg(anchor, this);
            dlg.exec();
            m_wndKeyBar->KeyBox()->setFocus();
        } else {
            CConfirmKeyDlg dlg(anchor, this);
            dlg.exec();
            m_wndKeyBar->ConfirmBox()->setFocus();
        }
        return;
    }
    default:
        CMessageService::Show(this, QString::fromStdString(check.text), QString::fromStdString(check.caption),
            QMessageBox::Ok, icon_of(check.icon));
        return;
    }

    std::vector<std::string> sources;
    for (int row : m_list->SelectedRows())
        sources.push_back(m_list->ItemText(row, CCipherView::PathColumn).toStdString());
    const batch::OutputOptions options = direction == batch::Direction::Encrypt
        ? batch::EncryptOptions(
            settings.GetProfileString("EncryptOption", "replace"), settings.GetProfileString("EncryptOption", "add"))
        : batch::DecryptOptions(settings.GetProfileString("DecryptOption", "replace"));
    const batch::Batch plan = batch::PlanBatch(direction, code, options, sources);

    CIdea engine;
    batch::KeyBuffer keyBytes(key);
    batch::SetUpEngine(engine, plan, keyBytes);

    const batch::CheckResult attributes = batch::CheckAttributes(direction, options.replace != 0, sources);
    if (!attributes.ok()) {
        CMessageService::Show(this, QString::fromStdString(attributes.text), QString::fromStdString(attributes.caption),
            QMessageBox::Ok, icon_of(attributes.icon));
        return;
    }

    std::unique_ptr<CProgressDlg> window;
    if (direction == batch::Direction::Encrypt)
        window = std::make_unique<CEnProgressDlg>(this);
    else
        window = std::make_unique<CDeProgressDlg>(this);
    window->m_pIdea = &engine;
    window->m_pBatch = &plan;
    window->exec();
    // The list keeps its sort; the files the batch made are selected again.
    QStringList results;
    const batch::BatchOutcome& outcome = window->Outcome();
    for (std::size_t i = 0; i < outcome.files.size(); ++i)
        if (!outcome.files[i].failed)
            results << QString::fromStdString(batch::ResultPath(plan, i));
    window.reset();
    m_list->FillList();
    if (!results.isEmpty())
        m_list->SelectPaths(results);
}

void CMainFrame::OnEncrypt()
{
    RunBatchCommand(batch::Direction::Encrypt);
}

void CMainFrame::OnDecrypt()
{
    RunBatchCommand(batch::Direction::Decrypt);
}
