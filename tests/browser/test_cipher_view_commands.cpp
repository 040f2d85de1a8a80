// What the user does with the file list: selecting, switching views, the
// context menu, and the file commands (open, delete to the trash, properties)
// against a desktop that records what it is asked.
#include "tests/browser/test_cipher_view_fixture.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QSignalSpy>
#include <QTreeView>

#include <sys/stat.h>

namespace kvntest {
namespace {

class FileListWithFour : public CipherViewTest {
protected:
    void SetUp() override
    {
        CipherViewTest::SetUp();
        for (const char* name : { "a.txt", "b.txt", "c.txt", "d.txt" })
            Write(name, 1536, QDateTime(QDate(2024, 1, 5), QTime(9, 0, 0)));
        m_view = ShownView();
    }
    void TearDown() override
    {
        m_view.reset();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "filePropertiesDialog")
                delete w;
        CipherViewTest::TearDown();
    }

    static QWidget* PropertiesWindow()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "filePropertiesDialog" && w->isVisible())
                return w;
        return nullptr;
    }
    QMap<QString, bool> Enabled()
    {
        QMap<QString, bool> enabled;
        for (QAction* action : m_view->ContextMenu()->actions())
            if (!action->isSeparator())
                enabled[action->objectName()] = action->isEnabled();
        return enabled;
    }
    void Select(std::initializer_list<const char*> names)
    {
        bool first = true;
        for (const char* name : names) {
            ClickRow(*m_view, name, first ? Qt::NoModifier : Qt::ControlModifier);
            first = false;
        }
    }

    std::unique_ptr<CCipherView> m_view;
};

using SelectionCommands = FileListWithFour;

TEST_F(SelectionCommands, InvertSelectsAllWhenNothingIsSelectedAndNoneWhenAllAre)
{
    m_view->InvertSelection();
    EXPECT_EQ(m_view->GetSelectedCount(), 4);
    m_view->InvertSelection();
    EXPECT_EQ(m_view->GetSelectedCount(), 0);
    Select({ "a.txt", "c.txt" });
    m_view->InvertSelection();
    EXPECT_EQ(SelectedNames(*m_view), (QStringList{ "b.txt", "d.txt" }));
}

TEST_F(SelectionCommands, SelectAllSelectsEveryRowAndTakesTheFocus)
{
    Select({ "b.txt" });
    m_view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_view.get()));
    m_view->findChild<QMenu*>("fileListMenu")->findChild<QAction*>("selectAll")->trigger();
    EXPECT_EQ(m_view->SelectedRows(), (QList<int>{ 0, 1, 2, 3 }));
    EXPECT_EQ(QApplication::focusWidget(), m_view->CurrentView());
    m_view->findChild<QMenu*>("fileListMenu")->findChild<QAction*>("invertSelection")->trigger();
    EXPECT_EQ(m_view->GetSelectedCount(), 0);
}

TEST_F(SelectionCommands, SwitchingViewsKeepsTheSelection)
{
    Select({ "b.txt", "d.txt" });
    auto* icons = m_view->findChild<QListView*>("fileListIcons");
    ASSERT_NE(icons, nullptr);
    const std::pair<CCipherView::ViewMode, QListView::ViewMode> modes[] = {
        { CCipherView::ViewMode::LargeIcons, QListView::IconMode },
        { CCipherView::ViewMode::SmallIcons, QListView::ListMode },
        { CCipherView::ViewMode::List, QListView::ListMode },
    };
    for (const auto& [mode, listMode] : modes) {
        m_view->SetViewMode(mode);
        EXPECT_EQ(m_view->GetViewMode(), mode);
        EXPECT_EQ(m_view->CurrentView(), icons);
        EXPECT_TRUE(icons->isVisible());
        EXPECT_EQ(icons->viewMode(), listMode);
        EXPECT_EQ(SelectedNames(*m_view), (QStringList{ "b.txt", "d.txt" }));
    }
    EXPECT_EQ(icons->flow(), QListView::TopToBottom);

    ClickRow(*m_view, "a.txt", Qt::ControlModifier);
    m_view->SetViewMode(CCipherView::ViewMode::Details);
    auto* details = m_view->findChild<QTreeView*>("fileListDetails");
    EXPECT_EQ(m_view->CurrentView(), details);
    EXPECT_EQ(SelectedNames(*m_view), (QStringList{ "a.txt", "b.txt", "d.txt" }));
    EXPECT_EQ(details->selectionModel()->selectedRows().size(), 3); // whole rows, as the details show them
}

// The Encrypt and Decrypt commands carry the path whole, however long.
TEST_F(CipherViewTest, SelectionGivesWholePathsInRowOrder)
{
    QString deep = Folder();
    for (int i = 0; i < 5; ++i) {
        deep += QLatin1Char('/') + QString(200, QLatin1Char('a' + i));
        ASSERT_TRUE(QDir().mkpath(deep));
    }
    m_doc.m_strFolder = deep;
    for (const char* name : { "1.txt", "2.txt", "3.txt" }) {
        QFile file(deep + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    auto view = ShownView();
    ClickRow(*view, "3.txt");
    ClickRow(*view, "1.txt", Qt::ControlModifier);
    ASSERT_EQ(view->GetSelectedCount(), 2);
    EXPECT_EQ(view->SelectedRows(), (QList<int>{ 0, 2 }));
    EXPECT_EQ(view->ItemText(0, CCipherView::PathColumn), deep + "/1.txt");
    EXPECT_GT(view->ItemText(2, CCipherView::PathColumn).size(), 999);
    EXPECT_EQ(view->ItemText(2, CCipherView::NameColumn), "3.txt");
}

using ContextMenu = FileListWithFour;

TEST_F(ContextMenu, EntriesInTheirOrder)
{
    QStringList texts;
    for (QAction* action : m_view->ContextMenu()->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(texts,
        (QStringList{ "&Encrypt File\t     F5", "&Decrypt File\t     F8", "-", "&Refresh Filelist", "-",
            "Arrange by Name", "Arrange by Type", "Arrange by Size", "Arrange by Date", "Arrange by Attribute", "-",
            "&Select All", "&Invert Selection", "-", "Delet&e File", "-", "&Properties" }));
    QMenu* menu = m_view->ContextMenu();
    EXPECT_EQ(menu->findChild<QAction*>("arrangeBySize")->statusTip(), "Arrange by Size.");
    EXPECT_EQ(menu->findChild<QAction*>("invertSelection")->statusTip(),
        "Reverses which items are selected and which are not.");
}

TEST_F(ContextMenu, EnablingFollowsTheSelection)
{
    const QStringList needSelection{ "encryptFile", "decryptFile", "deleteFile", "properties" };
    QMap<QString, bool> none = Enabled();
    for (auto it = none.cbegin(); it != none.cend(); ++it)
        EXPECT_EQ(it.value(), !needSelection.contains(it.key())) << it.key().toStdString();

    Select({ "c.txt" });
    for (bool enabled : Enabled())
        EXPECT_TRUE(enabled);

    Select({ "a.txt", "c.txt" });
    QMap<QString, bool> two = Enabled();
    for (auto it = two.cbegin(); it != two.cend(); ++it)
        EXPECT_EQ(it.value(), it.key() != "properties") << it.key().toStdString();
}

TEST_F(ContextMenu, RightClickSelectsTheRowUnderThePointerAndShowsTheMenu)
{
    QAbstractItemView* items = m_view->CurrentView();
    const QPoint onB = items->visualRect(items->model()->index(RowOf(*m_view, "b.txt"), 0)).center();
    QTest::mouseClick(items->viewport(), Qt::RightButton, {}, onB);
    QContextMenuEvent event(QContextMenuEvent::Mouse, onB, items->viewport()->mapToGlobal(onB));
    QApplication::sendEvent(items->viewport(), &event);

    auto* menu = m_view->findChild<QMenu*>("fileListMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(SelectedNames(*m_view), QStringList{ "b.txt" });
    EXPECT_TRUE(menu->findChild<QAction*>("properties")->isEnabled());
    menu->hide();
}

TEST_F(ContextMenu, EntriesReachTheirCommands)
{
    QSignalSpy encrypt(m_view.get(), &CCipherView::encryptRequested);
    QSignalSpy decrypt(m_view.get(), &CCipherView::decryptRequested);
    Select({ "a.txt" });
    QMenu* menu = m_view->ContextMenu();
    menu->findChild<QAction*>("encryptFile")->trigger();
    EXPECT_EQ(encrypt.count(), 1);
    EXPECT_EQ(decrypt.count(), 0);
    menu->findChild<QAction*>("decryptFile")->trigger();
    EXPECT_EQ(decrypt.count(), 1);

    Write("e.txt");
    menu->findChild<QAction*>("refreshFilelist")->trigger();
    EXPECT_EQ(m_view->RowCount(), 5);
}

using FileCommands = FileListWithFour;

TEST_F(FileCommands, OpenTakesTheFirstSelectedFileAndNothingWithoutOne)
{
    m_view->OpenSelected();
    EXPECT_TRUE(m_shell->m_opened.isEmpty());
    Select({ "d.txt", "b.txt" });
    m_view->OpenSelected();
    EXPECT_EQ(m_shell->m_opened, QList<QUrl>{ QUrl::fromLocalFile(PathOf("b.txt")) });

    QAbstractItemView* items = m_view->CurrentView();
    const QPoint onC = items->visualRect(items->model()->index(RowOf(*m_view, "c.txt"), 0)).center();
    // As a real double click arrives: the second press comes before the double click.
    QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, onC);
    QTest::mousePress(items->viewport(), Qt::LeftButton, {}, onC);
    QTest::mouseDClick(items->viewport(), Qt::LeftButton, {}, onC);
    QTest::mouseRelease(items->viewport(), Qt::LeftButton, {}, onC);
    ASSERT_EQ(m_shell->m_opened.size(), 2);
    EXPECT_EQ(m_shell->m_opened[1], QUrl::fromLocalFile(PathOf("c.txt")));
    EXPECT_TRUE(m_messages.isEmpty());

    m_shell->m_openWorks = false;
    m_view->OpenSelected();
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].text.contains(PathOf("c.txt")));
}

TEST_F(FileCommands, DeleteMovesTheSelectionToTheTrashAfterOneQuestion)
{
    Select({ "a.txt", "b.txt", "d.txt" });
    m_view->ContextMenu()->findChild<QAction*>("deleteFile")->trigger();
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].caption, "Delete File");
    EXPECT_EQ(m_messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(m_messages[0].text.contains("3 files"));
    EXPECT_EQ(m_shell->m_trashed, (QStringList{ PathOf("a.txt"), PathOf("b.txt"), PathOf("d.txt") }));
    EXPECT_EQ(Names(*m_view), QStringList{ "c.txt" });
}

TEST_F(FileCommands, DeclinedDeleteChangesNothing)
{
    Select({ "c.txt" });
    m_answer = QMessageBox::No;
    m_view->DeleteSelected();
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].text.contains("\"c.txt\""));
    EXPECT_TRUE(m_shell->m_trashed.isEmpty());
    EXPECT_EQ(m_view->RowCount(), 4);
    EXPECT_EQ(SelectedNames(*m_view), QStringList{ "c.txt" });
}

TEST_F(FileCommands, FilesThatStayAreReportedAndTheRestLeaveTheList)
{
    m_shell->m_refuse = { PathOf("b.txt") };
    Select({ "a.txt", "b.txt" });
    m_view->DeleteSelected();
    ASSERT_EQ(m_messages.size(), 2);
    EXPECT_EQ(m_messages[1].caption, "Delete File");
    EXPECT_EQ(m_messages[1].icon, QMessageBox::Warning);
    EXPECT_TRUE(m_messages[1].text.contains(PathOf("b.txt") + ": Permission denied"));
    EXPECT_FALSE(m_messages[1].text.contains(PathOf("a.txt")));
    EXPECT_EQ(Names(*m_view), (QStringList{ "b.txt", "c.txt", "d.txt" }));
}

TEST_F(FileCommands, WhenNothingCouldBeMovedTheListStaysAsItWas)
{
    m_shell->m_refuse = { PathOf("a.txt"), PathOf("c.txt") };
    Select({ "a.txt", "c.txt" });
    m_view->DeleteSelected();
    EXPECT_EQ(m_messages.size(), 2);
    EXPECT_EQ(m_view->RowCount(), 4);
    EXPECT_EQ(SelectedNames(*m_view), (QStringList{ "a.txt", "c.txt" }));
}

TEST_F(FileCommands, PropertiesFallBackToTheProgramsOwnWindow)
{
    ASSERT_EQ(::chmod(qPrintable(PathOf("b.txt")), 0640), 0);
    Select({ "b.txt" });
    m_view->ShowSelectedProperties();
    QWidget* window = PropertiesWindow();
    ASSERT_NE(window, nullptr);
    auto text = [&](const char* name) { return window->findChild<QLabel*>(name)->text(); };
    EXPECT_EQ(text("propertyName"), "b.txt");
    EXPECT_EQ(text("propertyFolder"), Folder());
    EXPECT_EQ(text("propertySize"), QLocale().toString(qint64(1536)) + " bytes");
    EXPECT_EQ(text("propertyType"), m_view->ItemText(RowOf(*m_view, "b.txt"), CCipherView::TypeColumn));
    EXPECT_EQ(text("propertyModified"), "2024-01-05 09:00:00");
    EXPECT_EQ(text("propertyPermissions"), "rw-r-----");
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(FileCommands, PropertiesNeedExactlyOneFileThatStillExists)
{
    m_shell->m_fileManagerAnswers = true;
    Select({ "a.txt", "b.txt" });
    m_view->ShowSelectedProperties();
    EXPECT_TRUE(m_shell->m_properties.isEmpty());
    Select({ "b.txt" });
    m_view->ContextMenu()->findChild<QAction*>("properties")->trigger();
    EXPECT_EQ(m_shell->m_properties, QStringList{ PathOf("b.txt") });
    EXPECT_EQ(PropertiesWindow(), nullptr); // the file manager's window instead of ours

    m_shell->m_fileManagerAnswers = false;
    Select({ "a.txt" });
    ASSERT_TRUE(QFile::remove(PathOf("a.txt")));
    m_view->ShowSelectedProperties();
    EXPECT_EQ(PropertiesWindow(), nullptr);
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].text.contains(PathOf("a.txt")));
}

TEST_F(CipherViewTest, FullRowSelectionFollowsTheSelectSetting)
{
    SetOption("Select", "1");
    auto view = ShownView(); // read at first display
    EXPECT_TRUE(view->IsFullRowSelect());
    const std::pair<const char*, bool> cases[] = { { "", false }, { "0", false }, { "2", true }, { "00", true } };
    for (const auto& [value, on] : cases) {
        SetOption("Select", value);
        view->ApplySelectOption();
        EXPECT_EQ(view->IsFullRowSelect(), on) << value;
    }
}

} // namespace
} // namespace kvntest
