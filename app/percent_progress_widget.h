// The percentage progress bar on screen: paints a CPercentProgressCtrl's
// layout (filled part, empty part, the text drawn twice so each letter
// contrasts with what lies under it). The engine moves the model from the
// batch's worker thread; repaints are handed to the GUI thread.
#pragma once

#include "engine/api/progress/percent_progress_ctrl.h"
#include "engine/api/progress/progress_surface.h"

#include <QWidget>
#include <atomic>

class CPercentProgressWidget : public QWidget, public CProgressSurface {
    Q_OBJECT
public:
    explicit CPercentProgressWidget(QWidget* parent = nullptr);
    ~CPercentProgressWidget() override;

    CPercentProgressCtrl& Model() { return m_model; }

    int ClientWidth() const override { return m_width.load(); }
    void RedrawNow() override;
    void Invalidate() override;

    // Repaints requested so far (the worker's repaint rule, seen from here).
    int RepaintRequests() const { return m_requests.load(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    QSize sizeHint() const override { return { 300, 22 }; }

private:
    CPercentProgressCtrl m_model;
    std::atomic<int> m_width{ 0 };
    std::atomic<int> m_requests{ 0 };
};
