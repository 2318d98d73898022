#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Crypto.h"
#include "platform/Sockets.h"
#include "platform/SteadyClock.h"
#include "platform/Stream.h"
#include "snmp/EngineId.h"
#include "snmp/SnmpMessage.h"
#include "snmp/SnmpV3Writer.h"
#include "snmp/UsmUser.h"

namespace kivo::snmp {

// How an inform ended. Everything but kAcknowledged is a failed send,
// which the caller holds and tries again later.
struct InformResult {
  enum class Outcome {
    kAcknowledged,          // the Response-PDU with the request's id came
    kNoResponse,            // nothing answered the last try
    kReport,                // the receiver answered with a Report (report_oid)
    kAuthenticationFailed,  // answers came, but none with the user's MAC
    kErrorStatus,           // the response has a non-zero error-status (error)
    kNotSent,               // no endpoint or the send failed (error: the socket's)
    kReceiveFailed,         // receiving failed (error: the socket's)
    kNoKeys,                // the user's keys could not be localized or used
    kStopped,               // the stop check asked to end the wait
  };
  Outcome outcome = Outcome::kNoResponse;
  std::string report_oid;  // dotted, for kReport
  std::int32_t error = 0;
  int datagrams = 0;  // sent in all, probes and retries included

  bool acknowledged() const { return outcome == Outcome::kAcknowledged; }
  // For the trace: "no response after 4 tries", "report
  // 1.3.6.1.6.3.15.1.1.3.0 (usmStatsUnknownUserNames)", ...
  std::string Reason() const;
};

// Sends an InformRequest and waits for the Response-PDU with its request-id:
// the first wait is 1.5 s, doubled after each try, with 3 retries (4 tries,
// 22.5 s in all). The wait looks at the stop check (true ends the exchange
// at once, kStopped) at least every 250 ms.
// Only datagrams from the destination's address and port are read.
//
// For SNMPv3 the receiver is the authoritative engine. The exchange
// discovers its engine ID with a probe (an empty GetRequest at
// noAuthNoPriv, reportable, with an empty engine ID, which the receiver
// answers with a usmStatsUnknownEngineIDs Report) and learns its boots and
// time from the authenticated usmStatsNotInTimeWindows Report that the
// first inform gets; it keeps both, with the local time they were learnt,
// for the informs that follow, and learns them again when the receiver's
// Reports say they changed (once each per inform). The user's keys are
// localized for the receiver's engine ID. The probe carries nothing of the
// event: the inform goes out only at the user's security level.
//
// One destination's exchange lives while the service runs; one thread.
class InformExchange {
 public:
  static constexpr std::uint32_t kFirstWaitMs = 1500;
  static constexpr int kRetries = 3;
  static constexpr std::uint32_t kStopCheckMs = platform::WaitLimit::kStopCheckMilliseconds;

  // The receiver's engine as learnt, for a destination (host and port).
  struct Receiver {
    std::string host;
    std::int32_t port = 0;
    EngineId id;
    std::uint32_t boots = 0;
    std::uint32_t time = 0;
    std::int64_t learnt_ms = 0;  // on the exchange's clock
    bool timed = false;          // boots and time came authenticated
  };

  InformExchange(platform::Sockets& sockets, platform::Crypto& crypto, SnmpV3Writer& writer,
                 platform::SteadyClock clock);

  // SNMPv2c (or SNMPv1 framing, whatever version the message has): `inform`
  // is a message with an InformRequest-PDU, its version and community set.
  // Its request-id is set here, from a counter of the exchange's own, so
  // that no late answer to an earlier inform can be taken for this one's.
  InformResult SendV2c(SnmpMessage& inform, const std::string& host, std::int32_t port,
                       const platform::StopCheck& stop);

  // SNMPv3: the PDU of `inform` (an InformRequest-PDU; request-id set here as
  // above) from `user`, with contextEngineID `local_engine` (Kivo's own).
  InformResult SendV3(SnmpMessage& inform, const UsmUser& user, const EngineId& local_engine,
                      const std::string& host, std::int32_t port, const platform::StopCheck& stop);

  // What is known of the SNMPv3 receiver; nothing before the first inform
  // and after the destination changed.
  const std::optional<Receiver>& receiver() const { return receiver_; }

 private:
  class Attempt;
  struct V3Context;

  std::int32_t NextRequestId();
  // Learns the receiver's engine ID (probe and Report) into receiver_.
  InformResult Discover(Attempt& attempt, const std::string& host, std::int32_t port,
                        const platform::StopCheck& stop);
  // The receiver's time now, from what was learnt and the time since.
  std::uint32_t ReceiverTime() const;
  // Takes boots and time from an authenticated message when they are newer
  // than what is known (RFC 3414's latest received engine time).
  void LearnTime(std::uint32_t boots, std::uint32_t time);

  platform::Sockets& sockets_;
  platform::Crypto& crypto_;
  SnmpV3Writer& writer_;
  platform::SteadyClock clock_;
  std::uint32_t next_request_id_ = 0;
  std::optional<Receiver> receiver_;
  std::vector<std::uint8_t> received_;
};

}  // namespace kivo::snmp
