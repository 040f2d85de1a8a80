// The on-screen side of a percentage progress bar: how wide it is and how to
// get it repainted. The GUI implements it with a widget, the terminal tool
// with a line of text; without one attached the bar has no window.
#pragma once

class CProgressSurface {
public:
    // Width of the client area in pixels (or character cells).
    virtual int ClientWidth() const = 0;
    // Invalidate, erase and repaint at once.
    virtual void RedrawNow() = 0;
    // Invalidate the whole control (with erase); repainted in due course.
    virtual void Invalidate() = 0;

protected:
    CProgressSurface() = default;
    CProgressSurface(const CProgressSurface&) = default;
    CProgressSurface& operator=(const CProgressSurface&) = default;
    ~CProgressSurface() = default;
};
