// Handing the engine's texts and message boxes to the GUI thread.
#include "app/engine_host.h"

#include "shell/local_path.h"
#include "shell/message_service.h"

#include <QLabel>
#include <QThread>

void CLabelWnd::SetWindowText(const char* text)
{
    // The engine's texts carry file names as the file system's bytes.
    const QString value = localpath::Display(localpath::FromBytes(QByteArray(text ? text : "")));
    QMetaObject::invokeMethod(
        m_label, [label = m_label, value] { label->setText(value); }, Qt::QueuedConnection);
}

int CEngineMessages::MessageBox(const char* text, const char* caption, unsigned style)
{
    MessageRequest r;
    r.text = localpath::Display(localpath::FromBytes(QByteArray(text ? text : "")));
    r.caption = QString::fromUtf8(caption ? caption : "");
    r.buttons = (style & 0xF) == MB_OKCANCEL ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok;
    const unsigned icon = style & 0xF0;
    r.icon = icon == MB_ICONERROR    ? QMessageBox::Critical
        : icon == MB_ICONINFORMATION ? QMessageBox::Information
                                     : QMessageBox::NoIcon;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    const auto show = [&] {
        if (m_waiting)
            m_waiting(true);
        answer = CMessageService::Show(r);
        if (m_waiting)
            m_waiting(false);
    };
    if (QThread::currentThread() == m_context->thread())
        show();
    else
        QMetaObject::invokeMethod(m_context, show, Qt::BlockingQueuedConnection);
    return answer == QMessageBox::Cancel ? IDCANCEL : IDOK;
}
