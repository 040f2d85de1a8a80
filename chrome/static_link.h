// A label that is a link: it looks like one, shows a hand over it and opens
// its address through the shell when clicked.
#pragma once

#include <QLabel>
#include <QUrl>

class CStaticLink : public QLabel {
    Q_OBJECT
public:
    CStaticLink(const QString& text, const QUrl& url, QWidget* parent = nullptr);

    QUrl Url() const { return m_url; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QUrl m_url;
};
