// The batch window on its own, started as the main window starts it: a
// planned batch, an engine set up with the key, Start pressed, the worker run
// to its end. The ThreadSanitizer build runs these too: this is where the
// window's thread and the worker meet.
#include "app/percent_progress_widget.h"
#include "app/progress_dlg.h"
#include "batch/batch_runner.h"
#include "batch/key_buffer.h"
#include "engine/api/batch_control.h"
#include "engine/api/idea.h"
#include "shell/message_service.h"
#include "tests/support/temp_dir.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>

using Bytes = std::vector<unsigned char>;

namespace {

struct BatchWindow {
    kvntest::TempDir work;
    std::vector<std::string> sources;
    batch::Batch plan;
    CIdea engine;
    CBatchControl control;
    std::vector<QString> messages;
    std::function<void(CProgressDlg&)> onMessage;

    explicit BatchWindow(const std::vector<std::pair<std::string, Bytes>>& files)
    {
        for (const auto& [name, bytes] : files) {
            kvntest::write_file(work.file(name), bytes);
            sources.push_back(work.file(name));
        }
    }
    ~BatchWindow() { CMessageService::SetHandler({}); }

    // Runs the batch in `direction` with `key`; returns the status line.
    QString run(batch::Direction direction, const std::string& key, batch::OutputOptions options = {})
    {
        plan = batch::PlanBatch(direction, "1", options, sources);
        batch::KeyBuffer keyBytes(key);
        batch::SetUpEngine(engine, plan, keyBytes, &control);
        std::unique_ptr<CProgressDlg> window;
        if (direction == batch::Direction::Encrypt)
            window = std::make_unique<CEnProgressDlg>();
        else
            window = std::make_unique<CDeProgressDlg>();
        window->m_pIdea = &engine;
        window->m_pBatch = &plan;
        window->m_pControl = &control;
        CMessageService::SetHandler([&](const MessageRequest& r) {
            messages.push_back(r.text);
            if (onMessage)
                onMessage(*window);
            return QMessageBox::Ok;
        });
        QSignalSpy finished(window.get(), &CProgressDlg::batchFinished);
        window->show();
        QTest::mouseClick(window->findChild<QPushButton*>("start"), Qt::LeftButton);
        EXPECT_TRUE(finished.wait(60000) || finished.count() == 1);
        EXPECT_FALSE(window->IsRunning());
        EXPECT_TRUE(window->findChild<QPushButton*>("close")->isEnabled());
        return window->findChild<QLabel*>("status")->text();
    }
};

} // namespace

TEST(BatchWindowWorker, RoundTripsEveryFileAndFillsTheBar)
{
    // Several chunks for the large file, so progress crosses threads often.
    const Bytes big = kvntest::random_bytes(9 << 20, 3), small = kvntest::random_bytes(17, 4);
    BatchWindow w({ { "big", big }, { "small", small } });
    EXPECT_EQ(w.run(batch::Direction::Encrypt, "worker key"), "Completed");
    EXPECT_EQ(kvntest::list_dir(w.work.path()), (std::vector<std::string>{ "big.kvn", "small.kvn" }));

    w.sources = { w.work.file("big.kvn"), w.work.file("small.kvn") };
    EXPECT_EQ(w.run(batch::Direction::Decrypt, "worker key"), "Completed");
    EXPECT_EQ(kvntest::read_file(w.work.file("big")), big);
    EXPECT_EQ(kvntest::read_file(w.work.file("small")), small);
    // Only the two closing messages: no failure on the way.
    ASSERT_EQ(w.messages.size(), 2u);
    EXPECT_TRUE(w.messages[0].startsWith("Congratulation! Encryption has completed!"));
    EXPECT_TRUE(w.messages[1].startsWith("Congratulation! Decryption has completed!"));
}

// Escape while the worker waits on a message box for the first file stops
// the batch there: the others are not reached and nothing is left behind.
TEST(BatchWindowWorker, EscapeStopsTheWorker)
{
    BatchWindow w({ { "1", Bytes(100, '1') }, { "2", Bytes(100, '2') }, { "3", Bytes(100, '3') } });
    std::remove(w.sources[0].c_str());
    w.onMessage = [&](CProgressDlg& window) {
        if (w.messages.size() == 1)
            QTest::keyClick(&window, Qt::Key_Escape);
    };
    EXPECT_EQ(w.run(batch::Direction::Encrypt, "key", { 0, 1, true }), "0 of 3 files done, stopped.");
    EXPECT_EQ(kvntest::list_dir(w.work.path()), (std::vector<std::string>{ "2", "3" }));
}

// The engine's key derivation, called from another thread as the batch's
// thread calls it: the window shows it is busy instead of a still bar, Stop
// stays at hand and stops the batch, and the end clears the busy state.
TEST(BatchWindowWorker, StrengtheningShowsABusyBarAndStopWorksDuringIt)
{
    BatchWindow w({ { "1", Bytes(100, '1') }, { "2", Bytes(100, '2') } });
    std::remove(w.sources[0].c_str());
    w.onMessage = [&](CProgressDlg& window) {
        auto* busy = window.findChild<QProgressBar*>("busy");
        if (w.messages.size() > 1) {
            EXPECT_FALSE(window.IsStrengthening());
            EXPECT_TRUE(busy->isHidden());
            EXPECT_FALSE(window.Progress()->isHidden());
            return;
        }
        std::thread([&] { w.control.strengthening(true); }).join();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.IsStrengthening(); }, 5000));
        EXPECT_EQ(window.findChild<QLabel*>("status")->text(), "Strengthening the key...");
        EXPECT_FALSE(busy->isHidden());
        EXPECT_EQ(busy->maximum(), 0); // no percentage: a moving bar
        EXPECT_TRUE(window.Progress()->isHidden());
        auto* stop = window.findChild<QPushButton*>("start");
        EXPECT_EQ(stop->text(), "&Stop");
        ASSERT_TRUE(stop->isEnabled());
        QTest::mouseClick(stop, Qt::LeftButton);
        EXPECT_TRUE(w.control.stop.load());
    };
    EXPECT_EQ(w.run(batch::Direction::Encrypt, "key", { 0, 1, true }), "0 of 2 files done, stopped.");
    EXPECT_EQ(kvntest::list_dir(w.work.path()), (std::vector<std::string>{ "2" }));
}
