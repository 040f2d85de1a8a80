// The engine's borrowed windows and message boxes, for a batch that runs on a
// worker thread: texts and boxes are handed to the GUI thread (boxes wait for
// the answer, as a modal box would).
#pragma once

#include "host/message_sink.h"
#include "host/wnd.h"

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
class CEngineMessages final : public CMessageSink {
public:
    explicit CEngineMessages(QWidget* context)
        : m_context(context)
    {
    }
    int MessageBox(const char* text, const char* caption, unsigned style) override;

private:
    QWidget* m_context; // lives on the GUI thread; used only to reach it
};
