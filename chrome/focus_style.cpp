// Drawing the focus frames.
#include "chrome/focus_style.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOption>

void CFocusStyle::drawPrimitive(
    PrimitiveElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const
{
    const QColor focus = option->palette.color(QPalette::Active, QPalette::Highlight);
    if (element == PE_FrameFocusRect) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(focus, 1));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
        painter->restore();
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element == PE_Frame && (option->state & State_HasFocus) && qobject_cast<const QAbstractItemView*>(widget)) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(QPen(focus, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option->rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }
}
