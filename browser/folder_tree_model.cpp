// Lazy folder items read from the directories: a folder is listed the first time it is
// expanded or selected and kept as read until the whole tree is rebuilt.
#include "browser/folder_tree_model.h"

#include "browser/subfolder_reader.h"
#include "shell/local_path.h"

#include <QDir>
#include <QFileInfo>
#include <QIconEngine>
#include <QPainter>

#include <algorithm>
#include <vector>

struct CFolderTreeModel::Node {
    CFolderPlace place;
    QIcon icon;
    Node* parent = nullptr;
    int row = 0;
    bool mayHaveChildren = false; // known before the children are read
    bool read = false;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

// Only looks for a first visible subfolder, so the expand button is right
// without reading a whole level further down.
bool HasSubfolder(const QString& path)
{
    return !filelist::ReadSubfolders(path, false, true).isEmpty();
}

// A selected folder shows the theme's open folder. Both stay the theme's
// own icons, drawn for whatever size and pixel ratio the view asks for, so
// they are sharp at any scaling.
class OpenWhenSelected : public QIconEngine {
public:
    OpenWhenSelected(QIcon closed, QIcon open)
        : m_closed(std::move(closed))
        , m_open(std::move(open))
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        For(mode).paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return For(mode).actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return For(mode).pixmap(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return For(mode).availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new OpenWhenSelected(*this); }

private:
    const QIcon& For(QIcon::Mode mode) const { return mode == QIcon::Selected ? m_open : m_closed; }

    QIcon m_closed;
    QIcon m_open;
};

// The theme's open folder for a selected folder, where the theme has one.
QIcon WithOpenState(const QIcon& closed)
{
    QIcon open = QIcon::fromTheme(QStringLiteral("folder-open"));
    if (open.isNull())
        return closed;
    return QIcon(new OpenWhenSelected(closed, std::move(open)));
}

} // namespace

CFolderTreeModel::CFolderTreeModel(PlacesSource places, QObject* parent)
    : QAbstractItemModel(parent)
    , m_places(std::move(places))
    , m_root(std::make_unique<Node>())
    , m_folderIcon(WithOpenState(m_iconProvider.icon(QAbstractFileIconProvider::Folder)))
{
    m_root->read = true;
}

CFolderTreeModel::~CFolderTreeModel() = default;

void CFolderTreeModel::Populate()
{
    beginResetModel();
    m_root->children.clear();
    const QList<CFolderPlace> places = m_places ? m_places() : QList<CFolderPlace>();
    for (const CFolderPlace& place : places)
        m_root->children.push_back(MakeNode(place, m_root.get(), int(m_root->children.size()), IconOf(place)));
    endResetModel();
}

void CFolderTreeModel::ReadChildren(const QModelIndex& index)
{
    if (canFetchMore(index))
        fetchMore(index);
}

QModelIndex CFolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const Node* node = NodeOf(parent);
    if (column != 0 || row < 0 || size_t(row) >= node->children.size())
        return {};
    return createIndex(row, column, node->children[size_t(row)].get());
}

QModelIndex CFolderTreeModel::parent(const QModelIndex& child) const
{
    const Node* node = NodeOf(child);
    if (node == m_root.get() || node->parent == m_root.get())
        return {};
    return createIndex(node->parent->row, 0, node->parent);
}

int CFolderTreeModel::rowCount(const QModelIndex& parent) const
{
    return parent.column() > 0 ? 0 : int(NodeOf(parent)->children.size());
}

int CFolderTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant CFolderTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Node* node = NodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return localpath::Display(node->place.name);
    case Qt::DecorationRole:
        return node->icon;
    case Qt::ToolTipRole: {
        // Tool tips take text that looks like markup for markup; a folder's
        // name is text, so it goes in escaped.
        const QString text = node->place.IsVirtual() ? node->place.name : QDir::toNativeSeparators(node->place.path);
        return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(localpath::Display(text).toHtmlEscaped());
    }
    case PathRole:
        return node->place.path;
    default:
        return {};
    }
}

bool CFolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    const Node* node = NodeOf(parent);
    return node->read ? !node->children.empty() : node->mayHaveChildren;
}

bool CFolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    const Node* node = NodeOf(parent);
    return !node->read && node->mayHaveChildren;
}

void CFolderTreeModel::fetchMore(const QModelIndex& parent)
{
    Node* node = NodeOf(parent);
    if (node->read)
        return;
    node->read = true;
    const bool fromDisk = !node->place.IsVirtual();
    const QList<CFolderPlace> places = fromDisk ? SubfoldersOf(node->place.path) : node->place.children;
    if (places.isEmpty()) {
        // Gone or unreadable since it was looked at: the expand button goes.
        emit dataChanged(parent, parent);
        return;
    }
    beginInsertRows(parent, 0, int(places.size()) - 1);
    for (const CFolderPlace& place : places)
        node->children.push_back(
            MakeNode(place, node, int(node->children.size()), fromDisk ? m_folderIcon : IconOf(place)));
    endInsertRows();
}

CFolderTreeModel::Node* CFolderTreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_root.get();
}

std::unique_ptr<CFolderTreeModel::Node> CFolderTreeModel::MakeNode(
    const CFolderPlace& place, Node* parent, int row, const QIcon& icon) const
{
    auto node = std::make_unique<Node>();
    node->place = place;
    node->icon = icon;
    node->parent = parent;
    node->row = row;
    node->mayHaveChildren = place.IsVirtual() ? !place.children.isEmpty() : HasSubfolder(place.path);
    return node;
}

QList<CFolderPlace> CFolderTreeModel::SubfoldersOf(const QString& path) const
{
    QList<CFolderPlace> folders;
    // An unreadable or vanished folder lists nothing, and that is all it does.
    const QString base = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    for (const QString& name : filelist::ReadSubfolders(path, false))
        folders.append({ name, base + name, CFolderPlace::Kind::Folder, {} });
    std::sort(folders.begin(), folders.end(),
        [this](const CFolderPlace& a, const CFolderPlace& b) { return m_order(a.name, b.name); });
    return folders;
}

QIcon CFolderTreeModel::IconOf(const CFolderPlace& place) const
{
    switch (place.kind) {
    case CFolderPlace::Kind::Computer:
        return m_iconProvider.icon(QAbstractFileIconProvider::Computer);
    case CFolderPlace::Kind::Drive:
#ifdef Q_OS_WIN
        // The shell's own icon of the drive: fixed, removable, optical, network.
        return m_iconProvider.icon(QFileInfo(place.path));
#else
        return m_iconProvider.icon(QAbstractFileIconProvider::Drive);
#endif
    case CFolderPlace::Kind::Folder:
        break;
    }
    return place.IsVirtual() ? m_iconProvider.icon(QAbstractFileIconProvider::Folder)
                             : m_iconProvider.icon(QFileInfo(place.path));
}
