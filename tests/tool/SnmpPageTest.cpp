#include <gtest/gtest.h>

#include <string>

#include "tool/AdvancedSnmpDialog.h"
#include "tool/CfgSnmp.h"
#include "tool/LoggingSwitch.h"
#include "tool/StoreFixture.h"

namespace kivo::testing {
namespace {

using tool::AdvancedSnmpDialog;
using tool::CfgSnmp;
using tool::LoggingSwitch;
using tool::SnmpSettings;
using SnmpPage = ToolStore;

constexpr char kDefaultRoot[] =
    "root version=0 destination=\"192.1.1.1\" port=162 community=\"public\"";
constexpr char kErrorHeader[] = "There is an error in the data:\n\n";

std::string Shown(const SnmpSettings& s) {
  return std::to_string(s.version_index) + " " + s.destination + " " + s.port_text + " " +
         s.community;
}

TEST_F(SnmpPage, LoadShowsTheStoreUpToTheFirstFailedRead) {
  CfgSnmp page(registry);
  page.Load();  // the first use of the store creates the defaults
  EXPECT_EQ("0 192.1.1.1 162 public", Shown(page.settings()));
  Set("", "version", 7);  // outside the list: no entry chosen
  page.Load();
  EXPECT_EQ("-1 192.1.1.1 162 public", Shown(page.settings()));
  registry.DeleteValue(StorePath(""), "destination");  // "port" and "version" behind it stay unread
  CfgSnmp fresh(registry);
  fresh.Load();
  EXPECT_EQ("-1   public", Shown(fresh.settings()));
}

TEST_F(SnmpPage, SaveRefusesEmptyAndTooLongTextsOrWritesTheFourValues) {
  Defaults();
  CfgSnmp page(registry);
  std::string refusal;
  page.settings() = {SnmpSettings::kNoVersion, "", "", ""};
  EXPECT_FALSE(page.Save(&refusal));
  EXPECT_EQ(std::string(kErrorHeader) +
                "An SNMP Version must be specified\n"
                "A destination IP address or host must be specified\n"
                "A destination port must be specified\n"
                "An SNMP Community must be specified\n",
            refusal);
  page.settings() = {0, std::string(128, 'd'), "162", std::string(128, 'c')};
  EXPECT_FALSE(page.Save(&refusal));
  EXPECT_EQ(std::string(kErrorHeader) +
                "The destination IP address or host must not be longer than 127 characters\n"
                "The SNMP Community must not be longer than 127 characters\n",
            refusal);
  EXPECT_EQ(kDefaultRoot, DumpKey(""));
  page.settings() = {1, std::string(127, 'd'), "12ab", "private"};  // the port text is not checked
  ASSERT_TRUE(page.Save(&refusal));
  EXPECT_EQ(
      "root version=1 destination=\"" + std::string(127, 'd') + "\" port=12 community=\"private\"",
      DumpKey(""));
}

TEST_F(SnmpPage, AdvancedDialogRepairsAMissingFlagAndWritesNoMoreUntilAValidOk) {
  Defaults();
  Set("", "iec", 0);
  Set("", "iecn", 0);
  Set("", "ien", 0);  // behind the missing "ied": never read
  AdvancedSnmpDialog dialog(registry);
  dialog.Load();
  auto& s = dialog.settings();
  EXPECT_FALSE(s.event_category || s.event_computer_name || s.strip_crlf);
  EXPECT_TRUE(s.event_description && s.event_number && s.event_source && s.event_type &&
              s.event_user);
  const std::string repaired =
      std::string(kDefaultRoot) +
      " ien=1 iet=1 ies=1 iecn=1 ieu=1 ied=1 iec=1 senderOID=\"\" stripCRLF=0";
  EXPECT_EQ(repaired, DumpKey(""));
  s.sender_oid = std::string(128, '1');
  std::string refusal;
  EXPECT_FALSE(dialog.Save(&refusal));
  EXPECT_EQ("The Sender's OID must not be longer than 127 characters.", refusal);
  EXPECT_EQ(repaired, DumpKey(""));
  s.event_user = false;
  s.sender_oid = "1.3.6.1.4.1.5";
  s.strip_crlf = true;
  ASSERT_TRUE(dialog.Save(&refusal));
  const std::string saved = DumpKey("");
  EXPECT_EQ(std::string(kDefaultRoot) +
                " ien=1 iet=1 ies=1 iecn=0 ieu=0 ied=1 iec=0 senderOID=\"1.3.6.1.4.1.5\" "
                "stripCRLF=1",
            saved);
  AdvancedSnmpDialog again(registry);
  again.Load();  // a complete store: read, not written
  EXPECT_EQ(saved, DumpKey(""));
  EXPECT_TRUE(again.settings().strip_crlf && !again.settings().event_user);
  EXPECT_EQ("1.3.6.1.4.1.5", again.settings().sender_oid);
}

TEST_F(SnmpPage, LoggingSwitchTogglesOnCtrlThenF5AndFlipsAMissingOrAnyValue) {
  // Ctrl arms it, F5 while armed toggles (again while held), another key
  // leaves it armed, anything that is no key-down (a key-up) disarms it.
  using M = LoggingSwitch::Message;
  LoggingSwitch logging_switch;
  std::string toggles;
  for (M m : {M::kF5KeyDown, M::kCtrlKeyDown, M::kF5KeyDown, M::kF5KeyDown, M::kOther,
              M::kF5KeyDown, M::kCtrlKeyDown, M::kOtherKeyDown, M::kF5KeyDown, M::kOther,
              M::kCtrlKeyDown, M::kOther, M::kF5KeyDown}) {
    toggles += logging_switch.Inspect(m) ? 'T' : '.';
  }
  EXPECT_EQ("..TT....T....", toggles);
  Defaults();
  EXPECT_EQ("Logging is now on", LoggingSwitch::Toggle(registry));
  EXPECT_EQ(1, StoredNumber(registry, "", "logging"));
  EXPECT_EQ("Logging is now off", LoggingSwitch::Toggle(registry));
  EXPECT_EQ(0, StoredNumber(registry, "", "logging"));
  Set("", "logging", 5);
  EXPECT_EQ("Logging is now off", LoggingSwitch::Toggle(registry));
}

}  // namespace
}  // namespace kivo::testing
