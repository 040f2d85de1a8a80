// A small dialog that opens and closes with a zoom: an outline grows from an
// anchor point (where the mouse was) to the dialog, and shrinks back after.
#pragma once

#include <QDialog>
#include <QPoint>

class CZoomDialog : public QDialog {
    Q_OBJECT
public:
    CZoomDialog(const QPoint& anchor, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void Zoom(const QRect& from, const QRect& to);

    QPoint m_anchor;
};

// The key-missing and confirm-key windows.
class CKeyMessageDlg : public CZoomDialog {
    Q_OBJECT
public:
    enum class Kind { NoKey, ConfirmKey };
    CKeyMessageDlg(Kind kind, const QPoint& anchor, QWidget* parent);
};

class CNoKeyDlg final : public CKeyMessageDlg {
public:
    CNoKeyDlg(const QPoint& anchor, QWidget* parent)
        : CKeyMessageDlg(Kind::NoKey, anchor, parent)
    {
    }
};

class CConfirmKeyDlg final : public CKeyMessageDlg {
public:
    CConfirmKeyDlg(const QPoint& anchor, QWidget* parent)
        : CKeyMessageDlg(Kind::ConfirmKey, anchor, parent)
    {
    }
};
