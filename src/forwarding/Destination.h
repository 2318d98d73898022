#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace kivo::forwarding {

// One place an event goes: the trap receiver, or the syslog destination of
// entry n of the "Syslog" list. Named by its place in the store, not by its
// host, so that an event held for a destination goes to the host the store
// names when it is sent again.
struct DestinationId {
  enum class Kind { kTrap, kSyslog };
  Kind kind = Kind::kTrap;
  std::int32_t number = 0;  // the syslog entry's number; 0 for the trap

  static DestinationId Trap() { return {Kind::kTrap, 0}; }
  static DestinationId Syslog(std::int32_t number) { return {Kind::kSyslog, number}; }

  bool operator<(const DestinationId& other) const {
    return kind != other.kind ? kind < other.kind : number < other.number;
  }
  bool operator==(const DestinationId& other) const {
    return kind == other.kind && number == other.number;
  }
};
using DestinationSet = std::set<DestinationId>;

// What became of one event at one destination. A send fails when it fails
// on this machine: the name does not resolve, no socket can be made, the
// send call fails (or, for the protocols that have one, no answer came).
struct SendOutcome {
  DestinationId destination;
  // How an administrator knows it: "the trap destination nms:162", "the
  // syslog destination 0 (loghost:514)".
  std::string label;
  bool sent = false;
  // Why it failed: the platform's error number, and a text of our own where
  // the number alone does not say it (empty: the system's text of the
  // number tells).
  std::uint32_t error = 0;
  std::string reason;
  // The send was given up because the service is stopping: not sent (the
  // event is not done), but no failure of the destination either.
  bool stopped = false;
  // False for an outcome that tells only whether the destination works now,
  // not of one more send (a queue sent between events): it is no send to
  // count.
  bool counted = true;
};
using SendOutcomes = std::vector<SendOutcome>;

// The destinations of these outcomes whose send failed.
inline DestinationSet FailedDestinations(const SendOutcomes& outcomes) {
  DestinationSet failed;
  for (const SendOutcome& outcome : outcomes) {
    if (!outcome.sent) failed.insert(outcome.destination);
  }
  return failed;
}

// "host:port", as the labels show a destination.
inline std::string HostAndPort(const std::string& host, std::int32_t port) {
  return host + ":" + std::to_string(port);
}

}  // namespace kivo::forwarding
