// The batch window and its worker thread.
#include "app/progress_dlg.h"

#include "app/elided_label.h"
#include "app/engine_host.h"
#include "app/percent_progress_widget.h"
#include "batch/batch_summary.h"
#include "batch/batch_texts.h"
#include "chrome/art_label.h"
#include "chrome/toolbar_art.h"
#include "engine/api/batch_control.h"
#include "engine/api/idea.h"
#include "shell/local_path.h"
#include "shell/message_service.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char* const kOverwriteText
    = "%1\nThis file already exists and is not the file being %2.\nDo you want to replace it?";
const char* const kOverwriteCaption = "Replace File";
const char* const kStrengthening = "Strengthening the key...";

} // namespace

struct CProgressDlg::Host {
    CLabelWnd status;
    CLabelWnd count;
    CEngineMessages messages;
};

CProgressDlg::CProgressDlg(batch::Direction direction, QWidget* parent)
    : QDialog(parent)
    , m_direction(direction)
{
    const bool enc = direction == batch::Direction::Encrypt;
    setObjectName(enc ? QStringLiteral("encryptWindow") : QStringLiteral("decryptWindow"));
    setWindowTitle(enc ? QStringLiteral("Encrypt Window") : QStringLiteral("Decrypt Window"));
    // A caption but no close box: the window ends through its Close button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    // Drawn for the screen's pixel ratio, as the rest of the program's art.
    auto* icon = new CArtLabel(QSize(44, 32), this);
    icon->setObjectName(QStringLiteral("windowArt"));
    icon->SetArt(ToolbarArt::Image(enc ? 0 : 1, ToolbarArt::Style::MultiColor));
    auto* question = new QLabel(enc ? QStringLiteral("Do you want to encrypt these files now?")
                                    : QStringLiteral("Do you want to decrypt these files now?"),
        this);
    // What the batch will do, filled in when the window is shown.
    m_plan = new QLabel(this);
    m_plan->setObjectName(QStringLiteral("plan"));
    m_plan->setTextFormat(Qt::PlainText);
    m_plan->setWordWrap(true);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("fileList"));
    m_list->setSortingEnabled(true);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Elided, so that a long file name leaves the window as wide as it is.
    m_status = new CElidedLabel(QString::fromLatin1(batch::texts::kReady), this);
    m_status->setObjectName(QStringLiteral("status"));
    m_progress = new CPercentProgressWidget(this);
    m_progress->setMinimumHeight(22);
    // No percentage to give while the key is derived: a bar that moves.
    m_busy = new QProgressBar(this);
    m_busy->setObjectName(QStringLiteral("busy"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setMinimumHeight(22);
    m_busy->setAccessibleName(QString::fromLatin1(kStrengthening));
    m_busy->hide();
    m_speed = new QLabel(this);
    m_speed->setObjectName(QStringLiteral("speed"));
    m_start = new QPushButton(enc ? QStringLiteral("Encrypt") : QStringLiteral("Decrypt"), this);
    m_start->setObjectName(QStringLiteral("start"));
    m_start->setAutoDefault(false);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("close"));
    m_close->setDefault(true);
    m_count = new QLabel(QStringLiteral("0/0 file(s)"), this);
    m_count->setObjectName(QStringLiteral("count"));
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(question, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_close);
    buttons->addStretch(1);
    buttons->addWidget(m_count);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_plan);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addWidget(m_busy);
    layout->addWidget(m_speed);
    layout->addLayout(buttons);
    resize(420, 400);

    m_speedTimer = new QTimer(this);
    m_speedTimer->setInterval(500);
    connect(m_speedTimer, &QTimer::timeout, this, &CProgressDlg::UpdateSpeed);
    connect(m_start, &QPushButton::clicked, this, [this] { m_running ? OnStop() : OnStart(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    connect(this, &CProgressDlg::batchFinished, this, &CProgressDlg::OnWorkerDone, Qt::QueuedConnection);
}

CProgressDlg::~CProgressDlg()
{
    if (m_worker) {
        m_worker->wait();
        delete m_worker;
    }
    if (m_pControl)
        m_pControl->strengthening = nullptr;
    if (m_pIdea) {
        m_pIdea->m_pStatusWnd = nullptr;
        m_pIdea->m_pCountWnd = nullptr;
        m_pIdea->m_pProgress = nullptr;
        m_pIdea->m_pMessages = nullptr;
    }
}

// Fills the list and lends the engine its windows, once, when first shown.
void CProgressDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_initialised || !m_pIdea || !m_pBatch)
        return;
    m_initialised = true;
    for (const auto& f : m_pBatch->files)
        m_list->addItem(localpath::Display(localpath::FromStd(f.name)));
    m_host = std::make_unique<Host>(
        Host{ CLabelWnd(m_status), CLabelWnd(m_count), CEngineMessages(this, [this](bool w) { OnWaiting(w); }) });
    m_pIdea->m_pStatusWnd = &m_host->status;
    m_pIdea->m_pCountWnd = &m_host->count;
    m_pIdea->m_pProgress = &m_progress->Model();
    m_pIdea->m_pMessages = &m_host->messages;
    // Called on the batch's thread; the window changes on its own.
    if (m_pControl)
        m_pControl->strengthening = [this](bool busy) {
            QMetaObject::invokeMethod(
                this, [this, busy] { OnStrengthening(busy); }, Qt::QueuedConnection);
        };
    m_count->setText(QStringLiteral("0/%1 file(s)").arg(m_pBatch->files.size()));
    m_plan->setText(QString::fromStdString(batch::PlanLine(*m_pBatch)));
}

void CProgressDlg::OnStart()
{
    if (m_running || m_worker || !m_pIdea || !m_pBatch)
        return;
    m_running = true;
    m_start->setEnabled(m_pControl != nullptr);
    m_start->setText(QStringLiteral("&Stop"));
    m_close->setEnabled(false);
    m_list->setEnabled(false);
    m_totalBytes = 0;
    std::vector<long long> sizes;
    for (const auto& f : m_pBatch->files) {
        sizes.push_back(localpath::FactsOf(localpath::FromStd(f.source)).size);
        m_totalBytes += sizes.back();
    }
    m_clock.start();
    m_waitedMs = 0;
    m_waitStartMs = -1;
    m_speedTimer->start();
    CIdea* engine = m_pIdea;
    const batch::Batch* b = m_pBatch;
    m_worker = QThread::create([this, engine, b, sizes] {
        long long done = 0;
        const auto ask = [this](std::size_t, const std::string& existing) {
            auto answer = batch::OverwriteAnswer::Cancel;
            QMetaObject::invokeMethod(
                this, [&] { answer = AskOverwrite(existing); }, Qt::BlockingQueuedConnection);
            return answer;
        };
        const auto onFile = [&](std::size_t i) {
            if (i > 0)
                done += sizes[i - 1];
            m_doneBytes.store(done);
            m_currentBytes.store(sizes[i]);
        };
        m_outcome = batch::RunBatch(*engine, *b, onFile, ask);
        emit batchFinished();
    });
    m_worker->setObjectName(QStringLiteral("batchWorker"));
    m_worker->start();
}

// The file being worked on stops at its next chunk; the worker then ends as
// after the last file.
void CProgressDlg::OnStop()
{
    if (!m_running || !m_pControl)
        return;
    m_pControl->stop.store(true);
    m_start->setEnabled(false);
}

// After the last file: the result, then Close comes back. The start button
// and the list stay disabled: a window runs its batch at most once.
void CProgressDlg::OnWorkerDone()
{
    m_worker->wait();
    OnStrengthening(false);
    m_speedTimer->stop();
    m_speed->clear();
    const batch::OutcomeMessage m = batch::DescribeOutcome(*m_pBatch, m_outcome);
    m_progress->Model().SetPos(m.barPosition);
    m_status->setText(QString::fromStdString(m.status));
    CMessageService::Show(m.ownedByWindow ? this : nullptr, localpath::Display(localpath::FromStd(m.text)),
        QString::fromStdString(m.caption), QMessageBox::Ok, QMessageBox::Information);
    m_running = false;
    m_close->setEnabled(true);
    m_close->setFocus();
}

void CProgressDlg::UpdateSpeed()
{
    if (m_totalBytes < (8 << 20))
        return;
    const double seconds = double(WorkingMs()) / 1000.0;
    const double done
        = double(m_doneBytes.load()) + double(m_currentBytes.load()) * m_progress->Model().GetPos() / 100.0;
    if (seconds < 0.5 || done <= 0)
        return;
    const double rate = done / seconds;
    const int left = int((double(m_totalBytes) - done) / rate + 0.5);
    m_speed->setText(QStringLiteral("%1 MB/s, about %2 s left").arg(rate / 1e6, 0, 'f', 1).arg(std::max(left, 0)));
}

batch::OverwriteAnswer CProgressDlg::AskOverwrite(const std::string& existing)
{
    const bool enc = m_direction == batch::Direction::Encrypt;
    const QString text = QString::fromLatin1(kOverwriteText)
                             .arg(localpath::Display(localpath::FromStd(existing)),
                                 enc ? QStringLiteral("encrypted") : QStringLiteral("decrypted"));
    OnWaiting(true);
    // Enter must not replace a file nobody meant to lose.
    const auto answer = CMessageService::Show(MessageRequest{ this, text, QString::fromLatin1(kOverwriteCaption),
        QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Warning,
        QMessageBox::No });
    OnWaiting(false);
    switch (answer) {
    case QMessageBox::Yes:
        return batch::OverwriteAnswer::Yes;
    case QMessageBox::YesToAll:
        return batch::OverwriteAnswer::YesToAll;
    case QMessageBox::No:
        return batch::OverwriteAnswer::No;
    default:
        return batch::OverwriteAnswer::Cancel;
    }
}

void CProgressDlg::OnWaiting(bool waiting)
{
    if (!m_clock.isValid())
        return;
    if (waiting) {
        m_waitStartMs = m_clock.elapsed();
    } else if (m_waitStartMs >= 0) {
        m_waitedMs += m_clock.elapsed() - m_waitStartMs;
        m_waitStartMs = -1;
    }
}

// The derivation is paid once, not per byte: its time stays out of the rate
// and of the time left, as a wait does.
void CProgressDlg::OnStrengthening(bool busy)
{
    if (busy == m_strengthening)
        return;
    m_strengthening = busy;
    OnWaiting(busy);
    m_progress->setVisible(!busy);
    m_busy->setVisible(busy);
    const QString text = QString::fromLatin1(kStrengthening);
    if (busy) {
        m_statusBeforeBusy = m_status->text();
        m_status->setText(text);
    } else if (m_status->text() == text) {
        m_status->setText(m_statusBeforeBusy);
    }
}

qint64 CProgressDlg::WorkingMs() const
{
    const qint64 now = m_clock.elapsed();
    return now - m_waitedMs - (m_waitStartMs >= 0 ? now - m_waitStartMs : 0);
}

// While the worker runs nothing ends the window: Escape stops the batch,
// the window manager's close and Enter do nothing.
void CProgressDlg::reject()
{
    if (m_running)
        OnStop();
    else
        QDialog::reject();
}

void CProgressDlg::closeEvent(QCloseEvent* event)
{
    if (m_running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void CProgressDlg::keyPressEvent(QKeyEvent* event)
{
    if (m_running && event->key() == Qt::Key_Escape) {
        event->accept();
        OnStop();
        return;
    }
    if (m_running && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
