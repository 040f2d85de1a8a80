// A label showing one of the program's drawn icons at a fixed logical size,
// drawn again for the screen's pixel ratio whenever the window moves to
// another screen, so it stays sharp at any scaling.
#pragma once

#include <QIcon>
#include <QLabel>

class CArtLabel : public QLabel {
    Q_OBJECT
public:
    CArtLabel(QSize size, QWidget* parent = nullptr);

    void SetArt(const QIcon& art);

protected:
    bool event(QEvent* e) override;

private:
    void Redraw();

    QSize m_size;
    QIcon m_art;
};
