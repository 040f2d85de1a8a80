// The request itself against a server on 127.0.0.1: what is sent, through
// which proxy, requests that are never answered or are abandoned, and
// answers that are too long or no version at all.
#include "tests/update/local_http_server.h"
#include "update/update_check.h"
#include "update/update_server.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kvntest::BypassProxyForLoopback();
        QObject::connect(&m_check, &CUpdateCheck::Finished, [this](const CheckOutcome& o) { m_outcomes << o; });
    }
    void Start(const QString& server) { m_check.Start(QUrl("http://" + server + "/version.txt")); }
    bool WaitForOutcome()
    {
        return QTest::qWaitFor([this] { return !m_outcomes.isEmpty(); }, 20000);
    }

    kvntest::LocalHttpServer m_server;
    CUpdateCheck m_check;
    QList<CheckOutcome> m_outcomes;
};

TEST_F(UpdateCheckTest, AsksForVersionTxtAsTheProgramAcceptingText)
{
    m_server.Answer(200, "3400\r\n");
    Start(m_server.HostAndPort());
    ASSERT_TRUE(WaitForOutcome());
    EXPECT_EQ(m_outcomes[0].kind, CheckOutcome::Kind::Latest);
    EXPECT_EQ(m_outcomes[0].latest, "3400");
    ASSERT_EQ(m_server.Requests().size(), 1);
    const QByteArray head = m_server.Requests()[0];
    EXPECT_TRUE(head.startsWith("GET /version.txt HTTP/1.1\r\n")) << head.constData();
    EXPECT_TRUE(head.contains("\r\nUser-Agent: Kelvanetrix Plus\r\n")) << head.constData();
    EXPECT_TRUE(head.contains("\r\nAccept: text/*\r\n")) << head.constData();
}

// With a proxy configured the update server itself is never contacted: here
// it is a closed port, and the proxy answers for it.
TEST_F(UpdateCheckTest, GoesThroughTheSystemProxy)
{
    for (const char* session : { "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION" })
        if (!qEnvironmentVariableIsEmpty(session))
            GTEST_SKIP() << "the desktop's own proxy settings rule here, not the environment";
    qputenv("http_proxy", ("http://" + m_server.HostAndPort()).toLatin1());
    qunsetenv("no_proxy");
    m_server.Answer(200, "3400\n");
    const QString closed = kvntest::LocalHttpServer::ClosedPort();
    Start(closed);
    const bool answered = WaitForOutcome();
    kvntest::BypassProxyForLoopback();
    ASSERT_TRUE(answered);
    EXPECT_EQ(m_outcomes[0].latest, "3400");
    ASSERT_EQ(m_server.Requests().size(), 1);
    EXPECT_TRUE(m_server.Requests()[0].startsWith(("GET http://" + closed + "/version.txt ").toLatin1()));
}

// Whatever a server on the way sends in place of a version tells nothing: no
// version is shown, and no more than a version file's worth is read.
TEST_F(UpdateCheckTest, OnlyAShortVersionNumberCounts)
{
    for (const QByteArray& body : { QByteArray("3.4\n"), QByteArray("<html>3400</html>"), QByteArray("3400abc"),
             QByteArray(""), QByteArray("123456"), QByteArray("\n3400"), "3400\n" + QByteArray(4 << 20, '9') }) {
        m_outcomes.clear();
        m_server.Answer(200, body);
        Start(m_server.HostAndPort());
        ASSERT_TRUE(WaitForOutcome());
        EXPECT_EQ(m_outcomes[0].kind, CheckOutcome::Kind::Failed) << body.left(20).constData();
        EXPECT_TRUE(m_outcomes[0].latest.isEmpty());
    }
    // An answer that never ends is left after its first few hundred bytes,
    // long before the transfer limit would end it.
    m_outcomes.clear();
    m_server.AnswerWithoutEnd("3400\n" + QByteArray(64 << 10, 'x'));
    m_check.SetTransferTimeout(600000);
    Start(m_server.HostAndPort());
    ASSERT_TRUE(WaitForOutcome());
    EXPECT_EQ(m_outcomes[0].kind, CheckOutcome::Kind::Failed);
}

// https unless a test names a plain server: a plain server asked over https
// gives no answer.
TEST_F(UpdateCheckTest, AsksOverHttpsUnlessTheServerIsNamedPlain)
{
    UpdateServer::SetServer("update.example:8443");
    EXPECT_EQ(UpdateServer::VersionAddress().toString(), "https://update.example:8443/version.txt");
    UpdateServer::SetServer("http://" + m_server.HostAndPort());
    EXPECT_EQ(UpdateServer::VersionAddress().toString(), "http://" + m_server.HostAndPort() + "/version.txt");
    UpdateServer::SetServer(m_server.HostAndPort());
    m_server.Answer(200, "3400\n");
    m_check.SetTransferTimeout(2000); // the plain server waits for a request head that never comes
    m_check.Start(UpdateServer::VersionAddress());
    UpdateServer::SetServer({});
    ASSERT_TRUE(WaitForOutcome());
    EXPECT_EQ(m_outcomes[0].kind, CheckOutcome::Kind::Failed);
}

TEST_F(UpdateCheckTest, SilentServerEndsAsAFailure)
{
    m_server.Hold();
    m_check.SetTransferTimeout(300);
    Start(m_server.HostAndPort());
    ASSERT_TRUE(WaitForOutcome());
    EXPECT_EQ(m_outcomes[0].kind, CheckOutcome::Kind::Failed);
    EXPECT_FALSE(m_check.IsRunning());
}

TEST_F(UpdateCheckTest, AbandonedRequestIsNeverHeardOf)
{
    m_server.Hold();
    Start(m_server.HostAndPort());
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_server.HeldCount() == 1; }, 20000));
    m_check.Cancel();
    EXPECT_FALSE(m_check.IsRunning());
    {
        CUpdateCheck destroyed;
        QObject::connect(&destroyed, &CUpdateCheck::Finished, [this](const CheckOutcome& o) { m_outcomes << o; });
        destroyed.Start(QUrl("http://" + m_server.HostAndPort() + "/version.txt"));
        ASSERT_TRUE(QTest::qWaitFor([this] { return m_server.HeldCount() == 2; }, 20000));
    }
    m_server.Release();
    ASSERT_TRUE(kvntest::LetPendingAnswersArrive());
    EXPECT_TRUE(m_outcomes.isEmpty());
}

} // namespace
