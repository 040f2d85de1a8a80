// Shared set-up for the main window's tests: private settings, program
// folder and runtime folder; recorders for message boxes and shell calls;
// and a way to act on modal windows while a command waits in them.
#pragma once

#include "config/settings_store.h"
#include "shell/message_service.h"
#include "shell/program_folder.h"
#include "shell/shell_service.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QTimer>
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

    GuiRig()
    {
        ::chmod(home.path().c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", home.path().c_str());
        CSettingsStore::SetInstance(std::make_unique<CSettingsStore>(QString::fromStdString(home.file("kvn.ini"))));
        CSettingsStore::Instance().WriteInt("Tip", "StartUp", 1);
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

} // namespace kvntest
