// The status bar: prompts, the key-strength light, the key length in bits,
// the cipher's name, and the Caps and Num indicators.
#pragma once

#include <QStatusBar>

class CArtLabel;
class QLabel;

class CKeyStatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr const char* kIdlePrompt = "Enter a key and select file to Encrypt or Decrypt";

    explicit CKeyStatusBar(QWidget* parent = nullptr);

    // Key length display: " Key Length: <bits> Bit", red up to 120 bits.
    void ShowKeyLength(int characters);
    void SetStrongKey(bool strong);
    bool IsStrongKey() const { return m_bStrongKey != 0; }
    void SetCipherText(const QString& text);
    QString KeyLengthText() const;
    QString CipherText() const;
    void UpdateLockIndicators();

    int m_bStrongKey = 0;

private:
    CArtLabel* m_light;
    QLabel* m_length;
    QLabel* m_cipher;
    QLabel* m_caps;
    QLabel* m_num;
};
