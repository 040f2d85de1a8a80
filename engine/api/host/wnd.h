// What the engine needs of a window it borrows: somewhere to put a text.
// The GUI backs it with a label, the terminal tool with its status line.
#pragma once

class CWnd {
public:
    virtual void SetWindowText(const char* text) = 0;

protected:
    CWnd() = default;
    CWnd(const CWnd&) = default;
    CWnd& operator=(const CWnd&) = default;
    ~CWnd() = default;
};
