// The Encrypt page: whether the encrypted file replaces its source, whether
// it then takes ".kvn" or keeps the source's name, and whether results are
// checked before their originals are deleted.
#pragma once

#include "config/config_page.h"

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
    QCheckBox* m_verify = nullptr;
    QRadioButton* m_add = nullptr;
    QRadioButton* m_noChange = nullptr;
};
