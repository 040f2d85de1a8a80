// Drawing a label's text elided in the middle.
#include "app/elided_label.h"

#include <QPainter>
#include <QStyle>

CElidedLabel::CElidedLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString CElidedLabel::ShownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

QSize CElidedLabel::sizeHint() const
{
    return QSize(fontMetrics().averageCharWidth() * 20, QLabel::sizeHint().height());
}

QSize CElidedLabel::minimumSizeHint() const
{
    return QSize(0, QLabel::minimumSizeHint().height());
}

void CElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(
        &painter, contentsRect(), int(alignment()), palette(), isEnabled(), ShownText(), foregroundRole());
}
