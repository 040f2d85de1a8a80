// The folder tree's items: the desktop's places at the top, and below each
// folder its subfolders, read from disk once, when first needed.
#pragma once

#include "browser/folder_name_order.h"
#include "browser/folder_place.h"

#include <QAbstractItemModel>
#include <QFileIconProvider>
#include <QIcon>

#include <functional>
#include <memory>

class CFolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    using PlacesSource = std::function<QList<CFolderPlace>()>;
    // The folder's path; empty for a virtual item.
    static constexpr int PathRole = Qt::UserRole + 1;

    explicit CFolderTreeModel(PlacesSource places, QObject* parent = nullptr);
    ~CFolderTreeModel() override;

    // Drops every item and shows the top level afresh; nothing below it is read.
    void Populate();
    // Reads the item's children if it may have some and they were never read.
    void ReadChildren(const QModelIndex& index);
    QString PathOf(const QModelIndex& index) const { return index.data(PathRole).toString(); }

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    struct Node;

    Node* NodeOf(const QModelIndex& index) const;
    std::unique_ptr<Node> MakeNode(const CFolderPlace& place, Node* parent, int row, const QIcon& icon) const;
    QList<CFolderPlace> SubfoldersOf(const QString& path) const;
    QIcon IconOf(const CFolderPlace& place) const;

    PlacesSource m_places;
    std::unique_ptr<Node> m_root;
    CFolderNameOrder m_order;
    QFileIconProvider m_iconProvider;
    QIcon m_folderIcon;
};
