// What the file-list tests share: a folder of files to list, a settings file,
// scripted message boxes and a desktop that records what it was asked to do.
#pragma once

#include "browser/cipher_view.h"
#include "browser/file_list_menu.h"
#include "config/settings_store.h"
#include "shell/cipher_doc.h"
#include "shell/message_service.h"
#include "shell/shell_service.h"
#include "tests/support/temp_dir.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QSet>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable failure messages for the texts compared below.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace kvntest {

class RecordingShell : public CShellService {
public:
    bool OpenUrl(const QUrl& url) override
    {
        m_opened << url;
        return m_openWorks;
    }
    // Removes the file, as the trash would take it away from the folder.
    bool MoveToTrash(const QString& path, QString* error) override
    {
        m_trashed << path;
        if (m_refuse.contains(path)) {
            *error = QStringLiteral("Permission denied");
            return false;
        }
        return QFile::remove(path);
    }
    bool ShowProperties(const QString& path) override
    {
        m_properties << path;
        return m_fileManagerAnswers;
    }
    bool ShowFolder(const QString&) override { return true; }

    QList<QUrl> m_opened;
    QStringList m_trashed;
    QStringList m_properties;
    QSet<QString> m_refuse;
    bool m_openWorks = true;
    bool m_fileManagerAnswers = false;
};

class CipherViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSettingsStore::SetInstance(std::make_unique<CSettingsStore>(QString::fromStdString(m_config.file("kvn.ini"))));
        auto shell = std::make_unique<RecordingShell>();
        m_shell = shell.get();
        CShellService::SetInstance(std::move(shell));
        CMessageService::SetHandler([this](const MessageRequest& r) {
            m_messages << r;
            return m_answer;
        });
        m_doc.m_strFolder = Folder();
    }
    void TearDown() override
    {
        CMessageService::SetHandler({});
        CShellService::SetInstance(nullptr);
        CSettingsStore::SetInstance(nullptr);
    }

    QString Folder() const { return QString::fromStdString(m_files.path()); }
    QString PathOf(const QString& name) const { return Folder() + QLatin1Char('/') + name; }

    void Write(const QString& name, qint64 bytes = 0, const QDateTime& modified = {})
    {
        QFile file(PathOf(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
        file.write(QByteArray(bytes, 'k'));
        ASSERT_TRUE(file.flush());
        if (modified.isValid()) {
            ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
        }
    }
    static void SetOption(const char* entry, const QString& value)
    {
        CSettingsStore::Instance().WriteString(QStringLiteral("ViewOption"), QString::fromLatin1(entry), value);
    }
    static QString Option(const char* entry)
    {
        return CSettingsStore::Instance().GetString(QStringLiteral("ViewOption"), QString::fromLatin1(entry));
    }

    // The texts of one column from the top row down.
    static QStringList Column(const CCipherView& view, int column)
    {
        QStringList texts;
        for (int row = 0; row < view.RowCount(); ++row)
            texts << view.ItemText(row, column);
        return texts;
    }
    static QStringList Names(const CCipherView& view) { return Column(view, CCipherView::NameColumn); }
    static int RowOf(const CCipherView& view, const QString& name) { return int(Names(view).indexOf(name)); }
    static QStringList SelectedNames(const CCipherView& view)
    {
        QStringList names;
        for (int row : view.SelectedRows())
            names << view.ItemText(row, CCipherView::NameColumn);
        return names;
    }

    // Shows the list as the main window would; its first display fills it.
    std::unique_ptr<CCipherView> ShownView(int width = 1000)
    {
        auto view = std::make_unique<CCipherView>(&m_doc);
        view->resize(width, 400);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return view;
    }
    // Clicks the named row's label in whatever view shows the list now.
    static void ClickRow(CCipherView& view, const QString& name, Qt::KeyboardModifiers modifiers = {},
        Qt::MouseButton button = Qt::LeftButton)
    {
        QAbstractItemView* items = view.CurrentView();
        const QModelIndex index = items->model()->index(RowOf(view, name), CCipherView::NameColumn);
        ASSERT_TRUE(index.isValid()) << name.toStdString();
        items->scrollTo(index);
        QTest::mouseClick(items->viewport(), button, modifiers, items->visualRect(index).center());
    }

    TempDir m_files;
    TempDir m_config;
    CCipherDoc m_doc;
    RecordingShell* m_shell = nullptr;
    QList<MessageRequest> m_messages;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
};

} // namespace kvntest
