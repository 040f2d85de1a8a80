// Stand-ins for the windows and message boxes the engine borrows: they
// record what the engine shows so the tests can check it.
#pragma once

#include "engine/api/host/message_sink.h"
#include "engine/api/host/wnd.h"
#include "engine/api/idea.h"
#include "engine/api/progress/percent_progress_ctrl.h"
#include "engine/api/progress/progress_surface.h"

#include <cstring>
#include <string>
#include <vector>

namespace kvntest {

struct Message {
    std::string text, caption;
    unsigned style;
};

class RecordingMessages final : public CMessageSink {
public:
    int MessageBox(const char* text, const char* caption, unsigned style) override
    {
        messages.push_back({ text, caption, style });
        return IDOK;
    }
    std::vector<Message> messages;
};

class TextWnd final : public CWnd {
public:
    void SetWindowText(const char* t) override { texts.push_back(t); }
    std::vector<std::string> texts;
};

// A surface as wide as the range, so every change of position repaints.
class RecordingSurface final : public CProgressSurface {
public:
    explicit RecordingSurface(CPercentProgressCtrl& bar, int width = 100)
        : m_bar(bar)
        , m_width(width)
    {
    }
    int ClientWidth() const override { return m_width; }
    void RedrawNow() override { repaints.push_back(m_bar.GetPos()); }
    void Invalidate() override { ++invalidations; }
    std::vector<int> repaints;
    int invalidations = 0;

private:
    CPercentProgressCtrl& m_bar;
    int m_width;
};

// An engine keyed with `key` for `code`, wired to recorders.
struct EngineRig {
    CIdea engine;
    RecordingMessages messages;
    TextWnd status, count;
    CPercentProgressCtrl bar;
    RecordingSurface surface{ bar };

    EngineRig(const std::string& code, const std::string& key, int replace = 0, int addExt = 1, int total = 1)
    {
        bar.Attach(&surface);
        engine.m_strArith = code;
        engine.m_bReplace = replace;
        engine.m_bAddExt = addExt;
        engine.m_nTotalFiles = total;
        engine.m_pStatusWnd = &status;
        engine.m_pCountWnd = &count;
        engine.m_pProgress = &bar;
        engine.m_pMessages = &messages;
        set_key(key);
    }

    // The key, in a zero-filled buffer of at least the 101 bytes the engine reads.
    void set_key(const std::string& key)
    {
        std::vector<unsigned char> buffer(std::max<std::size_t>(101, key.size() + 1), 0);
        std::memcpy(buffer.data(), key.data(), key.size());
        engine.SetKey(buffer.data());
    }

    int encrypt(const std::string& source, const std::string& destination)
    {
        return engine.IdeaEncrypt(const_cast<char*>(source.c_str()), const_cast<char*>(destination.c_str()));
    }
    int decrypt(const std::string& source, const std::string& destination)
    {
        return engine.IdeaDecrypt(const_cast<char*>(source.c_str()), const_cast<char*>(destination.c_str()));
    }
};

} // namespace kvntest
