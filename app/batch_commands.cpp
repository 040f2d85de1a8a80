// The Encrypt and Decrypt commands: check the key and the selection, work
// out the batch by the shared batch rules, and run it in the batch window.
#include "app/main_frame.h"

#include "app/key_bar.h"
#include "app/progress_dlg.h"
#include "app/zoom_dialog.h"
#include "batch/algorithm.h"
#include "batch/batch_runner.h"
#include "batch/batch_texts.h"
#include "batch/folder_walk.h"
#include "batch/key_buffer.h"
#include "batch/prechecks.h"
#include "batch/settings_entries.h"
#include "browser/cipher_view.h"
#include "config/settings_store.h"
#include "engine/api/batch_control.h"
#include "engine/api/idea.h"
#include "engine/os/secure_zero.h"
#include "shell/local_path.h"
#include "shell/message_service.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>

namespace {

QMessageBox::Icon icon_of(unsigned icon)
{
    return icon ? QMessageBox::Information : QMessageBox::NoIcon;
}

// A key box's text as UTF-8, in buffers that are wiped before they are freed.
// The box's own QString is shared, not copied, until toUtf8 makes the bytes.
struct WipedUtf8 : batch::KeyText {
    explicit WipedUtf8(const QLineEdit* box)
    {
        QByteArray bytes = box->text().toUtf8();
        value.assign(bytes.constData(), std::size_t(bytes.size()));
        tessiral::secure_zero(bytes.data(), std::size_t(bytes.size()));
    }
};

// Texts from the batch rules name files by their bytes.
QString shown(const std::string& text)
{
    return localpath::Display(localpath::FromStd(text));
}

} // namespace

// The key and confirmation checks, for a batch of `count` files; false when
// the user was told why it does not start.
bool CMainFrame::KeyChecked(batch::Direction direction, std::size_t count, const std::string& key)
{
    const WipedUtf8 confirmText(m_wndKeyBar->ConfirmBox());
    const batch::CheckResult check = batch::CheckSelectionAndKey(direction, count, key, confirmText.value);
    switch (check.refusal) {
    case batch::Refusal::None:
        return true;
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
        return false;
    }
    default:
        CMessageService::Show(
            this, shown(check.text), QString::fromStdString(check.caption), QMessageBox::Ok, icon_of(check.icon));
        return false;
    }
}

void CMainFrame::RunBatchCommand(batch::Direction direction)
{
    std::vector<std::string> sources;
    for (int row : m_list->SelectedRows())
        sources.push_back(localpath::ToStd(m_list->ItemText(row, CCipherView::PathColumn)));
    RunBatchOn(direction, sources);
}

void CMainFrame::RunFolderCommand(batch::Direction direction, const QString& folder)
{
    batch::FolderWalk walk;
    std::string error;
    if (!batch::WalkFolders({ localpath::ToStd(folder) }, direction, walk, error)) {
        CMessageService::Show(
            this, shown(error), QString::fromLatin1(batch::texts::kAppTitle), QMessageBox::Ok, QMessageBox::Warning);
        return;
    }
    RunBatchOn(direction, walk.files);
}

void CMainFrame::RunBatchOn(batch::Direction direction, const std::vector<std::string>& sources)
{
    const WipedUtf8 keyText(m_wndKeyBar->KeyBox());
    if (!KeyChecked(direction, sources.size(), keyText.value))
        return;
    CSettingsStore& settings = CSettingsStore::Instance();
    const std::string code = batch::ResolveAlgorithm(settings);
    const batch::OutputOptions options = direction == batch::Direction::Encrypt
        ? batch::settings::EncryptOptions(settings)
        : batch::settings::DecryptOptions(settings);
    const batch::Batch plan = batch::PlanBatch(direction, code, options, sources);

    CIdea engine;
    CBatchControl control;
    batch::KeyBuffer keyBytes(keyText.value);
    batch::SetUpEngine(engine, plan, keyBytes, &control);

    const batch::CheckResult attributes = batch::CheckAttributes(direction, options.replace != 0, sources);
    if (!attributes.ok()) {
        CMessageService::Show(this, shown(attributes.text), QString::fromStdString(attributes.caption), QMessageBox::Ok,
            icon_of(attributes.icon));
        return;
    }

    std::unique_ptr<CProgressDlg> window;
    if (direction == batch::Direction::Encrypt)
        window = std::make_unique<CEnProgressDlg>(this);
    else
        window = std::make_unique<CDeProgressDlg>(this);
    window->m_pIdea = &engine;
    window->m_pBatch = &plan;
    window->m_pControl = &control;
    window->exec();
    // The list keeps its sort; the files the batch made are selected again.
    QStringList results;
    const batch::BatchOutcome& outcome = window->Outcome();
    for (std::size_t i = 0; i < outcome.files.size(); ++i)
        if (!outcome.files[i].failed && !outcome.files[i].stopped)
            results << localpath::FromStd(batch::ResultPath(plan, i));
    window.reset();
    m_list->FillList();
    if (!results.isEmpty())
        m_list->SelectPaths(results);
}

void CMainFrame::EncryptFolder(const QString& folder)
{
    RunFolderCommand(batch::Direction::Encrypt, folder);
}

void CMainFrame::DecryptFolder(const QString& folder)
{
    RunFolderCommand(batch::Direction::Decrypt, folder);
}

void CMainFrame::OnEncrypt()
{
    RunBatchCommand(batch::Direction::Encrypt);
}

void CMainFrame::OnDecrypt()
{
    RunBatchCommand(batch::Direction::Decrypt);
}
