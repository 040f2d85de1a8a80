// The rows of the file list: one record per file of the current folder, its
// texts worked out once when the folder is read, so that showing and sorting
// a large folder never touches the disk again.
#pragma once

#include "browser/file_list_reader.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QString>

#include <vector>

class CFileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Name, Size, Type, Modified, Attribute, Path, ColumnCount };

    using Filter = filelist::Filter;
    // Which entries a fill leaves out, from "ViewOption"/"Option".
    static Filter FilterFromOption(const std::string& option);

    explicit CFileListModel(QObject* parent = nullptr);

    // Replaces every row with the files of `folder`, sorted as given. A folder
    // that is empty, unreadable or gone leaves no rows.
    void Fill(const QString& folder, Filter filter, int sortColumn, bool ascending);
    // Reorders the rows; rows equal in that column keep their relative order.
    // Selections and other persistent indexes follow their rows.
    void Sort(int column, bool ascending);

    const QString& Text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row {
        QString text[ColumnCount];
        qint64 sizeKey = 0;
        QString mimeName;
    };

    std::vector<Row> ReadFolder(const QString& folder, Filter filter);
    void SortRows(std::vector<Row>& rows, std::vector<int>* newRowOfOld, int column, bool ascending) const;
    QString TypeName(const QString& mimeName);
    QIcon IconFor(const QString& mimeName) const;

    std::vector<Row> m_rows;
    QHash<QString, QString> m_typeNames;
    mutable QHash<QString, QIcon> m_icons;
};
