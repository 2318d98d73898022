#include <gtest/gtest.h>

#include <string>
#include <vector>

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
using Strings = std::vector<std::string>;

class SnmpPage : public StoreFixture {};

// Every value of the Advanced dialog, in the order it writes them.
const Strings kAdvancedWrites = {"set :iec", "set :iecn",      "set :ied",
                                 "set :ien", "set :ies",       "set :iet",
                                 "set :ieu", "set :senderOID", "set :stripCRLF"};

TEST_F(SnmpPage, FirstRunShowsTheDefaultsAndAStoredVersionOutsideTheListSelectsNothing) {
  CfgSnmp page(registry);
  page.Load();
  EXPECT_EQ(0, page.settings().version_index);
  EXPECT_EQ("192.1.1.1", page.settings().destination);
  EXPECT_EQ("162", page.settings().port_text);
  EXPECT_EQ("public", page.settings().community);
  SetNumber("", "version", 7);
  page.Load();
  EXPECT_EQ(SnmpSettings::kNoVersion, page.settings().version_index);
}

TEST_F(SnmpPage, LoadStopsAtTheFirstFailedRead) {
  // "destination" is missing: "port" and "version" come after it and stay unread.
  SetText("", "community", "secret");
  SetNumber("", "port", 1162);
  SetNumber("", "version", 1);
  CfgSnmp page(registry);
  page.Load();
  EXPECT_EQ("secret", page.settings().community);
  EXPECT_EQ("", page.settings().destination);
  EXPECT_EQ("", page.settings().port_text);
  EXPECT_EQ(SnmpSettings::kNoVersion, page.settings().version_index);
}

TEST_F(SnmpPage, RefusedSaveListsEveryMissingFieldInOrderAndWritesNothing) {
  CreateDefaultStore();
  CfgSnmp page(registry);
  std::string refusal;
  EXPECT_FALSE(page.Save(&refusal));
  EXPECT_EQ(
      "There is an error in the data:\n\n"
      "An SNMP Version must be specified\n"
      "A destination IP address or host must be specified\n"
      "A destination port must be specified\n"
      "An SNMP Community must be specified\n",
      refusal);
  EXPECT_TRUE(registry.log().empty());

  page.settings() = SnmpSettings{1, "host", "", "public"};
  EXPECT_FALSE(page.Save(&refusal));
  EXPECT_EQ("There is an error in the data:\n\nA destination port must be specified\n", refusal);
}

TEST_F(SnmpPage, TextsTheStoreCannotReadBackAreRefused) {
  CreateDefaultStore();
  CfgSnmp page(registry);
  page.settings() = SnmpSettings{0, std::string(128, 'd'), "162", std::string(127, 'c')};
  std::string refusal;
  EXPECT_FALSE(page.Save(&refusal));
  EXPECT_EQ(
      "There is an error in the data:\n\n"
      "The destination IP address or host must not be longer than 127 characters\n",
      refusal);
  page.settings().destination.resize(127);
  EXPECT_TRUE(page.Save(&refusal));
  EXPECT_EQ(std::string(127, 'd'), Text("", "destination"));
}

TEST_F(SnmpPage, SaveWritesCommunityDestinationPortVersionInThisOrder) {
  CreateDefaultStore();
  CfgSnmp page(registry);
  page.settings() = SnmpSettings{1, "trap.example", "1162", "private"};
  std::string refusal;
  ASSERT_TRUE(page.Save(&refusal));
  EXPECT_EQ((Strings{"set :community", "set :destination", "set :port", "set :version"}),
            registry.log());
  EXPECT_EQ(1, Number("", "version"));
  EXPECT_EQ("trap.example", Text("", "destination"));
  EXPECT_EQ(1162, Number("", "port"));
  EXPECT_EQ("private", Text("", "community"));
}

TEST_F(SnmpPage, PortTextIsConvertedNotValidated) {
  CreateDefaultStore();
  const struct {
    const char* text;
    std::int32_t stored;
  } cases[] = {{"162", 162}, {"12ab", 12}, {"port", 0}, {" -1", -1}, {"0", 0}};
  for (const auto& c : cases) {
    CfgSnmp page(registry);
    page.settings() = SnmpSettings{0, "h", c.text, "p"};
    std::string refusal;
    ASSERT_TRUE(page.Save(&refusal)) << c.text;
    EXPECT_EQ(c.stored, Number("", "port")) << c.text;
  }
}

TEST_F(SnmpPage, AdvancedDialogRepairsTheStoreAtTheFirstMissingFlag) {
  CreateDefaultStore();
  SetNumber("", "iec", 0);
  SetNumber("", "iecn", 0);
  SetNumber("", "ien", 0);  // after the missing "ied": never read
  AdvancedSnmpDialog dialog(registry);
  dialog.Load();
  const auto& s = dialog.settings();
  EXPECT_FALSE(s.event_category);
  EXPECT_FALSE(s.event_computer_name);
  EXPECT_TRUE(s.event_description && s.event_number && s.event_source && s.event_type &&
              s.event_user);
  EXPECT_FALSE(s.strip_crlf);
  EXPECT_EQ(kAdvancedWrites, registry.log());
  for (const char* flag : {"iec", "iecn", "ied", "ien", "ies", "iet", "ieu"}) {
    EXPECT_EQ(1, Number("", flag)) << flag;
  }
  EXPECT_EQ("", Text("", "senderOID"));
  EXPECT_EQ(0, Number("", "stripCRLF"));
}

TEST_F(SnmpPage, AdvancedDialogOnACompleteStoreWritesNothingUntilOk) {
  CreateDefaultStore();
  for (const char* flag : {"iec", "iecn", "ied", "ien", "ies", "iet", "ieu"}) {
    SetNumber("", flag, 1);
  }
  SetText("", "senderOID", "1.3.6.1.4.1.99");
  SetNumber("", "stripCRLF", 1);
  AdvancedSnmpDialog dialog(registry);
  dialog.Load();
  EXPECT_TRUE(registry.log().empty());
  EXPECT_EQ("1.3.6.1.4.1.99", dialog.settings().sender_oid);
  EXPECT_TRUE(dialog.settings().strip_crlf);

  dialog.settings().event_user = false;
  dialog.settings().sender_oid = "1.3.6.1.4.1.5";
  std::string refusal;
  ASSERT_TRUE(dialog.Save(&refusal));
  EXPECT_EQ(kAdvancedWrites, registry.log());
  EXPECT_EQ(0, Number("", "ieu"));
  EXPECT_EQ("1.3.6.1.4.1.5", Text("", "senderOID"));

  registry.ClearLog();
  dialog.settings().sender_oid = std::string(128, '1');
  EXPECT_EQ("The Sender's OID must not be longer than 127 characters.",
            (dialog.Save(&refusal), refusal));
  EXPECT_TRUE(registry.log().empty());
}

TEST(LoggingSwitchKeys, OnlyCtrlThenF5WithoutOtherMessagesBetweenToggles) {
  using M = LoggingSwitch::Message;
  const struct {
    const char* name;
    std::vector<M> messages;
    int toggles;
  } cases[] = {
      {"ctrl f5", {M::kCtrlKeyDown, M::kF5KeyDown}, 1},
      {"f5 alone", {M::kF5KeyDown}, 0},
      {"other key between", {M::kCtrlKeyDown, M::kOtherKeyDown, M::kF5KeyDown}, 1},
      {"key-up between", {M::kCtrlKeyDown, M::kOther, M::kF5KeyDown}, 0},
      {"f5 again after its key-up", {M::kCtrlKeyDown, M::kF5KeyDown, M::kOther, M::kF5KeyDown}, 1},
      {"f5 held (repeat key-downs)", {M::kCtrlKeyDown, M::kF5KeyDown, M::kF5KeyDown}, 2},
      {"new ctrl each time",
       {M::kCtrlKeyDown, M::kF5KeyDown, M::kOther, M::kCtrlKeyDown, M::kF5KeyDown},
       2},
  };
  for (const auto& c : cases) {
    LoggingSwitch logging_switch;
    int toggles = 0;
    for (M m : c.messages) toggles += logging_switch.Inspect(m) ? 1 : 0;
    EXPECT_EQ(c.toggles, toggles) << c.name;
  }
}

TEST_F(SnmpPage, LoggingToggleWritesAMissingValueAsZeroFirst) {
  CreateDefaultStore();
  EXPECT_EQ("Logging is now on", LoggingSwitch::Toggle(registry));
  EXPECT_EQ((Strings{"set :logging", "set :logging"}), registry.log());
  EXPECT_EQ(1, Number("", "logging"));
  EXPECT_EQ("Logging is now off", LoggingSwitch::Toggle(registry));
  EXPECT_EQ(0, Number("", "logging"));
  SetNumber("", "logging", 5);
  EXPECT_EQ("Logging is now off", LoggingSwitch::Toggle(registry));
}

}  // namespace
}  // namespace kivo::testing
