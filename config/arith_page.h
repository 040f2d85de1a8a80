// The General page: which of the six ciphers every batch uses.
#pragma once

#include "config/config_page.h"

#include <array>
#include <string>

class QRadioButton;

class CArith : public CConfigPage {
    Q_OBJECT

public:
    CArith();

    void SaveSettings() override;

signals:
    // The user picked the cipher of this algorithm code.
    void cipherChosen(const std::string& code);

protected:
    void OnInitDialog() override;

private:
    std::array<QRadioButton*, 6> m_buttons{};
};
