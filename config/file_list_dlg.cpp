// The empty " FileList " page: nothing to read, nothing to store.
#include "config/file_list_dlg.h"

CFileListDlg::CFileListDlg()
    : CConfigPage(QStringLiteral(" FileList "))
{
}

void CFileListDlg::SaveSettings() { }

void CFileListDlg::OnInitDialog() { }
