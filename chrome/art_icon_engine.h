// An icon drawn with QPainter whenever a size is asked for, so that it is
// as sharp at 200% scaling (or any other) as at 100%: the artwork is a
// drawing in a box of fixed logical size, fitted into whatever is requested.
#pragma once

#include <QIconEngine>

#include <functional>

class CArtIconEngine : public QIconEngine {
public:
    // Draws the artwork into a painter whose coordinates span `box`.
    using Drawing = std::function<void(QPainter& painter, QIcon::Mode mode)>;

    CArtIconEngine(QSize box, Drawing drawing);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    // Any size is; these are offered to those (window icons) that pick one.
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine* clone() const override;

private:
    QSize m_box;
    Drawing m_drawing;
};
