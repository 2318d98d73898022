// The filter stage against filters in the in-memory store: what passes and
// what is rejected (table), and filters that cannot be read.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forwarding/FilterStage.h"
#include "forwarding/ForwardingFixture.h"

namespace kivo::testing {
namespace {

struct Filter {
  std::string on, type, list;
};

struct FilterCase {
  const char* name;
  std::vector<Filter> filters;
  std::int32_t id;
  const char* source;
  bool passes;
  std::int32_t type = 3;
  const char* user = "SYSTEM";
  const char* description = "The service started.";
  std::int32_t category = 2;
  const char* computer = "KIVOHOST";
};

const FilterCase kFilterCases[] = {
    {"no filters", {}, 7036, "Srv", true},
    {"include lists the id", {{"EventId", "Include", "6005, 6006"}}, 6006, "Srv", true},
    {"include misses the id", {{"EventId", "Include", "6005, 6006"}}, 7036, "Srv", false},
    {"include matches a prefix", {{"EventId", "Include", "6005, 6006"}}, 60050, "Srv", true},
    {"token keeps its trailing blank", {{"EventSource", "Exclude", "Srv ,Disk"}}, 1, "Srv", true},
    {"exclude matches a later token", {{"EventSource", "Exclude", "Srv ,Disk"}}, 1, "Disk", false},
    {"exclude matches a prefix", {{"EventSource", "Exclude", "Srv ,Disk"}}, 1, "Diskette", false},
    {"comma at the end excludes all", {{"EventSource", "Exclude", "Srv,"}}, 1, "Any", false},
    {"comma at the end includes all", {{"EventSource", "Include", "Srv,"}}, 1, "Any", true},
    {"matching is case-sensitive", {{"EventSource", "Exclude", "eventlog"}}, 1, "EventLog", true},
    {"second rejects",
     {{"EventId", "Include", "10"}, {"EventSource", "Exclude", "Di"}},
     10,
     "Disk",
     false},
    {"other type goes on",
     {{"EventSource", "Ignore", "Srv"}, {"EventId", "Include", "2"}},
     1,
     "Srv",
     false},
    {"lower-case type is inert", {{"EventSource", "exclude", "Srv"}}, 1, "Srv", true},
    {"unknown field is skipped", {{"EventID", "Include", "5"}}, 1, "Srv", true},
    {"empty list is skipped", {{"EventId", "Include", ""}}, 1, "Srv", true},
    {"event type in decimal", {{"EventType", "Exclude", "1,2"}}, 1, "Srv", false, 2},
    {"audit type passes", {{"EventType", "Exclude", "1,2"}}, 1, "Srv", true, 4},
    {"user", {{"EventUser", "Include", "SYS"}}, 1, "Srv", true},
    {"user missing", {{"EventUser", "Include", "Admin"}}, 1, "Srv", false},
    {"description prefix", {{"EventDescription", "Exclude", "The service"}}, 1, "Srv", false},
    {"category", {{"EventCategory", "Include", "3"}}, 1, "Srv", false},
    {"computer", {{"EventComputerName", "Exclude", "KIVO"}}, 1, "Srv", false},
};

class FilterStageTest : public StoreFixture {
 protected:
  bool Passes(OwnedEvent& event, bool tracing = false) {
    config::TraceFile trace = config::TraceFile::OpenIf(tracing);
    forwarding::EventRecord record = event.View();
    return forwarding::FilterStage().Run(*config_, record, trace);
  }
};

TEST_F(FilterStageTest, PassesOrRejectsAsTheFiltersSay) {
  for (const FilterCase& c : kFilterCases) {
    config_->ClearFilters();
    for (const Filter& f : c.filters) AddFilter(f.on, f.type, f.list);
    OwnedEvent event(c.id, c.type, c.category, c.source, c.computer, c.user, c.description);
    EXPECT_EQ(c.passes, Passes(event)) << c.name;
  }
}

TEST_F(FilterStageTest, UnreadableFiltersAreSkippedAndEveryEntryAfterAGapApplies) {
  const std::vector<std::string> all = {"filterOn", "filterType", "filterList"};
  // Entry 0 lacks its list, entry 1 is missing (a gap), entry 2 has a list
  // too long to read, entry 3 lacks its type, entries 10 and 4 (in number
  // order, not in the registry's name order) pass and reject.
  WriteEntry("Filters", 0, {"filterOn", "filterType"}, {"EventSource", "Exclude"});
  WriteEntry("Filters", 2, all, {"EventSource", "Exclude", std::string(128, 'E')});
  WriteEntry("Filters", 3, {"filterOn", "filterList"}, {"EventSource", "EventLog"});
  WriteEntry("Filters", 10, all, {"EventId", "Exclude", "6005"});
  WriteEntry("Filters", 4, all, {"EventSource", "Exclude", "EventLog"});
  OwnedEvent event = StartedEvent();
  EXPECT_FALSE(Passes(event, true));
  const std::string trace = Trace();
  for (const char* line :
       {"numfilters:5\r\n", "cannot read filterList of filter 0, filter skipped\r\n",
        "cannot read filterList of filter 2, filter skipped\r\n",
        "cannot read filterType of filter 3, filter skipped\r\n",
        "in filterlist\r\nfilterType is:Exclude\r\nfiltertype is exclude\r\n"
        "filtered\r\n"}) {
    EXPECT_NE(std::string::npos, trace.find(line)) << line;
  }
  EXPECT_EQ(std::string::npos, trace.find("eventid")) << "entry 10 comes after entry 4";
}

}  // namespace
}  // namespace kivo::testing
