// The command table: every command's identifier, menu text, accelerator and
// status prompt, shared by the menu, the accelerators and the toolbar.
#pragma once

#include <QKeySequence>
#include <vector>

namespace cmd {
enum : int {
    Encrypt = 32772,
    HelpContent = 32777,
    License = 32778,
    Decrypt = 32782,
    Configuration = 32783,
    MultiColorStyle = 32785,
    SimpleStyle = 32786,
    RefreshAll = 32787,
    ClearKey = 32789,
    SelectAll = 32792,
    UpgradeNow = 32793,
    InvertSelection = 32795,
    ArrangeByName = 32798,
    ArrangeByType = 32799,
    ArrangeBySize = 32800,
    ArrangeByDate = 32801,
    ArrangeByAttribute = 32802,
    Homepage = 32803,
    SendMail = 32804,
    TipOfTheDay = 32805,
    About = 57664,
    Exit = 57665,
    ViewToolbar = 59392,
    ViewStatusBar = 59393,
    SmallIcon = 59408,
    LargeIcon = 59409,
    ListView = 59410,
    Details = 59411,
    Separator = 0,
};
} // namespace cmd

struct CommandDef {
    int id;
    const char* text; // menu text, accelerator hint after the tab
    QKeySequence key; // the accelerator, if any
    const char* prompt; // status prompt "\n" tooltip
};

const std::vector<CommandDef>& CommandTable();
const CommandDef* FindCommand(int id);

// The menu bar as nested lists of command identifiers (0 = separator).
struct MenuDef {
    const char* title;
    std::vector<int> items;
    std::vector<std::pair<int, MenuDef>> submenus; // inserted before the item at that position
};
const std::vector<MenuDef>& MenuBarLayout();
