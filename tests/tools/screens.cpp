// Draws the program's windows into PNG files, to look at them: the main
// window with a folder of sample files, each configuration page, the update
// window, the about box, the tip of the day, the encryption window driving a
// real batch (taken while it runs, then finished) and the decryption window
// ready. Not a test; scripts/screenshots runs it under Xvfb.
#include "app/key_bar.h"
#include "app/main_frame.h"
#include "app/percent_progress_widget.h"
#include "app/progress_dlg.h"
#include "batch/batch_runner.h"
#include "browser/cipher_view.h"
#include "chrome/about_dlg.h"
#include "config/config_sheet.h"
#include "config/settings_store.h"
#include "engine/api/batch_control.h"
#include "engine/api/idea.h"
#include "shell/cipher_doc.h"
#include "shell/message_service.h"
#include "shell/program_folder.h"
#include "tests/support/temp_dir.h"
#include "tips/tip_dlg.h"
#include "update/upgrade_dlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

QString g_out;

void save(QWidget* w, const QString& name)
{
    w->show();
    QApplication::processEvents();
    QTest::qWait(150);
    w->grab().save(g_out + "/" + name + ".png");
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    kvntest::TempDir home;
    CSettingsStore::SetInstance(std::make_unique<CSettingsStore>(QString::fromStdString(home.file("kvn.ini"))));
    ProgramFolder::Override(QCoreApplication::applicationDirPath() + "/../app");
    const std::string folder = home.file("Documents");
    QDir().mkpath(QString::fromStdString(folder));
    for (const char* n : { "Budget 2026.ods", "holiday-photo.jpg", "notes.txt", "report.doc", "report.doc.kvn",
             "scan-0042.pdf", "taxes.zip" })
        kvntest::write_file(folder + "/" + n, kvntest::random_bytes(std::size_t(1500 + 9000 * std::strlen(n)), 3));

    CCipherDoc doc;
    CMainFrame frame(&doc);
    frame.resize(1280, 800);
    doc.m_strFolder = QString::fromStdString(folder);
    frame.GetFileList()->FillList();
    frame.KeyBar()->KeyBox()->setText(QStringLiteral("correct horse battery"));
    frame.KeyBar()->ConfirmBox()->setText(QStringLiteral("correct horse battery"));
    save(&frame, "main-window");

    for (int page = 0; page < 4; ++page) {
        CConfigSheet sheet(QStringLiteral("Configuration"), &frame, page);
        save(&sheet, QStringLiteral("configuration-%1").arg(page));
    }
    CUpgradeDlg upgrade(&frame);
    save(&upgrade, "upgrade-online");
    CAboutDlg about(&frame);
    save(&about, "about");
    CTipDlg tip(&frame);
    save(&tip, "tip-of-the-day");

    // A real batch, kept beside the sources: its window is taken while the
    // large file is about half done (its button reads Stop), then finished.
    // The large file is sparse: quick to make, as long to encrypt as any.
    const std::string video = folder + "/holiday-video.mp4";
    kvntest::write_file(video, {});
    if (::truncate(video.c_str(), 256 << 20) != 0)
        return 1;
    std::vector<std::string> sources;
    for (const char* n : { "notes.txt", "holiday-video.mp4", "taxes.zip" })
        sources.push_back(folder + "/" + n);
    const batch::Batch plan = batch::PlanBatch(batch::Direction::Encrypt, "1", { 0, 1 }, sources);
    CMessageService::SetHandler([](const MessageRequest&) { return QMessageBox::Ok; });
    CIdea engine;
    CBatchControl control;
    batch::KeyBuffer key("correct horse battery");
    batch::SetUpEngine(engine, plan, key, &control);
    {
        CEnProgressDlg window(&frame);
        window.m_pIdea = &engine;
        window.m_pBatch = &plan;
        window.m_pControl = &control;
        window.show();
        QTest::qWait(150);
        bool running = false;
        QTimer probe;
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const int at = window.Progress()->Model().GetPos();
            if (!running && window.IsRunning() && at >= 40 && at <= 70) {
                window.grab().save(g_out + "/encrypt-window-running.png");
                running = true;
            }
        });
        probe.start();
        window.findChild<QPushButton*>("start")->click();
        auto* close = window.findChild<QPushButton*>("close");
        if (!QTest::qWaitFor([&] { return !window.IsRunning() && close->isEnabled(); }, 120000))
            return 1;
        probe.stop();
        if (!running)
            std::fprintf(stderr, "kvn_screens: the batch ran too fast to be taken while running\n");
        save(&window, "encrypt-window-finished");
    }
    const batch::Batch back
        = batch::PlanBatch(batch::Direction::Decrypt, "1", { 1, 1 }, { folder + "/report.doc.kvn" });
    CDeProgressDlg decrypt(&frame);
    decrypt.m_pIdea = &engine;
    decrypt.m_pBatch = &back;
    save(&decrypt, "decrypt-window-ready");
    return 0;
}
