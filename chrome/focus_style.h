// The program's style: the platform's, with the keyboard focus made plain
// wherever the Tab key stops. The focus frame is drawn in the highlight
// colour whenever a control has the focus (not only after a key press), and
// a list or tree with the focus gets a highlighted border, which shows even
// when it has no rows.
#pragma once

#include <QProxyStyle>

class CFocusStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(
        PrimitiveElement element, const QStyleOption* option, QPainter* painter, const QWidget* widget) const override;
};
