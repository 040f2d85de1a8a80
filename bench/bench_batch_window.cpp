// How responsive the window stays while a batch runs: 200 files of 1 MiB
// encrypted through the real batch window, with a probe on the GUI thread
// that records the longest gap between two turns of the event loop.
#include "app/progress_dlg.h"
#include "batch/batch_runner.h"
#include "engine/api/idea.h"
#include "shell/message_service.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 200;
    const std::size_t size = 1 << 20;
    QTemporaryDir dir;
    std::vector<std::string> sources;
    std::vector<char> bytes(size);
    std::mt19937 gen(7);
    for (auto& b : bytes)
        b = char(gen());
    for (int i = 0; i < files; ++i) {
        sources.push_back(QDir(dir.path()).filePath(QStringLiteral("file-%1.bin").arg(i)).toStdString());
        std::ofstream(sources.back(), std::ios::binary).write(bytes.data(), std::streamsize(size));
    }
    CMessageService::SetHandler([](const MessageRequest&) { return QMessageBox::Ok; });
    const batch::Batch plan = batch::PlanBatch(batch::Direction::Encrypt, "1", { 0, 1 }, sources);
    CIdea engine;
    batch::KeyBuffer key("benchmark key");
    batch::SetUpEngine(engine, plan, key);
    CEnProgressDlg window;
    window.m_pIdea = &engine;
    window.m_pBatch = &plan;
    window.show();
    QApplication::processEvents();

    std::vector<qint64> gaps;
    QElapsedTimer clock, total;
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        gaps.push_back(clock.nsecsElapsed());
        clock.restart();
        if (!window.IsRunning() && window.findChild<QPushButton*>("close")->isEnabled())
            app.quit();
    });
    total.start();
    clock.start();
    probe.start();
    window.findChild<QPushButton*>("start")->click();
    app.exec();
    const double seconds = double(total.nsecsElapsed()) / 1e9;
    std::sort(gaps.begin(), gaps.end());
    const auto at = [&](double q) { return double(gaps[std::size_t(q * double(gaps.size() - 1))]) / 1e6; };
    std::printf("%d files of 1 MiB: %.2f s, %.1f MB/s; event-loop turns %zu; gap median %.3f ms, p99 %.3f ms, "
                "longest %.3f ms\n",
        files, seconds, double(files) * double(size) / seconds / 1e6, gaps.size(), at(0.5), at(0.99), at(1.0));
    return window.Outcome().failed ? 1 : 0;
}
