// Drawing the toolbar images and lights with QPainter, in one consistent
// hand: rounded shapes, a soft outline, one accent colour per command.
#include "chrome/toolbar_art.h"

#include "chrome/art_icon_engine.h"

#include <QPainter>
#include <QPainterPath>

namespace ToolbarArt {

namespace {

constexpr int kW = 55, kH = 40;

struct Palette {
    QColor accent, dark, light, paper;
};

Palette palette_for(int index, Style style, bool hot)
{
    if (style == Style::Simple && !hot)
        return { QColor(90, 96, 110), QColor(60, 64, 74), QColor(200, 204, 212), QColor(245, 246, 248) };
    static const QColor accents[] = { QColor(38, 132, 76), QColor(200, 110, 30), QColor(90, 90, 160),
        QColor(40, 110, 200), QColor(40, 110, 200), QColor(40, 110, 200), QColor(40, 110, 200), QColor(30, 140, 170) };
    const QColor a = accents[index % 8];
    return { a, a.darker(160), a.lighter(170), QColor(252, 252, 250) };
}

void draw_padlock(QPainter& p, const Palette& c, bool open)
{
    QPen shackle(c.dark, 3.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(shackle);
    p.setBrush(Qt::NoBrush);
    QPainterPath arc;
    const qreal lift = open ? 6 : 0;
    arc.moveTo(21.5, 19 - lift);
    arc.lineTo(21.5, 13 - lift);
    arc.arcTo(QRectF(21.5, 5 - lift, 12, 14), 180, -180);
    arc.lineTo(33.5, open ? 8 : 19);
    p.drawPath(arc);
    QLinearGradient body(0, 18, 0, 36);
    body.setColorAt(0, c.accent.lighter(125));
    body.setColorAt(1, c.accent);
    p.setPen(QPen(c.dark, 1.2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(16.5, 18.5, 22, 17), 3, 3);
    p.setBrush(c.paper);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(27.5, 25.5), 2.6, 2.6);
    p.drawRoundedRect(QRectF(26.4, 26, 2.2, 6), 1, 1);
}

void draw_gear(QPainter& p, const Palette& c)
{
    p.translate(27.5, 20);
    p.setPen(QPen(c.dark, 1.2));
    p.setBrush(c.accent);
    QPainterPath gear;
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.rotate(i * 45.0);
        p.drawRoundedRect(QRectF(-2.8, -15, 5.6, 7), 1.2, 1.2);
        p.restore();
    }
    p.drawEllipse(QPointF(0, 0), 10.5, 10.5);
    p.setBrush(c.paper);
    p.drawEllipse(QPointF(0, 0), 4, 4);
}

void draw_view(QPainter& p, const Palette& c, int kind)
{
    p.setPen(QPen(c.dark, 1.1));
    auto tile = [&](QRectF r) {
        p.setBrush(c.light);
        p.drawRoundedRect(r, 1.5, 1.5);
    };
    auto line = [&](qreal x, qreal y, qreal w) {
        p.setBrush(c.accent);
        p.drawRoundedRect(QRectF(x, y, w, 2.4), 1, 1);
    };
    switch (kind) {
    case 0: // large icons
        tile(QRectF(12.5, 6.5, 13, 12));
        tile(QRectF(29.5, 6.5, 13, 12));
        tile(QRectF(12.5, 22.5, 13, 12));
        tile(QRectF(29.5, 22.5, 13, 12));
        break;
    case 1: // small icons
        for (int r = 0; r < 3; ++r)
            for (int k = 0; k < 3; ++k)
                tile(QRectF(13.5 + k * 10, 7.5 + r * 9.5, 7, 7));
        break;
    case 2: // list
        for (int r = 0; r < 4; ++r) {
            tile(QRectF(13.5, 7.5 + r * 7, 5, 5));
            line(21, 8.8 + r * 7, 20);
        }
        break;
    default: // details
        p.setBrush(c.paper);
        p.drawRoundedRect(QRectF(11.5, 6.5, 32, 28), 2, 2);
        p.setBrush(c.accent);
        p.drawRect(QRectF(11.5, 6.5, 32, 5));
        for (int r = 0; r < 4; ++r) {
            line(14, 14.5 + r * 5, 10);
            line(26, 14.5 + r * 5, 15);
        }
        break;
    }
}

void draw_help(QPainter& p, const Palette& c)
{
    QRadialGradient g(QPointF(24, 15), 16);
    g.setColorAt(0, c.accent.lighter(140));
    g.setColorAt(1, c.accent);
    p.setPen(QPen(c.dark, 1.2));
    p.setBrush(g);
    p.drawEllipse(QPointF(27.5, 20), 14, 14);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(19);
    p.setFont(f);
    p.setPen(c.paper);
    p.drawText(QRectF(13.5, 6, 28, 28), Qt::AlignCenter, QStringLiteral("?"));
}

void draw(QPainter& p, int index, Style style, bool hot)
{
    const Palette c = palette_for(index, style, hot);
    switch (index) {
    case 0:
        draw_padlock(p, c, false);
        break;
    case 1:
        draw_padlock(p, c, true);
        break;
    case 2:
        draw_gear(p, c);
        break;
    case 3:
    case 4:
    case 5:
    case 6:
        draw_view(p, c, index - 3);
        break;
    default:
        draw_help(p, c);
        break;
    }
}

QIcon drawn(QSize box, CArtIconEngine::Drawing drawing)
{
    return QIcon(new CArtIconEngine(box, std::move(drawing)));
}

} // namespace

QIcon Image(int index, Style style)
{
    // The simple style shows its colours under the mouse only.
    return drawn(
        QSize(kW, kH), [index, style](QPainter& p, QIcon::Mode mode) { draw(p, index, style, mode == QIcon::Active); });
}

QIcon StrengthLight(bool strong)
{
    return drawn(QSize(16, 16), [strong](QPainter& p, QIcon::Mode) {
        const QColor base = strong ? QColor(40, 180, 70) : QColor(215, 45, 40);
        QRadialGradient g(QPointF(6, 5.5), 8);
        g.setColorAt(0, base.lighter(170));
        g.setColorAt(1, base);
        p.setPen(QPen(base.darker(170), 1));
        p.setBrush(g);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    });
}

QIcon KeyPicture()
{
    return drawn(QSize(22, 22), [](QPainter& p, QIcon::Mode) {
        const QColor gold(200, 150, 40);
        p.setPen(QPen(gold.darker(160), 1.2));
        p.setBrush(gold);
        p.drawEllipse(QRectF(1.5, 6.5, 9, 9));
        p.drawRect(QRectF(9.5, 9.8, 11, 2.6));
        p.drawRect(QRectF(15.5, 12, 2.2, 3.5));
        p.drawRect(QRectF(18.5, 12, 2.2, 2.5));
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(4.2, 9.2, 3.6, 3.6));
    });
}

QIcon AppIcon()
{
    return drawn(QSize(40, 40), [](QPainter& p, QIcon::Mode) {
        p.translate(-7.5, 0);
        draw_padlock(p,
            Palette{ QColor(45, 100, 200), QColor(25, 60, 130), QColor(170, 200, 240), QColor(250, 250, 252) }, false);
    });
}

} // namespace ToolbarArt
