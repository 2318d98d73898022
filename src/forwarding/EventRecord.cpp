#include "forwarding/EventRecord.h"

#include "eventlog/EventLogReader.h"

namespace kivo::forwarding {

EventRecord EventRecord::Current(eventlog::EventLogReader& reader) {
  EventRecord event;
  event.event_id = reader.GetEventId();
  event.event_type = reader.GetEventType();
  event.category = reader.GetCategory();
  event.source = reader.GetSource();
  event.computer = reader.GetComputer();
  event.user = reader.GetUser();
  event.description = reader.GetDescription();
  return event;
}

}  // namespace kivo::forwarding
