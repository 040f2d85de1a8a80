// The drawn icon's label.
#include "chrome/art_label.h"

#include <QEvent>

CArtLabel::CArtLabel(QSize size, QWidget* parent)
    : QLabel(parent)
    , m_size(size)
{
}

void CArtLabel::SetArt(const QIcon& art)
{
    m_art = art;
    Redraw();
}

bool CArtLabel::event(QEvent* e)
{
    const bool handled = QLabel::event(e);
    if (e->type() == QEvent::ScreenChangeInternal
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        || e->type() == QEvent::DevicePixelRatioChange
#endif
    )
        Redraw();
    return handled;
}

void CArtLabel::Redraw()
{
    setPixmap(m_art.pixmap(m_size, devicePixelRatioF()));
}
