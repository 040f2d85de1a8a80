// The "Upgrade Online" window: asks the update server for the latest
// version, says whether it is newer, and opens the newer setup's address.
#pragma once

#include "product_version.h"
#include "update/update_check.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

class CUpgradeDlg : public QDialog {
    Q_OBJECT

public:
    explicit CUpgradeDlg(QWidget* parent = nullptr);

    // Closing by the title bar or Escape during a check abandons the check.
    void done(int result) override;

private:
    void BuildWindow();
    void SetBusy(bool busy);

    void OnCheckNew();
    void OnCheckFinished(const CheckOutcome& outcome);
    void OnUpgrade();

    QPushButton* m_upgrade = nullptr;
    QPushButton* m_checkNew = nullptr;
    QPushButton* m_close = nullptr;
    QLabel* m_latestLabel = nullptr;
    QLabel* m_status = nullptr;

    const QString m_currentVersion = QStringLiteral(KVN_VERSION_DIGITS);
    QString m_latestVersion;
    // Last member, so it is destroyed first: a reply still under way is
    // dropped before any widget it would report to.
    CUpdateCheck m_check;
};
