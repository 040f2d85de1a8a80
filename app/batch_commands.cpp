// The Encrypt and Decrypt commands: check the key and the selection, work
// out the batch by the shared batch rules, and run it in the batch window.
#include "main_frame.h"

#include "algorithm.h"
#include "batch_runner.h"
#include "cipher_view.h"
#include "idea.h"
#include "key_bar.h"
#include "local_path.h"
#include "message_service.h"
#include "prechecks.h"
#include "settings_entries.h"
#include "progress_dlg.h"
#include "secure_zero.h"
#include "settings_store.h"
#include "zoom_dialog.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>

namespace {

QMessageBox::Icon icon_of(unsigned icon) { return icon ? QMessageBox::Information : QMessageBox::NoIcon; }

// A key box's text as UTF-8, in buffers that are wiped before they are freed.
// The box's own QString is shared, not copied, until toUtf8 makes the bytes.
class WipedUtf8 {
public:
    explicit WipedUtf8(const QLineEdit* box)
    {
        QByteArray bytes = box->text().toUtf8();
        value.assign(bytes.constData(), std::size_t(bytes.size()));
        tessiral::secure_zero(bytes.data(), std::size_t(bytes.size()));
    }
    ~WipedUtf8() { tessiral::secure_zero(value.data(), value.size()); }
    WipedUtf8(const WipedUtf8&) = delete;
    WipedUtf8& operator=(const WipedUtf8&) = delete;

    std::string value;
};

// Texts from the batch rules name files by their bytes.
QString shown(const std::string& text) { return localpath::Display(localpath::FromStd(text)); }

} // namespace

void CMainFrame::RunBatchCommand(batch::Direction direction)
{
    CSettingsStore& settings = CSettingsStore::Instance();
    const std::string code = batch::ResolveAlgorithm(settings);
    const WipedUtf8 keyText(m_wndKeyBar->KeyBox());
    const WipedUtf8 confirmText(m_wndKeyBar->ConfirmBox());
    const std::string& key = keyText.value;
    const std::string& confirm = confirmText.value;
    const int selected = m_list->GetSelectedCount();

    const batch::CheckResult check = batch::CheckSelectionAndKey(direction, std::size_t(selected), key, confirm);
    switch (check.refusal) {
    case batch::Refusal::None: break;
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
        CMessageService::Show(this, shown(check.text), QString::fromStdString(check.caption),
                              QMessageBox::Ok, icon_of(check.icon));
        return;
    }

    std::vector<std::string> sources;
    for (int row : m_list->SelectedRows())
        sources.push_back(localpath::ToStd(m_list->ItemText(row, CCipherView::PathColumn)));
    const batch::OutputOptions options = direction == batch::Direction::Encrypt
        ? batch::settings::EncryptOptions(settings)
        : batch::settings::DecryptOptions(settings);
    const batch::Batch plan = batch::PlanBatch(direction, code, options, sources);

    CIdea engine;
    batch::KeyBuffer keyBytes(key);
    batch::SetUpEngine(engine, plan, keyBytes);

    const batch::CheckResult attributes = batch::CheckAttributes(direction, options.replace != 0, sources);
    if (!attributes.ok()) {
        CMessageService::Show(this, shown(attributes.text), QString::fromStdString(attributes.caption),
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
            results << localpath::FromStd(batch::ResultPath(plan, i));
    window.reset();
    m_list->FillList();
    if (!results.isEmpty())
        m_list->SelectPaths(results);
}

void CMainFrame::OnEncrypt() { RunBatchCommand(batch::Direction::Encrypt); }

void CMainFrame::OnDecrypt() { RunBatchCommand(batch::Direction::Decrypt); }
