// The main window's construction: actions from the command table, menus,
// toolbar, key bar, panes and status bar.
#include "app/main_frame.h"

#include "app/command_table.h"
#include "app/key_bar.h"
#include "app/key_status_bar.h"
#include "batch/settings_entries.h"
#include "browser/cipher_view.h"
#include "browser/left_view.h"
#include "chrome/toolbar_art.h"
#include "config/settings_store.h"
#include "shell/cipher_doc.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <utility>

CMainFrame::CMainFrame(CCipherDoc* doc, QWidget* parent)
    : QMainWindow(parent)
    , m_doc(doc)
{
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(ToolbarArt::AppIcon());
    setAcceptDrops(true);
    CreateActions();
    CreatePanes();
    CreateMenus();
    CreateToolBar();
    CreateKeyBar();
    m_wndStatusBar = new CKeyStatusBar(this);
    setStatusBar(m_wndStatusBar);
    ApplyAlgorithm();
    m_list->SetViewMode(CCipherView::ViewMode::Details);
    SyncViewModeMarks();
    // Restored from maximised, the window is as large as the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableGeometry().size());
    // The tree opens where the user last worked, and remembers every move.
    connect(m_tree, &CLeftView::folderShown, this,
        [](const QString& path) { batch::settings::WriteLastFolder(CSettingsStore::Instance(), path.toStdString()); });
    m_tree->InitialUpdate(QString::fromStdString(batch::settings::LastFolder(CSettingsStore::Instance())));
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateActions()
{
    for (const CommandDef& c : CommandTable()) {
        auto* a = new QAction(QString::fromUtf8(c.text), this);
        a->setObjectName(QStringLiteral("cmd%1").arg(c.id));
        a->setData(c.id);
        if (!c.key.isEmpty()) {
            a->setShortcut(c.key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        const QString prompt = QString::fromUtf8(c.prompt);
        a->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
        const QString tip = prompt.section(QLatin1Char('\n'), 1, 1);
        if (!tip.isEmpty())
            a->setToolTip(tip);
        connect(a, &QAction::triggered, this, [this, id = c.id] { Dispatch(id); });
        addAction(a); // accelerators work whatever has the focus
        m_actions.insert(c.id, a);
    }
    m_viewModes = new QActionGroup(this);
    for (int id : { cmd::LargeIcon, cmd::SmallIcon, cmd::ListView, cmd::Details }) {
        m_actions[id]->setCheckable(true);
        m_viewModes->addAction(m_actions[id]);
    }
    m_actions[cmd::ViewToolbar]->setCheckable(true);
    m_actions[cmd::ViewStatusBar]->setCheckable(true);
}

void CMainFrame::CreateMenus()
{
    for (const MenuDef& def : MenuBarLayout()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(def.title));
        auto add_submenus_at = [&](std::size_t position) {
            for (const auto& [at, sub] : def.submenus) {
                if (std::size_t(at) != position)
                    continue;
                QMenu* child = menu->addMenu(QString::fromUtf8(sub.title));
                for (int id : sub.items)
                    child->addAction(m_actions.value(id));
            }
        };
        for (std::size_t i = 0; i < def.items.size(); ++i) {
            add_submenus_at(i);
            if (def.items[i] == cmd::Separator)
                menu->addSeparator();
            else
                menu->addAction(m_actions.value(def.items[i]));
        }
        add_submenus_at(def.items.size());
        if (QString::fromUtf8(def.title) == QLatin1String("&View"))
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::SyncViewModeMarks);
    }
}

void CMainFrame::CreateToolBar()
{
    m_wndToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
    m_wndToolBar->setObjectName(QStringLiteral("toolBar"));
    m_wndToolBar->setAccessibleName(QStringLiteral("Toolbar"));
    m_wndToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_wndToolBar->setIconSize(QSize(55, 40));
    m_wndToolBar->setMovable(true);
    const bool simple = CSettingsStore::Instance().GetString(QStringLiteral("ToolBar"), QStringLiteral("Color"))
        == QLatin1String("2");
    const auto style = simple ? ToolbarArt::Style::Simple : ToolbarArt::Style::MultiColor;
    struct Button {
        int command;
        const char* text;
        int image;
    };
    const Button buttons[] = { { cmd::Encrypt, "Encrypt", 0 }, { cmd::Decrypt, "Decrypt", 1 },
        { cmd::Configuration, "Config", 2 }, { 0, nullptr, 0 }, { cmd::LargeIcon, "Large", 3 },
        { cmd::SmallIcon, "Small", 4 }, { cmd::ListView, "List", 5 }, { cmd::Details, "Details", 6 }, { 0, nullptr, 0 },
        { cmd::HelpContent, "Help", 7 }, { 0, nullptr, 0 } };
    for (const Button& b : buttons) {
        if (b.command == 0) {
            m_wndToolBar->addSeparator();
            continue;
        }
        // A button of its own that triggers the command's action, so the
        // menu keeps the full texts and the button its short one.
        QAction* command = m_actions.value(b.command);
        auto* button = new QAction(ToolbarArt::Image(b.image, style), QString::fromLatin1(b.text), m_wndToolBar);
        button->setObjectName(QStringLiteral("tb%1").arg(b.command));
        button->setToolTip(command->toolTip().isEmpty() ? QString::fromLatin1(b.text) : command->toolTip());
        button->setStatusTip(command->statusTip());
        button->setCheckable(command->isCheckable());
        connect(button, &QAction::triggered, command, [command] { command->trigger(); });
        if (command->isCheckable())
            connect(command, &QAction::toggled, button, &QAction::setChecked);
        m_wndToolBar->addAction(button);
        // What a screen reader says for the picture: the command's full name.
        if (QWidget* widget = m_wndToolBar->widgetForAction(button)) {
            QString name = command->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')).trimmed();
            if (name.endsWith(QLatin1String("...")))
                name.chop(3);
            widget->setAccessibleName(name);
            widget->setAccessibleDescription(command->statusTip());
        }
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    QAction* toggle = m_actions[cmd::ViewToolbar];
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, m_wndToolBar, &QToolBar::setVisible);
    // Kept in step with the bar, whatever shows or hides it.
    connect(m_wndToolBar, &QToolBar::visibilityChanged, toggle, [this, toggle](bool shown) {
        if (isVisible())
            toggle->setChecked(shown);
    });
}

void CMainFrame::CreateKeyBar()
{
    addToolBarBreak(Qt::TopToolBarArea);
    m_keyBand = new QToolBar(QStringLiteral("Key"), this);
    m_keyBand->setObjectName(QStringLiteral("keyBand"));
    m_keyBand->setAccessibleName(QStringLiteral("Key"));
    m_wndKeyBar = new CKeyBar(m_keyBand);
    m_keyBand->addWidget(m_wndKeyBar);
    addToolBar(Qt::TopToolBarArea, m_keyBand);
    connect(m_wndKeyBar, &CKeyBar::keyTextChanged, this, &CMainFrame::OnKeyChanged);
    connect(m_wndKeyBar, &CKeyBar::showKeyClicked, this, &CMainFrame::OnShowKey);
    // The command table's accelerators win over the boxes' own editing keys:
    // Ctrl+C in the key box clears the key rather than copying it.
    m_wndKeyBar->KeyBox()->installEventFilter(this);
    m_wndKeyBar->ConfirmBox()->installEventFilter(this);
}

void CMainFrame::CreatePanes()
{
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    m_wndSplitter->setObjectName(QStringLiteral("splitter"));
    m_tree = new CLeftView(m_doc, m_wndSplitter);
    m_list = new CCipherView(m_doc, m_wndSplitter);
    m_wndSplitter->addWidget(m_tree);
    m_wndSplitter->addWidget(m_list);
    m_wndSplitter->setStretchFactor(1, 1);
    m_wndSplitter->setSizes({ 225, 800 });
    setCentralWidget(m_wndSplitter);
    m_tree->SetListView([this] { m_list->FillList(); });
    connect(m_list, &CCipherView::encryptRequested, this, &CMainFrame::OnEncrypt);
    connect(m_list, &CCipherView::decryptRequested, this, &CMainFrame::OnDecrypt);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_waitDialog && event->type() == QEvent::Hide) {
        watched->removeEventFilter(this);
        m_waitDialog = nullptr;
        // Once the dialog has left the application's modal stack.
        QTimer::singleShot(0, this, &CMainFrame::ShowWaitingFiles);
    } else if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (const CommandDef& c : CommandTable()) {
            if (!c.key.isEmpty() && c.key == pressed) {
                event->ignore(); // not the box's: let the window's shortcut run
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

namespace {

QStringList LocalFiles(const QMimeData* data)
{
    QStringList files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files << QDir::cleanPath(url.toLocalFile());
    return files;
}

} // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

// Dropped files are shown and selected, as files named on the command line
// are: nothing is read from them.
void CMainFrame::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    OpenFiles(files);
}

void CMainFrame::OpenFiles(const QStringList& paths)
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog && dialog != this) {
        dialog->raise();
        dialog->activateWindow();
        if (paths.isEmpty())
            return;
        // The latest files win; the list changes once the dialog is gone.
        m_waitingFiles = paths;
        if (!m_filesWait) {
            m_filesWait = true;
            WaitForDialog(dialog);
        }
        return;
    }
    ShowFiles(paths);
}

void CMainFrame::WaitForDialog(QWidget* dialog)
{
    if (m_waitDialog)
        m_waitDialog->removeEventFilter(this);
    m_waitDialog = dialog;
    dialog->installEventFilter(this);
    // A dialog deleted while shown may never say it was hidden.
    connect(dialog, &QObject::destroyed, this, &CMainFrame::ShowWaitingFiles, Qt::QueuedConnection);
}

void CMainFrame::ShowWaitingFiles()
{
    if (!m_filesWait)
        return;
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog && dialog != this) {
        if (dialog != m_waitDialog)
            WaitForDialog(dialog);
        return;
    }
    m_filesWait = false;
    ShowFiles(std::exchange(m_waitingFiles, {}));
}

void CMainFrame::ShowFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const QFileInfo first(paths.front());
    if (!first.exists() || !m_tree->ShowFolder(first.isDir() ? first.absoluteFilePath() : first.absolutePath()))
        return;
    // The list names its files after the folder it shows, as written there.
    const QString folder = m_doc->m_strFolder;
    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    QStringList shown;
    for (const QString& path : paths) {
        const QFileInfo file(path);
        if (!file.isDir() && QDir::cleanPath(file.absolutePath()) == QDir::cleanPath(folder))
            shown << QDir::toNativeSeparators(base + file.fileName());
    }
    m_list->SelectPaths(shown);
    m_wndKeyBar->KeyBox()->setFocus();
}
