#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool/FilterConfigDialog.h"
#include "tool/Filters.h"
#include "tool/StoreFixture.h"
#include "tool/SyslogDestinationDialog.h"
#include "tool/SyslogPage.h"
#include "tool/TrapTypeMap.h"

namespace kivo::testing {
namespace {

using tool::FilterConfigDialog;
using tool::FilterRow;
using tool::SyslogDestinationDialog;
using tool::SyslogPage;
using tool::SyslogRow;
using ListPages = ToolStore;
using Rows = std::vector<FilterRow>;

TEST_F(ListPages, FiltersLoadEndsAtAGapOrAtTheFirstUnreadableValue) {
  Defaults();
  for (const char* entry : {"Filters\\0", "Filters\\1", "Filters\\3"}) {
    Set(entry, "filterOn", "EventId");
    Set(entry, "filterType", "Include");
    Set(entry, "filterList", entry);
  }
  tool::Filters page(registry);
  page.Load();
  EXPECT_EQ((Rows{{"EventId", "Include", "Filters\\0"}, {"EventId", "Include", "Filters\\1"}}),
            page.rows());
  Set("Filters\\1", "filterList", std::string(128, 'x'));  // cannot be read back
  page.Load();
  EXPECT_EQ((Rows{{"EventId", "Include", "Filters\\0"}, {"EventId", "Include", ""}}), page.rows());
}

TEST_F(ListPages, FiltersSaveRenumbersTheRowsAndDropsARepeatedFieldAndType) {
  Defaults();
  Set("Filters\\0", "filterOn", "EventType");  // replaced by the save
  tool::Filters page(registry);
  page.Append({"EventUser", "Include", "gone"});
  page.Replace(0, {"EventId", "Include", "a"});
  page.Append({"EventId", "Include", "b"});
  page.Append({"EventId", "Exclude", "c"});
  page.Append(FilterRow{});  // nothing is checked
  page.Save();
  EXPECT_EQ(
      "Filters\n"
      "Filters\\0 filterOn=\"EventId\" filterType=\"Include\" filterList=\"a\"\n"
      "Filters\\1 filterOn=\"EventId\" filterType=\"Exclude\" filterList=\"c\"\n"
      "Filters\\2 filterOn=\"\" filterType=\"\" filterList=\"\"\n",
      DumpTree("Filters"));
  while (!page.rows().empty()) page.Remove(0);
  page.Save();
  EXPECT_EQ("Filters\n", DumpTree("Filters"));  // the key itself stays
}

TEST(FilterDialog, StartsEmptyOrFromTheRowAsTheListsOfferItAndRefusesLongTexts) {
  const struct {
    FilterRow row;
    const char* shown;  // the index of the "Filter On:" entry, the "Filter Type:" text
  } cases[] = {
      {{"EventCategory", "exc", "1"}, "6 Exclude"},
      {{"eventid", "INCLUDE", "1"}, "0 Include"},  // on: exact match only
      {{"Whatever", "Includes", "1"}, "0 Includes"},
      {{"EventUser", "", "1"}, "5 Exclude"},  // every entry begins with ""
  };
  for (const auto& c : cases) {
    FilterConfigDialog dialog(FilterConfigDialog::Mode::kModify, c.row);
    EXPECT_EQ(c.shown, std::to_string(dialog.initial_filter_on_index()) + " " +
                           dialog.initial_filter_type());
    EXPECT_EQ("1 Modify", dialog.initial_filter_list() + " " + dialog.confirm_caption());
  }
  FilterConfigDialog add(FilterConfigDialog::Mode::kAdd, {"EventId", "Include", "1"});
  EXPECT_EQ("-1  Add", std::to_string(add.initial_filter_on_index()) + " " +
                           add.initial_filter_type() + add.initial_filter_list() + " " +
                           add.confirm_caption());
  EXPECT_EQ(
      "The filter type must not be longer than 127 characters.\n"
      "The filter list must not be longer than 127 characters.\n",
      add.Confirm({"EventId", std::string(128, 'I'), std::string(128, '1')}));
  EXPECT_EQ("", add.Confirm({"EventId", "Include", std::string(127, '1')}));
  EXPECT_EQ(std::string(127, '1'), add.result().list);
}

TEST_F(ListPages, MapListsStoredIdsAddsNewOnesAndSavesThemAsNumbers) {
  using Result = tool::TrapTypeMap::AddResult;
  Defaults();
  for (const char* entry : {"Maps\\4624", "Maps\\17", "Maps\\abc"}) Key(entry);
  tool::TrapTypeMap page(registry);
  page.Load();
  EXPECT_EQ((std::vector<std::string>{"17", "4624", "abc"}), page.entries());
  EXPECT_EQ(Result::kDuplicate, page.Add("ABC"));
  EXPECT_EQ(Result::kAdded, page.Add("0017"));
  EXPECT_EQ(Result::kAdded, page.Add("65535"));
  EXPECT_EQ(Result::kOutOfRange, page.Add("65536"));
  EXPECT_EQ(Result::kOutOfRange, page.Add("000001"));
  page.Remove(1);
  page.Save();  // "abc" is stored as 0, "17" and "0017" as one entry
  EXPECT_EQ("Maps\nMaps\\0\nMaps\\17\nMaps\\65535\n", DumpTree("Maps"));
}

TEST_F(ListPages, SyslogLoadWritesNothingUnlessAnEntryFailsThenResetsTheChoice) {
  Defaults();
  const std::string stored = DumpTree();
  SyslogPage page(registry);
  page.Load();  // no "Syslog" key yet
  EXPECT_TRUE(page.rows().empty());
  EXPECT_EQ(stored, DumpTree());
  Set("Syslog", "usefilters", 2);  // neither radio button
  for (const char* entry : {"Syslog\\0", "Syslog\\1", "Syslog\\2"}) Set(entry, "sysloghost", entry);
  Set("Syslog\\0", "syslogport", 514);
  Set("Syslog\\2", "syslogport", 1514);
  page.Load();
  EXPECT_EQ((std::vector<SyslogRow>{{"Syslog\\0", "514"}, {"Syslog\\1", ""}}), page.rows());
  EXPECT_EQ(SyslogPage::kForwardEverything, page.use_filters());
  EXPECT_EQ("Syslog usefilters=0", DumpKey("Syslog"));
  Set("Syslog", "usefilters", 2);
  Set("Syslog\\1", "syslogport", 1);
  page.Load();
  EXPECT_EQ(3u, page.rows().size());
  EXPECT_EQ(2, page.use_filters());
}

TEST_F(ListPages, SyslogSaveCreatesTheKeyAndRenumbersTheRowsDroppingExactRepeats) {
  Defaults();
  SyslogPage page(registry);
  page.set_use_filters(SyslogPage::ChoiceFromRadios(false, true));
  for (const SyslogRow& row : std::vector<SyslogRow>{
           {"LOGHOST", "514"}, {"LogHost", "514"}, {"LOGHOST", " 514"}, {"", "0x10"}}) {
    page.Append(row);
  }
  page.Save();
  EXPECT_EQ(
      "Syslog usefilters=1\n"
      "Syslog\\0 sysloghost=\"LOGHOST\" syslogport=514\n"
      "Syslog\\1 sysloghost=\"LogHost\" syslogport=514\n"
      "Syslog\\2 sysloghost=\"\" syslogport=0\n",
      DumpTree("Syslog"));
  EXPECT_EQ(SyslogPage::kForwardEverything, SyslogPage::ChoiceFromRadios(true, false));
  page.set_use_filters(SyslogPage::ChoiceFromRadios(false, false));
  page.Replace(0, {"c", "3"});
  for (int i = 0; i < 3; ++i) page.Remove(1);
  page.Save();
  EXPECT_EQ("Syslog usefilters=-1\nSyslog\\0 sysloghost=\"c\" syslogport=3\n", DumpTree("Syslog"));
}

TEST(SyslogDialog, StartsFromTheProposalOrTheRowAndTakesOnlyAWholePort) {
  SyslogDestinationDialog add(SyslogDestinationDialog::Mode::kAdd, {"ignored", "1"});
  EXPECT_EQ(" 514 OK",
            add.initial_host() + " " + add.initial_port_text() + " " + add.confirm_caption());
  SyslogDestinationDialog modify(SyslogDestinationDialog::Mode::kModify, {"host", " 12x"});
  EXPECT_EQ("host 12 Modify", modify.initial_host() + " " + modify.initial_port_text() + " " +
                                  modify.confirm_caption());
  const struct {
    std::string host;
    const char* port;
    const char* message;  // or, when taken, the port of the row
  } cases[] = {
      {"", "", "Please enter an integer."},
      {"", "51a", "Please enter an integer."},
      {"h", " 514 ", "514"},
      {"h", "99999", "99999"},
      {std::string(128, 'h'), "514",
       "The host name or IP address must not be longer than 127 characters."},
  };
  for (const auto& c : cases) {
    SyslogDestinationDialog dialog(SyslogDestinationDialog::Mode::kAdd, {});
    const std::string message = dialog.Confirm(c.host, c.port);
    EXPECT_EQ(c.message, message.empty() ? dialog.result().port_text : message) << c.port;
    EXPECT_EQ(message.empty() ? c.host : "", dialog.result().host);
    EXPECT_EQ(message == "Please enter an integer.", dialog.port_refused());
  }
}

}  // namespace
}  // namespace kivo::testing
