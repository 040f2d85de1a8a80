// Shared set-up for the main window's tests: private settings, program
// folder and runtime folder; recorders for message boxes and shell calls;
// the main window over a folder of its own; and a way to act on modal windows
// (the batch window among them) while a command waits in them.
#pragma once

#include "app/key_bar.h"
#include "app/main_frame.h"
#include "app/percent_progress_widget.h"
#include "app/progress_dlg.h"
#include "browser/cipher_view.h"
#include "config/settings_store.h"
#include "shell/cipher_doc.h"
#include "shell/message_service.h"
#include "shell/program_folder.h"
#include "shell/shell_service.h"
#include "tests/support/temp_dir.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <sys/stat.h>

namespace kvntest {

class RecordingShell final : public CShellService {
public:
    std::vector<QUrl>* opened;
    explicit RecordingShell(std::vector<QUrl>* log)
        : opened(log)
    {
    }
    bool OpenUrl(const QUrl& url) override
    {
        opened->push_back(url);
        return true;
    }
    bool ShowProperties(const QString&) override { return true; }
};

struct GuiRig {
    TempDir home;
    std::vector<MessageRequest> messages;
    std::vector<QUrl> opened;

    explicit GuiRig(int tipStartUp = 1)
    {
        ::chmod(home.path().c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", home.path().c_str());
        CSettingsStore::SetInstance(std::make_unique<CSettingsStore>(QString::fromStdString(home.file("kvn.ini"))));
        CSettingsStore::Instance().WriteInt("Tip", "StartUp", tipStartUp);
        ProgramFolder::Override(QString::fromStdString(home.path()));
        CMessageService::SetHandler([this](const MessageRequest& r) {
            messages.push_back(r);
            return QMessageBox::Ok;
        });
        CShellService::SetInstance(std::make_unique<RecordingShell>(&opened));
    }
    ~GuiRig()
    {
        CMessageService::SetHandler({});
        CShellService::SetInstance(nullptr);
        ProgramFolder::Override({});
        CSettingsStore::SetInstance(nullptr);
    }
};

// Calls `step` with each modal window that shows up until it answers true
// (or `limitMs` passes); the timer keeps running inside nested modal loops.
class ModalDriver : public QObject {
public:
    explicit ModalDriver(std::function<bool(QWidget*)> step, int limitMs = 60000)
        : m_step(std::move(step))
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this, limitMs] {
            m_elapsed += 20;
            QWidget* modal = QApplication::activeModalWidget();
            if ((modal && m_step(modal)) || m_elapsed > limitMs)
                m_timer.stop();
        });
        m_timer.start();
    }
    bool Done() const { return !m_timer.isActive(); }

private:
    std::function<bool(QWidget*)> m_step;
    QTimer m_timer;
    int m_elapsed = 0;
};

// The names of the rows selected in the window's file list, in row order.
inline QStringList SelectedNames(const CMainFrame& frame)
{
    QStringList names;
    for (int row : frame.GetFileList()->SelectedRows())
        names << frame.GetFileList()->ItemText(row, CCipherView::NameColumn);
    return names;
}

// The main window shown over a working folder of its own.
struct MainWindow {
    GuiRig rig;
    TempDir work;
    CCipherDoc doc;
    CMainFrame frame{ &doc };

    MainWindow()
    {
        frame.show();
        QApplication::setActiveWindow(&frame);
        doc.m_strFolder = QString::fromStdString(work.path());
        frame.GetFileList()->FillList();
    }
    // A key as the user presses it on the main window (which a closed modal
    // window may have left inactive offscreen).
    void press(Qt::Key key)
    {
        QApplication::setActiveWindow(&frame);
        QTest::keyClick(&frame, key);
    }
    void type_key(const QString& key, const QString& confirm)
    {
        frame.KeyBar()->KeyBox()->setText(key);
        frame.KeyBar()->ConfirmBox()->setText(confirm);
    }
    // Lists the folder afresh and selects the files of these names.
    void select(const std::vector<std::string>& names)
    {
        CCipherView* list = frame.GetFileList();
        list->FillList();
        // The views share one selection: select through the one shown.
        auto* view = list->CurrentView();
        view->selectionModel()->clearSelection();
        for (int r = 0; r < list->RowCount(); ++r)
            for (const auto& n : names)
                if (list->ItemText(r, CCipherView::NameColumn) == QString::fromStdString(n))
                    view->selectionModel()->select(
                        view->model()->index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // Files of 100 bytes selected to be encrypted beside their results with
    // the key typed; then `gone` vanishes, as if deleted after it was selected.
    void select_then_lose(const std::vector<std::string>& names, const std::string& gone)
    {
        for (const auto& n : names)
            write_file(work.file(n), std::vector<unsigned char>(100, 'n'));
        CSettingsStore::Instance().WriteString("EncryptOption", "replace", "0");
        type_key("key", "key");
        select(names);
        std::remove(work.file(gone).c_str());
    }
};

// Drives the batch window a command opens: notes the files it lists, presses
// Start, waits for Close to come back (calling whileRunning on each look until
// then), notes what the window showed, closes it.
struct BatchDriver {
    QStringList listed;
    QString status, count;
    int bar = -1;
    bool started = false;
    std::function<void(CProgressDlg&)> whileRunning;
    ModalDriver driver{ [this](QWidget* modal) {
        auto* window = qobject_cast<CProgressDlg*>(modal);
        if (!window)
            return false;
        if (!started) {
            auto* list = window->findChild<QListWidget*>("fileList");
            for (int i = 0; i < list->count(); ++i)
                listed << list->item(i)->text();
            QTest::mouseClick(window->findChild<QPushButton*>("start"), Qt::LeftButton);
            started = true;
            return false;
        }
        auto* close = window->findChild<QPushButton*>("close");
        if (!close->isEnabled()) {
            if (whileRunning)
                whileRunning(*window);
            return false;
        }
        status = window->findChild<QLabel*>("status")->text();
        count = window->findChild<QLabel*>("count")->text();
        bar = window->Progress()->Model().GetPos();
        QTest::mouseClick(close, Qt::LeftButton);
        return true;
    } };
};

} // namespace kvntest
