// Reading, comparing and showing version numbers; the server's addresses;
// what counts as being connected.
#include "update/connection_state.h"
#include "update/update_server.h"
#include "update/version_text.h"

#include <gtest/gtest.h>

#include <climits>

using namespace VersionText;

TEST(VersionTextTest, ComparedByLeadingDecimal)
{
    EXPECT_EQ(LeadingDecimal(" \t\n+3400abc"), 3400);
    EXPECT_EQ(LeadingDecimal("-7"), -7);
    EXPECT_EQ(LeadingDecimal("v3400"), 0);
    EXPECT_EQ(LeadingDecimal(""), 0);
    // Too long for an int: saturated rather than undefined.
    EXPECT_EQ(LeadingDecimal("99999999999999999999"), INT_MAX);
    EXPECT_EQ(LeadingDecimal("-99999999999999999999"), INT_MIN);

    EXPECT_TRUE(IsNewer("3400", "3321"));
    EXPECT_TRUE(IsNewer("10001", "3321"));
    for (const char* notNewer : { "3321", "3320", "3.4", "Not Found", "" })
        EXPECT_FALSE(IsNewer(notNewer, "3321")) << notNewer;
}

TEST(VersionTextTest, DottedFormAndFirstLine)
{
    EXPECT_EQ(Dotted("3400"), "3.4.0.0.");
    EXPECT_EQ(Dotted("10001"), "10.0.0.1.");
    EXPECT_EQ(Dotted("3.4"), "3.4");
    EXPECT_EQ(Dotted("123456"), "123456");

    EXPECT_EQ(FirstLine("3400"), "3400");
    EXPECT_EQ(FirstLine("3400\n3500\n"), "3400");
    EXPECT_EQ(FirstLine("3400\r\n"), "3400");
    EXPECT_EQ(FirstLine("\n3400"), "");
}

TEST(UpdateServerTest, SetterBeatsEnvironmentBeatsBuildDefault)
{
    qunsetenv("KVN_UPDATE_SERVER");
    const QString builtIn = UpdateServer::Server();
    EXPECT_FALSE(builtIn.isEmpty());
    qputenv("KVN_UPDATE_SERVER", "mirror.example:8080");
    EXPECT_EQ(UpdateServer::VersionAddress().toString(), "https://mirror.example:8080/version.txt");
    UpdateServer::SetServer("http://127.0.0.1:1234");
    EXPECT_EQ(UpdateServer::SetupAddress("3322").toString(), "http://127.0.0.1:1234/kv3322setup.exe");
    UpdateServer::SetServer({});
    qunsetenv("KVN_UPDATE_SERVER");
    EXPECT_EQ(UpdateServer::Server(), builtIn);
}

TEST(UpdateServerTest, ServerTextStaysInsideTheSetupFileName)
{
    UpdateServer::SetServer("update.example");
    const QUrl odd = UpdateServer::SetupAddress("3400?x#y");
    UpdateServer::SetServer({});
    EXPECT_EQ(odd.host(), "update.example");
    EXPECT_EQ(odd.fileName(), "kv3400?x#ysetup.exe");
    EXPECT_FALSE(odd.hasQuery() || odd.hasFragment());
}

TEST(ConnectionStateTest, OnlyADefiniteDisconnectStopsTheCheck)
{
    using R = QNetworkInformation::Reachability;
    EXPECT_FALSE(CConnectionState::CountsAsConnected(R::Disconnected));
    for (R connected : { R::Unknown, R::Local, R::Site, R::Online })
        EXPECT_TRUE(CConnectionState::CountsAsConnected(connected));
}
