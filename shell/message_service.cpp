// Message boxes, real or scripted.
#include "shell/message_service.h"

namespace {

CMessageService::Handler& handler()
{
    static CMessageService::Handler h;
    return h;
}

} // namespace

QMessageBox::StandardButton CMessageService::Show(const MessageRequest& r)
{
    if (handler())
        return handler()(r);
    return static_cast<QMessageBox::StandardButton>(CreateBox(r)->exec());
}

std::unique_ptr<QMessageBox> CMessageService::CreateBox(const MessageRequest& r)
{
    auto box = std::make_unique<QMessageBox>(r.icon, r.caption, QString(), r.buttons, r.owner);
    box->setTextFormat(Qt::PlainText);
    box->setText(r.text);
    if (r.defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(r.defaultButton);
    return box;
}

QMessageBox::StandardButton CMessageService::Show(QWidget* owner, const QString& text, const QString& caption,
    QMessageBox::StandardButtons buttons, QMessageBox::Icon icon)
{
    return Show(MessageRequest{ owner, text, caption, buttons, icon });
}

void CMessageService::SetHandler(Handler h)
{
    handler() = std::move(h);
}
