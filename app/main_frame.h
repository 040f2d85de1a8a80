// The main window: toolbar and key bar on top, the folder tree and the file
// list side by side, the status bar below, and the command table's handlers.
#pragma once

#include "batch/output_options.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

class CCipherDoc;
class CCipherView;
class CKeyBar;
class CKeyStatusBar;
class CLeftView;
class QAction;
class QActionGroup;
class QMenu;
class QSplitter;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CCipherDoc* doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CCipherDoc* GetDocument() const { return m_doc; }
    CCipherView* GetFileList() const { return m_list; }
    CLeftView* GetFolderTree() const { return m_tree; }
    CKeyBar* KeyBar() const { return m_wndKeyBar; }
    CKeyStatusBar* StatusBar() const { return m_wndStatusBar; }
    QAction* Action(int command) const { return m_actions.value(command); }

    // The key boxes' limit and the status bar's cipher name from "Arith"/"value".
    void ApplyAlgorithm();

    // The command handlers (public so that every route — menu, accelerator,
    // toolbar, context menu — ends in the same place).
    void OnEncrypt();
    void OnDecrypt();
    // The folder tree's "Encrypt/Decrypt Files in Folder...": every file
    // below `folder`, in the usual batch window under the usual checks.
    Q_INVOKABLE void EncryptFolder(const QString& folder);
    Q_INVOKABLE void DecryptFolder(const QString& folder);
    void OnClearKey();
    void OnShowKey();
    void OnConfiguration();
    void OnToolbarStyle(bool simple);
    void OnHelpFile(const QString& name, const QString& failure);
    void OnRefreshAll();
    // Comes to the front; shows the folder of the first of `paths` (or that
    // folder itself), selects those of them it holds and puts the focus in
    // the key box. Command-line files, drops and hand-overs end here. While
    // a dialog (a running batch) holds the window, that dialog comes to the
    // front and the files wait until it has closed.
    void OpenFiles(const QStringList& paths);

    // None: only the View menu shows and hides the bars.
    QMenu* createPopupMenu() override { return nullptr; }

    int m_bKeyShown = 0;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateKeyBar();
    void CreatePanes();
    void Dispatch(int command);
    void OnKeyChanged(const QString& text);
    void SyncViewModeMarks();
    void RunBatchCommand(batch::Direction direction);
    void RunFolderCommand(batch::Direction direction, const QString& folder);
    bool KeyChecked(batch::Direction direction, std::size_t count, const std::string& key);
    // Checks the key for `sources` (none: refused as an empty selection),
    // then runs them in the batch window and selects the results.
    void RunBatchOn(batch::Direction direction, const std::vector<std::string>& sources);
    void ShowFiles(const QStringList& paths);
    void ShowWaitingFiles();
    // The waiting files are shown once `dialog` is hidden or gone (and no
    // other dialog holds the window then).
    void WaitForDialog(QWidget* dialog);

    CCipherDoc* m_doc;
    QSplitter* m_wndSplitter = nullptr;
    CLeftView* m_tree = nullptr;
    CCipherView* m_list = nullptr;
    CKeyStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QToolBar* m_keyBand = nullptr;
    CKeyBar* m_wndKeyBar = nullptr;
    QActionGroup* m_viewModes = nullptr;
    QHash<int, QAction*> m_actions;
    QStringList m_waitingFiles;
    bool m_filesWait = false;
    QPointer<QWidget> m_waitDialog; // the dialog the waiting files wait for
};
