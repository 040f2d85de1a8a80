// The file list's rows: which files it shows under each filter setting, the
// texts of its six columns, and the order its sort commands put them in.
#include "tests/browser/test_cipher_view_fixture.h"

#include "browser/file_list_texts.h"

#include <QDir>
#include <QHeaderView>
#include <QMimeDatabase>
#include <QTimer>
#include <QTreeView>

#include <sys/stat.h>

namespace kvntest {
namespace {

const QDateTime kMorning(QDate(2024, 1, 5), QTime(9, 0, 0));

using ListContents = CipherViewTest;

TEST_F(ListContents, HeadingsAndWidthsAreFixedAtFirstDisplay)
{
    auto view = ShownView(1000);
    auto* details = view->findChild<QTreeView*>("fileListDetails");
    ASSERT_NE(details, nullptr);
    const QStringList headings{ "File Name", "Size", "Type", "LastModifiedTime", "Attribute", "Path" };
    const int w = details->width() - 2 * details->frameWidth();
    const int divisors[] = { 5, 10, 7, 6, 10, 7 };
    ASSERT_EQ(details->model()->columnCount(), 6);
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(details->model()->headerData(c, Qt::Horizontal).toString(), headings[c]);
        EXPECT_EQ(details->header()->sectionSize(c), w / divisors[c]) << c;
    }
    view->resize(1600, 400);
    QApplication::processEvents();
    EXPECT_EQ(details->header()->sectionSize(0), w / 5);
}

TEST_F(ListContents, SizeIsWholeKilobytesRoundedDown)
{
    for (qint64 bytes : { 0, 1023, 1024, 1048575, 1048576 })
        Write(QStringLiteral("f%1.bin").arg(bytes), bytes);
    CCipherView view(&m_doc);
    view.FillList();
    const std::pair<const char*, const char*> expected[] = {
        { "f0.bin", "0 KB" },
        { "f1023.bin", "0 KB" },
        { "f1024.bin", "1 KB" },
        { "f1048575.bin", "1023 KB" },
        { "f1048576.bin", "1024 KB" },
    };
    for (const auto& [name, size] : expected)
        EXPECT_EQ(view.ItemText(RowOf(view, name), CCipherView::SizeColumn), size) << name;
}

TEST_F(ListContents, RowTextsOfAPlainFile)
{
    Write("notes.txt", 10, kMorning);
    Write("photo.png", 10);
    CCipherView view(&m_doc);
    view.FillList();
    const int row = RowOf(view, "notes.txt");
    ASSERT_GE(row, 0);
    const QMimeDatabase mimes;
    const QString textType = view.ItemText(row, CCipherView::TypeColumn);
    EXPECT_FALSE(textType.isEmpty());
    EXPECT_EQ(textType, mimes.mimeTypeForName("text/plain").comment());
    EXPECT_NE(view.ItemText(RowOf(view, "photo.png"), CCipherView::TypeColumn), textType);
    EXPECT_EQ(view.ItemText(row, CCipherView::ModifiedColumn), "2024-01-05 09:00:00");
    EXPECT_EQ(view.ItemText(row, CCipherView::AttributeColumn), " ");
    EXPECT_EQ(view.ItemText(row, CCipherView::PathColumn), PathOf("notes.txt"));
    EXPECT_EQ(view.ItemText(row, 6), "");
    EXPECT_EQ(view.ItemText(99, 0), "");

    m_doc.m_strFolder = Folder() + "/"; // no doubled separator in the paths
    view.FillList();
    EXPECT_EQ(view.ItemText(RowOf(view, "notes.txt"), CCipherView::PathColumn), PathOf("notes.txt"));
}

// The type comes from the extension, which may have two parts.
TEST_F(ListContents, TypeFollowsTheExtension)
{
    Write("backup.tar.gz");
    Write("holiday.2024.png");
    Write("plain.png");
    Write("notes.TXT");
    Write("report.doc.KVN");
    CCipherView view(&m_doc);
    view.FillList();
    const QMimeDatabase mimes;
    // The installed type's own comment where the package is installed, the
    // program's own name for it where it is not; never the ".doc" type.
    const QMimeType ours = mimes.mimeTypeForName("application/x-kelvanetrix");
    EXPECT_EQ(view.ItemText(RowOf(view, "report.doc.KVN"), CCipherView::TypeColumn),
        ours.isValid() ? ours.comment() : QStringLiteral("Kelvanetrix Document"));
    auto type = [&](const char* name) { return view.ItemText(RowOf(view, name), CCipherView::TypeColumn); };
    EXPECT_EQ(type("backup.tar.gz"), mimes.mimeTypeForName("application/x-compressed-tar").comment());
    EXPECT_EQ(type("holiday.2024.png"), mimes.mimeTypeForName("image/png").comment());
    EXPECT_EQ(type("plain.png"), type("holiday.2024.png"));
    EXPECT_EQ(type("notes.TXT"), mimes.mimeTypeForName("text/plain").comment());
}

TEST_F(ListContents, ReadOnlyAndHiddenAttributes)
{
    Write("locked.txt");
    Write(".secret");
    Write(".locked-secret");
    ASSERT_EQ(::chmod(qPrintable(PathOf("locked.txt")), 0444), 0);
    ASSERT_EQ(::chmod(qPrintable(PathOf(".locked-secret")), 0444), 0);
    SetOption("Option", "4");
    CCipherView view(&m_doc);
    view.FillList();
    EXPECT_EQ(view.ItemText(RowOf(view, "locked.txt"), CCipherView::AttributeColumn), " R");
    EXPECT_EQ(view.ItemText(RowOf(view, ".secret"), CCipherView::AttributeColumn), " H");
    EXPECT_EQ(view.ItemText(RowOf(view, ".locked-secret"), CCipherView::AttributeColumn), " HR");
}

TEST(AttributeText, LettersFollowTheArchiveMark)
{
    using filelist::AttributeText;
    EXPECT_EQ(AttributeText({}), " ");
    EXPECT_EQ(AttributeText({ .archive = true, .readOnly = true }), " A   R");
    EXPECT_EQ(AttributeText({ .hidden = true, .readOnly = true }), " HR");
    EXPECT_EQ(AttributeText({ .archive = true, .system = true, .hidden = true, .readOnly = true }), " A   SHR");
}

// A FIFO is a system entry here: neither a regular file nor a folder.
TEST_F(ListContents, FilterSettingDecidesHiddenAndSystemEntries)
{
    Write("plain.txt");
    Write(".hidden");
    ASSERT_EQ(::mkfifo(qPrintable(PathOf("pipe")), 0644), 0);
    ASSERT_EQ(::mkfifo(qPrintable(PathOf(".hidden-pipe")), 0644), 0);
    const std::pair<const char*, QStringList> cases[] = {
        { "1", { "pipe", "plain.txt" } },
        { "2", { ".hidden", "plain.txt" } },
        { "3", { "plain.txt" } },
        { "4", { ".hidden", ".hidden-pipe", "pipe", "plain.txt" } },
        { "x", { ".hidden", ".hidden-pipe", "pipe", "plain.txt" } },
        { " 3", { ".hidden", ".hidden-pipe", "pipe", "plain.txt" } },
    };
    CCipherView view(&m_doc);
    for (const auto& [option, names] : cases) {
        SetOption("Option", option);
        view.FillList(); // read at every fill, never cached
        EXPECT_EQ(Names(view), names) << "option " << option;
        EXPECT_EQ(Option("Option"), option);
    }
    SetOption("Option", "4");
    view.FillList();
    EXPECT_EQ(view.ItemText(RowOf(view, "pipe"), CCipherView::AttributeColumn), " S");
    EXPECT_EQ(view.ItemText(RowOf(view, ".hidden-pipe"), CCipherView::AttributeColumn), " SH");
}

TEST_F(ListContents, EmptyFilterSettingIsStoredAsThree)
{
    Write("plain.txt");
    Write(".hidden");
    CCipherView view(&m_doc);
    view.FillList();
    EXPECT_EQ(Option("Option"), "3");
    EXPECT_EQ(Names(view), QStringList{ "plain.txt" });

    SetOption("Option", "");
    view.FillList();
    EXPECT_EQ(Option("Option"), "3");
    EXPECT_EQ(Names(view), QStringList{ "plain.txt" });
}

TEST_F(ListContents, FoldersAreNeverListed)
{
    ASSERT_TRUE(QDir(Folder()).mkdir("sub"));
    ASSERT_TRUE(QDir(Folder()).mkdir(".hidden-sub"));
    ASSERT_TRUE(QFile::link(PathOf("sub"), PathOf("link-to-sub")));
    SetOption("Option", "4");
    CCipherView view(&m_doc);
    view.FillList();
    EXPECT_EQ(view.RowCount(), 0);
}

TEST_F(ListContents, NoFolderOrAVanishedOneGivesAnEmptyListQuietly)
{
    Write("a.txt");
    CCipherView view(&m_doc);
    view.FillList();
    ASSERT_EQ(view.RowCount(), 1);
    view.SelectAll();

    ASSERT_TRUE(QDir(Folder()).removeRecursively());
    view.FillList();
    EXPECT_EQ(view.RowCount(), 0);
    EXPECT_EQ(view.GetSelectedCount(), 0);
    EXPECT_TRUE(view.SelectedRows().isEmpty());

    m_doc.m_strFolder.clear();
    view.FillList();
    EXPECT_EQ(view.RowCount(), 0);
    EXPECT_TRUE(m_messages.isEmpty());
}

// Large folders are read on several threads; every file must come out once.
TEST_F(ListContents, LargeFolderIsReadWhole)
{
    constexpr int kFiles = 9000;
    for (int i = 0; i < kFiles; ++i) {
        QFile file(PathOf(QStringLiteral("%1%2.dat").arg(i % 100 == 0 ? "." : "").arg(i, 5, 10, QLatin1Char('0'))));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    CCipherView view(&m_doc);
    view.FillList();
    ASSERT_EQ(view.RowCount(), kFiles - kFiles / 100);
    const QStringList names = Names(view);
    EXPECT_EQ(names.front(), "00001.dat");
    EXPECT_EQ(names.back(), "08999.dat");
    for (qsizetype i = 1; i < names.size(); ++i)
        ASSERT_LT(filelist::CompareBytes(names[i - 1], names[i]), 0) << i;
}

using Sorting = CipherViewTest;

TEST_F(Sorting, NamesCompareAsBytesCaseFirst)
{
    for (const char* name : { "b.txt", "A.txt", "a.txt", "Zeta.txt", "alpha.txt" })
        Write(name);
    auto view = ShownView();
    EXPECT_EQ(Names(*view), (QStringList{ "A.txt", "Zeta.txt", "a.txt", "alpha.txt", "b.txt" }));
}

// UTF-16 alone would put the emoji (a surrogate pair) before U+FF21.
TEST_F(Sorting, NamesBeyondTheBasicPlaneSortAsTheirBytes)
{
    const QString e = QString::fromUtf8("\xC3\xA9.txt"); // U+00E9
    const QString fullwidth = QString::fromUtf8("\xEF\xBC\xA1.txt"); // U+FF21
    const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80.txt"); // U+1F600
    for (const QString& name : { emoji, fullwidth, e, QStringLiteral("z.txt") })
        Write(name);
    CCipherView view(&m_doc);
    view.FillList();
    EXPECT_EQ(Names(view), (QStringList{ "z.txt", e, fullwidth, emoji }));
    EXPECT_LT(filelist::CompareBytes(fullwidth, emoji), 0);
    EXPECT_GT(filelist::CompareBytes(emoji, e), 0);
    EXPECT_EQ(filelist::CompareBytes("ab", "ab"), 0);
    EXPECT_LT(filelist::CompareBytes("ab", "abc"), 0);
}

TEST_F(Sorting, HeadingClicksToggleTheSameColumnAndStartAscendingOnAnother)
{
    Write("big.txt", 5000);
    Write("small.png", 10);
    Write("mid.c", 2100);
    auto view = ShownView();
    auto* details = view->findChild<QTreeView*>("fileListDetails");
    QHeaderView* header = details->header();
    auto clickHeading = [&](int column) {
        const QPoint at(
            header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    };
    clickHeading(CCipherView::SizeColumn);
    EXPECT_EQ(Names(*view), (QStringList{ "small.png", "mid.c", "big.txt" }));
    clickHeading(CCipherView::SizeColumn);
    EXPECT_EQ(Names(*view), (QStringList{ "big.txt", "mid.c", "small.png" }));
    EXPECT_FALSE(view->IsAscending());
    clickHeading(CCipherView::TypeColumn);
    EXPECT_EQ(view->SortColumn(), CCipherView::TypeColumn);
    EXPECT_TRUE(view->IsAscending());
    const QStringList types = Column(*view, CCipherView::TypeColumn);
    EXPECT_TRUE(std::is_sorted(types.begin(), types.end(),
        [](const QString& a, const QString& b) { return filelist::CompareBytes(a, b) < 0; }));
    clickHeading(CCipherView::PathColumn);
    EXPECT_EQ(Names(*view), (QStringList{ "big.txt", "mid.c", "small.png" }));
}

TEST_F(Sorting, ArrangeByTogglesEvenWhenTheColumnChanges)
{
    Write("a.txt", 3000);
    Write("b.txt", 10);
    Write("c.txt", 6000);
    auto view = ShownView();
    CFileListMenu* menu = view->ContextMenu();
    auto trigger = [&](const char* name) { menu->findChild<QAction*>(name)->trigger(); };

    trigger("arrangeBySize"); // starts ascending by name, so this turns to descending
    EXPECT_EQ(view->SortColumn(), CCipherView::SizeColumn);
    EXPECT_EQ(Names(*view), (QStringList{ "c.txt", "a.txt", "b.txt" }));
    trigger("arrangeBySize");
    EXPECT_EQ(Names(*view), (QStringList{ "b.txt", "a.txt", "c.txt" }));
    trigger("arrangeByName");
    EXPECT_EQ(Names(*view), (QStringList{ "c.txt", "b.txt", "a.txt" }));

    const std::pair<const char*, int> columns[] = {
        { "arrangeByType", CCipherView::TypeColumn },
        { "arrangeByDate", CCipherView::ModifiedColumn },
        { "arrangeByAttribute", CCipherView::AttributeColumn },
    };
    for (const auto& [action, column] : columns) {
        const bool before = view->IsAscending();
        trigger(action);
        EXPECT_EQ(view->SortColumn(), column) << action;
        EXPECT_NE(view->IsAscending(), before) << action;
    }
}

TEST_F(Sorting, SizesEqualInKilobytesKeepTheirOrder)
{
    Write("a.bin", 2000);
    Write("b.bin", 1500);
    Write("c.bin", 3000);
    Write("d.bin", 100);
    CCipherView view(&m_doc);
    view.FillList();
    view.ArrangeBy(CCipherView::SizeColumn); // descending
    EXPECT_EQ(Names(view), (QStringList{ "c.bin", "a.bin", "b.bin", "d.bin" }));
    view.ArrangeBy(CCipherView::SizeColumn);
    EXPECT_EQ(Names(view), (QStringList{ "d.bin", "a.bin", "b.bin", "c.bin" }));
}

TEST_F(Sorting, DateColumnSortsByTimeAndRefillKeepsTheLastSort)
{
    Write("new.txt", 0, QDateTime(QDate(2024, 1, 5), QTime(10, 0, 0)));
    Write("old.txt", 0, QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)));
    Write("mid.txt", 0, kMorning);
    CCipherView view(&m_doc);
    view.FillList();
    view.ArrangeBy(CCipherView::ModifiedColumn);
    view.ArrangeBy(CCipherView::ModifiedColumn);
    ASSERT_TRUE(view.IsAscending());
    EXPECT_EQ(Names(view), (QStringList{ "old.txt", "mid.txt", "new.txt" }));

    view.ArrangeBy(CCipherView::ModifiedColumn);
    Write("newest.txt", 0, QDateTime(QDate(2025, 6, 1), QTime(8, 0, 0)));
    view.FillList();
    EXPECT_EQ(view.SortColumn(), CCipherView::ModifiedColumn);
    EXPECT_EQ(Names(view), (QStringList{ "newest.txt", "new.txt", "mid.txt", "old.txt" }));
}

TEST_F(Sorting, SelectedFilesStaySelectedThroughASort)
{
    for (const char* name : { "a.txt", "b.txt", "c.txt", "d.txt" })
        Write(name);
    auto view = ShownView();
    ClickRow(*view, "a.txt");
    ClickRow(*view, "c.txt", Qt::ControlModifier);
    view->ArrangeBy(CCipherView::NameColumn);
    ASSERT_EQ(Names(*view), (QStringList{ "d.txt", "c.txt", "b.txt", "a.txt" }));
    EXPECT_EQ(SelectedNames(*view), (QStringList{ "c.txt", "a.txt" }));
    EXPECT_EQ(view->SelectedRows(), (QList<int>{ 1, 3 }));
}

TEST_F(Sorting, ChangesByOtherProgramsRefillTheListInFewStepsKeepingSortAndSelection)
{
    for (const char* name : { "a.txt", "b.txt", "c.txt", "d.txt" })
        Write(name);
    auto view = ShownView();
    view->SortByHeading(CCipherView::NameColumn); // descending
    ClickRow(*view, "b.txt");
    ClickRow(*view, "d.txt", Qt::ControlModifier);
    int refills = 0;
    QObject::connect(view->CurrentView()->model(), &QAbstractItemModel::modelReset, [&refills] { ++refills; });

    // Each change is seen on its own, as when another program writes slowly.
    for (int i = 0; i < 300; ++i) {
        Write(QStringLiteral("new%1.txt").arg(i, 3, 10, QLatin1Char('0')));
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(QFile::remove(PathOf("d.txt")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->RowCount() == 303; }, 10000));
    const auto* refill = view->findChild<QTimer*>(QStringLiteral("refillTimer"));
    ASSERT_NE(refill, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !refill->isActive(); }, 10000)); // nothing left pending
    EXPECT_LT(refills, 20); // one per change would be 301; one per two seconds of changes is expected
    EXPECT_EQ(Names(*view).front(), "new299.txt");
    EXPECT_EQ(Names(*view).back(), "a.txt");
    EXPECT_EQ(SelectedNames(*view), QStringList{ "b.txt" });
}

} // namespace
} // namespace kvntest
