// The folder tree, left pane of the main window: picks the current folder,
// which the document keeps and the file list shows.
#pragma once

#include "folder_tree_model.h"

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

    // First display: the top level, its first item expanded and selected.
    void InitialUpdate();
    // Empties the tree and builds it as at first display, then refills the list.
    void RefreshAll();

    // The context menu of an item; none for a virtual item. It must not outlive the view.
    std::unique_ptr<QMenu> CreateFolderMenu(const QModelIndex& index);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    void Populate();
    void OnSelected(const QModelIndex& index);
    void FillList();
    QModelIndex RowAt(const QPoint& pos) const;
    QRect IconAndLabelRect(const QModelIndex& index) const;

    CCipherDoc* m_doc;
    CFolderTreeModel* m_model;
    std::function<void()> m_fillList;
    bool m_listFilled = false;
};
