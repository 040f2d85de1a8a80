// The "Upgrade Online" window against a server on 127.0.0.1: its texts and
// states for each answer, the missing connection, the setup address, and
// closing or destroying the window while the server keeps it waiting.
#include "shell/message_service.h"
#include "shell/shell_service.h"
#include "tests/update/local_http_server.h"
#include "update/connection_state.h"
#include "update/update_server.h"
#include "update/upgrade_dlg.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class RecordingShell : public CShellService {
public:
    explicit RecordingShell(QList<QUrl>* opened)
        : m_opened(opened)
    {
    }
    bool OpenUrl(const QUrl& url) override
    {
        m_opened->append(url);
        return true;
    }

private:
    QList<QUrl>* m_opened;
};

class UpgradeDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kvntest::BypassProxyForLoopback();
        UpdateServer::SetServer("http://" + m_server.HostAndPort());
        CConnectionState::SetProbe([this] { return m_connected; });
        CShellService::SetInstance(std::make_unique<RecordingShell>(&m_opened));
        CMessageService::SetHandler([this](const MessageRequest& r) {
            m_messages << r;
            return QMessageBox::Ok;
        });
        m_dlg = std::make_unique<CUpgradeDlg>();
        m_dlg->show();
    }
    void TearDown() override
    {
        m_dlg.reset();
        CMessageService::SetHandler({});
        CShellService::SetInstance(nullptr);
        CConnectionState::SetProbe({});
        UpdateServer::SetServer({});
    }

    QPushButton* Button(const char* name) const { return m_dlg->findChild<QPushButton*>(name); }
    bool Enabled(const char* name) const { return Button(name)->isEnabled(); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
    QString Text(const char* label) const { return m_dlg->findChild<QLabel*>(label)->text(); }
    bool WaitForHeld(int count)
    {
        return QTest::qWaitFor([this, count] { return m_server.HeldCount() == count; }, 20000);
    }
    // "&Close" comes back at the end of every check.
    void CheckAndWait()
    {
        Click("checkNew");
        EXPECT_TRUE(QTest::qWaitFor([this] { return Enabled("close"); }, 20000));
    }
    void ExpectIdle() const
    {
        EXPECT_EQ(Text("latestVersion"), " ");
        EXPECT_EQ(Text("status"), " ");
        EXPECT_FALSE(Enabled("upgrade"));
        EXPECT_TRUE(Enabled("checkNew") && Enabled("close"));
    }

    kvntest::LocalHttpServer m_server;
    bool m_connected = true;
    QList<QUrl> m_opened;
    QList<MessageRequest> m_messages;
    std::unique_ptr<CUpgradeDlg> m_dlg;
};

TEST_F(UpgradeDlgTest, OpensIdle)
{
    EXPECT_EQ(m_dlg->windowTitle(), "Upgrade Online");
    EXPECT_EQ(Text("currentVersion"), "Current Version: 3.3.2.1.");
    const auto colour
        = [this](const char* label) { return m_dlg->findChild<QLabel*>(label)->palette().color(QPalette::WindowText); };
    EXPECT_EQ(colour("currentVersion"), QColor(13, 1, 254));
    EXPECT_EQ(colour("latestVersion"), QColor(255, 0, 0));
    EXPECT_EQ(Button("upgrade")->text(), "&Upgrade");
    EXPECT_EQ(Button("checkNew")->text(), "Check &New");
    EXPECT_EQ(Button("close")->text(), "&Close");
    EXPECT_TRUE(Button("checkNew")->isDefault());
    ExpectIdle();
}

TEST_F(UpgradeDlgTest, NewerVersionOffersItsSetup)
{
    m_server.Hold();
    m_server.Answer(200, "3400\n");
    Click("checkNew");
    EXPECT_EQ(Text("status"), "Please wait a moment... ");
    EXPECT_FALSE(Enabled("checkNew") || Enabled("close") || Enabled("upgrade"));
    ASSERT_TRUE(WaitForHeld(1));
    m_server.Release();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Enabled("close"); }, 20000));

    EXPECT_EQ(Text("latestVersion"), "Last Version: 3.4.0.0.");
    EXPECT_EQ(Text("status"), "New version is released!\nYou may download now.");
    EXPECT_TRUE(Enabled("upgrade"));
    EXPECT_FALSE(Enabled("checkNew"));
    Click("upgrade");
    EXPECT_EQ(m_opened, QList<QUrl>{ QUrl("http://" + m_server.HostAndPort() + "/kv3400setup.exe") });
    EXPECT_TRUE(m_dlg->isVisible());
}

TEST_F(UpgradeDlgTest, SameOrUnreadableVersionIsNotNewer)
{
    m_server.Answer(200, "3321");
    CheckAndWait();
    EXPECT_EQ(Text("latestVersion"), "Last Version: 3.3.2.1.");
    EXPECT_EQ(Text("status"), "There is not new version.");
    EXPECT_FALSE(Enabled("upgrade"));

    // No version number at all: no information, quietly.
    m_server.Answer(200, "3.4");
    CheckAndWait();
    EXPECT_EQ(Text("latestVersion"), "Please try it again! ");
    EXPECT_EQ(Text("status"), " ");
    EXPECT_FALSE(Enabled("upgrade"));
    EXPECT_TRUE(Enabled("checkNew"));

    Click("close");
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_TRUE(m_opened.isEmpty() && m_messages.isEmpty());
}

// A refused connection and a missing file alike end in "try again", and
// again is possible.
TEST_F(UpgradeDlgTest, FailedCheckCanBeRepeated)
{
    m_server.Answer(404, "<html>Not Found</html>");
    for (const QString& server : { kvntest::LocalHttpServer::ClosedPort(), m_server.HostAndPort() }) {
        UpdateServer::SetServer("http://" + server);
        CheckAndWait();
        EXPECT_EQ(Text("latestVersion"), "Please try it again! ");
        EXPECT_EQ(Text("status"), " ");
        EXPECT_TRUE(Enabled("checkNew"));
        EXPECT_FALSE(Enabled("upgrade"));
    }
    EXPECT_EQ(m_server.Requests().size(), 1);

    m_server.Answer(200, "3322");
    CheckAndWait();
    EXPECT_EQ(Text("latestVersion"), "Last Version: 3.3.2.2.");
    EXPECT_TRUE(Enabled("upgrade"));
}

TEST_F(UpgradeDlgTest, WithoutAConnectionOnlyAMessage)
{
    m_connected = false;
    Click("checkNew");
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0].text, "Sorry, You need to connect to the Internet!");
    EXPECT_EQ(m_messages[0].caption, "Help");
    EXPECT_EQ(m_messages[0].icon, QMessageBox::Information);
    EXPECT_EQ(m_messages[0].owner, m_dlg.get());
    ExpectIdle();
    ASSERT_TRUE(kvntest::LetPendingAnswersArrive());
    EXPECT_TRUE(m_server.Requests().isEmpty());
}

TEST_F(UpgradeDlgTest, ClosedOrDestroyedDuringACheck)
{
    m_server.Hold();
    m_server.Answer(200, "3400");
    Click("checkNew");
    ASSERT_TRUE(WaitForHeld(1));
    QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_dlg->isVisible());
    m_server.Release();
    ASSERT_TRUE(kvntest::LetPendingAnswersArrive());
    ExpectIdle();

    m_server.Hold();
    m_dlg->show();
    Click("checkNew");
    ASSERT_TRUE(WaitForHeld(1));
    m_dlg.reset();
    m_server.Release();
    ASSERT_TRUE(kvntest::LetPendingAnswersArrive());
    EXPECT_TRUE(m_opened.isEmpty());
}

} // namespace
