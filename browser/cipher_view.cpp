// The file list's views, sort, selection commands and file commands.
#include "browser/cipher_view.h"

#include "batch/settings_entries.h"
#include "browser/file_list_menu.h"
#include "browser/file_list_model.h"
#include "browser/file_properties_dlg.h"
#include "browser/trash_files.h"
#include "config/settings_store.h"
#include "product_version.h"
#include "shell/cipher_doc.h"
#include "shell/local_path.h"
#include "shell/message_service.h"
#include "shell/shell_service.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QListView>
#include <QScrollBar>
#include <QSet>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

static_assert(int(CCipherView::NameColumn) == CFileListModel::Name
    && int(CCipherView::PathColumn) == CFileListModel::Path && int(CCipherView::SizeColumn) == CFileListModel::Size);

// Without full-row selection only the name shows as selected, although the
// whole row is: the other cells are details of the file, not separate items.
class CCipherView::NameColumnDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool m_fullRow = false;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!m_fullRow && index.column() != CFileListModel::Name)
            option->state &= ~QStyle::State_Selected;
    }
};

CCipherView::CCipherView(CCipherDoc* doc, QWidget* parent)
    : QWidget(parent)
    , m_doc(doc)
{
    setObjectName(QStringLiteral("fileList"));
    m_model = new CFileListModel(this);
    BuildViews();
    m_menu = new CFileListMenu(this);
    ConnectMenu();
    SetViewMode(ViewMode::Details);
    m_watcher = new QFileSystemWatcher(this);
    m_refillTimer = new QTimer(this);
    m_refillTimer->setObjectName(QStringLiteral("refillTimer"));
    m_refillTimer->setSingleShot(true);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &CCipherView::OnFolderChanged);
    connect(m_refillTimer, &QTimer::timeout, this, &CCipherView::RefillKeepingSelection);
}

void CCipherView::BuildViews()
{
    m_details = new QTreeView;
    m_details->setObjectName(QStringLiteral("fileListDetails"));
    m_details->setAccessibleName(QStringLiteral("Files"));
    m_details->setModel(m_model);
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setUniformRowHeights(true); // keeps a folder of 100,000 files quick to lay out
    m_details->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_details->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_details->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_details->setTextElideMode(Qt::ElideRight);
    m_delegate = new NameColumnDelegate(m_details);
    m_details->setItemDelegate(m_delegate);
    QHeaderView* header = m_details->header();
    header->setStretchLastSection(false);
    header->setSectionsMovable(true);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(m_sortColumn, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, &CCipherView::SortByHeading);

    m_selection = m_details->selectionModel();

    m_icons = new QListView;
    m_icons->setObjectName(QStringLiteral("fileListIcons"));
    m_icons->setAccessibleName(QStringLiteral("Files"));
    m_icons->setModel(m_model);
    m_icons->setSelectionModel(m_selection);
    m_icons->setModelColumn(CFileListModel::Name);
    m_icons->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_icons->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_icons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_icons->setUniformItemSizes(true);
    m_icons->setLayoutMode(QListView::Batched);
    m_icons->setResizeMode(QListView::Adjust);

    for (QAbstractItemView* view :
        { static_cast<QAbstractItemView*>(m_details), static_cast<QAbstractItemView*>(m_icons) }) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint& pos) { ShowContextMenu(view, pos); });
        connect(view, &QAbstractItemView::doubleClicked, this, &CCipherView::OpenSelected);
    }

    m_pages = new QStackedWidget;
    m_pages->setObjectName(QStringLiteral("fileListPages"));
    m_pages->addWidget(m_details);
    m_pages->addWidget(m_icons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pages);
}

void CCipherView::ConnectMenu()
{
    connect(m_menu->m_encrypt, &QAction::triggered, this, &CCipherView::encryptRequested);
    connect(m_menu->m_decrypt, &QAction::triggered, this, &CCipherView::decryptRequested);
    connect(m_menu->m_refresh, &QAction::triggered, this, &CCipherView::FillList);
    const std::pair<QAction*, int> arrange[] = {
        { m_menu->m_arrangeByName, NameColumn },
        { m_menu->m_arrangeByType, TypeColumn },
        { m_menu->m_arrangeBySize, SizeColumn },
        { m_menu->m_arrangeByDate, ModifiedColumn },
        { m_menu->m_arrangeByAttribute, AttributeColumn },
    };
    for (const auto& [action, column] : arrange)
        connect(action, &QAction::triggered, this, [this, column = column] { ArrangeBy(column); });
    connect(m_menu->m_selectAll, &QAction::triggered, this, &CCipherView::SelectAll);
    connect(m_menu->m_invertSelection, &QAction::triggered, this, &CCipherView::InvertSelection);
    connect(m_menu->m_delete, &QAction::triggered, this, &CCipherView::DeleteSelected);
    // The Delete key does what the menu's Delete File does, question and all.
    auto* deleteKey = new QShortcut(QKeySequence::Delete, this, this, &CCipherView::DeleteSelected);
    deleteKey->setObjectName(QStringLiteral("deleteKey"));
    deleteKey->setContext(Qt::WidgetWithChildrenShortcut);
    connect(m_menu->m_properties, &QAction::triggered, this, &CCipherView::ShowSelectedProperties);
}

void CCipherView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    SetColumnWidths();
    // The folder tree's first selection has usually filled it already.
    if (!m_filled)
        FillList();
    ApplySelectOption();
}

void CCipherView::SetColumnWidths()
{
    // Fixed once from the width the list first appears with; resizing the
    // window later leaves them as the user has them.
    const int w = m_details->width() - 2 * m_details->frameWidth();
    const int divisors[CFileListModel::ColumnCount] = { 5, 10, 7, 6, 10, 7 };
    for (int c = 0; c < CFileListModel::ColumnCount; ++c)
        m_details->header()->resizeSection(c, w / divisors[c]);
}

void CCipherView::FillList()
{
    const std::string option = batch::settings::ViewFilter(CSettingsStore::Instance());
    const QString folder = m_doc ? m_doc->m_strFolder : QString();
    m_refillTimer->stop(); // whatever changed so far is read now
    m_filled = true;
    WatchFolder(folder);
    m_model->Fill(folder, CFileListModel::FilterFromOption(option), m_sortColumn, m_ascending);
}

void CCipherView::RefillKeepingSelection()
{
    QStringList selected;
    for (int row : SelectedRows())
        selected << ItemText(row, PathColumn);
    const QModelIndex current = m_selection->currentIndex();
    const QString currentPath = current.isValid() ? ItemText(current.row(), PathColumn) : QString();
    QAbstractItemView* view = CurrentView();
    const int across = view->horizontalScrollBar()->value();
    const int down = view->verticalScrollBar()->value();

    FillList();

    m_selection->select(RowsOf(selected, nullptr), QItemSelectionModel::ClearAndSelect);
    int currentRow = -1;
    if (!currentPath.isEmpty())
        RowsOf({ currentPath }, &currentRow);
    if (currentRow >= 0)
        m_selection->setCurrentIndex(m_model->index(currentRow, 0), QItemSelectionModel::NoUpdate);
    view->horizontalScrollBar()->setValue(across);
    view->verticalScrollBar()->setValue(down);
}

void CCipherView::WatchFolder(const QString& folder)
{
    const QStringList watched = m_watcher->directories();
    if (watched.size() == 1 && watched.front() == folder)
        return;
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    // A folder that is gone or unwatchable is simply not followed.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        m_watcher->addPath(folder);
}

void CCipherView::OnFolderChanged()
{
    if (!m_refillTimer->isActive())
        m_firstChange.start();
    // Each change pushes the refill back, until changes have gone on too long.
    if (m_firstChange.elapsed() < kRefillLongestWaitMs)
        m_refillTimer->start(kRefillQuietMs);
}

void CCipherView::ApplySelectOption()
{
    m_fullRowSelect = batch::settings::FullRowSelect(CSettingsStore::Instance());
    m_delegate->m_fullRow = m_fullRowSelect;
    m_details->setAllColumnsShowFocus(m_fullRowSelect);
    m_details->viewport()->update();
}

void CCipherView::SetViewMode(ViewMode mode)
{
    const bool hadFocus = CurrentView()->hasFocus();
    m_viewMode = mode;
    if (mode == ViewMode::Details) {
        m_pages->setCurrentWidget(m_details);
    } else {
        const bool large = mode == ViewMode::LargeIcons;
        m_icons->setViewMode(large ? QListView::IconMode : QListView::ListMode);
        m_icons->setMovement(QListView::Static);
        m_icons->setFlow(mode == ViewMode::List ? QListView::TopToBottom : QListView::LeftToRight);
        m_icons->setWrapping(true);
        m_icons->setWordWrap(large);
        m_icons->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
        m_icons->setGridSize(large ? QSize(96, 72) : QSize());
        m_pages->setCurrentWidget(m_icons);
    }
    const QModelIndex current = m_selection->currentIndex();
    if (current.isValid())
        CurrentView()->scrollTo(current);
    if (hadFocus)
        CurrentView()->setFocus();
}

QAbstractItemView* CCipherView::CurrentView() const
{
    if (m_viewMode == ViewMode::Details)
        return m_details;
    return m_icons;
}

std::vector<char> CCipherView::SelectedMarks() const
{
    // A row counts once however many of its cells are selected.
    std::vector<char> marks(size_t(m_model->rowCount()), 0);
    for (const QItemSelectionRange& range : m_selection->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            marks[size_t(r)] = 1;
    return marks;
}

int CCipherView::GetSelectedCount() const
{
    const std::vector<char> marks = SelectedMarks();
    return int(std::count(marks.begin(), marks.end(), 1));
}

QList<int> CCipherView::SelectedRows() const
{
    const std::vector<char> marks = SelectedMarks();
    QList<int> rows;
    for (size_t r = 0; r < marks.size(); ++r)
        if (marks[r])
            rows.append(int(r));
    return rows;
}

QString CCipherView::ItemText(int row, int column) const
{
    return m_model->Text(row, column);
}

int CCipherView::RowCount() const
{
    return m_model->rowCount();
}

void CCipherView::ArrangeBy(int column)
{
    if (column < 0 || column >= CFileListModel::ColumnCount)
        return;
    // Toggled even when the column changes: the first "Arrange by Name" of a
    // list sorted ascending by name turns it round.
    m_sortColumn = column;
    m_ascending = !m_ascending;
    Sort();
}

void CCipherView::SortByHeading(int column)
{
    if (column < 0 || column >= CFileListModel::ColumnCount)
        return;
    m_ascending = column == m_sortColumn ? !m_ascending : true;
    m_sortColumn = column;
    Sort();
}

void CCipherView::Sort()
{
    m_model->Sort(m_sortColumn, m_ascending);
    m_details->header()->setSortIndicator(m_sortColumn, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CCipherView::SelectAll()
{
    const int rows = m_model->rowCount();
    if (rows > 0)
        m_selection->select(
            QItemSelection(m_model->index(0, 0), m_model->index(rows - 1, CFileListModel::ColumnCount - 1)),
            QItemSelectionModel::Select);
    CurrentView()->setFocus();
}

// One pass over the rows, whole runs of them at a time: a selection built
// row by row costs time that grows with the square of the rows.
QItemSelection CCipherView::RowsOf(const QStringList& paths, int* firstRow) const
{
    const QSet<QString> wanted(paths.begin(), paths.end());
    QItemSelection rows;
    if (firstRow)
        *firstRow = -1;
    const int count = wanted.isEmpty() ? 0 : m_model->rowCount();
    const int last = CFileListModel::ColumnCount - 1;
    for (int r = 0; r < count;) {
        if (!wanted.contains(ItemText(r, PathColumn))) {
            ++r;
            continue;
        }
        const int first = r;
        while (r < count && wanted.contains(ItemText(r, PathColumn)))
            ++r;
        rows.append(QItemSelectionRange(m_model->index(first, 0), m_model->index(r - 1, last)));
        if (firstRow && *firstRow < 0)
            *firstRow = first;
    }
    return rows;
}

int CCipherView::SelectPaths(const QStringList& paths)
{
    int first = -1;
    const QItemSelection rows = RowsOf(paths, &first);
    if (first >= 0)
        CurrentView()->scrollTo(m_model->index(first, 0));
    m_selection->select(rows, QItemSelectionModel::ClearAndSelect);
    int found = 0;
    for (const QItemSelectionRange& range : rows)
        found += range.height();
    return found;
}

void CCipherView::InvertSelection()
{
    const std::vector<char> marks = SelectedMarks();
    if (std::find(marks.begin(), marks.end(), 1) == marks.end()) {
        SelectAll();
        return;
    }
    // Whole runs of rows at a time, so that a large list inverts quickly.
    QItemSelection inverted;
    const int last = CFileListModel::ColumnCount - 1;
    for (size_t r = 0; r < marks.size();) {
        if (marks[r]) {
            ++r;
            continue;
        }
        const size_t first = r;
        while (r < marks.size() && !marks[r])
            ++r;
        inverted.append(QItemSelectionRange(m_model->index(int(first), 0), m_model->index(int(r - 1), last)));
    }
    m_selection->select(inverted, QItemSelectionModel::ClearAndSelect);
    CurrentView()->setFocus();
}

CFileListMenu* CCipherView::ContextMenu()
{
    m_menu->EnableFor(GetSelectedCount());
    return m_menu;
}

void CCipherView::ShowContextMenu(QAbstractItemView* view, const QPoint& pos)
{
    ContextMenu()->popup(view->viewport()->mapToGlobal(pos));
}

void CCipherView::OpenSelected()
{
    const QList<int> rows = SelectedRows();
    if (rows.isEmpty())
        return;
    const QString path = ItemText(rows.front(), PathColumn);
    if (!CShellService::Instance().OpenUrl(localpath::Url(path)))
        CMessageService::Show(this, QStringLiteral("\"%1\" could not be opened.").arg(localpath::Display(path)),
            QStringLiteral(KVN_PRODUCT_NAME), QMessageBox::Ok, QMessageBox::Warning);
}

void CCipherView::DeleteSelected()
{
    QStringList paths;
    for (int row : SelectedRows())
        paths << ItemText(row, PathColumn);
    // Refilled whenever anything went: rows of files that are gone must not
    // stay in the list to be selected for a batch.
    if (MoveFilesToTrash(this, paths) > 0)
        FillList();
}

void CCipherView::ShowSelectedProperties()
{
    const QList<int> rows = SelectedRows();
    if (rows.size() != 1)
        return;
    const QString path = ItemText(rows.front(), PathColumn);
    if (!CShellService::Instance().ShowProperties(path))
        CFilePropertiesDlg::ShowFor(path, this);
}
