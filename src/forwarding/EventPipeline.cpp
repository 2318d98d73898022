#include "forwarding/EventPipeline.h"

#include <optional>
#include <utility>
#include <variant>

#include "forwarding/OptionalReads.h"

namespace kivo::forwarding {

namespace names = config::names;

EventPipeline::EventPipeline(config::RegistryConfig& config, perf::UptimeCounter& uptime,
                             platform::Sockets& sockets, CalendarClock clock,
                             DestinationStates* states)
    : config_(config),
      uptime_(uptime),
      clock_(clock),
      states_(states),
      traps_(sockets, std::move(clock)),
      syslog_(sockets) {}

bool EventPipeline::ReadTracingFlag() {
  const std::optional<std::int32_t> logging = TryReadNumber(config_, names::kLogging);
  if (logging) {
    tracing_ = *logging != 0;
  } else {
    config_.WriteNumber(names::kLogging, 0);
  }
  return tracing_;
}

SendOutcomes EventPipeline::Process(EventRecord& event, const DestinationSet* only) {
  config_.Open("");  // the root key: an earlier event may have left a subkey open
  config::TraceFile trace = config::TraceFile::OpenIf(ReadTracingFlag());
  WriteEventBlock(event, trace);

  std::variant<TrapSettings, std::string> settings = TrapSettings::Read(config_);
  const std::int32_t uptime = uptime_.GetUptimeTicks();
  const TrapSettings* trap_settings = std::get_if<TrapSettings>(&settings);
  if (trap_settings != nullptr) {
    WriteDestinationBlock(*trap_settings, trace);
  } else {
    trace.Line("cannot read ", std::get<std::string>(settings), ", no trap for this event");
  }

  const bool passed = filters_.Run(config_, event, trace);
  SendOutcomes outcomes;
  if (passed) {
    trace.Line("not filtered");
    if (trap_settings != nullptr && (only == nullptr || only->count(DestinationId::Trap()) != 0)) {
      outcomes.push_back(traps_.Run(config_, event, *trap_settings, uptime, trace));
    }
  }
  SendOutcomes syslog = syslog_.Run(config_, event, passed, trace, only);
  outcomes.insert(outcomes.end(), syslog.begin(), syslog.end());
  if (states_ != nullptr) states_->Record(outcomes, clock_(), trace);
  return outcomes;
}

void EventPipeline::Flush() {
  config::TraceFile trace = config::TraceFile::OpenIf(tracing_);
  const SendOutcomes outcomes = syslog_.Flush(trace);
  if (states_ != nullptr && !outcomes.empty()) states_->Record(outcomes, clock_(), trace);
}

void EventPipeline::WriteEventBlock(const EventRecord& event, config::TraceFile& trace) {
  trace.Line("EventID:", event.event_id);
  trace.Line("EventType:", event.event_type);
  trace.Line("Source:<", event.source, ">");
  trace.Line("Computer:<", event.computer, ">");
  trace.Line("User:<", event.user, ">");
  trace.Line("Desc:<", event.description, ">");
  trace.Line("Category:<", event.category, ">");
}

namespace {
constexpr char kHiddenSecret[] = "********";
}  // namespace

void EventPipeline::WriteDestinationBlock(const TrapSettings& settings, config::TraceFile& trace) {
  trace.Line("version:", settings.version);
  trace.Line("destination:", settings.destination);
  trace.Line("port:", settings.port);
  if (!settings.snmp_v3()) {
    // The community is a secret: whoever reads the trace learns only that
    // one is set.
    trace.Line("community:", kHiddenSecret);
  } else {
    // The user and level; the passphrases are no business of a trace.
    trace.Line("v3user:", settings.usm.user.value_or(""));
    trace.Line("v3level:", settings.usm.level.value_or(-1));
  }
  if (settings.inform) trace.Line("inform:1");
}

}  // namespace kivo::forwarding
