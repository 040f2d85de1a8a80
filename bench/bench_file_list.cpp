// The file list over a folder of 100,000 files: reading the folder, the time
// until the first screen is drawn, sorting, and reading a large selection.
// Needs QT_QPA_PLATFORM=offscreen (set here when unset). --files=N takes
// another count (a smoke run uses a few hundred).
#include "browser/cipher_view.h"
#include "config/settings_store.h"
#include "shell/cipher_doc.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

int kFiles = 100000;

// One folder for every benchmark: making 100,000 files takes longer than
// all the measurements together.
class Folder {
public:
    static QString Path()
    {
        static Folder folder;
        return folder.m_dir.path();
    }

private:
    Folder()
    {
        const char* const extensions[]
            = { ".txt", ".png", ".c", ".pdf", "", ".kvn", ".tar.gz", ".html", ".JPG", ".mp3" };
        const QByteArray some(3000, 'x');
        for (int i = 0; i < kFiles; ++i) {
            // Mixed case and widths, so that the name sort has real work.
            const QString name = QStringLiteral("%1file_%2%3")
                                     .arg(i % 3 == 0      ? "A"
                                             : i % 3 == 1 ? "b"
                                                          : "C")
                                     .arg((i * 7919) % kFiles)
                                     .arg(QLatin1String(extensions[i % 10]));
            QFile file(m_dir.filePath(name));
            if (!file.open(QIODevice::WriteOnly))
                qFatal("cannot create %s", qPrintable(file.fileName()));
            file.write(some.constData(), (i * 37) % some.size());
        }
    }
    QTemporaryDir m_dir;
};

struct Fixture {
    Fixture()
    {
        doc.m_strFolder = Folder::Path();
        view = std::make_unique<CCipherView>(&doc);
        view->resize(1200, 800);
    }
    CCipherDoc doc;
    std::unique_ptr<CCipherView> view;
};

void BM_FillList(benchmark::State& state)
{
    Fixture f;
    for (auto _ : state)
        f.view->FillList();
    state.counters["rows"] = f.view->RowCount();
}

// A new list shown on a folder: reading it, laying it out, drawing it once.
void BM_FirstScreen(benchmark::State& state)
{
    for (auto _ : state) {
        Fixture f;
        f.view->show();
        f.view->CurrentView()->viewport()->repaint();
        QApplication::processEvents();
        benchmark::DoNotOptimize(f.view->RowCount());
        state.PauseTiming(); // the teardown is not the first screen
        f.view.reset();
        state.ResumeTiming();
    }
}

void BM_Sort(benchmark::State& state)
{
    Fixture f;
    f.view->show();
    QApplication::processEvents();
    if (state.range(1))
        f.view->SelectAll();
    const int column = int(state.range(0));
    for (auto _ : state) {
        f.view->ArrangeBy(column); // each call turns the direction round
        QApplication::processEvents();
    }
    state.counters["selected"] = f.view->GetSelectedCount();
}

void BM_SelectedRows(benchmark::State& state)
{
    Fixture f;
    f.view->FillList();
    f.view->SelectAll();
    f.view->InvertSelection();
    f.view->InvertSelection();
    for (auto _ : state)
        benchmark::DoNotOptimize(f.view->SelectedRows());
}

void BM_InvertSelection(benchmark::State& state)
{
    Fixture f;
    f.view->FillList();
    f.view->SelectAll();
    for (auto _ : state)
        f.view->InvertSelection(); // alternates between none (then all) and all (then none)
}

BENCHMARK(BM_FillList)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FirstScreen)->Unit(benchmark::kMillisecond)->Iterations(5);
// Columns: 0 name, 1 size, 3 time, 5 path; second argument: all rows selected.
BENCHMARK(BM_Sort)
    ->Args({ 0, 0 })
    ->Args({ 1, 0 })
    ->Args({ 3, 0 })
    ->Args({ 5, 0 })
    ->Args({ 0, 1 })
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6);
BENCHMARK(BM_SelectedRows)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_InvertSelection)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--files=", 8) == 0)
            kFiles = std::max(1, std::atoi(argv[i] + 8));
    QTemporaryDir settings;
    CSettingsStore::SetInstance(std::make_unique<CSettingsStore>(settings.filePath(QStringLiteral("kvn.ini"))));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CSettingsStore::SetInstance(nullptr);
    return 0;
}
