#include "forwarding/DestinationStates.h"

#include <utility>

#include "forwarding/LoopHost.h"
#include "platform/EventReporter.h"

namespace kivo::forwarding {

DestinationStates::DestinationStates(platform::Messages& messages, Reporter reporter)
    : messages_(messages), reporter_(std::move(reporter)) {}

std::string DestinationStates::Reason(const SendOutcome& outcome) {
  return outcome.reason.empty() ? platform::SystemErrorText(messages_, outcome.error)
                                : outcome.reason;
}

void DestinationStates::Record(const SendOutcomes& outcomes, std::int64_t now,
                               config::TraceFile& trace) {
  for (const SendOutcome& outcome : outcomes) {
    if (outcome.stopped) continue;  // says nothing of the destination
    State& state = states_[outcome.destination];
    state.label = outcome.label;
    if (outcome.sent) {
      if (outcome.counted) ++state.sent;
      if (!state.failing) continue;
      state.failing = false;
      state.failing_since = 0;
      trace.Line("sending to ", outcome.label, " works again");
      reporter_(platform::EventReporter::kInformation, loop_messages::kDestinationWorking,
                {outcome.label});
      continue;
    }
    if (outcome.counted) ++state.failed;
    state.last_error = Reason(outcome);
    if (state.failing) continue;
    state.failing = true;
    state.failing_since = now;
    trace.Line("sending to ", outcome.label, " fails: ", state.last_error);
    reporter_(platform::EventReporter::kError, loop_messages::kDestinationFailing,
              {outcome.label, state.last_error});
  }
}

}  // namespace kivo::forwarding
