// The command table's data.
#include "app/command_table.h"
#include "product_version.h"

const std::vector<CommandDef>& CommandTable()
{
    static const std::vector<CommandDef> table = {
        { cmd::SelectAll, "Select &All \tCtrl+A", QKeySequence(Qt::CTRL | Qt::Key_A),
            "Selects all items in the window.\n" },
        { cmd::InvertSelection, "&Invert Selection \tCtrl+I ", QKeySequence(Qt::CTRL | Qt::Key_I),
            "Reverses which items are selected and which are not.\n" },
        { cmd::Exit, "E&xit\tCtrl+X", QKeySequence(Qt::CTRL | Qt::Key_X), "Quit the application\nExit" },
        { cmd::Encrypt, "&Encrypt Selected File(s)\t      F5", QKeySequence(Qt::Key_F5),
            "Encrypt selected files.\nEncrypt selected files\n" },
        { cmd::Decrypt, "&Decrypt Selected File(s)\t      F8", QKeySequence(Qt::Key_F8),
            "Decrypt selected files.\nDecrypt selected files\n" },
        { cmd::ClearKey, "&Clear Key Value\tCtrl+C", QKeySequence(Qt::CTRL | Qt::Key_C),
            "Clear Key Value\nClear Key Value" },
        { cmd::ViewToolbar, "&Toolbar", {}, "Show or hide the toolbar\nToggle ToolBar" },
        { cmd::ViewStatusBar, "&Status Bar", {}, "Show or hide the status bar\nToggle StatusBar" },
        { cmd::LargeIcon, "Lar&ge Icon", {}, "Display items by using large icons.\nLarge Icons" },
        { cmd::SmallIcon, "S&mall Icon", {}, "Display items by using small icons.\nSmall Icons" },
        { cmd::ListView, "&List", {}, "Displays items in a list.\nList" },
        { cmd::Details, "&Details", {}, "Displays detailed information about each item in the window.\nDetails" },
        { cmd::ArrangeByName, "by &Name", {}, "Sorts items alphabetically by name." },
        { cmd::ArrangeByType, "by &Type", {}, "Sorts items by type." },
        { cmd::ArrangeBySize, "by Si&ze", {}, "Sorts items by size.from smallest to largest." },
        { cmd::ArrangeByDate, "by &Date", {}, "Sorts items by date." },
        { cmd::ArrangeByAttribute, "by &Attribute", {}, "Sorts items by attribute." },
        { cmd::RefreshAll, "&Refresh All\tF12", QKeySequence(Qt::Key_F12), "Refresh directory and file list" },
        { cmd::Configuration, "&Configuration...\tCtrl+S", QKeySequence(Qt::CTRL | Qt::Key_S),
            "Configuration.\nConfiguration\n" },
        { cmd::MultiColorStyle, "&MultiColor Style", {}, "" },
        { cmd::SimpleStyle, "&Simple Style", {}, "" },
        { cmd::UpgradeNow, "&Upgrade Now", {}, "Upgrade online." },
        { cmd::HelpContent, "Help &Content and Index\tF1", QKeySequence(Qt::Key_F1), "Help content.\nHelp content\n" },
        { cmd::TipOfTheDay, "T&ip Of The Day...", {}, "Tip of the day\n" },
        { cmd::Homepage, "&Visit Our Homepage", {}, "Visit the " KVN_PRODUCT_NAME " home page (kelvanetrix.example)." },
        { cmd::SendMail, "&Send E-mail To Us", {}, "Write to support@kelvanetrix.example." },
        { cmd::License, "&License Agreement", {}, "License Agreement.\n" },
        { cmd::About, "&About " KVN_PRODUCT_NAME "...", {},
            "Display program information, version number and copyright\nAbout" },
    };
    return table;
}

const CommandDef* FindCommand(int id)
{
    for (const auto& c : CommandTable())
        if (c.id == id)
            return &c;
    return nullptr;
}

const std::vector<MenuDef>& MenuBarLayout()
{
    using namespace cmd;
    static const std::vector<MenuDef> menus = {
        { "&File", { SelectAll, InvertSelection, Separator, Exit }, {} },
        { "&Operation", { Encrypt, Decrypt, Separator, ClearKey }, {} },
        { "&View",
            { ViewToolbar, ViewStatusBar, Separator, LargeIcon, SmallIcon, ListView, Details, Separator, Separator,
                RefreshAll },
            { { 8,
                { "Arrange &Icons", { ArrangeByName, ArrangeByType, ArrangeBySize, ArrangeByDate, ArrangeByAttribute },
                    {} } } } },
        { "&Settings", { Configuration, Separator },
            { { 2, { "Toolbar Style", { MultiColorStyle, SimpleStyle }, {} } } } },
        { "&Tools", { UpgradeNow }, {} },
        { "&Help", { HelpContent, TipOfTheDay, Separator, Homepage, SendMail, License, Separator, About }, {} },
    };
    return menus;
}
