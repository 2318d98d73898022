#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool/FilterConfigDialog.h"
#include "tool/Filters.h"
#include "tool/StoreFixture.h"
#include "tool/TrapTypeMap.h"

namespace kivo::testing {
namespace {

using tool::FilterConfigDialog;
using tool::FilterRow;
using tool::Filters;
using tool::TrapTypeMap;
using Strings = std::vector<std::string>;

class ListPages : public StoreFixture {
 protected:
  void StoreFilter(int number, const FilterRow& row) {
    const std::string entry = "Filters\\" + std::to_string(number);
    SetText(entry, "filterOn", row.on);
    SetText(entry, "filterType", row.type);
    SetText(entry, "filterList", row.list);
  }
  std::vector<FilterRow> LoadFilters() {
    Filters page(registry);
    page.Load();
    return page.rows();
  }
};

TEST_F(ListPages, FiltersLoadStopsAtAGapInTheNumbering) {
  CreateDefaultStore();
  StoreFilter(0, {"EventId", "Include", "1,2"});
  StoreFilter(1, {"EventSource", "Exclude", "Foo"});
  StoreFilter(3, {"EventUser", "Include", "bob"});
  EXPECT_EQ(
      (std::vector<FilterRow>{{"EventId", "Include", "1,2"}, {"EventSource", "Exclude", "Foo"}}),
      LoadFilters());
}

TEST_F(ListPages, FiltersLoadKeepsThePartOfTheFilterReadBeforeAFailure) {
  CreateDefaultStore();
  StoreFilter(0, {"EventId", "Include", "1"});
  SetText("Filters\\1", "filterOn", "EventUser");
  SetText("Filters\\1", "filterType", "Exclude");
  SetText("Filters\\1", "filterList", std::string(128, 'x'));  // cannot be read back
  StoreFilter(2, {"EventType", "Include", "1"});
  EXPECT_EQ((std::vector<FilterRow>{{"EventId", "Include", "1"}, {"EventUser", "Exclude", ""}}),
            LoadFilters());
}

TEST_F(ListPages, FiltersSaveClearsThenAddsRowsInOrderDroppingRepeatedFieldAndType) {
  CreateDefaultStore();
  StoreFilter(0, {"EventType", "Include", "old"});
  Filters page(registry);
  page.Append({"EventId", "Include", "a"});
  page.Append({"EventId", "Include", "b"});
  page.Append({"EventId", "Exclude", "c"});
  page.Save();
  EXPECT_EQ((Strings{"delete Filters\\0", "set Filters\\0:filterOn", "set Filters\\0:filterType",
                     "set Filters\\0:filterList", "set Filters\\1:filterOn",
                     "set Filters\\1:filterType", "set Filters\\1:filterList"}),
            registry.log());
  EXPECT_EQ((std::vector<FilterRow>{{"EventId", "Include", "a"}, {"EventId", "Exclude", "c"}}),
            LoadFilters());
}

TEST_F(ListPages, FiltersSavedEmptyLeaveAnEmptyKeyAndEmptyRowsAreKept) {
  CreateDefaultStore();
  StoreFilter(0, {"EventId", "Include", "a"});
  Filters page(registry);
  page.Load();
  page.Remove(0);
  page.Save();
  EXPECT_TRUE(Exists("Filters"));
  EXPECT_TRUE(Subkeys("Filters").empty());

  page.Append(FilterRow{});
  page.Save();
  EXPECT_EQ((std::vector<FilterRow>{FilterRow{}}), LoadFilters());
}

TEST(FilterDialog, ModifyModeSelectsStoredTextsAsTheListsOfferThem) {
  const struct {
    FilterRow row;
    int on_index;
    const char* type;
  } cases[] = {
      {{"EventId", "Include", "1"}, 2, "Include"},
      {{"EventCategory", "exc", "1"}, 6, "Exclude"},
      {{"eventid", "INCLUDE", "1"}, 0, "Include"},  // on: exact match only
      {{"Whatever", "Other", "1"}, 0, "Other"},
      {{"EventUser", "", ""}, 5, "Exclude"},  // every entry begins with ""
  };
  for (const auto& c : cases) {
    FilterConfigDialog dialog(FilterConfigDialog::Mode::kModify, c.row);
    EXPECT_EQ(c.on_index, dialog.initial_filter_on_index()) << c.row.on;
    EXPECT_EQ(c.type, dialog.initial_filter_type()) << c.row.type;
    EXPECT_EQ(c.row.list, dialog.initial_filter_list());
    EXPECT_STREQ("Modify", dialog.confirm_caption());
  }
  FilterConfigDialog add(FilterConfigDialog::Mode::kAdd, {"EventId", "Include", "1"});
  EXPECT_EQ(-1, add.initial_filter_on_index());
  EXPECT_EQ("", add.initial_filter_type());
  EXPECT_EQ("", add.initial_filter_list());
  EXPECT_STREQ("Add", add.confirm_caption());
}

TEST(FilterDialog, ConfirmRefusesTextsTheStoreCannotReadBack) {
  FilterConfigDialog dialog(FilterConfigDialog::Mode::kAdd, {});
  EXPECT_EQ("The filter list must not be longer than 127 characters.\n",
            dialog.Confirm({"EventId", "Include", std::string(128, '1')}));
  EXPECT_EQ("", dialog.Confirm({"EventId", "Include", std::string(127, '1')}));
  EXPECT_EQ(std::string(127, '1'), dialog.result().list);
}

TEST_F(ListPages, MapLoadListsStoredIdsAndAddDropsRepeatsIgnoringCase) {
  CreateDefaultStore();
  Key("Maps\\4624");
  Key("Maps\\17");
  TrapTypeMap page(registry);
  page.Load();
  EXPECT_EQ((Strings{"17", "4624"}), page.entries());  // the store's enumeration order
  EXPECT_EQ(TrapTypeMap::AddResult::kDuplicate, page.Add("4624"));
  EXPECT_EQ(TrapTypeMap::AddResult::kAdded, page.Add("0017"));
  EXPECT_EQ(TrapTypeMap::AddResult::kAdded, page.Add("65535"));
  EXPECT_EQ(TrapTypeMap::AddResult::kOutOfRange, page.Add("65536"));
  EXPECT_EQ(TrapTypeMap::AddResult::kOutOfRange, page.Add("000001"));
  EXPECT_EQ((Strings{"17", "4624", "0017", "65535"}), page.entries());
}

TEST_F(ListPages, MapSaveClearsThenAddsEachIdAsANumber) {
  CreateDefaultStore();
  Key("Maps\\100");
  Key("Maps\\abc");  // made outside the tool
  TrapTypeMap page(registry);
  page.Load();
  ASSERT_EQ((Strings{"100", "abc"}), page.entries());
  page.Remove(0);
  page.Add("7");
  page.Add("007");
  page.Save();
  // Every stored id goes first; AddMap writes no values.
  EXPECT_EQ((Strings{"delete Maps\\100", "delete Maps\\abc"}), registry.log());
  EXPECT_EQ((Strings{"0", "7"}), Subkeys("Maps"));
}

}  // namespace
}  // namespace kivo::testing
