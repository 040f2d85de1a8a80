// The tip-of-the-day window: one tip at a time from tips.txt, resuming where
// the previous window stopped, with the choice to appear at every start.
#pragma once

#include <QDialog>
#include <QFile>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;

class CTipDlg : public QDialog {
    Q_OBJECT

public:
    // Opens the tips file and reads the first tip already, so that the caller
    // can ask ShowAtStartUp() and destroy the window without showing it and
    // still move on to the next tip.
    explicit CTipDlg(QWidget* parent = nullptr);
    ~CTipDlg() override;

    bool ShowAtStartUp() const;

private:
    void BuildWindow();
    void OpenTipsFile();
    QString ReadNextTip();
    void ReportTrouble();

    void OnNextTip();
    void OnClose();

    QCheckBox* m_showOnStartUp = nullptr;
    QLabel* m_tipText = nullptr;
    QPushButton* m_nextTip = nullptr;
    QFile m_file;
};
