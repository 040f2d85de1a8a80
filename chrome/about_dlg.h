// The about box: program name and version, copyright, home page and e-mail.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kHomePage = "https://kelvanetrix.example/";
    static constexpr const char* kSupportMail = "mailto:support@kelvanetrix.example";

    explicit CAboutDlg(QWidget* parent = nullptr);
};
