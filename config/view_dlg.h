// The View page: which files the file list leaves out, and whether its
// details view selects whole rows.
#pragma once

#include "config/config_page.h"

#include <array>

class QCheckBox;
class QRadioButton;

class CViewDlg : public CConfigPage {
    Q_OBJECT

public:
    CViewDlg();

    void SaveSettings() override;

protected:
    void OnInitDialog() override;

private:
    std::array<QRadioButton*, 4> m_filters{};
    QCheckBox* m_fullRow = nullptr;
};
