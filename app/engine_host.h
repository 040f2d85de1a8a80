// The engine's borrowed windows and message boxes, for a batch that runs on a
// worker thread: texts and boxes are handed to the GUI thread (boxes wait for
// the answer, as a modal box would).
#pragma once

#include "engine/api/host/message_sink.h"
#include "engine/api/host/wnd.h"

#include <functional>

class QLabel;
class QWidget;

// A label the engine writes its status or count text into.
class CLabelWnd final : public CWnd {
public:
    explicit CLabelWnd(QLabel* label)
        : m_label(label)
    {
    }
    void SetWindowText(const char* text) override;

private:
    QLabel* m_label;
};

// The engine's message boxes, shown on the GUI thread without an owner.
// `waiting` (optional) hears, on the GUI thread, when a box opens (true) and
// closes (false): the batch is not working meanwhile.
class CEngineMessages final : public CMessageSink {
public:
    explicit CEngineMessages(QWidget* context, std::function<void(bool)> waiting = {})
        : m_context(context)
        , m_waiting(std::move(waiting))
    {
    }
    int MessageBox(const char* text, const char* caption, unsigned style) override;

private:
    QWidget* m_context; // lives on the GUI thread; used only to reach it
    std::function<void(bool)> m_waiting;
};
