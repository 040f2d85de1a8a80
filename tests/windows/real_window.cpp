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

// What the screen shows inside the window, as the window system drew it.
QImage Grab(QWidget* window)
{
    const QPoint at = window->mapToGlobal(QPoint(0, 0));
    return window->screen()->grabWindow(0, at.x(), at.y(), window->width(), window->height()).toImage();
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

// The window's picture once it is drawn and stays the same (Wine draws a
// little after Qt paints), saved under `name`; its number of colours.
int Shot(QWidget* window, const QString& name)
{
    QImage image, before;
    QTest::qWaitFor(
        [&] {
            before = image;
            QTest::qWait(100);
            image = Grab(window);
            return image == before && Colours(image) > 10;
        },
        5000);
    image.save(Env("KVN_WINDOW_SHOTS") + QLatin1Char('/') + name + QStringLiteral(".png"));
    return Colours(image);
}

// Types `text` through the system's input queue into `box`, which gets the
// focus first.
bool TypeInto(QWidget* frame, QLineEdit* box, const QString& text)
{
    wintest::bring_to_front(reinterpret_cast<void*>(frame->winId()));
    box->setFocus();
    if (!QTest::qWaitFor([&] { return box->hasFocus(); }))
        return false;
    wintest::type_text(text.toStdWString());
    return QTest::qWaitFor([&] { return box->text() == text; }, 3000);
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
    EXPECT_GT(Shot(&frame, QStringLiteral("main-window")), 20);

    // The file selected, the key typed into both key boxes, then F8.
    auto* view = frame.GetFileList()->CurrentView();
    view->selectionModel()->select(view->model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_TRUE(TypeInto(&frame, frame.KeyBar()->KeyBox(), key)) << frame.KeyBar()->KeyBox()->text().size();
    ASSERT_TRUE(TypeInto(&frame, frame.KeyBar()->ConfirmBox(), key)) << frame.KeyBar()->ConfirmBox()->text().size();

    bool shot = false, started = false, closed = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* window = qobject_cast<CProgressDlg*>(modal);
        if (modal && !window) {
            // Any other dialog is a refusal the test did not expect.
            ADD_FAILURE() << "unexpected dialog " << modal->metaObject()->className();
            modal->close();
            return;
        }
        if (!window)
            return;
        auto* start = window->findChild<QPushButton*>(QStringLiteral("start"));
        auto* close = window->findChild<QPushButton*>(QStringLiteral("close"));
        if (!shot) {
            EXPECT_GT(Shot(window, QStringLiteral("batch-window")), 10);
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return shot || QApplication::activeModalWidget(); }, 5000))
        << "F8 through the input queue opened no window";
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed && !QApplication::activeModalWidget(); }, 30000))
        << "batch window shot " << shot << ", started " << started;
    driver.stop();
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_EQ(messages.back(), QStringLiteral("Congratulation! Decryption has completed! \n"));
    CMessageService::SetHandler({});
}
