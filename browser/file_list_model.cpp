// Reading a folder into rows, sorting them, and handing them to the views.
#include "browser/file_list_model.h"

#include "batch/settings_entries.h"
#include "browser/file_list_texts.h"
#include "shell/local_path.h"

#include <QDir>
#include <QFileIconProvider>
#include <QMimeDatabase>

#include <algorithm>
#include <numeric>

namespace {

// The type our encrypted files are registered under.
constexpr const char* kKvnType = "application/x-kelvanetrix";

const char* const kHeadings[CFileListModel::ColumnCount] = {
    "File Name",
    "Size",
    "Type",
    "LastModifiedTime",
    "Attribute",
    "Path",
};

// The type follows the name's extension alone, as the desktop's file types
// do, so each extension is looked up once: matching every name against the
// MIME globs would dominate the fill of a large folder. The extension is the
// last two dotted parts at most, leading dots aside: "a.tar.gz" is a tar
// archive, and "2024.01.05.jpg" shares ".05.jpg" with many others.
class MimeNames {
public:
    QString For(const QString& fileName)
    {
        qsizetype start = 0;
        while (start < fileName.size() && fileName[start] == QLatin1Char('.'))
            ++start;
        qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
        if (dot > start) {
            const qsizetype before = fileName.lastIndexOf(QLatin1Char('.'), dot - 1);
            if (before > start)
                dot = before;
        }
        const QString extension = dot > start ? fileName.mid(dot) : QString();
        auto it = m_byExtension.constFind(extension);
        if (it == m_byExtension.constEnd()) {
            QString name = m_db.mimeTypeForFile(QLatin1Char('x') + extension, QMimeDatabase::MatchExtension).name();
            // Our own files, also where the desktop has not learnt the type yet.
            if (extension.endsWith(QLatin1String(".kvn"), Qt::CaseInsensitive)
                && name == QLatin1String("application/octet-stream"))
                name = QString::fromLatin1(kKvnType);
            it = m_byExtension.insert(extension, name);
        }
        return it.value();
    }

private:
    QMimeDatabase m_db;
    QHash<QString, QString> m_byExtension;
};

} // namespace

CFileListModel::Filter CFileListModel::FilterFromOption(const std::string& option)
{
    Filter f;
    f.hidden = batch::settings::FilterHidesHidden(option);
    f.system = batch::settings::FilterHidesSystem(option);
    return f;
}

CFileListModel::CFileListModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void CFileListModel::Fill(const QString& folder, Filter filter, int sortColumn, bool ascending)
{
    std::vector<Row> rows = ReadFolder(folder, filter);
    SortRows(rows, nullptr, sortColumn, ascending);
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

std::vector<CFileListModel::Row> CFileListModel::ReadFolder(const QString& folder, Filter filter)
{
    std::vector<Row> rows;
    if (folder.isEmpty())
        return rows;
    QString base = folder;
    if (!base.endsWith(QLatin1Char('/')) && !base.endsWith(QDir::separator()))
        base += QLatin1Char('/');

    MimeNames mimes;
    std::vector<filelist::Entry> entries = filelist::ReadEntries(folder, filter);
    rows.reserve(entries.size());
    for (filelist::Entry& e : entries) {
        Row row;
        row.sizeKey = filelist::SizeKey(e.size);
        row.mimeName = mimes.For(e.name);
        row.text[Size] = filelist::SizeText(e.size);
        row.text[Type] = TypeName(row.mimeName);
        row.text[Modified] = filelist::ModifiedText(e.modified);
        row.text[Attribute] = filelist::AttributeText(e.attributes);
        row.text[Path] = QDir::toNativeSeparators(base + e.name);
        row.text[Name] = std::move(e.name);
        rows.push_back(std::move(row));
    }
    return rows;
}

QString CFileListModel::TypeName(const QString& mimeName)
{
    auto it = m_typeNames.constFind(mimeName);
    if (it == m_typeNames.constEnd()) {
        const QMimeType type = QMimeDatabase().mimeTypeForName(mimeName);
        const bool ours = mimeName == QLatin1String(kKvnType);
        it = m_typeNames.insert(
            mimeName, ours && !type.isValid() ? QStringLiteral("Kelvanetrix Document") : type.comment());
    }
    return it.value();
}

void CFileListModel::Sort(int column, bool ascending)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOfOld;
    SortRows(m_rows, &newRowOfOld, column, ascending);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(index.isValid() ? createIndex(newRowOfOld[size_t(index.row())], index.column()) : index);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CFileListModel::SortRows(std::vector<Row>& rows, std::vector<int>* newRowOfOld, int column, bool ascending) const
{
    if (column < 0 || column >= ColumnCount)
        return;
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    // Every path is the folder followed by the name, so paths order as the
    // names do, without walking the common folder part at every comparison.
    const int textColumn = column == Path ? Name : column;
    auto compare = [&](const Row& a, const Row& b) {
        if (column == Size)
            return a.sizeKey < b.sizeKey ? -1 : (a.sizeKey > b.sizeKey ? 1 : 0);
        return filelist::CompareBytes(a.text[textColumn], b.text[textColumn]);
    };
    // Stable, so that rows the comparison cannot tell apart stay where they were.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = compare(rows[size_t(a)], rows[size_t(b)]);
        return ascending ? c < 0 : c > 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    for (int old : order)
        sorted.push_back(std::move(rows[size_t(old)]));
    rows = std::move(sorted);
    if (newRowOfOld) {
        newRowOfOld->assign(order.size(), 0);
        for (size_t i = 0; i < order.size(); ++i)
            (*newRowOfOld)[size_t(order[i])] = int(i);
    }
}

const QString& CFileListModel::Text(int row, int column) const
{
    static const QString none;
    if (row < 0 || size_t(row) >= m_rows.size() || column < 0 || column >= ColumnCount)
        return none;
    return m_rows[size_t(row)].text[column];
}

int CFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CFileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CFileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return {};
    const Row& row = m_rows[size_t(index.row())];
    if (role == Qt::DisplayRole) {
        const int c = index.column();
        return c == Name || c == Path ? localpath::Display(row.text[c]) : row.text[c];
    }
    if (role == Qt::DecorationRole && index.column() == Name)
        return IconFor(row.mimeName);
    return {};
}

QVariant CFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromLatin1(kHeadings[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QIcon CFileListModel::IconFor(const QString& mimeName) const
{
    // Icons are looked up the first time a row of a type is drawn, once per type.
    auto it = m_icons.constFind(mimeName);
    if (it != m_icons.constEnd())
        return it.value();
    const QMimeType type = QMimeDatabase().mimeTypeForName(mimeName);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QFileIconProvider().icon(QAbstractFileIconProvider::File);
    m_icons.insert(mimeName, icon);
    return icon;
}
