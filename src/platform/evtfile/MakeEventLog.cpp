#include "platform/evtfile/EvtFileEventLog.h"

// In a file of its own, so that linking this library for the .evt-file
// classes alone does not bring in a second MakeEventLog.
namespace kivo::platform {

std::unique_ptr<EventLog> MakeEventLog(Registry& registry, Messages& messages) {
  return std::make_unique<EvtFileEventLog>(registry, messages);
}

}  // namespace kivo::platform
