// The main window's command handlers: where every menu item, accelerator and
// toolbar button ends.
#include "app/main_frame.h"

#include "app/command_table.h"
#include "app/key_bar.h"
#include "app/key_status_bar.h"
#include "batch/algorithm.h"
#include "batch/cipher_list.h"
#include "batch/settings_entries.h"
#include "browser/cipher_view.h"
#include "browser/left_view.h"
#include "chrome/about_dlg.h"
#include "config/config_sheet.h"
#include "config/settings_store.h"
#include "product_version.h"
#include "shell/message_service.h"
#include "shell/program_folder.h"
#include "shell/shell_service.h"
#include "tips/tip_dlg.h"
#include "update/upgrade_dlg.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QUrl>

void CMainFrame::ApplyAlgorithm()
{
    // Shown, not written: only the commands write a corrected code back.
    const std::string code = batch::settings::AlgorithmCode(CSettingsStore::Instance());
    m_wndKeyBar->SetLimit(batch::KeyLimit(code));
    const batch::CipherInfo* cipher = batch::FindCipher(code);
    m_wndStatusBar->SetCipherText(QString::fromLatin1(cipher->paneText));
}

void CMainFrame::Dispatch(int command)
{
    switch (command) {
    case cmd::SelectAll:
        m_list->SelectAll();
        break;
    case cmd::InvertSelection:
        m_list->InvertSelection();
        break;
    case cmd::Exit:
        close();
        break;
    case cmd::Encrypt:
        OnEncrypt();
        break;
    case cmd::Decrypt:
        OnDecrypt();
        break;
    case cmd::ClearKey:
        OnClearKey();
        break;
    case cmd::ViewToolbar:
        break; // the action's toggle shows or hides the bar
    case cmd::ViewStatusBar:
        statusBar()->setVisible(m_actions[cmd::ViewStatusBar]->isChecked());
        break;
    case cmd::LargeIcon:
        m_list->SetViewMode(CCipherView::ViewMode::LargeIcons);
        break;
    case cmd::SmallIcon:
        m_list->SetViewMode(CCipherView::ViewMode::SmallIcons);
        break;
    case cmd::ListView:
        m_list->SetViewMode(CCipherView::ViewMode::List);
        break;
    case cmd::Details:
        m_list->SetViewMode(CCipherView::ViewMode::Details);
        break;
    case cmd::ArrangeByName:
        m_list->ArrangeBy(CCipherView::NameColumn);
        break;
    case cmd::ArrangeByType:
        m_list->ArrangeBy(CCipherView::TypeColumn);
        break;
    case cmd::ArrangeBySize:
        m_list->ArrangeBy(CCipherView::SizeColumn);
        break;
    case cmd::ArrangeByDate:
        m_list->ArrangeBy(CCipherView::ModifiedColumn);
        break;
    case cmd::ArrangeByAttribute:
        m_list->ArrangeBy(CCipherView::AttributeColumn);
        break;
    case cmd::RefreshAll:
        OnRefreshAll();
        break;
    case cmd::Configuration:
        OnConfiguration();
        break;
    case cmd::MultiColorStyle:
        OnToolbarStyle(false);
        break;
    case cmd::SimpleStyle:
        OnToolbarStyle(true);
        break;
    case cmd::UpgradeNow: {
        CUpgradeDlg upgrade(this);
        upgrade.exec();
        break;
    }
    case cmd::HelpContent:
        OnHelpFile(QStringLiteral("help.html"), QStringLiteral("Don't open help file!"));
        break;
    case cmd::License:
        OnHelpFile(QStringLiteral("license.txt"), QStringLiteral("Don't open license file!"));
        break;
    case cmd::TipOfTheDay: {
        CTipDlg tip(this);
        tip.exec();
        break;
    }
    case cmd::Homepage:
        CShellService::Instance().OpenUrl(QUrl(QString::fromLatin1(CAboutDlg::kHomePage)));
        break;
    case cmd::SendMail:
        CShellService::Instance().OpenUrl(QUrl(QString::fromLatin1(CAboutDlg::kSupportMail)));
        break;
    case cmd::About: {
        CAboutDlg about(this);
        about.exec();
        break;
    }
    default:
        break;
    }
    SyncViewModeMarks();
}

void CMainFrame::SyncViewModeMarks()
{
    if (!m_list)
        return;
    static const QHash<int, int> byMode = {
        { int(CCipherView::ViewMode::LargeIcons), cmd::LargeIcon },
        { int(CCipherView::ViewMode::SmallIcons), cmd::SmallIcon },
        { int(CCipherView::ViewMode::List), cmd::ListView },
        { int(CCipherView::ViewMode::Details), cmd::Details },
    };
    if (QAction* a = m_actions.value(byMode.value(int(m_list->GetViewMode()))))
        a->setChecked(true);
    m_actions[cmd::ViewStatusBar]->setChecked(statusBar()->isVisible() || !isVisible());
}

void CMainFrame::OnKeyChanged(const QString& text)
{
    // Counted in place: a copy of the key's characters would outlive it unwiped.
    int characters = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!text.at(i).isLowSurrogate() || i == 0 || !text.at(i - 1).isHighSurrogate())
            ++characters;
    m_wndStatusBar->ShowKeyLength(characters);
}

void CMainFrame::OnShowKey()
{
    m_wndKeyBar->SetKeyShown(m_bKeyShown == 0);
    m_bKeyShown = m_bKeyShown ? 0 : 1;
    setFocus();
}

void CMainFrame::OnClearKey()
{
    m_wndKeyBar->Clear();
    setFocus();
    m_wndStatusBar->SetStrongKey(false);
}

void CMainFrame::OnConfiguration()
{
    CConfigSheet sheet(QStringLiteral("Configuration"), nullptr, 0);
    sheet.exec();
    const int result = sheet.GetResult();
    if (result != CConfigSheet::kSavedByOk && result != CConfigSheet::kSavedByApply)
        return;
    m_list->ApplySelectOption();
    m_list->FillList();
    OnClearKey();
    ApplyAlgorithm();
}

void CMainFrame::OnToolbarStyle(bool simple)
{
    CSettingsStore::Instance().WriteString(
        QStringLiteral("Toolbar"), QStringLiteral("Color"), simple ? QStringLiteral("2") : QStringLiteral("1"));
    const auto answer = CMessageService::Show(this,
        QStringLiteral(
            "Completed!\nYou need to restart your " KVN_PRODUCT_NAME ".\nClick OK to close, do you want CLOSE now?"),
        QStringLiteral("Help"), QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Question);
    if (answer == QMessageBox::Ok)
        close();
}

void CMainFrame::OnHelpFile(const QString& name, const QString& failure)
{
    const QString path = ProgramFolder::PathOf(name);
    if (QFileInfo::exists(path) && CShellService::Instance().OpenUrl(QUrl::fromLocalFile(path)))
        return;
    CMessageService::Show(this, failure, QStringLiteral("Error"), QMessageBox::Ok, QMessageBox::Critical);
}

void CMainFrame::OnRefreshAll()
{
    m_tree->RefreshAll();
}
