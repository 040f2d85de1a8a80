// The main window.
#include "main_frame.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>

CMainFrame::CMainFrame(CCipherDoc* doc, QWidget* parent) : QMainWindow(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("mainFrame"));
    setAcceptDrops(true);
    auto* placeholder = new QLabel(this);
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
    resize(1024, 700);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

// A dropped file opens the empty document, as a file named on the command
// line does: the window stays as it is and nothing is read.
void CMainFrame::dropEvent(QDropEvent* event) { event->acceptProposedAction(); }
