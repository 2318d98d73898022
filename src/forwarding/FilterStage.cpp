#include "forwarding/FilterStage.h"

#include <optional>
#include <string>

#include "forwarding/FilterList.h"
#include "forwarding/OptionalReads.h"

namespace kivo::forwarding {

namespace names = config::names;

namespace {

// A field a filter can look at, by its "filterOn" name.
struct FieldName {
  const char* name;  // the "filterOn" text, compared exactly
  const char* trace_line;
  EventField field;
};

// In the order the names are tried.
constexpr FieldName kFieldNames[] = {
    {"EventId", "filtername is eventid", EventField::kId},
    {"EventType", "filtername is eventtype", EventField::kType},
    {"EventSource", "filtername is eventsource", EventField::kSource},
    {"EventComputerName", "filtername is eventcomputername", EventField::kComputer},
    {"EventUser", "filtername is eventuser", EventField::kUser},
    {"EventDescription", "filtername is eventdescription", EventField::kDescription},
    {"EventCategory", "filtername is eventcategory", EventField::kCategory},
};

const FieldName* FindField(const std::string& name) {
  for (const FieldName& field : kFieldNames) {
    if (name == field.name) return &field;
  }
  return nullptr;
}

// The event's text for a field: numbers in decimal, texts as they stand.
std::string FieldText(EventField field, const EventRecord& event) {
  const char* text = event.Text(field);
  return text != nullptr ? std::string(text) : std::to_string(event.Number(field));
}

void TraceUnreadable(config::TraceFile& trace, const char* value, std::uint32_t number) {
  trace.Line("cannot read ", value, " of filter ", number, ", filter skipped");
}

}  // namespace

bool FilterStage::Run(config::RegistryConfig& config, const EventRecord& event,
                      config::TraceFile& trace) {
  config.Open(names::kFilters);
  const std::uint32_t count = config.CountSubkeys();
  trace.Line("numfilters:", count);
  // Every numbered entry applies, gaps in the numbering included; other
  // names come last and are no filters.
  for (const std::string& name : config.EntryNames(count)) {
    const std::optional<std::int32_t> number = config::EntryNumber(name);
    if (!number) break;
    // The stored path keeps naming "Filters", so each entry is a sibling.
    config.OpenEntry(*number);
    if (Rejects(config, static_cast<std::uint32_t>(*number), event, trace)) return false;
  }
  return true;
}

bool FilterStage::Rejects(config::RegistryConfig& config, std::uint32_t number,
                          const EventRecord& event, config::TraceFile& trace) {
  const std::optional<std::string> on = TryReadText(config, names::kFilterOn);
  if (!on) {
    TraceUnreadable(trace, names::kFilterOn, number);
    return false;
  }
  trace.Line("filtername:", *on);
  const FieldName* field = FindField(*on);
  if (field == nullptr) {
    trace.Line("dont know what filtername is");
    return false;
  }
  trace.Line(field->trace_line);
  const std::string value = FieldText(field->field, event);
  trace.Line("eventData is:<", value, ">");

  const std::optional<std::string> list = TryReadText(config, names::kFilterList);
  if (!list) {
    TraceUnreadable(trace, names::kFilterList, number);
    return false;
  }
  if (list->empty()) return false;
  trace.Line("filterlist is:<", *list, ">");

  const bool listed = FilterList::Contains(*list, value, trace);
  trace.Line(listed ? "in filterlist" : "not in filterlist");
  const std::optional<std::string> type = TryReadText(config, names::kFilterType);
  if (!type) {
    TraceUnreadable(trace, names::kFilterType, number);
    return false;
  }
  if (listed) {
    trace.Line("filterType is:", *type);
    if (*type != "Exclude") return false;
    trace.Line("filtertype is exclude");
  } else {
    trace.Line("filtertype is:", *type);
    if (*type != "Include") return false;
    trace.Line("filtertype is include");
  }
  trace.Line("filtered");
  return true;
}

}  // namespace kivo::forwarding
