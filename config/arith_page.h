// The General page: which of the six ciphers every batch uses.
#pragma once

#include "config/config_page.h"

#include <array>

class QRadioButton;

class CArith : public CConfigPage {
    Q_OBJECT

public:
    CArith();

    void SaveSettings() override;

protected:
    void OnInitDialog() override;

private:
    std::array<QRadioButton*, 6> m_buttons{};
};
