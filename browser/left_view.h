// The folder tree, left pane of the main window: picks the current folder,
// which the document keeps and the file list shows.
#pragma once

#include "browser/folder_tree_model.h"

#include <QTreeView>

#include <functional>
#include <memory>

class CCipherDoc;
class QMenu;

class CLeftView : public QTreeView {
    Q_OBJECT
public:
    // Shows the desktop's places at the top.
    explicit CLeftView(CCipherDoc* doc, QWidget* parent = nullptr);
    // Shows what `places` answers at the top instead (read on every rebuild).
    CLeftView(CCipherDoc* doc, CFolderTreeModel::PlacesSource places, QWidget* parent = nullptr);

    // How the tree asks the file list to refill from the document's folder;
    // the main frame passes the list's fill here.
    void SetListView(std::function<void()> fillList) { m_fillList = std::move(fillList); }

    // First display: the top level with `folder` opened and selected, or,
    // when none is given or it is gone, the first item expanded and selected.
    void InitialUpdate(const QString& folder = QString());
    // Empties the tree and builds it afresh, staying in the folder the list
    // shows while it exists, then refills the list.
    void RefreshAll();
    // Opens the tree down to `folder` and selects it, so the list shows it;
    // false when it is no folder or lies under none of the top-level items.
    bool ShowFolder(const QString& folder);

    // The context menu of an item; none for a virtual item. It must not outlive the view.
    std::unique_ptr<QMenu> CreateFolderMenu(const QModelIndex& index);

signals:
    // The list now shows this folder.
    void folderShown(const QString& path);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    struct Located {
        QModelIndex index; // the folder's item, or its nearest listed ancestor
        QString path; // the folder, made absolute
        bool exact = false;
    };

    void SelectFirst();
    Located Locate(const QString& folder);
    void OnSelected(const QModelIndex& index);
    void ShowInList(const QString& path);
    void FillList();
    QModelIndex RowAt(const QPoint& pos) const;
    QRect IconAndLabelRect(const QModelIndex& index) const;

    CCipherDoc* m_doc;
    CFolderTreeModel* m_model;
    std::function<void()> m_fillList;
    bool m_listFilled = false;
};
