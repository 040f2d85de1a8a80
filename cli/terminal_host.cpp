// Drawing the engine's status, count and progress on a terminal.
#include "cli/terminal_host.h"

#include <cstdio>

namespace kvn {

namespace {

constexpr int kBarCells = 24;

// The engine's texts end in a space and a message may hold line breaks.
std::string tidy(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\n     ") : std::string(1, c);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\n'))
        out.pop_back();
    return out;
}

} // namespace

TerminalHost::TerminalHost(bool live)
    : m_live(live)
{
    m_bar.Attach(this);
}

TerminalHost::~TerminalHost()
{
    m_bar.Detach();
    EndLine();
}

void TerminalHost::Text::SetWindowText(const char* text)
{
    value = text ? text : "";
    m_host.Draw();
}

void TerminalHost::Draw()
{
    if (!m_live)
        return;
    const auto paint = m_bar.Layout(kBarCells);
    std::string bar(std::size_t(kBarCells), '.');
    for (int i = 0; i < paint.filledRight && i < kBarCells; ++i)
        bar[std::size_t(i)] = '#';
    std::fprintf(stderr, "\r\033[K%s [%s] %4s  %s", tidy(m_status.value).c_str(), bar.c_str(), paint.text.c_str(),
        m_count.value.c_str());
    std::fflush(stderr);
    m_lineOpen = true;
}

int TerminalHost::MessageBox(const char* text, const char* caption, unsigned)
{
    if (m_lineOpen)
        std::fputs("\r\033[K", stderr);
    std::string head = tidy(caption ? caption : "");
    if (!head.empty() && head.back() != ':')
        head += ':';
    std::fprintf(stderr, "kvn: %s %s\n", head.c_str(), tidy(text ? text : "").c_str());
    m_lineOpen = false;
    return IDOK;
}

void TerminalHost::EndLine()
{
    if (m_lineOpen) {
        std::fputc('\n', stderr);
        m_lineOpen = false;
    }
}

} // namespace kvn
