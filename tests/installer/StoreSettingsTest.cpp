// The package's store settings: the public properties checked, carried to
// the deferred install step, and written into the store; and the store put
// back as it was when an install is rolled back (in memory, and the real
// registry under Wine).

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

#include "config/RegistryConfig.h"
#include "installer/ActionData.h"
#include "installer/StoreSettings.h"
#include "installer/StoreSnapshot.h"
#include "platform/fake/FakeRegistry.h"
#include "platform/fake/FakeSecrets.h"
#include "support/TestSupport.h"
#include "tool/StoreFixture.h"

namespace kivo::testing {

using installer::ParseStoreSettings;
using installer::StoreSettings;
using Properties = std::map<std::string, std::string>;

installer::ParsedStoreSettings Parse(Properties given) {
  return ParseStoreSettings([&given](const char* name) { return given[name]; });
}

TEST(StoreProperties, ValuesBecomeStoreValues) {
  const auto parsed = Parse({{"TRAPDESTINATION", "nms.example"},
                             {"TRAPPORT", "65535"},
                             {"COMMUNITY", "c;=x"},
                             {"SNMPVERSION", "2c"},
                             {"SYSLOGHOST", std::string(127, 'h')},
                             {"SYSLOGPORT", "1"},
                             {"BURST", "1"},
                             {"RESUME", "0"}});
  ASSERT_TRUE(parsed.settings) << parsed.error;
  const StoreSettings& s = *parsed.settings;
  EXPECT_EQ(std::make_tuple("nms.example", 65535, "c;=x", 1, std::string(127, 'h'), 1, 1, 0),
            std::make_tuple(*s.destination, *s.port, *s.community, *s.version, *s.syslog_host,
                            *s.syslog_port, *s.burst, *s.resume));
  EXPECT_EQ(0, Parse({{"SNMPVERSION", "1"}}).settings->version);
  EXPECT_FALSE(Parse({}).settings->destination);
  const auto v3 = Parse({{"SNMPVERSION", "3"},
                         {"INFORM", "1"},
                         {"V3USER", std::string(32, 'u')},
                         {"V3LEVEL", "2"},
                         {"V3AUTH", "SHA-512"},
                         {"V3PRIV", "AES"},
                         {"V3AUTHPASS", "maple syrup"},
                         {"V3PRIVPASS", std::string(1024, 'p')}});
  ASSERT_TRUE(v3.settings) << v3.error;
  const StoreSettings& s3 = *v3.settings;
  EXPECT_EQ(std::make_tuple(3, 1, std::string(32, 'u'), 2, "SHA-512", "AES", "maple syrup",
                            std::string(1024, 'p')),
            std::make_tuple(*s3.version, *s3.inform, *s3.v3_user, *s3.v3_level, *s3.v3_auth,
                            *s3.v3_priv, *s3.auth_passphrase, *s3.priv_passphrase));
  const auto tls = Parse({{"SYSLOGHOST", "h"},
                          {"SYSLOGPROTOCOL", "TLS"},
                          {"SYSLOGFORMAT", "Rfc5424"},
                          {"SYSLOGTLSNAME", "logs"},
                          {"SYSLOGCA", "C:\\ca.pem"}});
  ASSERT_TRUE(tls.settings) << tls.error;
  EXPECT_EQ((config::SyslogOptions{"tls", "rfc5424", "logs", "C:\\ca.pem"}),
            tls.settings->syslog_options);
}

TEST(StoreProperties, UnusableValuesStopTheInstall) {
  const std::map<Properties, std::string> rejected = {
      {{{"TRAPPORT", "0"}}, "TRAPPORT must be a port number from 1 to 65535, not \"0\""},
      {{{"TRAPPORT", "65536"}}, "TRAPPORT must be"},
      {{{"TRAPPORT", " 162"}}, "TRAPPORT must be"},
      {{{"SYSLOGHOST", "h"}, {"SYSLOGPORT", "5l4"}}, "SYSLOGPORT must be"},
      {{{"SNMPVERSION", "2"}}, "SNMPVERSION must be 1, 2c or 3, not \"2\""},
      {{{"INFORM", "2"}}, "INFORM must be 0 or 1"},
      {{{"V3LEVEL", "3"}}, "V3LEVEL must be 0, 1 or 2, not \"3\""},
      {{{"V3AUTH", "SHA-224"}},
       "V3AUTH must be SHA, SHA-256, SHA-384 or SHA-512 (Windows has no SHA-224), not "
       "\"SHA-224\""},
      {{{"V3PRIV", "DES"}}, "V3PRIV must be AES, not \"DES\""},
      {{{"V3USER", std::string(33, 'u')}}, "V3USER is longer than 32 characters"},
      {{{"V3AUTHPASS", "seven77"}}, "V3AUTHPASS must have 8 to 1024 characters"},
      {{{"V3PRIVPASS", std::string(1025, 'p')}}, "V3PRIVPASS must have 8 to 1024 characters"},
      {{{"BURST", "yes"}}, "BURST must be 0 or 1, not \"yes\""},
      {{{"RESUME", "01"}}, "RESUME must be 0 or 1"},
      {{{"COMMUNITY", std::string(128, 'c')}}, "COMMUNITY is longer than 127 characters"},
      {{{"SYSLOGPORT", "514"}}, "SYSLOGPORT needs SYSLOGHOST"},
      {{{"SYSLOGCA", "C:\\ca.pem"}}, "SYSLOGCA needs SYSLOGHOST"},
      {{{"SYSLOGHOST", "h"}, {"SYSLOGPROTOCOL", "sctp"}},
       "SYSLOGPROTOCOL must be udp, tcp or tls, not \"sctp\""},
      {{{"SYSLOGHOST", "h"}, {"SYSLOGFORMAT", "bsd"}}, "SYSLOGFORMAT must be classic or rfc5424"},
      {{{"SYSLOGHOST", "h"}, {"SYSLOGTLSNAME", std::string(128, 'n')}},
       "SYSLOGTLSNAME is longer than 127 characters"},
      {{{"SYSLOGHOST", "h"}, {"SYSLOGPROTOCOL", "tcp"}, {"SYSLOGCA", "ca.pem"}},
       "SYSLOGCA is a setting of TLS: it needs SYSLOGPROTOCOL=tls, not tcp"},
  };
  for (const auto& [given, error] : rejected) {
    const auto parsed = Parse(given);
    EXPECT_FALSE(parsed.settings) << error;
    EXPECT_EQ(0u, parsed.error.find(error)) << parsed.error;
    // A passphrase never shows in the message.
    if (given.begin()->first.find("PASS") != std::string::npos) {
      EXPECT_EQ(std::string::npos, parsed.error.find(given.begin()->second.substr(0, 7)));
    }
  }
}

TEST(StoreProperties, ActionDataCarriesAnyText) {
  const installer::ActionData data = {
      {"COMMUNITY", "a=1:b\r\n;"}, {"SYSLOGHOST", std::string(300, 'x')}, {"TRAPPORT", "162"}};
  EXPECT_EQ(data, installer::DecodeActionData(installer::EncodeActionData(data)));
  EXPECT_EQ(installer::ActionData{}, installer::DecodeActionData(""));
  for (const char* broken : {"TRAPPORT=4:162", "=1:a", "TRAPPORT=x:1", "TRAPPORT3:162"}) {
    EXPECT_FALSE(installer::DecodeActionData(broken)) << broken;
  }
  EXPECT_EQ("not \"[\\[]COMMUNITY[\\]]\" [\\{]x[\\}]",
            installer::FormattedLiteral("not \"[COMMUNITY]\" {x}"));
}

class StoreSettingsWrite : public ::testing::TestWithParam<RegistryFactory> {
 protected:
  void SetUp() override {
    registry_ = GetParam()();
    DeleteRegistryTree(*registry_, config::names::kRootPath);
  }
  void TearDown() override { DeleteRegistryTree(*registry_, config::names::kRootPath); }

  void Write(Properties given) {
    const auto parsed = Parse(given);
    ASSERT_TRUE(parsed.settings) << parsed.error;
    ASSERT_EQ(platform::kRegSuccess,
              installer::WriteStoreSettings(*registry_, secrets_, *parsed.settings));
  }
  std::optional<std::string> Text(const std::string& sub, const char* name) {
    return StoredText(*registry_, sub, name);
  }
  std::optional<std::int32_t> Number(const std::string& sub, const char* name) {
    return StoredNumber(*registry_, sub, name);
  }

  std::unique_ptr<platform::Registry> registry_;
  platform::FakeSecrets secrets_;
};

// The default store is the store's own first use (its cases prove it); here
// it shows in a default that was not given and in the list keys.
TEST_P(StoreSettingsWrite, NewStoreIsTheDefaultStoreWithTheGivenValues) {
  Write({{"TRAPDESTINATION", "10.1.2.3"}, {"SYSLOGHOST", "loghost"}});
  EXPECT_EQ("10.1.2.3", Text("", "destination"));
  EXPECT_EQ("public", Text("", "community"));
  EXPECT_TRUE(KeyExists(*registry_, StorePath("Filters")) &&
              KeyExists(*registry_, StorePath("Maps")));
  EXPECT_EQ(0, Number("Syslog", "usefilters"));
  EXPECT_EQ(std::vector<std::string>{"0"}, SubkeyNames(*registry_, StorePath("Syslog")));
  EXPECT_EQ("loghost", Text("Syslog\\0", "sysloghost"));
  EXPECT_EQ(514, Number("Syslog\\0", "syslogport"));

  DeleteRegistryTree(*registry_, config::names::kRootPath);
  Write({});
  EXPECT_EQ("192.1.1.1", Text("", "destination"));
  EXPECT_FALSE(KeyExists(*registry_, StorePath("Syslog")));
}

TEST_P(StoreSettingsWrite, SnmpV3UserGoesToTheStoreAndItsPassphrasesToTheSecrets) {
  Write({{"SNMPVERSION", "3"},
         {"INFORM", "1"},
         {"V3USER", "kivo"},
         {"V3LEVEL", "1"},
         {"V3AUTH", "SHA"},
         {"V3PRIV", "AES"},
         {"V3AUTHPASS", "maplesyrup"}});
  EXPECT_EQ(
      "root version=3 destination=\"192.1.1.1\" port=162 community=\"public\" inform=1 "
      "v3user=\"kivo\" v3level=1 v3auth=\"SHA\" v3priv=\"AES\"",
      DumpKey(*registry_, ""));
  std::string stored;
  EXPECT_EQ(0u, secrets_.Read("v3authpass", &stored));
  EXPECT_EQ("maplesyrup", stored);
  EXPECT_EQ(platform::kErrorFileNotFound, secrets_.Read("v3privpass", &stored));
}

TEST_P(StoreSettingsWrite, ExistingStoreKeepsWhatWasNotGiven) {
  Write({{"TRAPDESTINATION", "kept.example"}, {"SYSLOGHOST", "first"}, {"SYSLOGPORT", "1514"}});
  {
    config::RegistryConfig store(*registry_, "Syslog");
    store.SetUseFilters(1);
    ASSERT_TRUE(store.AddSyslogHost("second", 514));
  }
  Write({{"SYSLOGHOST", "replaced"}, {"TRAPPORT", "1162"}, {"SNMPVERSION", "2c"}});
  EXPECT_EQ("kept.example", Text("", "destination"));
  EXPECT_EQ(1162, Number("", "port"));
  EXPECT_EQ(1, Number("", "version"));
  EXPECT_EQ(1, Number("Syslog", "usefilters"));
  EXPECT_EQ("replaced", Text("Syslog\\0", "sysloghost"));
  EXPECT_EQ(1514, Number("Syslog\\0", "syslogport"));
  EXPECT_EQ("second", Text("Syslog\\1", "sysloghost"));
}

// Only the optional values given are written; without SYSLOGPORT the port
// follows the protocol while it is the one proposed for the old protocol.
TEST_P(StoreSettingsWrite, SyslogOptionsAreWrittenAndTheProposedPortFollowsTheProtocol) {
  Write({{"SYSLOGHOST", "h"}});
  EXPECT_EQ("Syslog\\0 sysloghost=\"h\" syslogport=514\n", DumpTree(*registry_, "Syslog\\0"));
  const struct {
    Properties given;
    std::int32_t port;
  } steps[] = {
      {{{"SYSLOGHOST", "h"}, {"SYSLOGPROTOCOL", "tls"}, {"SYSLOGCA", "C:\\ca.pem"}}, 6514},
      {{{"SYSLOGHOST", "h"}, {"SYSLOGFORMAT", "rfc5424"}}, 6514},
      {{{"SYSLOGHOST", "h"}, {"SYSLOGPROTOCOL", "tcp"}, {"SYSLOGPORT", "1514"}}, 1514},
      {{{"SYSLOGHOST", "h"}, {"SYSLOGPROTOCOL", "tls"}}, 1514},
  };
  for (const auto& step : steps) {
    Write(step.given);
    EXPECT_EQ(step.port, Number("Syslog\\0", "syslogport"));
  }
  for (const auto& [name, text] :
       {std::pair{"protocol", "tls"}, {"format", "rfc5424"}, {"tlsca", "C:\\ca.pem"}}) {
    EXPECT_EQ(text, Text("Syslog\\0", name));
  }
  EXPECT_EQ(std::nullopt, Text("Syslog\\0", "tlsname"));
}

TEST(StoreSettingsRefused, AWriteTheStoreRefusesFailsTheInstall) {
  platform::FakeRegistry registry;
  config::RegistryConfig defaults(registry, nullptr);
  platform::FakeSecrets secrets;
  registry.RefuseChanges(platform::kErrorAccessDenied);
  EXPECT_EQ(platform::kErrorAccessDenied,
            installer::WriteStoreSettings(
                registry, secrets, *Parse({{"TRAPPORT", "1162"}, {"SYSLOGHOST", "h"}}).settings));
  registry.RefuseChanges(platform::kRegSuccess);
  secrets.refuse_error = platform::kErrorAccessDenied;
  EXPECT_EQ(platform::kErrorAccessDenied,
            installer::WriteStoreSettings(registry, secrets,
                                          *Parse({{"V3PRIVPASS", "syrupmaple"}}).settings));
}

// A failed install puts back the store it found, whatever it wrote (the
// snapshot travels as text to the rollback step); the service's positions
// and keys the store does not know stay as they are.
TEST_P(StoreSettingsWrite, RollbackPutsBackTheStoreItFound) {
  Write({{"COMMUNITY", "kept"}, {"SYSLOGHOST", "first"}});
  {
    config::RegistryConfig store(*registry_, nullptr);
    store.AddFilter("EventId", "Include", "1");
    store.AddMap(7);
    store.Open("Syslog\\0");
    store.WriteNumber("syslogport", 0x7FFFFFFF);
  }
  for (const char* key : {"Syslog\\0", "Positions"}) {
    ASSERT_TRUE(
        WriteValue(*registry_, StorePath(key), "other", {platform::RegType::kBinary, "\x01"}));
  }
  const std::string before = DumpTree(*registry_);
  const auto taken = installer::TakeStoreSnapshot(*registry_);
  ASSERT_EQ(platform::kRegSuccess, taken.error);
  const auto snapshot =
      installer::DecodeStoreSnapshot(installer::EncodeStoreSnapshot(taken.snapshot));
  ASSERT_TRUE(snapshot);
  // The install, then what a failed one may leave besides.
  Write({{"COMMUNITY", "new"}, {"BURST", "1"}, {"SYSLOGHOST", "second"}, {"SYSLOGPORT", "1"}});
  {
    config::RegistryConfig store(*registry_, nullptr);
    store.AppendFilter("EventId", "Include", "2");
    store.ClearMaps();
    store.Open("Syslog\\0");
    store.WriteNumber("usefilters", 1);
  }
  ASSERT_TRUE(WriteValue(*registry_, StorePath("Positions"), "other",
                         {platform::RegType::kBinary, "\x02"}));
  ASSERT_NE(before, DumpTree(*registry_));
  EXPECT_EQ(platform::kRegSuccess, installer::RestoreStoreSnapshot(*registry_, *snapshot));
  EXPECT_EQ(before, DumpTree(*registry_));
  EXPECT_EQ("\x01", ReadValue(*registry_, StorePath("Syslog\\0"), "other")->bytes);
  EXPECT_EQ("\x02", ReadValue(*registry_, StorePath("Positions"), "other")->bytes);
}

TEST_P(StoreSettingsWrite, RollbackRemovesAStoreTheInstallCreatedButNotThePositions) {
  const std::string vendor = "SOFTWARE\\Tarvenor";
  DeleteRegistryTree(*registry_, vendor);
  const auto none = installer::TakeStoreSnapshot(*registry_);
  ASSERT_TRUE(none.error == platform::kRegSuccess && none.snapshot.keys.empty());
  for (bool service_ran : {true, false}) {
    Write({{"SYSLOGHOST", "h"}, {"RESUME", "1"}});
    if (service_ran) {
      ASSERT_TRUE(WriteValue(*registry_, StorePath("Positions"), "System",
                             {platform::RegType::kBinary, "12345678"}));
    }
    EXPECT_EQ(platform::kRegSuccess, installer::RestoreStoreSnapshot(*registry_, none.snapshot));
    EXPECT_EQ(service_ran ? "root\nPositions\n" : "root (no key)\n", DumpTree(*registry_));
    EXPECT_EQ(service_ran, KeyExists(*registry_, vendor));
    DeleteRegistryTree(*registry_, config::names::kRootPath);
  }
}

TEST(StoreSnapshotText, AnythingButWhatTheSnapshotWroteIsRefused) {
  installer::StoreSnapshot snapshot{
      true, {{"", {{"community", platform::RegType::kBinary, {0, 0xFF, '='}}}}, {"Maps\\7", {}}}};
  const auto decoded = installer::DecodeStoreSnapshot(installer::EncodeStoreSnapshot(snapshot));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(installer::EncodeStoreSnapshot(snapshot), installer::EncodeStoreSnapshot(*decoded));
  for (const char* broken : {"key:Positions=0:", "key:Maps\\x=0:", "value::other=3:1:00",
                             "value::port=4:2:0", "value:Filters:port=4:4:00000000", "x=0:"}) {
    EXPECT_FALSE(installer::DecodeStoreSnapshot(broken)) << broken;
  }
}

INSTANTIATE_TEST_SUITE_P(Fake, StoreSettingsWrite, ::testing::Values(&MakeFakeRegistry),
                         [](const auto&) { return std::string("InMemory"); });
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Win32, StoreSettingsWrite, ::testing::Values(&MakeWin32Registry),
                         [](const auto&) { return std::string("Win32"); });
#endif

}  // namespace kivo::testing
