// Message boxes, real or scripted.
#include "message_service.h"

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
    QMessageBox box(r.icon, r.caption, r.text, r.buttons, r.owner);
    return static_cast<QMessageBox::StandardButton>(box.exec());
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
