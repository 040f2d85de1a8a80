// The batch window: lists the batch's files, asks to start, then runs the
// batch on a worker thread while the engine shows the file, the count and the
// progress, and ends with the batch's result. While the worker runs the start
// button reads "Stop" and Escape does the same; the window itself cannot be
// closed. While the engine strengthens the key the window says so and shows
// a busy bar; Stop works then too. CEnProgressDlg and CDeProgressDlg are its
// two faces.
#pragma once

#include "batch/batch_runner.h"

#include <QDialog>
#include <QElapsedTimer>
#include <atomic>
#include <memory>

class CElidedLabel;
class CIdea;
struct CBatchControl;
class CPercentProgressWidget;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QThread;
class QTimer;

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    ~CProgressDlg() override;

    // The batch record: borrowed, alive until the window has closed.
    CIdea* m_pIdea = nullptr;
    const batch::Batch* m_pBatch = nullptr;
    // The engine's control, to ask it to stop; null: the batch cannot be stopped.
    CBatchControl* m_pControl = nullptr;

    bool IsRunning() const { return m_running; }
    const batch::BatchOutcome& Outcome() const { return m_outcome; }
    CPercentProgressWidget* Progress() const { return m_progress; }
    // The engine is deriving the key: the busy bar stands in for the progress.
    bool IsStrengthening() const { return m_strengthening; }

signals:
    void batchFinished();

protected:
    CProgressDlg(batch::Direction direction, QWidget* parent);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void reject() override;

private:
    void OnStart();
    void OnStop();
    void OnWorkerDone();
    void UpdateSpeed();
    void OnWaiting(bool waiting);
    // On the GUI thread: the engine starts (true) or ends (false) a key
    // derivation.
    void OnStrengthening(bool busy);
    // On the GUI thread: may file `existing`, not a source, be replaced?
    batch::OverwriteAnswer AskOverwrite(const std::string& existing);
    qint64 WorkingMs() const;

    batch::Direction m_direction;
    QListWidget* m_list;
    QLabel* m_plan;
    CElidedLabel* m_status;
    QLabel* m_count;
    QLabel* m_speed;
    CPercentProgressWidget* m_progress;
    QProgressBar* m_busy;
    QPushButton* m_start;
    QPushButton* m_close;
    QThread* m_worker = nullptr;
    QTimer* m_speedTimer;
    bool m_initialised = false;
    bool m_running = false;
    bool m_strengthening = false;
    QString m_statusBeforeBusy;
    batch::BatchOutcome m_outcome;
    // For the speed display: bytes of the files before the current one.
    std::atomic<long long> m_doneBytes{ 0 };
    std::atomic<long long> m_currentBytes{ 0 };
    long long m_totalBytes = 0;
    // Working time only: the clock runs from the start, less the waits.
    QElapsedTimer m_clock;
    qint64 m_waitedMs = 0;
    qint64 m_waitStartMs = -1;
    struct Host;
    std::unique_ptr<Host> m_host;
};

class CEnProgressDlg final : public CProgressDlg {
public:
    explicit CEnProgressDlg(QWidget* parent = nullptr)
        : CProgressDlg(batch::Direction::Encrypt, parent)
    {
    }
};

class CDeProgressDlg final : public CProgressDlg {
public:
    explicit CDeProgressDlg(QWidget* parent = nullptr)
        : CProgressDlg(batch::Direction::Decrypt, parent)
    {
    }
};
