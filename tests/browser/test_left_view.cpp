// The folder tree over temporary folders: when folders are read, what is
// shown in which order, what a selection tells the document and the file
// list, and where a right click offers a folder's menu.
#include "browser/folder_place.h"
#include "browser/left_view.h"
#include "shell/cipher_doc.h"
#include "shell/message_service.h"
#include "shell/shell_service.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct ShellLog {
    QStringList calls;
    bool answer = true;
};

class RecordingShell : public CShellService {
public:
    explicit RecordingShell(ShellLog* log)
        : m_log(log)
    {
    }
    bool OpenUrl(const QUrl& url) override { return Record("open " + url.toLocalFile()); }
    bool ShowProperties(const QString& path) override { return Record("properties " + path); }
    bool ShowFolder(const QString& folder) override { return Record("folder " + folder); }

private:
    bool Record(const QString& call)
    {
        m_log->calls << call;
        return m_log->answer;
    }
    ShellLog* m_log;
};

class LeftViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CMessageService::SetHandler([this](const MessageRequest& r) {
            m_messages << r.text;
            return QMessageBox::Ok;
        });
        CShellService::SetInstance(std::make_unique<RecordingShell>(&m_shell));
        m_places = { { "Root", m_root, CFolderPlace::Kind::Folder, {} } };
    }
    void TearDown() override
    {
        CShellService::SetInstance(nullptr);
        CMessageService::SetHandler({});
    }

    QString PathOf(const QString& relative) const { return m_root + '/' + relative; }
    void MakeFolders(const QStringList& relatives) const
    {
        for (const QString& relative : relatives)
            ASSERT_TRUE(QDir().mkpath(PathOf(relative)));
    }

    // A shown tree whose top level is whatever m_places holds at each rebuild.
    std::unique_ptr<CLeftView> MakeView()
    {
        auto view = std::make_unique<CLeftView>(&m_doc, [this] { return m_places; });
        view->SetListView([this] { m_fills << m_doc.m_strFolder; });
        view->resize(320, 400);
        view->show();
        view->InitialUpdate();
        return view;
    }

    static QStringList Names(const CLeftView& view, const QModelIndex& parent)
    {
        QStringList names;
        for (int row = 0; row < view.model()->rowCount(parent); ++row)
            names << view.model()->index(row, 0, parent).data().toString();
        return names;
    }
    static QModelIndex Find(const CLeftView& view, const QModelIndex& parent, const QString& name)
    {
        const int row = int(Names(view, parent).indexOf(name));
        EXPECT_GE(row, 0) << "no item " << name.toStdString();
        return view.model()->index(row, 0, parent);
    }
    static QModelIndex Top(const CLeftView& view, int row = 0) { return view.model()->index(row, 0); }

    // Points inside the item's icon and inside its label.
    static QPoint IconPoint(const CLeftView& view, const QModelIndex& index)
    {
        return { view.visualRect(index).left() + 8, view.visualRect(index).center().y() };
    }
    static QPoint LabelPoint(const CLeftView& view, const QModelIndex& index)
    {
        const int textLeft = view.visualRect(index).left() + view.style()->pixelMetric(QStyle::PM_SmallIconSize) + 6;
        return { textLeft + view.fontMetrics().horizontalAdvance(index.data().toString()) / 2,
            view.visualRect(index).center().y() };
    }

    // Right-clicks as the platform does (press, then the context-menu event)
    // and answers the texts of the menu that opened, closing it unchosen.
    static QStringList RightClick(CLeftView& view, const QPoint& pos)
    {
        QWidget* viewport = view.viewport();
        QTest::mousePress(viewport, Qt::RightButton, {}, pos);
        QStringList shown{ "(no menu)" };
        QMetaObject::invokeMethod(
            qApp,
            [&shown] {
                if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    shown.clear();
                    for (const QAction* action : menu->actions())
                        shown << action->text();
                    menu->close();
                }
            },
            Qt::QueuedConnection);
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
        QApplication::sendEvent(viewport, &event);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, pos);
        QCoreApplication::processEvents(); // runs the check above when no menu opened
        return shown;
    }

    static void Trigger(CLeftView& view, const QModelIndex& index, const char* action)
    {
        const std::unique_ptr<QMenu> menu = view.CreateFolderMenu(index);
        ASSERT_TRUE(menu);
        auto* item = menu->findChild<QAction*>(action);
        ASSERT_TRUE(item) << action;
        item->trigger();
    }

    kvntest::TempDir m_dir;
    const QString m_root = QString::fromStdString(m_dir.path());
    QList<CFolderPlace> m_places;
    CCipherDoc m_doc;
    QStringList m_fills; // the document's folder at each refill of the list
    QStringList m_messages;
    ShellLog m_shell;
};

const QStringList kMenuTexts{ "&Open", "Open in File &Manager", "", "&Encrypt Files in Folder...",
    "&Decrypt Files in Folder...", "", "&Copy Path", "", "&Properties" };

TEST_F(LeftViewTest, ReadsAFolderOnFirstExpansionOrSelectionAndNotAgainUntilRefreshAll)
{
    MakeFolders({ "alpha/x", "beta" });
    auto view = MakeView();
    const QModelIndex top = Top(*view);
    EXPECT_EQ(Names(*view, top), QStringList({ "alpha", "beta" }));
    QModelIndex alpha = Find(*view, top, "alpha");
    EXPECT_TRUE(view->model()->hasChildren(alpha));
    EXPECT_FALSE(view->model()->hasChildren(Find(*view, top, "beta")));

    MakeFolders({ "alpha/y", "gamma" }); // alpha not read yet: y shows on expansion
    view->expand(alpha);
    EXPECT_EQ(Names(*view, alpha), QStringList({ "x", "y" }));

    MakeFolders({ "alpha/z" });
    view->collapse(alpha);
    view->expand(alpha);
    EXPECT_EQ(Names(*view, alpha), QStringList({ "x", "y" }));
    EXPECT_EQ(Names(*view, top), QStringList({ "alpha", "beta" }));

    view->RefreshAll();
    EXPECT_EQ(Names(*view, Top(*view)), QStringList({ "alpha", "beta", "gamma" }));
    alpha = Find(*view, Top(*view), "alpha");
    EXPECT_EQ(view->model()->rowCount(alpha), 0);
    // Selecting reads it too, once: the expansion after it adds nothing.
    view->setCurrentIndex(alpha);
    EXPECT_FALSE(view->isExpanded(alpha));
    EXPECT_EQ(Names(*view, alpha), QStringList({ "x", "y", "z" }));
    MakeFolders({ "alpha/w" });
    view->expand(alpha);
    EXPECT_EQ(Names(*view, alpha), QStringList({ "x", "y", "z" }));
}

TEST_F(LeftViewTest, ShowsVisibleFoldersOnlyInTheDesktopsNameOrder)
{
    MakeFolders({ "a10", "a2", "B", "a1/.git", "c", "A3", ".hidden/inner" });
    QFile(PathOf("file.txt")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(PathOf("a2"), PathOf("linked")));
    ASSERT_TRUE(QFile::link(PathOf("nowhere"), PathOf("dangling")));
    auto view = MakeView();
    EXPECT_EQ(Names(*view, Top(*view)), QStringList({ "a1", "a2", "A3", "a10", "B", "c", "linked" }));
    // Its only subfolder is hidden, so it offers nothing to expand.
    EXPECT_FALSE(view->model()->hasChildren(Find(*view, Top(*view), "a1")));
}

TEST_F(LeftViewTest, StartsOnTheFirstTopItemAndEverySelectedFolderBecomesTheListsFolder)
{
    MakeFolders({ "alpha/x", "beta" });
    m_places.append({ "Second", PathOf("beta"), CFolderPlace::Kind::Folder, {} });
    auto view = MakeView();
    const QModelIndex top = Top(*view);
    EXPECT_TRUE(view->isExpanded(top));
    EXPECT_TRUE(view->selectionModel()->isSelected(top));
    EXPECT_FALSE(view->isExpanded(Top(*view, 1)));
    EXPECT_EQ(m_doc.m_strFolder, m_root);
    EXPECT_EQ(m_fills, QStringList({ m_root }));

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, LabelPoint(*view, Find(*view, top, "alpha")));
    EXPECT_EQ(m_doc.m_strFolder, PathOf("alpha"));
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(m_fills, QStringList({ m_root, PathOf("alpha"), PathOf("beta") }));
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(LeftViewTest, RefreshAllRereadsButStaysInTheShownFolderUntilItIsGone)
{
    MakeFolders({ "alpha" });
    auto view = MakeView();
    view->setCurrentIndex(Find(*view, Top(*view), "alpha"));
    MakeFolders({ "beta" });
    view->RefreshAll();
    EXPECT_EQ(Names(*view, Top(*view)), QStringList({ "alpha", "beta" }));
    EXPECT_EQ(view->currentIndex(), Find(*view, Top(*view), "alpha"));
    EXPECT_EQ(m_fills, QStringList({ m_root, PathOf("alpha"), PathOf("alpha") }));

    ASSERT_TRUE(QDir(PathOf("alpha")).removeRecursively());
    view->RefreshAll();
    EXPECT_EQ(view->currentIndex(), Top(*view));
    EXPECT_EQ(m_fills.last(), m_root);
}

TEST_F(LeftViewTest, OpensAtAGivenFolderBelowTheClosestTopItemOrAtTheFirstWhenGone)
{
    MakeFolders({ "alpha/x/deep", ".hidden/inside" });
    m_places.append({ "Alpha", PathOf("alpha"), CFolderPlace::Kind::Folder, {} });
    auto view = MakeView();
    QSignalSpy shown(view.get(), &CLeftView::folderShown);

    view->InitialUpdate(PathOf("alpha/x/deep/"));
    const QModelIndex deep = view->currentIndex();
    EXPECT_EQ(deep.data().toString(), "deep");
    EXPECT_EQ(deep.parent().parent(), Top(*view, 1)); // under "Alpha", not under "Root"
    EXPECT_TRUE(view->isExpanded(deep.parent()));
    EXPECT_EQ(m_fills.last(), PathOf("alpha/x/deep"));
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.front().front().toString(), PathOf("alpha/x/deep"));

    // Below a hidden folder the tree stops at the nearest item it lists,
    // while the list shows the folder itself.
    EXPECT_TRUE(view->ShowFolder(PathOf(".hidden/inside")));
    EXPECT_EQ(view->currentIndex(), Top(*view));
    EXPECT_EQ(m_doc.m_strFolder, PathOf(".hidden/inside"));

    EXPECT_FALSE(view->ShowFolder(QDir::rootPath()));
    view->InitialUpdate(PathOf("gone"));
    EXPECT_EQ(view->currentIndex(), Top(*view));
    EXPECT_EQ(m_fills.last(), m_root);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(LeftViewTest, AVirtualItemLeavesTheDocumentAndTheListAsTheyWere)
{
    MakeFolders({ "alpha" });
    m_places.prepend(
        { "Computer", {}, CFolderPlace::Kind::Computer, { { "Disk", m_root, CFolderPlace::Kind::Drive, {} } } });
    auto view = MakeView();
    const QModelIndex computer = Top(*view);
    EXPECT_TRUE(view->selectionModel()->isSelected(computer));
    EXPECT_EQ(Names(*view, computer), QStringList({ "Disk" }));
    EXPECT_TRUE(m_doc.m_strFolder.isEmpty());
    EXPECT_TRUE(m_fills.isEmpty());

    view->setCurrentIndex(Find(*view, computer, "Disk"));
    view->setCurrentIndex(computer);
    EXPECT_EQ(m_doc.m_strFolder, m_root);
    EXPECT_EQ(m_fills, QStringList({ m_root }));
    EXPECT_FALSE(view->CreateFolderMenu(computer));
    EXPECT_EQ(RightClick(*view, LabelPoint(*view, computer)), QStringList({ "(no menu)" }));

    // The first item is virtual again, so Refresh All refills from the old folder.
    view->RefreshAll();
    EXPECT_EQ(m_fills, QStringList({ m_root, m_root }));
}

TEST_F(LeftViewTest, AFolderThatVanishedHasNoChildrenAndIsNotReported)
{
    MakeFolders({ "alpha", "gone/inner" });
    auto view = MakeView();
    const QModelIndex gone = Find(*view, Top(*view), "gone");
    ASSERT_TRUE(view->model()->hasChildren(gone));
    ASSERT_TRUE(QDir(PathOf("gone")).removeRecursively());

    view->expand(gone);
    EXPECT_EQ(view->model()->rowCount(gone), 0);
    EXPECT_FALSE(view->model()->hasChildren(gone));
    view->setCurrentIndex(gone);
    EXPECT_EQ(m_doc.m_strFolder, m_root);
    EXPECT_EQ(m_fills, QStringList({ m_root }));
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(LeftViewTest, RightClickSelectsTheRowButOpensTheMenuOnlyOverIconOrLabel)
{
    MakeFolders({ "alpha", "beta" });
    auto view = MakeView();
    const QModelIndex alpha = Find(*view, Top(*view), "alpha");
    const QModelIndex beta = Find(*view, Top(*view), "beta");

    EXPECT_EQ(RightClick(*view, LabelPoint(*view, beta)), kMenuTexts);
    EXPECT_EQ(view->currentIndex(), beta);
    EXPECT_EQ(m_doc.m_strFolder, PathOf("beta"));
    EXPECT_EQ(RightClick(*view, IconPoint(*view, alpha)), kMenuTexts);
    EXPECT_EQ(view->currentIndex(), alpha);

    const QPoint besideTheLabel(view->viewport()->width() - 3, view->visualRect(beta).center().y());
    EXPECT_EQ(RightClick(*view, besideTheLabel), QStringList({ "(no menu)" }));
    EXPECT_EQ(view->currentIndex(), beta);
    EXPECT_EQ(RightClick(*view, QPoint(2, view->visualRect(alpha).center().y())), QStringList({ "(no menu)" }));
    EXPECT_EQ(view->currentIndex(), alpha);

    const QPoint belowTheLast(LabelPoint(*view, beta).x(), view->visualRect(beta).bottom() + 20);
    EXPECT_EQ(RightClick(*view, belowTheLast), QStringList({ "(no menu)" }));
    EXPECT_EQ(view->currentIndex(), alpha);
    EXPECT_TRUE(m_shell.calls.isEmpty()); // dismissing a menu runs nothing
}

TEST_F(LeftViewTest, TheMenuHandsTheFolderToTheDesktopOrCopiesItsPath)
{
    MakeFolders({ "alpha" });
    auto view = MakeView();
    const QModelIndex alpha = Find(*view, Top(*view), "alpha");
    Trigger(*view, alpha, "openFolder");
    Trigger(*view, alpha, "openInFileManager");
    Trigger(*view, alpha, "folderProperties");
    EXPECT_EQ(m_shell.calls,
        QStringList({ "open " + PathOf("alpha"), "folder " + PathOf("alpha"), "properties " + PathOf("alpha") }));
    Trigger(*view, alpha, "copyFolderPath");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), PathOf("alpha"));
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(LeftViewTest, WithoutAFileManagerThePropertiesAreOurOwnAndFailuresAreReported)
{
    MakeFolders({ "alpha/x", "gone" });
    QFile(PathOf("alpha/f")).open(QIODevice::WriteOnly);
    auto view = MakeView();
    m_shell.answer = false;

    Trigger(*view, Find(*view, Top(*view), "alpha"), "folderProperties");
    auto* dlg = view->findChild<QDialog*>("folderPropertiesDialog");
    ASSERT_TRUE(dlg);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->findChild<QLabel*>("name")->text(), "alpha");
    EXPECT_EQ(dlg->findChild<QLabel*>("contains")->text(), "1 Folders, 1 Files");
    delete dlg;

    Trigger(*view, Find(*view, Top(*view), "alpha"), "openFolder");
    EXPECT_EQ(m_messages, QStringList({ '"' + PathOf("alpha") + "\" could not be opened." }));

    m_messages.clear();
    m_shell.calls.clear();
    ASSERT_TRUE(QDir(PathOf("gone")).removeRecursively());
    for (const char* action : { "openFolder", "openInFileManager", "folderProperties" })
        Trigger(*view, Find(*view, Top(*view), "gone"), action);
    EXPECT_EQ(m_messages, QStringList(3, '"' + PathOf("gone") + "\" no longer exists."));
    EXPECT_TRUE(m_shell.calls.isEmpty());
}

TEST(DesktopPlaces, StartWithHomeAndListTheVolumesUnderAVirtualComputer)
{
    const QList<CFolderPlace> places = DesktopPlaces();
    ASSERT_FALSE(places.isEmpty());
    EXPECT_EQ(places.first().path, QDir::homePath());
    const auto computer
        = std::find_if(places.begin(), places.end(), [](const CFolderPlace& p) { return p.IsVirtual(); });
    ASSERT_NE(computer, places.end());
    EXPECT_EQ(computer->name, "Computer");
    ASSERT_FALSE(computer->children.isEmpty());
    EXPECT_EQ(computer->children.first().path, "/");
}

TEST(DesktopPlaces, ShowOnlyTheVolumesADesktopShowsItsUser)
{
    const QString home = "/home/ann";
    for (const char* shown : { "/media/ann/stick", "/run/media/ann/disk", "/home/ann/mnt/share" })
        EXPECT_TRUE(IsUserVolume(shown, home)) << shown;
    for (const char* hidden :
        { "/", "/boot", "/mnt/data", "/media", "/home/ann", "/home/ann/.cache/fuse", "/home/annex" })
        EXPECT_FALSE(IsUserVolume(hidden, home)) << hidden;
}

} // namespace
