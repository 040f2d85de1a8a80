// The Encrypt page: whether the encrypted file replaces its source, and
// whether it then takes ".kvn" or keeps the source's name.
#pragma once

#include "config_page.h"

class QCheckBox;
class QRadioButton;

class CEnDialog : public CConfigPage {
    Q_OBJECT

public:
    CEnDialog();

    void SaveSettings() override;

protected:
    void OnInitDialog() override;

private:
    void ShowOptions(bool replace, bool add);
    void OnReplaceClicked();
    void OnDefault();

    QCheckBox* m_replace = nullptr;
    QRadioButton* m_add = nullptr;
    QRadioButton* m_noChange = nullptr;
};
