// An empty page the sheet builds with the others but never shows: room for
// file-list options that have none yet.
#pragma once

#include "config/config_page.h"

class CFileListDlg : public CConfigPage {
    Q_OBJECT

public:
    CFileListDlg();

    void SaveSettings() override;

protected:
    void OnInitDialog() override;
};
