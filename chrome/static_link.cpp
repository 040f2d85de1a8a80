// Link labels.
#include "chrome/static_link.h"

#include "shell/shell_service.h"

#include <QKeyEvent>
#include <QMouseEvent>

CStaticLink::CStaticLink(const QString& text, const QUrl& url, QWidget* parent)
    : QLabel(parent)
    , m_url(url)
{
    setText(QStringLiteral("<a href=\"#\">%1</a>").arg(text.toHtmlEscaped()));
    setTextInteractionFlags(Qt::NoTextInteraction);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setToolTip(url.toString());
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        CShellService::Instance().OpenUrl(m_url);
    QLabel::mouseReleaseEvent(event);
}

void CStaticLink::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        CShellService::Instance().OpenUrl(m_url);
    else
        QLabel::keyPressEvent(event);
}
