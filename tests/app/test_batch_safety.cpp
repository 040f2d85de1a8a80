// The batch commands where plain text could stay readable or an unrelated
// file be lost: linked sources refused in their own box before the batch
// window runs, and the question before an existing file is replaced.
#include "tests/app/gui_rig.h"

#include <gtest/gtest.h>

#include <unistd.h>

using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

namespace {

// The main window with the key typed; the replace questions answered from
// `answers` in turn, and the batch windows a command opens run and counted.
struct Window : kvntest::MainWindow {
    std::vector<QMessageBox::StandardButton> answers;
    int windows = 0;

    Window()
    {
        type_key("k3y", "k3y");
        CMessageService::SetHandler([this](const MessageRequest& r) {
            rig.messages.push_back(r);
            if (r.buttons.testFlag(QMessageBox::YesToAll) && !answers.empty()) {
                const auto a = answers.front();
                answers.erase(answers.begin());
                return a;
            }
            return QMessageBox::Ok;
        });
    }
    void run(void (CMainFrame::*command)())
    {
        kvntest::BatchDriver driver;
        (frame.*command)();
        windows += driver.started ? 1 : 0;
    }
    int questions() const
    {
        int n = 0;
        for (const auto& m : rig.messages)
            n += m.buttons.testFlag(QMessageBox::YesToAll) ? 1 : 0;
        return n;
    }
};

} // namespace

TEST(BatchSafety, LinkedSourcesAreRefusedInTheirOwnBoxBeforeTheBatchWindow)
{
    Window w;
    CSettingsStore::Instance().WriteString("EncryptOption", "replace", "1");
    CSettingsStore::Instance().WriteString("EncryptOption", "add", "1");
    kvntest::write_file(w.work.file("real.txt"), Bytes(9, 'r'));
    ASSERT_EQ(::symlink("real.txt", w.work.file("link.txt").c_str()), 0);
    kvntest::write_file(w.work.file("a.txt"), Bytes(9, 'a'));
    ASSERT_EQ(::link(w.work.file("a.txt").c_str(), w.work.file("b.txt").c_str()), 0);
    for (const char* name : { "link.txt", "a.txt" }) {
        w.rig.messages.clear();
        w.select({ name });
        w.run(&CMainFrame::OnEncrypt);
        ASSERT_EQ(w.rig.messages.size(), 1u) << name;
        EXPECT_TRUE(w.rig.messages[0].text.startsWith(QString::fromLatin1(name) + "  is a")
            || w.rig.messages[0].text.startsWith(QString::fromLatin1(name) + "  has other names"))
            << w.rig.messages[0].text.toStdString();
    }
    EXPECT_EQ(w.windows, 0);
    EXPECT_EQ(kvntest::list_dir(w.work.path()), (Names{ "a.txt", "b.txt", "link.txt", "real.txt" }));
}

TEST(BatchSafety, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo)
{
    Window w;
    CSettingsStore::Instance().WriteString("EncryptOption", "replace", "0");
    for (const char* n : { "1.txt", "2.txt", "3.txt", "4.txt" }) {
        kvntest::write_file(w.work.file(n), Bytes(20, n[0]));
        kvntest::write_file(w.work.file(std::string(n) + ".kvn"), Bytes(3, 'x')); // something else
    }
    // No skips the first, Yes to All replaces the rest without asking again.
    w.answers = { QMessageBox::No, QMessageBox::YesToAll };
    w.select({ "1.txt", "2.txt", "3.txt", "4.txt" });
    w.run(&CMainFrame::OnEncrypt);
    EXPECT_EQ(w.questions(), 2);
    EXPECT_TRUE(w.rig.messages[0].text.startsWith(QString::fromStdString(w.work.file("1.txt.kvn")) + "\n"));
    // Enter answers No: the real box has No as its default button.
    EXPECT_EQ(w.rig.messages[0].defaultButton, QMessageBox::No);
    MessageRequest asked = w.rig.messages[0];
    asked.owner = nullptr; // the batch window is gone
    const auto box = CMessageService::CreateBox(asked);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    EXPECT_EQ(kvntest::read_file(w.work.file("1.txt.kvn")), Bytes(3, 'x'));
    for (const char* n : { "2.txt.kvn", "3.txt.kvn", "4.txt.kvn" })
        EXPECT_NE(kvntest::read_file(w.work.file(n)), Bytes(3, 'x')) << n;
    EXPECT_EQ(w.rig.messages.back().text.toStdString(),
        "Encryption is failed! \n\nNot done:\n  1.txt: an existing file of its result's name was not replaced.\n");

    // Decrypting over the edited plain file: Yes replaces it, Cancel ends the batch there.
    kvntest::write_file(w.work.file("2.txt"), Bytes(5, 'e'));
    kvntest::write_file(w.work.file("3.txt"), Bytes(5, 'f'));
    w.rig.messages.clear();
    w.answers = { QMessageBox::Yes, QMessageBox::Cancel };
    CSettingsStore::Instance().WriteString("DecryptOption", "replace", "0");
    w.select({ "2.txt.kvn", "3.txt.kvn", "4.txt.kvn" });
    w.run(&CMainFrame::OnDecrypt);
    EXPECT_EQ(w.questions(), 2);
    EXPECT_EQ(kvntest::read_file(w.work.file("2.txt")), Bytes(20, '2'));
    EXPECT_EQ(kvntest::read_file(w.work.file("3.txt")), Bytes(5, 'f')); // the edits are kept
    EXPECT_EQ(w.windows, 2);
}
