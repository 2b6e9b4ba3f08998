// The room server's report lines as an operator reads them on standard error: a refused
// ticket leaves one line that says why and who it claimed to be, and never the ticket's
// signature or the secret; the levels below the one given stay silent.
#include <sstream>
#include <string>

#include "tests/faults/FaultFixture.h"

namespace {

// The lines of `text` that contain `part`.
std::vector<std::string> LinesWith(const std::string& text, const std::string& part) {
    std::vector<std::string> found;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.find(part) != std::string::npos) found.push_back(line);
    return found;
}

// The server's report lines once `part` shows in one of them (or after five seconds).
std::string ErrorsOnce(ServerProcess& server, const std::string& part) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (server.Errors().find(part) == std::string::npos && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    return server.Errors();
}

}  // namespace

TEST_F(FaultTest, AForgedTicketIsReportedOnceWithItsReasonAndWithoutItsSignature) {
    ASSERT_TRUE(StartServer());
    const std::string wrong = "another-secret";
    const std::string forged = Ticket::Make({3, "冒名者", "", std::time(nullptr) + 3600}, &wrong);
    const std::string signature = forged.substr(forged.rfind('.') + 1);
    ASSERT_EQ(signature.size(), 64u);

    auto c = Connect();
    c->SendHello(forged);
    c->SendLogin();
    EXPECT_TRUE(c->AwaitClosed());
    const std::string errors = ErrorsOnce(server_, "refused");
    const auto refused = LinesWith(errors, "refused");
    ASSERT_EQ(refused.size(), 1u) << errors;
    RecordProperty("report", refused[0]);  // shown in the XML report (--gtest_output=xml)
    EXPECT_EQ(refused[0].rfind("tilelink-server: ", 0), 0u) << refused[0];
    EXPECT_NE(refused[0].find("forged"), std::string::npos) << refused[0];
    EXPECT_NE(refused[0].find("冒名者"), std::string::npos) << refused[0];
    EXPECT_NE(refused[0].find("127.0.0.1"), std::string::npos) << refused[0];
    // Nothing of the ticket's proof and nothing of either secret, on any line.
    for (const std::string& secret : {signature, signature.substr(0, 16), std::string(kSecret), wrong})
        EXPECT_EQ(errors.find(secret), std::string::npos) << secret << " in\n" << errors;

    // A good ticket logs no refusal; an expired one says so, in a line of its own.
    auto good = Player("真名", 3);
    const std::string secret = kSecret;
    auto late = Connect();
    late->SendHello(Ticket::Make({3, "迟到者", "", std::time(nullptr) - 10}, &secret));
    late->SendLogin();
    EXPECT_TRUE(late->AwaitClosed());
    const std::string after = ErrorsOnce(server_, "迟到者");
    const auto nowRefused = LinesWith(after, "refused");
    ASSERT_EQ(nowRefused.size(), 2u) << after;
    EXPECT_NE(nowRefused[1].find("expired"), std::string::npos) << nowRefused[1];
    EXPECT_TRUE(LinesWith(after, "真名").empty()) << after;
}

TEST_F(FaultTest, TheLogLevelSilencesTheReportsBelowIt) {
    // At error only the refusal (a warning) is not written; at debug the closed
    // connection is, with its reason.
    ASSERT_TRUE(StartServer({"--log-level", "error"}));
    const std::string wrong = "another-secret";
    auto c = Connect();
    c->SendHello(Ticket::Make({3, "冒名者", "", std::time(nullptr) + 3600}, &wrong));
    c->SendLogin();
    EXPECT_TRUE(c->AwaitClosed());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(server_.Errors(), "");

    ServerProcess chatty;
    ASSERT_TRUE(chatty.Start({"--db", ":memory:", "--secret-file", SecretPath(), "--log-level", "debug"}));
    FaultClient d(chatty.Port());
    d.SendHello(Ticket::Make({3, "冒名者", "", std::time(nullptr) + 3600}, &wrong));
    d.SendLogin();
    EXPECT_TRUE(d.AwaitClosed());
    const std::string errors = ErrorsOnce(chatty, "closed");
    EXPECT_EQ(LinesWith(errors, "refused").size(), 1u) << errors;
    EXPECT_EQ(LinesWith(errors, "closed: left").size(), 1u) << errors;
    EXPECT_EQ(chatty.Stop(), 0);
}
