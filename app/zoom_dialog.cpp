// The zoom effect and the two key windows.
#include "app/zoom_dialog.h"

#include "batch/batch_texts.h"
#include "chrome/toolbar_art.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRubberBand>
#include <QVBoxLayout>
#include <QVariantAnimation>

CZoomDialog::CZoomDialog(const QPoint& anchor, QWidget* parent)
    : QDialog(parent)
    , m_anchor(anchor)
{
}

void CZoomDialog::Zoom(const QRect& from, const QRect& to)
{
    // A free-standing outline that removes itself when the zoom is over.
    auto* band = new QRubberBand(QRubberBand::Rectangle);
    band->setAttribute(Qt::WA_DeleteOnClose);
    band->setGeometry(from);
    band->show();
    auto* anim = new QVariantAnimation(band);
    anim->setStartValue(from);
    anim->setEndValue(to);
    anim->setDuration(250);
    anim->setEasingCurve(QEasingCurve::OutCubic);
    connect(anim, &QVariantAnimation::valueChanged, band, [band](const QVariant& v) { band->setGeometry(v.toRect()); });
    connect(anim, &QVariantAnimation::finished, band, &QWidget::close);
    anim->start(QAbstractAnimation::DeleteWhenStopped);
}

void CZoomDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (parentWidget())
        move(parentWidget()->frameGeometry().center() - rect().center());
    Zoom(QRect(m_anchor, QSize(1, 1)), frameGeometry());
}

void CZoomDialog::done(int result)
{
    Zoom(frameGeometry(), QRect(m_anchor, QSize(1, 1)));
    QDialog::done(result);
}

CKeyMessageDlg::CKeyMessageDlg(Kind kind, const QPoint& anchor, QWidget* parent)
    : CZoomDialog(anchor, parent)
{
    const bool noKey = kind == Kind::NoKey;
    setObjectName(noKey ? QStringLiteral("noKeyDlg") : QStringLiteral("confirmKeyDlg"));
    setWindowTitle(QString::fromLatin1(noKey ? batch::texts::kNoKeyTitle : batch::texts::kConfirmTitle));
    // The picture: a large key on a soft band, drawn here.
    // Drawn for the screen's pixel ratio, so it is sharp at any scaling.
    const qreal ratio = devicePixelRatioF();
    QPixmap art(QSize(358, 142) * ratio);
    art.setDevicePixelRatio(ratio);
    art.fill(QColor(236, 241, 250));
    {
        QPainter p(&art);
        ToolbarArt::KeyPicture().paint(&p, QRect(24, 27, 88, 88));
        QFont f = p.font();
        f.setPixelSize(22);
        f.setBold(true);
        p.setFont(f);
        p.setPen(noKey ? QColor(190, 50, 40) : QColor(200, 120, 20));
        p.drawText(QRect(130, 0, 220, 142), Qt::AlignVCenter | Qt::AlignLeft,
            noKey ? QStringLiteral("No key yet") : QStringLiteral("Keys differ"));
    }
    auto* picture = new QLabel(this);
    picture->setPixmap(art);
    picture->setAccessibleName(noKey ? QStringLiteral("No key yet") : QStringLiteral("Keys differ"));
    auto* text = new QLabel(QString::fromLatin1(noKey ? batch::texts::kNoKeyText : batch::texts::kConfirmText), this);
    text->setObjectName(QStringLiteral("message"));
    text->setAlignment(Qt::AlignCenter);
    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    layout->addWidget(text);
    layout->addWidget(close, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
