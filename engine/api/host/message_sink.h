// The engine's message boxes. It shows them without an owner window and waits
// for the answer; the host decides how (a dialog, the terminal, a recorder).
#pragma once

enum : unsigned {
    MB_OK = 0x0000,
    MB_OKCANCEL = 0x0001,
    MB_ICONERROR = 0x0010,
    MB_ICONINFORMATION = 0x0040,
};

enum : int {
    IDOK = 1,
    IDCANCEL = 2,
};

class CMessageSink {
public:
    virtual int MessageBox(const char* text, const char* caption, unsigned style) = 0;
    // Why the file failed, as one line for a summary that lists it beside the
    // file; told just before the message that explains it.
    virtual void FailureReason(const char* why) { (void)why; }

protected:
    CMessageSink() = default;
    CMessageSink(const CMessageSink&) = default;
    CMessageSink& operator=(const CMessageSink&) = default;
    ~CMessageSink() = default;
};
