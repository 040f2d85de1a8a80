// Every message box the program shows goes through here, so that tests can
// answer them as scripted instead of a person.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

struct MessageRequest {
    QWidget* owner = nullptr;
    QString text;
    QString caption;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    // What Enter answers; a question that destroys something names No.
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

class CMessageService {
public:
    using Handler = std::function<QMessageBox::StandardButton(const MessageRequest&)>;

    // Shows the box (modal) and answers the button pressed.
    static QMessageBox::StandardButton Show(const MessageRequest& request);
    static QMessageBox::StandardButton Show(QWidget* owner, const QString& text, const QString& caption,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok, QMessageBox::Icon icon = QMessageBox::NoIcon);
    // The real box for a request. Its text is plain text: the texts name
    // files, and a name such as "<b>x</b>.txt" is not markup.
    static std::unique_ptr<QMessageBox> CreateBox(const MessageRequest& request);
    // Replaces the real boxes (tests); an empty handler restores them.
    static void SetHandler(Handler handler);
};
