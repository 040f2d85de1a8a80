// The main window. For now a frame that accepts dropped files and shows the
// program's title; the bars, panes and commands join it as they are built.
#pragma once

#include <QMainWindow>

class CCipherDoc;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CCipherDoc* doc, QWidget* parent = nullptr);

    CCipherDoc* GetDocument() const { return m_doc; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    CCipherDoc* m_doc;
};
