#include "forwarding/EventRecord.h"

#include "eventlog/EventLogReader.h"

namespace kivo::forwarding {

char* EventRecord::Text(EventField field) const {
  switch (field) {
    case EventField::kSource:
      return source;
    case EventField::kComputer:
      return computer;
    case EventField::kUser:
      return user;
    case EventField::kDescription:
      return description;
    default:
      return nullptr;
  }
}

std::int32_t EventRecord::Number(EventField field) const {
  switch (field) {
    case EventField::kId:
      return event_id;
    case EventField::kType:
      return event_type;
    case EventField::kCategory:
      return category;
    default:
      return 0;
  }
}

EventRecord EventRecord::Current(eventlog::EventLogReader& reader) {
  EventRecord event;
  event.event_id = reader.GetEventId();
  event.event_type = reader.GetEventType();
  event.category = reader.GetCategory();
  event.source = reader.GetSource();
  event.computer = reader.GetComputer();
  event.user = reader.GetUser();
  event.description = reader.GetDescription();
  event.log_name = reader.GetLogName();
  event.record_number = reader.GetRecordNumber();
  event.time_generated = reader.GetTimeGenerated();
  return event;
}

}  // namespace kivo::forwarding
