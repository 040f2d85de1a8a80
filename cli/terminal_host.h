// The windows the engine borrows, as one status line on standard error:
// "name  Encrypting...  [#######.......]  42%  3/10 file(s)". The engine's
// message boxes become lines of their own above it.
#pragma once

#include "engine/api/host/message_sink.h"
#include "engine/api/host/wnd.h"
#include "engine/api/progress/percent_progress_ctrl.h"
#include "engine/api/progress/progress_surface.h"

#include <string>

namespace kvn {

class TerminalHost final : public CProgressSurface, public CMessageSink {
public:
    // `live`: draw the status line (standard error is a terminal and not quiet).
    explicit TerminalHost(bool live);
    ~TerminalHost();

    CWnd& StatusWnd() { return m_status; }
    CWnd& CountWnd() { return m_count; }
    CPercentProgressCtrl& Progress() { return m_bar; }

    int ClientWidth() const override { return 100; }
    void RedrawNow() override { Draw(); }
    void Invalidate() override { Draw(); }
    int MessageBox(const char* text, const char* caption, unsigned style) override;

    // Ends the status line so that what follows starts on a line of its own.
    void EndLine();

private:
    class Text final : public CWnd {
    public:
        explicit Text(TerminalHost& host)
            : m_host(host)
        {
        }
        void SetWindowText(const char* text) override;
        std::string value;

    private:
        TerminalHost& m_host;
    };

    void Draw();

    bool m_live;
    bool m_lineOpen = false;
    Text m_status{ *this };
    Text m_count{ *this };
    CPercentProgressCtrl m_bar;
};

} // namespace kvn
