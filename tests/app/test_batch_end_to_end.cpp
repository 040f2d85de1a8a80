// Encrypt and decrypt from the window, end to end: files on disk selected in
// the list, the key typed twice, F5 or F8, the batch window started and
// closed, and the files checked byte for byte.
#include "tests/app/gui_rig.h"
#include "tests/support/engine_recorders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using Bytes = std::vector<unsigned char>;
using kvntest::BatchDriver;
using Window = kvntest::MainWindow;

TEST(BatchWindow, EncryptThenDecryptEveryFileByteForByte)
{
    Window w;
    const Bytes a = kvntest::random_bytes(70000, 1), b = kvntest::random_bytes(15, 2);
    kvntest::write_file(w.work.file("c.txt"), a);
    kvntest::write_file(w.work.file("b.txt"), b);
    CSettingsStore::Instance().WriteString("EncryptOption", "replace", "0");
    CSettingsStore::Instance().WriteString("Arith", "value", "5");
    w.type_key("k3y!", "k3y!");
    w.select({ "c.txt", "b.txt" });
    {
        BatchDriver run;
        w.press(Qt::Key_F5);
        EXPECT_EQ(run.status, "Completed");
        EXPECT_EQ(run.count, "2/2 file(s)");
        EXPECT_EQ(run.bar, 100);
        EXPECT_EQ(run.listed.value(0), "b.txt"); // sorted, not in batch order
    }
    // Afterwards the list shows the new files, and they are what is selected.
    CCipherView* list = w.frame.GetFileList();
    ASSERT_EQ(list->GetSelectedCount(), 2);
    for (int row : list->SelectedRows())
        EXPECT_TRUE(list->ItemText(row, CCipherView::NameColumn).endsWith(".kvn"));
    ASSERT_FALSE(w.rig.messages.empty());
    EXPECT_TRUE(w.rig.messages.back().text.startsWith("Congratulation! Encryption has completed!"));
    // The files on disk are what the engine itself makes of them.
    kvntest::EngineRig check("5", "k3y!", 0);
    ASSERT_EQ(check.decrypt(w.work.file("c.txt.kvn"), w.work.file("c.check")), IDEA_DONE);
    EXPECT_EQ(kvntest::read_file(w.work.file("c.check")), a);
    std::remove(w.work.file("c.check").c_str());
    std::remove(w.work.file("c.txt").c_str());
    std::remove(w.work.file("b.txt").c_str());

    w.select({ "c.txt.kvn", "b.txt.kvn" });
    {
        BatchDriver run;
        w.press(Qt::Key_F8);
        EXPECT_EQ(run.status, "Completed");
    }
    EXPECT_EQ(w.rig.messages.back().text, "Congratulation! Decryption has completed! \n");
    EXPECT_EQ(kvntest::list_dir(w.work.path()), (std::vector<std::string>{ "b.txt", "c.txt" })); // replaced
    EXPECT_EQ(kvntest::read_file(w.work.file("c.txt")), a);
    EXPECT_EQ(kvntest::read_file(w.work.file("b.txt")), b);
}

TEST(BatchWindow, WrongKeyStopsDecryptionAtTheFirstFile)
{
    Window w;
    for (const char* n : { "x", "y", "z" }) {
        kvntest::EngineRig enc("1", "right", 0);
        kvntest::write_file(w.work.file(n), Bytes(40, 'x'));
        ASSERT_EQ(enc.encrypt(w.work.file(n), w.work.file(std::string(n) + ".kvn")), IDEA_DONE);
        std::remove(w.work.file(n).c_str());
    }
    w.type_key("wrong", "wrong");
    w.select({ "x.kvn", "y.kvn", "z.kvn" });
    BatchDriver run;
    w.press(Qt::Key_F8);
    EXPECT_EQ(run.status, "Failure");
    EXPECT_EQ(run.bar, 0);
    ASSERT_GE(w.rig.messages.size(), 2u);
    EXPECT_TRUE(w.rig.messages[0].text.contains("Or it is not encryption file by AES!"));
    EXPECT_TRUE(
        w.rig.messages[1].text.startsWith(QString::fromStdString(w.work.file("x.kvn")) + " decryption is failed! \n"));
    EXPECT_TRUE(w.rig.messages[1].text.endsWith("\nNot reached:\n  y.kvn\n  z.kvn\n"));
    EXPECT_EQ(w.rig.messages[1].caption, "Help: file decryption is failed!");
    EXPECT_EQ(w.rig.messages.size(), 2u); // y and z never attempted
    EXPECT_EQ(kvntest::list_dir(w.work.path()), (std::vector<std::string>{ "x.kvn", "y.kvn", "z.kvn" }));
}

TEST(BatchWindow, RefusalsBeforeTheBatchChangeNothing)
{
    Window w;
    kvntest::write_file(w.work.file("a.txt"), Bytes(10, 'a'));
    kvntest::write_file(w.work.file("ro.txt"), Bytes(10, 'r'));
    ::chmod(w.work.file("ro.txt").c_str(), 0444);
    // Key and confirmation differ: the confirm-key window.
    w.type_key("one", "One");
    w.select({ "a.txt" });
    QString seen;
    {
        kvntest::ModalDriver driver([&](QWidget* modal) {
            seen = modal->objectName();
            QTest::mouseClick(modal->findChild<QPushButton*>("close"), Qt::LeftButton);
            return true;
        });
        w.press(Qt::Key_F5);
    }
    EXPECT_EQ(seen, "confirmKeyDlg");
    // Replace mode with a read-only file: the message, no file changed.
    CSettingsStore::Instance().WriteString("EncryptOption", "replace", "1");
    w.type_key("one", "one");
    w.select({ "a.txt", "ro.txt" });
    w.press(Qt::Key_F5);
    ASSERT_EQ(w.rig.messages.size(), 1u);
    EXPECT_TRUE(w.rig.messages[0].text.startsWith("ro.txt  is read-only/hidden/system"));
    EXPECT_EQ(w.rig.messages[0].caption, "Help:  Your file(s) can't be encrypted");
    EXPECT_EQ(kvntest::read_file(w.work.file("a.txt")), Bytes(10, 'a'));
    EXPECT_EQ(kvntest::list_dir(w.work.path()), (std::vector<std::string>{ "a.txt", "ro.txt" }));
    // Close before start processes nothing.
    w.select({ "a.txt" });
    {
        kvntest::ModalDriver driver([&](QWidget* modal) {
            if (!qobject_cast<CProgressDlg*>(modal))
                return false;
            QTest::mouseClick(modal->findChild<QPushButton*>("close"), Qt::LeftButton);
            return true;
        });
        w.press(Qt::Key_F5);
    }
    EXPECT_EQ(kvntest::list_dir(w.work.path()), (std::vector<std::string>{ "a.txt", "ro.txt" }));
}

TEST(BatchWindow, EncryptionGoesOnAfterAFileThatCannotBeOpened)
{
    Window w;
    w.select_then_lose({ "1.txt", "2.txt", "3.txt" }, "2.txt");
    BatchDriver run;
    w.press(Qt::Key_F5);
    EXPECT_EQ(run.status, "Failure");
    ASSERT_EQ(w.rig.messages.size(), 2u);
    // The engine's own box, shown from the worker through the GUI thread.
    EXPECT_EQ(w.rig.messages[0].text,
        "Don't open this file!\n" + QString::fromStdString(w.work.file("2.txt")) + "\nNo such file or directory");
    EXPECT_EQ(w.rig.messages[0].caption, "Error: ");
    EXPECT_EQ(w.rig.messages[1].text,
        "Encryption is failed! \n\nNot done:\n  2.txt: Don't open this file! No such file or directory\n");
    EXPECT_TRUE(kvntest::exists(w.work.file("1.txt.kvn")));
    EXPECT_TRUE(kvntest::exists(w.work.file("3.txt.kvn")));
}

// Escape while the batch runs (here while the engine's failure box for the
// first file waits) stops it: the rest is not reached, the window stays
// open and says how far the batch got.
TEST(BatchWindow, EscapeStopsTheRunningBatch)
{
    Window w;
    w.select_then_lose({ "1.txt", "2.txt", "3.txt" }, "1.txt");
    QString startText, plan;
    std::vector<QString> texts;
    CMessageService::SetHandler([&](const MessageRequest& r) {
        texts.push_back(r.text);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<CProgressDlg*>(top); window && window->isVisible() && texts.size() == 1) {
                startText = window->findChild<QPushButton*>("start")->text();
                plan = window->findChild<QLabel*>("plan")->text();
                QTest::keyClick(window, Qt::Key_Escape);
            }
        return QMessageBox::Ok;
    });
    BatchDriver run;
    w.press(Qt::Key_F5);
    EXPECT_EQ(startText, "&Stop");
    EXPECT_TRUE(plan.startsWith("AES, compatible format, in ")) << plan.toStdString();
    EXPECT_EQ(run.status, "0 of 3 files done, stopped.");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_TRUE(texts[1].endsWith(
        "Not done:\n  1.txt: Don't open this file! No such file or directory\n\nNot reached:\n  2.txt\n  3.txt\n"))
        << texts[1].toStdString();
    EXPECT_EQ(kvntest::list_dir(w.work.path()), (std::vector<std::string>{ "2.txt", "3.txt" }));
}

// The folder tree's Encrypt Files in Folder: every file below, subfolders too.
TEST(BatchWindow, EncryptFilesInFolderTakesTheSubfoldersToo)
{
    Window w;
    std::filesystem::create_directory(w.work.file("sub"));
    kvntest::write_file(w.work.file("a"), Bytes(10, 'a'));
    kvntest::write_file(w.work.file("sub/b"), Bytes(10, 'b'));
    CSettingsStore::Instance().WriteString("EncryptOption", "replace", "0");
    w.type_key("key", "key");
    BatchDriver run;
    w.frame.EncryptFolder(QString::fromStdString(w.work.path()));
    EXPECT_EQ(run.status, "Completed");
    EXPECT_EQ(run.count, "2/2 file(s)");
    EXPECT_TRUE(kvntest::exists(w.work.file("a.kvn")));
    EXPECT_TRUE(kvntest::exists(w.work.file("sub/b.kvn")));
}
