// Drawing the artwork at the size asked for; the disabled look is the
// style's, made from the normal drawing.
#include "chrome/art_icon_engine.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

CArtIconEngine::CArtIconEngine(QSize box, Drawing drawing)
    : m_box(box)
    , m_drawing(std::move(drawing))
{
}

void CArtIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    if (mode == QIcon::Disabled) {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = pixmap(rect.size() * ratio, mode, state);
        pm.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, pm);
        return;
    }
    const QSize fitted = actualSize(rect.size(), mode, state);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->translate(
        rect.x() + (rect.width() - fitted.width()) / 2.0, rect.y() + (rect.height() - fitted.height()) / 2.0);
    painter->scale(qreal(fitted.width()) / m_box.width(), qreal(fitted.height()) / m_box.height());
    m_drawing(*painter, mode);
    painter->restore();
}

QSize CArtIconEngine::actualSize(const QSize& size, QIcon::Mode, QIcon::State)
{
    return m_box.scaled(size, Qt::KeepAspectRatio);
}

QPixmap CArtIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    const QSize fitted = actualSize(size, mode, state);
    if (fitted.isEmpty())
        return {};
    QPixmap pm(fitted);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), fitted), mode == QIcon::Disabled ? QIcon::Normal : mode, state);
    }
    if (mode == QIcon::Disabled && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QStyleOption option;
        option.palette = QApplication::palette();
        return QApplication::style()->generatedIconPixmap(QIcon::Disabled, pm, &option);
    }
    return pm;
}

QList<QSize> CArtIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    QList<QSize> sizes;
    for (int side : { 16, 24, 32, 48, 64, 128, 256 })
        sizes << m_box.scaled(side, side, Qt::KeepAspectRatio);
    return sizes;
}

QIconEngine* CArtIconEngine::clone() const
{
    return new CArtIconEngine(*this);
}
