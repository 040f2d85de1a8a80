// The Encrypt page: whether the encrypted file replaces its source, whether
// it then takes ".kvn" or keeps the source's name, whether results are
// checked before their originals are deleted, and the file format with its
// key strengthening, which IDEA does not offer.
#pragma once

#include "batch/output_options.h"
#include "config/config_page.h"

#include <string>

class QCheckBox;
class QLabel;
class QRadioButton;

class CEnDialog : public CConfigPage {
    Q_OBJECT

public:
    CEnDialog();

    void SaveSettings() override;

    // The cipher chosen on the sheet's General page, as its algorithm code:
    // the format choice follows it at once. Before this is called the page
    // goes by the stored cipher.
    void SetCipher(const std::string& code);

protected:
    void OnInitDialog() override;

private:
    void ShowOptions(bool replace, bool add);
    void OnReplaceClicked();
    void OnDefault();
    QWidget* MakeFormatGroup();
    // The format and strength controls for the chosen format and cipher.
    void ShowFormat();

    QCheckBox* m_replace = nullptr;
    QCheckBox* m_verify = nullptr;
    QRadioButton* m_add = nullptr;
    QRadioButton* m_noChange = nullptr;
    QRadioButton* m_compatible = nullptr;
    QRadioButton* m_authenticated = nullptr;
    QLabel* m_strengthCaption = nullptr;
    QRadioButton* m_normal = nullptr;
    QRadioButton* m_strong = nullptr;
    QLabel* m_ideaNote = nullptr;
    // The user's choice, kept while IDEA shows the compatible format.
    batch::FileFormat m_format = batch::FileFormat::Compatible;
    std::string m_cipher; // empty: not told yet
};
