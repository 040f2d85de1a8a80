// The file list: the files of the document's current folder in six columns,
// shown as large icons, small icons, a list or details over one set of rows
// and one selection, with its sort, selection commands and context menu.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QWidget>

#include <vector>

class CCipherDoc;
class CFileListMenu;
class CFileListModel;
class QAbstractItemView;
class QFileSystemWatcher;
class QItemSelection;
class QItemSelectionModel;
class QListView;
class QStackedWidget;
class QTimer;
class QTreeView;

class CCipherView : public QWidget {
    Q_OBJECT

public:
    enum class ViewMode { LargeIcons, SmallIcons, List, Details };
    enum Column { NameColumn, SizeColumn, TypeColumn, ModifiedColumn, AttributeColumn, PathColumn };

    // Changes other programs make in the shown folder are gathered for this
    // long after the last one, but never longer than the second, before the
    // list is read again: a batch writing thousands of files refills it a
    // few times, not thousands.
    static constexpr int kRefillQuietMs = 250;
    static constexpr int kRefillLongestWaitMs = 2000;

    explicit CCipherView(CCipherDoc* doc, QWidget* parent = nullptr);

    // Reads the current folder and the hidden/system filter afresh and
    // replaces every row, in the sort order last chosen; from then on the
    // folder is watched for changes.
    void FillList();
    // FillList, keeping the selection, the current row and the scrolled
    // position of the files that remain.
    void RefillKeepingSelection();
    // Full-row selection from "ViewOption"/"Select"; read at first display
    // and whenever the settings may have changed.
    void ApplySelectOption();
    bool IsFullRowSelect() const { return m_fullRowSelect; }

    void SetViewMode(ViewMode mode);
    ViewMode GetViewMode() const { return m_viewMode; }
    QAbstractItemView* CurrentView() const;

    // The selection, as the Encrypt and Decrypt commands read it.
    int GetSelectedCount() const;
    QList<int> SelectedRows() const; // ascending, as the rows are shown
    QString ItemText(int row, int column) const;
    int RowCount() const;

    // The "Arrange by" commands: that column, the direction toggled.
    void ArrangeBy(int column);
    // A click on a column heading: the same column again toggles the
    // direction, another column sorts ascending.
    void SortByHeading(int column);
    int SortColumn() const { return m_sortColumn; }
    bool IsAscending() const { return m_ascending; }

    void SelectAll();
    // Selects the rows showing these paths (a batch's results), nothing else;
    // answers how many were found.
    int SelectPaths(const QStringList& paths);
    void InvertSelection(); // nothing selected: selects every row

    // The context menu with its entries enabled for the current selection.
    CFileListMenu* ContextMenu();

    void OpenSelected();
    void DeleteSelected();
    void ShowSelectedProperties();

signals:
    void encryptRequested();
    void decryptRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    class NameColumnDelegate;

    void BuildViews();
    void ConnectMenu();
    void SetColumnWidths();
    void Sort();
    std::vector<char> SelectedMarks() const;
    void ShowContextMenu(QAbstractItemView* view, const QPoint& pos);
    void WatchFolder(const QString& folder);
    void OnFolderChanged();
    QItemSelection RowsOf(const QStringList& paths, int* firstRow) const;

    CCipherDoc* m_doc;
    CFileListModel* m_model = nullptr;
    QStackedWidget* m_pages = nullptr;
    QTreeView* m_details = nullptr;
    QListView* m_icons = nullptr;
    QItemSelectionModel* m_selection = nullptr;
    NameColumnDelegate* m_delegate = nullptr;
    CFileListMenu* m_menu = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_refillTimer = nullptr;
    QElapsedTimer m_firstChange;

    ViewMode m_viewMode = ViewMode::Details;
    int m_sortColumn = 0;
    bool m_ascending = true;
    bool m_fullRowSelect = false;
    bool m_shown = false;
    bool m_filled = false;
};
