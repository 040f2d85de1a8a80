// What every page of the configuration sheet shares: reading its settings
// the first time it is shown, the flag that lets the sheet save it, and the
// signal that a control changed. A page knows nothing of its sheet.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

class CConfigPage : public QWidget {
    Q_OBJECT

public:
    explicit CConfigPage(const QString& caption);

    const QString& Caption() const { return m_caption; }
    // 1 once the page has been shown and has read its settings, 0 before:
    // a page never shown holds no values worth saving.
    int Modified() const { return m_modified; }
    // Writes what the controls show to the settings.
    virtual void SaveSettings() = 0;

signals:
    // The user changed a control (the sheet then offers Apply).
    void changed();

protected:
    // Reads the settings into the controls, writing back a default for an
    // entry that holds none.
    virtual void OnInitDialog() = 0;
    // The user changed a control: says so with changed().
    void SetChanged();
    // A line of explanation under a control, indented to the control's text.
    static QLabel* NoteLabel(const QString& text, QWidget* parent);
    // The output and extension groups one under the other, then the page's
    // "&Default" button, which is returned for the page to connect.
    QPushButton* LayOutWithDefault(QWidget* output, QWidget* extension);

    void showEvent(QShowEvent* event) override;

private:
    QString m_caption;
    int m_modified = 0;
};
