// The percentage progress bar's model: range, position, caption, colours and
// the width last drawn. It paints nothing itself; a CProgressSurface shows it.
// The engine moves it from the batch's worker thread while the GUI thread
// paints it, so the numbers are atomics.
#pragma once

#include "engine/api/host/wnd.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

class CProgressSurface;

using COLORREF = std::uint32_t; // 0x00BBGGRR

constexpr COLORREF RGB(unsigned r, unsigned g, unsigned b)
{
    return COLORREF((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

class CPercentProgressCtrl : public CWnd {
public:
    // What one paint shows; computed from the members and the client width.
    struct Paint {
        bool draw = false; // false when the range is empty
        int filledRight = 0; // the filled part spans [0, filledRight)
        std::string text; // empty when no text is shown
        COLORREF fillColor = 0, backColor = 0, textOnFillColor = 0, textOnBackColor = 0;
    };

    static constexpr COLORREF kDefaultHighlight = RGB(0, 120, 215);
    static constexpr COLORREF kDefaultWindow = RGB(255, 255, 255);

    CPercentProgressCtrl();
    CPercentProgressCtrl(const CPercentProgressCtrl&) = delete;
    CPercentProgressCtrl& operator=(const CPercentProgressCtrl&) = delete;
    virtual ~CPercentProgressCtrl();

    // The control's "window": without a surface SetPos answers -1.
    void Attach(CProgressSurface* surface);
    void Detach();

    void SetRange(int lower, int upper);
    int SetPos(int pos);
    int OffsetPos(int delta);
    int StepIt();
    int SetStep(int step);
    void SetShowText(bool show);

    COLORREF SetFillColor(COLORREF c);
    COLORREF SetBackColor(COLORREF c);
    COLORREF SetTextOnBackColor(COLORREF c);
    COLORREF SetTextOnFillColor(COLORREF c);
    COLORREF GetFillColor() const;
    COLORREF GetBackColor() const;
    COLORREF GetTextOnBackColor() const;
    COLORREF GetTextOnFillColor() const;

    // The caption shows instead of the percentage while it is not empty.
    void SetWindowText(const char* text) override;
    int GetWindowText(char* buffer, int size) const;
    std::string GetCaption() const;

    // The surface was resized: the next SetPos repaints whatever it computes.
    void OnSize();
    Paint Layout(int clientWidth) const;

    int GetPos() const { return m_pos.load(std::memory_order_relaxed); }
    int GetLower() const { return m_lower.load(std::memory_order_relaxed); }
    int GetUpper() const { return m_upper.load(std::memory_order_relaxed); }
    int GetStep() const { return m_step.load(std::memory_order_relaxed); }
    bool GetShowText() const { return m_showText.load(std::memory_order_relaxed) != 0; }
    int GetDrawnWidth() const { return m_drawnWidth.load(std::memory_order_relaxed); }

private:
    std::atomic<int> m_pos{ 0 };
    std::atomic<int> m_step{ 1 };
    std::atomic<int> m_upper{ 100 };
    std::atomic<int> m_lower{ 0 };
    mutable std::mutex m_captionLock;
    std::string m_caption;
    std::atomic<int> m_showText{ 1 };
    std::atomic<int> m_drawnWidth{ -1 };
    std::atomic<COLORREF> m_fillColor{ kDefaultHighlight };
    std::atomic<COLORREF> m_backColor{ kDefaultWindow };
    std::atomic<COLORREF> m_textOnBackColor{ kDefaultHighlight };
    std::atomic<COLORREF> m_textOnFillColor{ kDefaultWindow };
    std::atomic<CProgressSurface*> m_surface{ nullptr };
};
