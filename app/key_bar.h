// The key bar: the key and its confirmation in two masked boxes, how hard
// the key would be to guess (weak, fair or strong, beside Verify), and the
// "Show Key" button that unmasks both.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

class CKeyBar : public QWidget {
    Q_OBJECT
public:
    explicit CKeyBar(QWidget* parent = nullptr);

    QLineEdit* KeyBox() const { return m_key; }
    QLineEdit* ConfirmBox() const { return m_confirm; }
    QPushButton* ShowKeyButton() const { return m_showKey; }
    // "weak", "fair" or "strong" for the key as typed; empty without a key.
    QLabel* StrengthLabel() const { return m_strength; }

    void SetLimit(int characters);
    // Plain text (true) or the password character (false) in both boxes.
    void SetKeyShown(bool shown);
    void Clear();

signals:
    void keyTextChanged(const QString& text);
    void showKeyClicked();

private:
    void ShowStrength(const QString& key);

    QLineEdit* m_key;
    QLabel* m_strength;
    QLineEdit* m_confirm;
    QPushButton* m_showKey;
};
