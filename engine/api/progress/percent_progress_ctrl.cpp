// Percentage progress bar model: position arithmetic, the repaint rule and
// the layout a surface paints from.
#include "engine/api/progress/percent_progress_ctrl.h"

#include "engine/api/progress/progress_surface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Share of `whole` that the position covers, truncated towards zero. The
// product comes before the division so that exact shares stay exact (29 of
// 100 is 29, not 28.999...).
int share_of(int pos, int lower, int upper, int whole)
{
    if (upper == lower)
        return 0;
    return int(double(pos - lower) * double(whole) / double(upper - lower));
}

} // namespace

CPercentProgressCtrl::CPercentProgressCtrl() = default;
CPercentProgressCtrl::~CPercentProgressCtrl() = default;

void CPercentProgressCtrl::Attach(CProgressSurface* surface)
{
    m_surface.store(surface);
    m_drawnWidth.store(-1);
}

void CPercentProgressCtrl::Detach()
{
    m_surface.store(nullptr);
}

void CPercentProgressCtrl::SetRange(int lower, int upper)
{
    m_lower.store(lower, std::memory_order_relaxed);
    m_upper.store(upper, std::memory_order_relaxed);
}

int CPercentProgressCtrl::SetPos(int pos)
{
    CProgressSurface* surface = m_surface.load();
    if (surface == nullptr)
        return -1;
    const int old = m_pos.exchange(pos, std::memory_order_relaxed);
    const int width = share_of(pos, GetLower(), GetUpper(), surface->ClientWidth());
    if (m_drawnWidth.exchange(width, std::memory_order_relaxed) != width)
        surface->RedrawNow();
    return old;
}

int CPercentProgressCtrl::OffsetPos(int delta)
{
    return SetPos(GetPos() + delta);
}

int CPercentProgressCtrl::StepIt()
{
    return SetPos(GetPos() + GetStep());
}

int CPercentProgressCtrl::SetStep(int step)
{
    m_step.store(step, std::memory_order_relaxed);
    return step;
}

void CPercentProgressCtrl::SetShowText(bool show)
{
    const int value = show ? 1 : 0;
    CProgressSurface* surface = m_surface.load();
    if (surface != nullptr && value != m_showText.load())
        surface->Invalidate();
    m_showText.store(value);
}

COLORREF CPercentProgressCtrl::SetFillColor(COLORREF c)
{
    m_fillColor.store(c);
    return c;
}
COLORREF CPercentProgressCtrl::SetBackColor(COLORREF c)
{
    m_backColor.store(c);
    return c;
}
COLORREF CPercentProgressCtrl::SetTextOnBackColor(COLORREF c)
{
    m_textOnBackColor.store(c);
    return c;
}
COLORREF CPercentProgressCtrl::SetTextOnFillColor(COLORREF c)
{
    m_textOnFillColor.store(c);
    return c;
}
COLORREF CPercentProgressCtrl::GetFillColor() const
{
    return m_fillColor.load();
}
COLORREF CPercentProgressCtrl::GetBackColor() const
{
    return m_backColor.load();
}
COLORREF CPercentProgressCtrl::GetTextOnBackColor() const
{
    return m_textOnBackColor.load();
}
COLORREF CPercentProgressCtrl::GetTextOnFillColor() const
{
    return m_textOnFillColor.load();
}

void CPercentProgressCtrl::SetWindowText(const char* text)
{
    const std::string value = text ? text : "";
    {
        std::lock_guard lock(m_captionLock);
        if (value == m_caption)
            return;
        m_caption = value;
    }
    if (CProgressSurface* surface = m_surface.load())
        surface->Invalidate();
}

int CPercentProgressCtrl::GetWindowText(char* buffer, int size) const
{
    if (buffer == nullptr || size <= 0)
        return 0;
    const std::string caption = GetCaption();
    const int n = std::min(size, int(caption.size()));
    std::memcpy(buffer, caption.data(), std::size_t(n));
    if (n < size)
        buffer[n] = '\0';
    return n;
}

std::string CPercentProgressCtrl::GetCaption() const
{
    std::lock_guard lock(m_captionLock);
    return m_caption;
}

void CPercentProgressCtrl::OnSize()
{
    m_drawnWidth.store(-1);
}

CPercentProgressCtrl::Paint CPercentProgressCtrl::Layout(int clientWidth) const
{
    Paint p;
    const int lower = GetLower(), upper = GetUpper(), pos = GetPos();
    if (lower >= upper)
        return p;
    p.draw = true;
    p.filledRight = share_of(pos, lower, upper, clientWidth);
    p.fillColor = GetFillColor();
    p.backColor = GetBackColor();
    p.textOnFillColor = GetTextOnFillColor();
    p.textOnBackColor = GetTextOnBackColor();
    if (GetShowText()) {
        p.text = GetCaption();
        if (p.text.empty()) {
            char percent[16];
            std::snprintf(percent, sizeof percent, "%d%%", share_of(pos, lower, upper, 100));
            p.text = percent;
        }
    }
    return p;
}
