// The Decrypt page: whether the decrypted file replaces the encrypted one,
// with check boxes that show the naming rule that follows from it.
#pragma once

#include "config/config_page.h"

class QCheckBox;

class CDeDialog : public CConfigPage {
    Q_OBJECT

public:
    CDeDialog();

    void SaveSettings() override;

protected:
    void OnInitDialog() override;

private:
    void ShowOptions(bool replace);
    void OnReplaceClicked();
    void OnDefault();

    QCheckBox* m_replace = nullptr;
    QCheckBox* m_subtract = nullptr;
    QCheckBox* m_noChange = nullptr;
    QCheckBox* m_addPrefix = nullptr;
};
