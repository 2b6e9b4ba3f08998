// The rules behind the TLS choices: which addresses count as this machine, how a
// fingerprint is read, when a program insists on TLS, and the pin file.
#include <gtest/gtest.h>

#include <fstream>

#include "bot/BotOptions.h"
#include "core/CertFingerprint.h"
#include "core/NetAddress.h"
#include "lobby/CertPin.h"
#include "server/ServerOptions.h"
#include "tests/tls/TlsKit.h"

namespace {

template <class Options, class Parser>
bool ParseArgs(std::vector<std::string> args, Options& out, std::string& error, Parser parse) {
    args.insert(args.begin(), "program");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    return parse(static_cast<int>(argv.size()), argv.data(), out, error);
}

}  // namespace

TEST(TlsRules, LoopbackAddresses) {
    for (const char* host : {"127.0.0.1", "127.0.0.2", "127.255.255.254", "::1", "[::1]", "localhost", "LocalHost",
                             "::ffff:127.0.0.1", "0:0:0:0:0:0:0:1"})
        EXPECT_TRUE(NetAddress::IsLoopback(host)) << host;
    for (const char* host : {"0.0.0.0", "::", "128.0.0.1", "126.255.255.255", "10.0.0.1", "192.168.1.2", "::2",
                             "::ffff:10.0.0.1", "example.org", "localhost.example.org", "127.0.0.1.nip.io", "", "1"})
        EXPECT_FALSE(NetAddress::IsLoopback(host)) << host;
}

TEST(TlsRules, FingerprintsAreReadInEitherFormAndNothingElse) {
    const std::string hex(64, 'a');
    std::string colons;
    for (int i = 0; i < 32; ++i) colons += std::string(i ? ":" : "") + "AA";
    EXPECT_EQ(CertFingerprint::Parse(hex), hex);
    EXPECT_EQ(CertFingerprint::Parse(colons), hex);
    EXPECT_EQ(CertFingerprint::Show(hex), colons);
    for (const std::string& bad : {std::string(62, 'a'), std::string(66, 'a'), std::string(63, 'a') + "g", ":" + hex,
                                   hex + ":", std::string("a:") + std::string(63, 'a'), std::string()})
        EXPECT_FALSE(CertFingerprint::Parse(bad)) << bad;
    // The digest of the DER bytes, as any TLS tool shows it.
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_EQ(CertFingerprint::OfDer(abc, 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(TlsRules, ServerNeedsACertificateForAnyAddressOffThisMachine) {
    tlskit::TempFolder dir("options");
    tlskit::CertPair pair(dir.path, "room");
    ServerOptions o;
    std::string error;
    EXPECT_TRUE(ParseArgs({"--listen", "127.0.0.1:0"}, o, error, ParseServerOptions)) << error;
    EXPECT_TRUE(ParseArgs({"--listen", "[::1]:0"}, o, error, ParseServerOptions)) << error;
    for (const char* listen : {"0.0.0.0:47800", "[::]:0", "10.1.2.3:0"}) {
        ServerOptions plain;
        EXPECT_FALSE(ParseArgs({"--listen", listen}, plain, error, ParseServerOptions)) << listen;
        EXPECT_NE(error.find("--tls-cert"), std::string::npos);
        ServerOptions tls;
        EXPECT_TRUE(ParseArgs({"--listen", listen, "--tls-cert", pair.cert, "--tls-key", pair.key}, tls, error,
                              ParseServerOptions))
            << error;
    }
    ServerOptions half;
    EXPECT_FALSE(ParseArgs({"--listen", "127.0.0.1:0", "--tls-cert", pair.cert}, half, error, ParseServerOptions));
    EXPECT_NE(error.find("go together"), std::string::npos);
}

TEST(TlsRules, ComputerPlayersUseTlsOffThisMachineAndAlwaysWithAPin) {
    const std::string fp(64, 'b');
    BotOptions local;
    std::string error;
    ASSERT_TRUE(ParseArgs({"--server", "127.0.0.1:4000"}, local, error, ParseBotOptions)) << error;
    EXPECT_FALSE(local.tls);
    BotOptions asked;
    ASSERT_TRUE(ParseArgs({"--server", "127.0.0.1:4000", "--tls-fingerprint", fp}, asked, error, ParseBotOptions));
    EXPECT_TRUE(asked.tls);
    EXPECT_EQ(asked.tlsFingerprint, fp);
    BotOptions remote;
    ASSERT_TRUE(ParseArgs({"--server", "example.org:4000", "--tls-fingerprint", fp}, remote, error, ParseBotOptions));
    EXPECT_TRUE(remote.tls);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--server", "example.org:4000"},
                                                {"--server", "127.0.0.1:4000", "--tls"},
                                                {"--server", "127.0.0.1:4000", "--tls-fingerprint", "abc"}}) {
        BotOptions o;
        EXPECT_FALSE(ParseArgs(bad, o, error, ParseBotOptions)) << bad[1];
    }
}

TEST(TlsRules, PinFileKeepsEveryServerAndSkipsDamagedLines) {
    tlskit::TempFolder dir("pinfile");
    const auto file = dir.path / "sub" / "known-servers";
    EXPECT_EQ(ServerKey("Example.ORG", 47800), "example.org:47800");
    EXPECT_EQ(ServerKey("::1", 5), "[::1]:5");
    {
        CertPins pins(file);
        EXPECT_FALSE(pins.Find("a:1"));
        std::string error;
        ASSERT_TRUE(pins.Remember("a:1", std::string(64, '1'), error)) << error;
        ASSERT_TRUE(pins.Remember("b:2", std::string(64, '2'), error)) << error;
        ASSERT_TRUE(pins.Remember("a:1", std::string(64, '3'), error)) << error;
    }
    std::ofstream(file, std::ios::app) << "broken line\nc:3 nothex\n\n";
    CertPins again(file);
    EXPECT_EQ(again.Find("a:1"), std::string(64, '3'));
    EXPECT_EQ(again.Find("b:2"), std::string(64, '2'));
    EXPECT_FALSE(again.Find("c:3"));
    EXPECT_FALSE(again.Find("broken"));
}
