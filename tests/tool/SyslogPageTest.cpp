#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool/StoreFixture.h"
#include "tool/SyslogDestinationDialog.h"
#include "tool/SyslogPage.h"

namespace kivo::testing {
namespace {

using tool::SyslogDestinationDialog;
using tool::SyslogPage;
using tool::SyslogRow;
using Rows = std::vector<SyslogRow>;
using Strings = std::vector<std::string>;

class Syslog : public StoreFixture {
 protected:
  void StoreDestination(int number, const std::string& host, std::int32_t port) {
    const std::string entry = "Syslog\\" + std::to_string(number);
    SetText(entry, "sysloghost", host);
    SetNumber(entry, "syslogport", port);
  }
};

TEST_F(Syslog, WithoutASyslogKeyTheListIsEmptyAndNothingIsWritten) {
  CreateDefaultStore();
  SyslogPage page(registry);
  page.Load();
  EXPECT_TRUE(page.rows().empty());
  EXPECT_EQ(SyslogPage::kForwardEverything, page.use_filters());
  EXPECT_FALSE(Exists("Syslog"));
  EXPECT_TRUE(registry.log().empty());
}

TEST_F(Syslog, LoadShowsEntriesAndTheStoredChoiceEvenOutsideTheRadios) {
  CreateDefaultStore();
  SetNumber("Syslog", "usefilters", 2);
  StoreDestination(0, "loghost", 514);
  StoreDestination(1, "10.0.0.1", 1514);
  SyslogPage page(registry);
  page.Load();
  EXPECT_EQ((Rows{{"loghost", "514"}, {"10.0.0.1", "1514"}}), page.rows());
  EXPECT_EQ(2, page.use_filters());
  EXPECT_TRUE(registry.log().empty());
}

TEST_F(Syslog, LoadStopsAtAnEntryWithoutPortAndResetsTheChoiceInTheSyslogKey) {
  CreateDefaultStore();
  SetNumber("Syslog", "usefilters", 1);
  StoreDestination(0, "a", 514);
  SetText("Syslog\\1", "sysloghost", "b");
  StoreDestination(2, "c", 514);
  SyslogPage page(registry);
  page.Load();
  EXPECT_EQ((Rows{{"a", "514"}, {"b", ""}}), page.rows());
  EXPECT_EQ(SyslogPage::kForwardEverything, page.use_filters());
  EXPECT_EQ((Strings{"set Syslog:usefilters"}), registry.log());
  EXPECT_EQ(0, Number("Syslog", "usefilters"));
}

TEST_F(Syslog, FirstSaveCreatesTheKeyAndStoresRowsInOrderDroppingExactRepeats) {
  CreateDefaultStore();
  SyslogPage page(registry);
  page.Load();
  page.set_use_filters(SyslogPage::kUseFilters);
  page.Append({"LOGHOST", "514"});
  page.Append({"LogHost", "514"});
  page.Append({"LOGHOST", " 514"});  // the same port once converted
  page.Append({"", "0x10"});
  page.Save();
  EXPECT_EQ(
      (Strings{"set Syslog:usefilters", "set Syslog\\0:sysloghost", "set Syslog\\0:syslogport",
               "set Syslog\\1:sysloghost", "set Syslog\\1:syslogport", "set Syslog\\2:sysloghost",
               "set Syslog\\2:syslogport"}),
      registry.log());
  SyslogPage again(registry);
  again.Load();
  EXPECT_EQ((Rows{{"LOGHOST", "514"}, {"LogHost", "514"}, {"", "0"}}), again.rows());
  EXPECT_EQ(SyslogPage::kUseFilters, again.use_filters());
}

TEST_F(Syslog, ResaveReplacesEveryStoredDestination) {
  CreateDefaultStore();
  StoreDestination(0, "a", 1);
  StoreDestination(1, "b", 2);
  SetNumber("Syslog", "usefilters", 0);
  SyslogPage page(registry);
  page.Load();
  page.Remove(0);
  page.Replace(0, {"c", "3"});
  registry.ClearLog();
  page.Save();
  EXPECT_EQ((Strings{"set Syslog:usefilters", "delete Syslog\\1", "delete Syslog\\0",
                     "set Syslog\\0:sysloghost", "set Syslog\\0:syslogport"}),
            registry.log());
  EXPECT_EQ((Strings{"0"}), Subkeys("Syslog"));
}

TEST_F(Syslog, NeitherRadioChosenSavesAllBitsSet) {
  CreateDefaultStore();
  EXPECT_EQ(0, SyslogPage::ChoiceFromRadios(true, false));
  EXPECT_EQ(1, SyslogPage::ChoiceFromRadios(false, true));
  EXPECT_EQ(-1, SyslogPage::ChoiceFromRadios(false, false));
  SyslogPage page(registry);
  page.set_use_filters(SyslogPage::ChoiceFromRadios(false, false));
  page.Save();
  EXPECT_EQ(-1, Number("Syslog", "usefilters"));  // all 32 bits set
}

TEST(SyslogDialog, StartsFromProposalOrRowAndAcceptsOnlyWholeNumbers) {
  SyslogDestinationDialog add(SyslogDestinationDialog::Mode::kAdd, {"ignored", "1"});
  EXPECT_EQ("", add.initial_host());
  EXPECT_EQ("514", add.initial_port_text());
  EXPECT_STREQ("OK", add.confirm_caption());
  SyslogDestinationDialog modify(SyslogDestinationDialog::Mode::kModify, {"host", " 12x"});
  EXPECT_EQ("host", modify.initial_host());
  EXPECT_EQ("12", modify.initial_port_text());
  EXPECT_STREQ("Modify", modify.confirm_caption());

  const struct {
    const char* port;
    const char* message;
    const char* stored;
  } cases[] = {
      {"", "Please enter an integer.", ""},
      {"5 14", "Please enter an integer.", ""},
      {"51a", "Please enter an integer.", ""},
      {" 514 ", "", "514"},
      {"0", "", "0"},
      {"99999", "", "99999"},
  };
  for (const auto& c : cases) {
    SyslogDestinationDialog dialog(SyslogDestinationDialog::Mode::kAdd, {});
    EXPECT_EQ(c.message, dialog.Confirm("", c.port)) << '"' << c.port << '"';
    EXPECT_EQ(*c.message != '\0', dialog.port_refused());
    if (*c.message == 0) {
      EXPECT_EQ((SyslogRow{"", c.stored}), dialog.result());
    }
  }
  SyslogDestinationDialog dialog(SyslogDestinationDialog::Mode::kAdd, {});
  EXPECT_EQ("The host name or IP address must not be longer than 127 characters.",
            dialog.Confirm(std::string(128, 'h'), "514"));
  EXPECT_FALSE(dialog.port_refused());
}

}  // namespace
}  // namespace kivo::testing
