// The modal configuration sheet: cipher, encryption and decryption rules and
// the file list's options, saved on OK or Apply.
#pragma once

#include "config/arith_page.h"
#include "config/de_dialog.h"
#include "config/en_dialog.h"
#include "config/file_list_dlg.h"
#include "config/view_dlg.h"

#include <QDialog>

#include <array>

class QPushButton;
class QTabWidget;

class CConfigSheet : public QDialog {
    Q_OBJECT

public:
    // What GetResult() tells the caller after the sheet has closed.
    static constexpr int kNothingSaved = 0;
    static constexpr int kSavedByOk = 1;
    static constexpr int kSavedByApply = 3; // kept when Cancel follows

    CConfigSheet(const QString& caption, QWidget* parent = nullptr, int selectPage = 0);
    ~CConfigSheet() override;

    int GetResult() const { return m_nResult; }

    // OK, Enter or any other way of accepting saves first.
    void accept() override;

private:
    // The four pages the tabs show, in tab order.
    std::array<CConfigPage*, 4> ShownPages();
    // A page changed a control.
    void EnableApply();
    void OnApply();
    void SaveSettings();

    CArith m_arith;
    CEnDialog m_enDialog;
    CDeDialog m_deDialog;
    CViewDlg m_viewDlg;
    CFileListDlg m_fileListDlg;

    QTabWidget* m_tabs = nullptr;
    QPushButton* m_apply = nullptr;
    int m_nResult = kNothingSaved;
};
