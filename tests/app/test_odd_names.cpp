// Names that are not UTF-8 (here Latin-1 "caf\xe9"): the tree shows such a
// folder, the list shows such a file with a path that names it, and it is
// encrypted, decrypted, opened, shown and trashed as the bytes it is.
#include "browser/file_properties_dlg.h"
#include "browser/left_view.h"
#include "shell/local_path.h"
#include "tests/app/gui_rig.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

namespace {

const std::string kFolder = "caf\xe9";
const std::string kFile = "caf\xe9.txt";

} // namespace

TEST(OddNames, PathsCarryTheBytesBothWays)
{
    for (const std::string& bytes : { std::string("/tmp/caf\xe9.txt"), std::string("/x/\xc3\xa9\xff\xc3"),
             std::string("/a/\xed\xa0\x80/\xf0\x9f\x98\x80"), std::string("\xc0\xaf\xe2\x82\xac") })
        EXPECT_EQ(localpath::ToStd(localpath::FromStd(bytes)), bytes);
    // Valid UTF-8 reads as itself.
    const std::string utf8 = "/x/\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80.txt";
    EXPECT_EQ(localpath::FromStd(utf8), QString::fromUtf8(utf8.c_str()));
    EXPECT_EQ(localpath::Display(localpath::FromStd(kFile)), QString::fromUtf8("caf\xef\xbf\xbd.txt"));
    EXPECT_EQ(localpath::Url(localpath::FromStd("/t/" + kFile)).toEncoded(), QByteArray("file:///t/caf%E9.txt"));
}

TEST(OddNames, TreeListBatchOpenPropertiesAndTrash)
{
    kvntest::GuiRig rig;
    kvntest::TempDir work;
    const std::string folder = work.file(kFolder);
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const Bytes plain = kvntest::random_bytes(5000, 7);
    kvntest::write_file(folder + "/" + kFile, plain);

    CCipherDoc doc;
    CMainFrame frame(&doc);
    frame.show();
    // The tree shows the folder; selecting it lists the file.
    CLeftView own(&doc, [&] { return QList<CFolderPlace>{ { "work", QString::fromStdString(work.path()), {}, {} } }; });
    own.SetListView([&] { frame.GetFileList()->FillList(); });
    own.InitialUpdate();
    const QModelIndex top = own.model()->index(0, 0);
    ASSERT_EQ(own.model()->rowCount(top), 1);
    const QModelIndex item = own.model()->index(0, 0, top);
    EXPECT_EQ(item.data().toString(), QString::fromUtf8("caf\xef\xbf\xbd"));
    own.setCurrentIndex(item);
    EXPECT_EQ(localpath::ToStd(doc.m_strFolder), folder);

    CCipherView* list = frame.GetFileList();
    ASSERT_EQ(list->RowCount(), 1);
    EXPECT_EQ(localpath::ToStd(list->ItemText(0, CCipherView::PathColumn)), folder + "/" + kFile);
    auto* view = list->CurrentView();
    EXPECT_EQ(view->model()->index(0, 0).data().toString(), QString::fromUtf8("caf\xef\xbf\xbd.txt"));

    // Encrypted, replacing it; the result is what is selected afterwards.
    CSettingsStore::Instance().WriteString("EncryptOption", "replace", "1");
    CSettingsStore::Instance().WriteString("EncryptOption", "add", "1");
    CSettingsStore::Instance().WriteString("DecryptOption", "replace", "1");
    frame.KeyBar()->KeyBox()->setText("k3y");
    frame.KeyBar()->ConfirmBox()->setText("k3y");
    view->selectAll();
    {
        kvntest::BatchDriver run;
        frame.OnEncrypt();
        EXPECT_EQ(run.listed, QStringList{ QString::fromUtf8("caf\xef\xbf\xbd.txt") });
    }
    EXPECT_EQ(kvntest::list_dir(folder), Names{ kFile + ".kvn" });
    ASSERT_EQ(list->SelectedRows(), QList<int>{ 0 });
    EXPECT_EQ(rig.messages.back().text.left(24), "Congratulation! Encrypti");
    {
        kvntest::BatchDriver run;
        frame.OnDecrypt();
    }
    EXPECT_EQ(kvntest::list_dir(folder), Names{ kFile });
    EXPECT_EQ(kvntest::read_file(folder + "/" + kFile), plain);

    // Opened by an address that names the bytes; our own properties window.
    list->FillList();
    view->selectAll();
    list->OpenSelected();
    ASSERT_EQ(rig.opened.size(), 1u);
    EXPECT_TRUE(rig.opened[0].toEncoded().endsWith("/caf%E9/caf%E9.txt"));
    CFilePropertiesDlg* props = CFilePropertiesDlg::ShowFor(list->ItemText(0, CCipherView::PathColumn), nullptr);
    ASSERT_NE(props, nullptr);
    EXPECT_EQ(props->findChild<QLabel*>("propertySize")->text(), QLocale().toString(5000) + " bytes");
    delete props;

    // Into the trash, under its own name.
    const std::string data = work.file("share");
    qputenv("XDG_DATA_HOME", data.c_str());
    CMessageService::SetHandler([](const MessageRequest&) { return QMessageBox::Yes; });
    list->DeleteSelected();
    EXPECT_EQ(kvntest::list_dir(folder), Names{});
    EXPECT_EQ(kvntest::read_file(data + "/Trash/files/" + kFile), plain);
    EXPECT_TRUE(kvntest::exists(data + "/Trash/info/" + kFile + ".trashinfo"));
    qunsetenv("XDG_DATA_HOME");
}
