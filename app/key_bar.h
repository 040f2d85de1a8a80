// The key bar: the key and its confirmation in two masked boxes, and the
// "Show Key" button that unmasks both.
#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;

class CKeyBar : public QWidget {
    Q_OBJECT
public:
    explicit CKeyBar(QWidget* parent = nullptr);

    QLineEdit* KeyBox() const { return m_key; } // control 1000
    QLineEdit* ConfirmBox() const { return m_confirm; } // control 1003
    QPushButton* ShowKeyButton() const { return m_showKey; } // control 1013

    void SetLimit(int characters);
    // Plain text (true) or the password character (false) in both boxes.
    void SetKeyShown(bool shown);
    void Clear();

signals:
    void keyTextChanged(const QString& text);
    void showKeyClicked();

private:
    QLineEdit* m_key;
    QLineEdit* m_confirm;
    QPushButton* m_showKey;
};
