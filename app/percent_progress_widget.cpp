// Painting the percentage bar.
#include "app/percent_progress_widget.h"

#include <QPainter>
#include <QStyleOption>

namespace {

QColor color_of(COLORREF c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

COLORREF colorref_of(const QColor& c)
{
    return RGB(unsigned(c.red()), unsigned(c.green()), unsigned(c.blue()));
}

} // namespace

CPercentProgressWidget::CPercentProgressWidget(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("percentProgress"));
    setAccessibleName(QStringLiteral("Progress"));
    setAttribute(Qt::WA_OpaquePaintEvent); // we paint every pixel: no erase, no flicker
    const QPalette pal = palette();
    m_model.SetFillColor(colorref_of(pal.color(QPalette::Highlight)));
    m_model.SetBackColor(colorref_of(pal.color(QPalette::Base)));
    m_model.SetTextOnBackColor(colorref_of(pal.color(QPalette::Highlight)));
    m_model.SetTextOnFillColor(colorref_of(pal.color(QPalette::HighlightedText)));
    m_model.Attach(this);
}

CPercentProgressWidget::~CPercentProgressWidget()
{
    m_model.Detach();
}

void CPercentProgressWidget::RedrawNow()
{
    ++m_requests;
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void CPercentProgressWidget::Invalidate()
{
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void CPercentProgressWidget::resizeEvent(QResizeEvent* event)
{
    m_width.store(width());
    m_model.OnSize();
    QWidget::resizeEvent(event);
}

void CPercentProgressWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    const auto layout = m_model.Layout(r.width());
    if (!layout.draw) {
        p.fillRect(r, palette().color(QPalette::Window));
        return;
    }
    const QRect filled(r.left(), r.top(), layout.filledRight, r.height());
    const QRect empty(r.left() + layout.filledRight, r.top(), r.width() - layout.filledRight, r.height());
    p.fillRect(filled, color_of(layout.fillColor));
    p.fillRect(empty, color_of(layout.backColor));
    if (!layout.text.empty()) {
        const QString text = QString::fromStdString(layout.text);
        p.setClipRect(filled);
        p.setPen(color_of(layout.textOnFillColor));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, text);
        p.setClipRect(empty);
        p.setPen(color_of(layout.textOnBackColor));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, text);
        p.setClipping(false);
    }
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(r.adjusted(0, 0, -1, -1));
}
