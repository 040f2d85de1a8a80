// The update window: its texts and states through one check.
#include "update/upgrade_dlg.h"

#include "shell/message_service.h"
#include "shell/shell_service.h"
#include "update/connection_state.h"
#include "update/update_server.h"
#include "update/version_text.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const kTitle = "Upgrade Online";
const char* const kUpgrade = "&Upgrade";
const char* const kCheckNew = "Check &New";
const char* const kClose = "&Close";
const char* const kCurrentVersion = "Current Version: 3.3.2.1.";
const char* const kLastVersion = "Last Version: ";
const char* const kPleaseWait = "Please wait a moment... ";
const char* const kNewVersion = "New version is released!\nYou may download now.";
const char* const kNoNewVersion = "There is not new version.";
const char* const kTryAgain = "Please try it again! ";
const char* const kBlank = " ";
const char* const kNotConnected = "Sorry, You need to connect to the Internet!";
const char* const kNotConnectedCaption = "Help";

QLabel* NewLabel(const char* text, const char* name, const QColor& colour, QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    if (colour.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
    }
    return label;
}

QPushButton* NewButton(const char* text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

CUpgradeDlg::CUpgradeDlg(QWidget* parent)
    : QDialog(parent)
{
    BuildWindow();
    connect(&m_check, &CUpdateCheck::Finished, this, &CUpgradeDlg::OnCheckFinished);
}

void CUpgradeDlg::BuildWindow()
{
    setWindowTitle(QString::fromLatin1(kTitle));

    auto* current = NewLabel(kCurrentVersion, "currentVersion", QColor(13, 1, 254), this);
    m_latestLabel = NewLabel(kBlank, "latestVersion", QColor(255, 0, 0), this);
    m_status = NewLabel(kBlank, "status", QColor(), this);
    m_status->setMinimumHeight(2 * m_status->fontMetrics().lineSpacing());
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_upgrade = NewButton(kUpgrade, "upgrade", this);
    m_upgrade->setEnabled(false);
    m_checkNew = NewButton(kCheckNew, "checkNew", this);
    m_checkNew->setDefault(true);
    m_close = NewButton(kClose, "close", this);

    auto* texts = new QVBoxLayout;
    texts->addWidget(current);
    texts->addWidget(m_latestLabel);
    texts->addWidget(m_status);
    texts->addStretch(1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_upgrade);
    buttons->addWidget(m_checkNew);
    buttons->addWidget(m_close);
    buttons->addStretch(1);

    auto* layout = new QGridLayout(this);
    layout->addLayout(texts, 0, 0);
    layout->addLayout(buttons, 0, 1);
    layout->setColumnMinimumWidth(0, 220);
    layout->setColumnStretch(0, 1);

    connect(m_upgrade, &QPushButton::clicked, this, &CUpgradeDlg::OnUpgrade);
    connect(m_checkNew, &QPushButton::clicked, this, &CUpgradeDlg::OnCheckNew);
    connect(m_close, &QPushButton::clicked, this, &CUpgradeDlg::accept);
}

void CUpgradeDlg::SetBusy(bool busy)
{
    m_checkNew->setEnabled(!busy);
    m_close->setEnabled(!busy);
}

void CUpgradeDlg::OnCheckNew()
{
    if (m_check.IsRunning())
        return;
    if (!CConnectionState::IsConnected()) {
        CMessageService::Show(this, QString::fromLatin1(kNotConnected), QString::fromLatin1(kNotConnectedCaption),
            QMessageBox::Ok, QMessageBox::Information);
        return;
    }
    m_status->setText(QString::fromLatin1(kPleaseWait));
    SetBusy(true);
    m_check.Start(UpdateServer::VersionAddress());
}

void CUpgradeDlg::OnCheckFinished(const CheckOutcome& outcome)
{
    SetBusy(false);
    if (outcome.kind == CheckOutcome::Kind::Latest) {
        m_latestLabel->setText(QString::fromLatin1(kLastVersion) + VersionText::Dotted(outcome.latest));
        if (VersionText::IsNewer(outcome.latest, m_currentVersion)) {
            m_latestVersion = outcome.latest;
            m_upgrade->setEnabled(true);
            m_status->setText(QString::fromLatin1(kNewVersion));
            // Nothing newer can turn up while this window is open.
            m_checkNew->setEnabled(false);
        } else {
            m_status->setText(QString::fromLatin1(kNoNewVersion));
        }
        return;
    }
    // A refusing server (a missing file, a server fault) is a failed check
    // too: left at "Please wait" with no way to retry, the window would
    // claim to be still at work.
    m_latestLabel->setText(QString::fromLatin1(kTryAgain));
    m_status->setText(QString::fromLatin1(kBlank));
}

void CUpgradeDlg::OnUpgrade()
{
    CShellService::Instance().OpenUrl(UpdateServer::SetupAddress(m_latestVersion));
}

void CUpgradeDlg::done(int result)
{
    if (m_check.IsRunning()) {
        m_check.Cancel();
        m_status->setText(QString::fromLatin1(kBlank));
        SetBusy(false);
    }
    QDialog::done(result);
}
