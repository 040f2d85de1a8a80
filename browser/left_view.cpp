// Selection, expansion and the right click of the folder tree. A folder's
// children are read on its first expansion or selection, never on a hover.
#include "browser/left_view.h"

#include "browser/folder_menu.h"
#include "shell/cipher_doc.h"
#include "shell/local_path.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStyledItemDelegate>

namespace {

// Lays an item out as the view's delegate paints it, so the hit test below
// agrees with what the user sees.
struct LayoutDelegate : QStyledItemDelegate {
    using QStyledItemDelegate::initStyleOption;
};

// Whether `path` is `folder` or lies below it (both clean and absolute).
bool IsWithin(const QString& path, const QString& folder)
{
    if (path == folder)
        return true;
    return path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

} // namespace

CLeftView::CLeftView(CCipherDoc* doc, QWidget* parent)
    : CLeftView(doc, &DesktopPlaces, parent)
{
}

CLeftView::CLeftView(CCipherDoc* doc, CFolderTreeModel::PlacesSource places, QWidget* parent)
    : QTreeView(parent)
    , m_doc(doc)
    , m_model(new CFolderTreeModel(std::move(places), this))
{
    setObjectName(QStringLiteral("folderTree"));
    setAccessibleName(QStringLiteral("Folders"));
    setModel(m_model);
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    // Long names scroll sideways instead of being cut short.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

void CLeftView::InitialUpdate(const QString& folder)
{
    m_model->Populate();
    if (folder.isEmpty() || !ShowFolder(folder))
        SelectFirst();
}

void CLeftView::RefreshAll()
{
    m_listFilled = false;
    InitialUpdate(m_doc->m_strFolder);
    // Selecting an item has refilled the list unless that item is virtual.
    if (!m_listFilled)
        FillList();
}

bool CLeftView::ShowFolder(const QString& folder)
{
    const Located found = Locate(folder);
    if (!found.index.isValid())
        return false;
    for (QModelIndex up = found.index.parent(); up.isValid(); up = up.parent())
        expand(up);
    m_listFilled = false;
    setCurrentIndex(found.index);
    scrollTo(found.index);
    // The item was selected already, or the tree does not list the folder
    // (it lies below a hidden one): the list is pointed at it here.
    if (!m_listFilled || !found.exact)
        ShowInList(found.path);
    return true;
}

std::unique_ptr<QMenu> CLeftView::CreateFolderMenu(const QModelIndex& index)
{
    const QString path = m_model->PathOf(index);
    if (path.isEmpty())
        return nullptr;
    return std::make_unique<CFolderMenu>(path, this);
}

void CLeftView::contextMenuEvent(QContextMenuEvent* event)
{
    QModelIndex index;
    QPoint at;
    if (event->reason() == QContextMenuEvent::Mouse) {
        // Below the last item the selection stays as it is.
        index = RowAt(event->pos());
        if (!index.isValid())
            return;
        setCurrentIndex(index);
        if (!IconAndLabelRect(index).contains(event->pos()))
            return;
        at = event->globalPos();
    } else {
        index = currentIndex();
        if (!index.isValid())
            return;
        scrollTo(index);
        at = viewport()->mapToGlobal(IconAndLabelRect(index).bottomLeft());
    }
    if (const std::unique_ptr<QMenu> menu = CreateFolderMenu(index))
        menu->exec(at);
}

void CLeftView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    const QModelIndexList now = selectionModel()->selectedIndexes();
    if (!now.isEmpty())
        OnSelected(now.first());
}

void CLeftView::SelectFirst()
{
    const QModelIndex first = m_model->index(0, 0);
    if (!first.isValid())
        return;
    expand(first);
    setCurrentIndex(first);
}

CLeftView::Located CLeftView::Locate(const QString& folder)
{
    Located found;
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return found;
    found.path = QDir::cleanPath(info.absoluteFilePath());
    // Start at the top-level item holding it most closely: the home folder
    // rather than the file system root.
    QString reached;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QModelIndex top = m_model->index(row, 0);
        const QString path = QDir::cleanPath(m_model->PathOf(top));
        if (!m_model->PathOf(top).isEmpty() && IsWithin(found.path, path) && path.size() > reached.size()) {
            found.index = top;
            reached = path;
        }
    }
    // Then down one name at a time, reading each level as expanding it would.
    while (found.index.isValid() && reached != found.path) {
        m_model->ReadChildren(found.index);
        const QString below = reached.endsWith(u'/') ? reached : reached + u'/';
        const QString next = below + found.path.mid(below.size()).section(u'/', 0, 0);
        QModelIndex child;
        for (int row = 0; row < m_model->rowCount(found.index) && !child.isValid(); ++row) {
            const QModelIndex candidate = m_model->index(row, 0, found.index);
            if (QDir::cleanPath(m_model->PathOf(candidate)) == next)
                child = candidate;
        }
        if (!child.isValid())
            return found; // not listed: the nearest ancestor stands in
        found.index = child;
        reached = next;
    }
    found.exact = found.index.isValid();
    return found;
}

void CLeftView::OnSelected(const QModelIndex& index)
{
    const QString path = m_model->PathOf(index);
    // A folder that has gone since it was listed changes nothing.
    if (!path.isEmpty() && !localpath::FactsOf(path).folder)
        return;
    // Read now, so that expanding it later does not read it again.
    m_model->ReadChildren(index);
    if (path.isEmpty())
        return; // a virtual item: the list keeps its folder
    ShowInList(path);
}

void CLeftView::ShowInList(const QString& path)
{
    m_doc->m_strFolder = path;
    FillList();
    emit folderShown(path);
}

void CLeftView::FillList()
{
    m_listFilled = true;
    if (m_fillList)
        m_fillList();
}

QModelIndex CLeftView::RowAt(const QPoint& pos) const
{
    const QModelIndex index = indexAt(pos);
    if (index.isValid() || pos.x() < 0 || pos.x() >= viewport()->width())
        return index;
    // Right of a column narrower than the pane: still the item on that row.
    return indexAt(QPoint(columnViewportPosition(0) + columnWidth(0) - 1, pos.y()));
}

QRect CLeftView::IconAndLabelRect(const QModelIndex& index) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    LayoutDelegate().initStyleOption(&option, index);
    const QRect icon = style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, this);
    const QRect text = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, this) + 1;
    const QSize labelSize(option.fontMetrics.horizontalAdvance(option.text) + 2 * margin, text.height());
    const QRect label = QStyle::alignedRect(option.direction, option.displayAlignment, labelSize, text);
    return icon.united(label.intersected(text));
}
