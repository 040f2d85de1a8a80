// A one-line label that never asks for more width than it is given: a text
// too long for it is shown with its middle left out, so a long file name
// cannot widen its window. text() stays the whole text.
#pragma once

#include <QLabel>

class CElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit CElidedLabel(const QString& text, QWidget* parent = nullptr);

    // What the label shows at its present width.
    QString ShownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};
