#include "snmp/InformExchange.h"

#include <algorithm>
#include <climits>

#include "snmp/ReceivedMessage.h"
#include "snmp/SnmpV3Reader.h"
#include "snmp/UdpEndpoint.h"

namespace kivo::snmp {
namespace {

using Outcome = InformResult::Outcome;

// Room for the largest datagram, so that no answer is cut.
constexpr std::size_t kReceiveBuffer = 65536;

// USM's counters that its Reports name: usmStats (1.3.6.1.6.3.15.1.1) .N.0.
constexpr std::uint8_t kUsmStatsPrefix[] = {0x2B, 0x06, 0x01, 0x06, 0x03, 0x0F, 0x01, 0x01};
constexpr int kNotInTimeWindows = 2;
constexpr int kUnknownEngineIds = 4;
const char* const kUsmStatNames[] = {
    nullptr,
    "usmStatsUnsupportedSecLevels",
    "usmStatsNotInTimeWindows",
    "usmStatsUnknownUserNames",
    "usmStatsUnknownEngineIDs",
    "usmStatsWrongDigests",
    "usmStatsDecryptionErrors",
};
constexpr int kUsmStats = sizeof(kUsmStatNames) / sizeof(kUsmStatNames[0]);

// The usmStats counter a Report names first; 0 for anything else.
int UsmStatOf(const ReceivedPdu& report) {
  if (report.bindings.empty()) return 0;
  for (int stat = 1; stat < kUsmStats; ++stat) {
    std::uint8_t name[sizeof(kUsmStatsPrefix) + 2];
    std::copy(std::begin(kUsmStatsPrefix), std::end(kUsmStatsPrefix), name);
    name[sizeof(kUsmStatsPrefix)] = static_cast<std::uint8_t>(stat);
    name[sizeof(kUsmStatsPrefix) + 1] = 0;
    if (report.bindings[0].NameIs(name, sizeof(name))) return stat;
  }
  return 0;
}

InformResult Failure(Outcome outcome, std::int32_t error = 0) {
  InformResult result;
  result.outcome = outcome;
  result.error = error;
  return result;
}

bool Contains(const std::vector<std::int32_t>& ids, std::int32_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

std::string InformResult::Reason() const {
  switch (outcome) {
    case Outcome::kAcknowledged:
      return "acknowledged";
    case Outcome::kNoResponse:
      return "no response after " + std::to_string(InformExchange::kRetries + 1) + " tries";
    case Outcome::kReport: {
      std::string text =
          "report " + (report_oid.empty() ? std::string("without a binding") : report_oid);
      for (int stat = 1; stat < kUsmStats; ++stat) {
        if (report_oid == "1.3.6.1.6.3.15.1.1." + std::to_string(stat) + ".0") {
          text += std::string(" (") + kUsmStatNames[stat] + ")";
        }
      }
      return text;
    }
    case Outcome::kAuthenticationFailed:
      return "answers failed authentication";
    case Outcome::kErrorStatus:
      return "response with error-status " + std::to_string(error);
    case Outcome::kNotSent:
      return "not sent, error " + std::to_string(error);
    case Outcome::kReceiveFailed:
      return "receive failed, error " + std::to_string(error);
    case Outcome::kNoKeys:
      return "the user's keys cannot be used";
    case Outcome::kStopped:
      return "stopped while waiting";
  }
  return "unknown";
}

// The tries of one exchange over one endpoint: each sends a datagram made
// afresh, then waits (doubling from try to try) for an answer that the
// judge takes. The judge may also leave a failure in the result that stands
// unless a later answer is taken.
class InformExchange::Attempt {
 public:
  enum class Verdict { kIgnore, kDone };
  using Make = std::function<bool(MessageBuffer*)>;
  using Judge = std::function<Verdict(const std::uint8_t*, std::size_t, InformResult*)>;

  Attempt(UdpEndpoint& endpoint, const platform::SteadyClock& clock,
          std::vector<std::uint8_t>& buffer)
      : endpoint_(endpoint), clock_(clock), buffer_(buffer) {}

  int datagrams() const { return datagrams_; }

  InformResult Run(const Make& make, const Judge& judge, const platform::StopCheck& stop) {
    InformResult result;
    std::uint32_t wait = kFirstWaitMs;
    for (int attempt = 0; attempt <= kRetries; ++attempt, wait *= 2) {
      if (stop && stop()) return Failure(Outcome::kStopped);
      MessageBuffer datagram;
      if (!make(&datagram)) return Failure(Outcome::kNoKeys);
      if (endpoint_.SendBytes(datagram.data(), static_cast<std::int32_t>(datagram.size())) == 0) {
        return Failure(Outcome::kNotSent, static_cast<std::int32_t>(endpoint_.LastError()));
      }
      ++datagrams_;
      const std::int64_t deadline = clock_() + wait;
      for (std::int64_t now = clock_(); now < deadline; now = clock_()) {
        if (stop && stop()) return Failure(Outcome::kStopped);
        const auto slice =
            static_cast<std::uint32_t>(std::min<std::int64_t>(deadline - now, kStopCheckMs));
        std::size_t received = 0;
        bool from_destination = false;
        const platform::SocketError error =
            endpoint_.Receive(buffer_.data(), buffer_.size(), slice, &received, &from_destination);
        // Windows reports an ICMP port unreachable to the next receive: the
        // receiver is not listening yet, which the next try may find changed.
        if (error == platform::kWsaTimedOut || error == platform::kWsaConnectionReset ||
            error == platform::kWsaMessageTooLong) {
          continue;
        }
        if (error != platform::kSocketOk) {
          return Failure(Outcome::kReceiveFailed, static_cast<std::int32_t>(error));
        }
        if (from_destination && judge(buffer_.data(), received, &result) == Verdict::kDone) {
          return result;
        }
      }
    }
    return result;
  }

 private:
  UdpEndpoint& endpoint_;
  const platform::SteadyClock& clock_;
  std::vector<std::uint8_t>& buffer_;
  int datagrams_ = 0;
};

InformExchange::InformExchange(platform::Sockets& sockets, platform::Crypto& crypto,
                               SnmpV3Writer& writer, platform::SteadyClock clock)
    : sockets_(sockets), crypto_(crypto), writer_(writer), clock_(std::move(clock)) {
  std::uint8_t start[4] = {};
  crypto_.RandomBytes(start, sizeof(start));
  for (std::uint8_t octet : start) next_request_id_ = (next_request_id_ << 8) | octet;
}

std::int32_t InformExchange::NextRequestId() {
  return static_cast<std::int32_t>(next_request_id_++ & INT32_MAX);
}

std::uint32_t InformExchange::ReceiverTime() const {
  const std::int64_t elapsed = std::max<std::int64_t>(clock_() - receiver_->learnt_ms, 0) / 1000;
  return static_cast<std::uint32_t>(std::min<std::int64_t>(receiver_->time + elapsed, INT32_MAX));
}

InformResult InformExchange::SendV2c(SnmpMessage& inform, const std::string& host,
                                     std::int32_t port, const platform::StopCheck& stop) {
  const std::int32_t request_id = NextRequestId();
  inform.SetRequestId(request_id);
  UdpEndpoint endpoint(sockets_, port, host);
  if (!endpoint.IsReady()) {
    return Failure(Outcome::kNotSent, static_cast<std::int32_t>(endpoint.LastError()));
  }
  if (received_.size() != kReceiveBuffer) received_.resize(kReceiveBuffer);
  Attempt attempt(endpoint, clock_, received_);
  const auto make = [&inform](MessageBuffer* out) {
    std::uint8_t* cursor = out->Allocate(inform.EncodedSize());
    inform.Encode(cursor);
    return true;
  };
  const auto judge = [request_id](const std::uint8_t* data, std::size_t size,
                                  InformResult* result) {
    const std::optional<ReceivedMessage> message = ReadMessage(data, size);
    if (!message || message->version == kSnmpVersion3 || !message->pdu ||
        message->pdu->type != kPduGetResponse || message->pdu->request_id != request_id) {
      return Attempt::Verdict::kIgnore;
    }
    result->error = message->pdu->error_status;
    result->outcome = result->error == 0 ? Outcome::kAcknowledged : Outcome::kErrorStatus;
    return Attempt::Verdict::kDone;
  };
  InformResult result = attempt.Run(make, judge, stop);
  result.datagrams = attempt.datagrams();
  return result;
}

InformResult InformExchange::Discover(Attempt& attempt, const std::string& host, std::int32_t port,
                                      const platform::StopCheck& stop) {
  SnmpMessage probe;
  probe.SetPduType(kPduGetRequest);
  probe.SetRequestId(NextRequestId());
  probe.SetErrorStatus(0);
  probe.SetErrorIndex(0);
  const LocalizedUser anonymous = LocalizedUser::Anonymous();
  std::vector<std::int32_t> message_ids;
  const auto make = [&](MessageBuffer* out) {
    message_ids.push_back(writer_.NextMessageId());
    return writer_.Write(probe, anonymous, AuthoritativeEngine{}, EngineId(), message_ids.back(),
                         true, out);
  };
  const auto judge = [&](const std::uint8_t* data, std::size_t size, InformResult* result) {
    const std::optional<ReceivedMessage> message = ReadMessage(data, size);
    if (!message || message->version != kSnmpVersion3 ||
        !Contains(message_ids, message->message_id) || !message->pdu ||
        message->pdu->type != kPduReport) {
      return Attempt::Verdict::kIgnore;
    }
    const std::optional<EngineId> id =
        EngineId::FromOctets(message->usm.engine_id.data, message->usm.engine_id.size);
    if (UsmStatOf(*message->pdu) == kUnknownEngineIds && id) {
      receiver_ = Receiver{host, port, *id, 0, 0, clock_(), false};
      result->outcome = Outcome::kAcknowledged;
    } else {
      result->outcome = Outcome::kReport;
      result->report_oid =
          message->pdu->bindings.empty() ? "" : message->pdu->bindings[0].NameText();
    }
    return Attempt::Verdict::kDone;
  };
  return attempt.Run(make, judge, stop);
}

void InformExchange::LearnTime(std::uint32_t boots, std::uint32_t time) {
  if (receiver_->timed &&
      (boots < receiver_->boots || (boots == receiver_->boots && time <= ReceiverTime()))) {
    return;
  }
  receiver_->boots = boots;
  receiver_->time = time;
  receiver_->learnt_ms = clock_();
  receiver_->timed = true;
}

InformResult InformExchange::SendV3(SnmpMessage& inform, const UsmUser& user,
                                    const EngineId& local_engine, const std::string& host,
                                    std::int32_t port, const platform::StopCheck& stop) {
  const std::int32_t request_id = NextRequestId();
  inform.SetRequestId(request_id);
  if (receiver_ && (receiver_->host != host || receiver_->port != port)) receiver_.reset();
  UdpEndpoint endpoint(sockets_, port, host);
  if (!endpoint.IsReady()) {
    return Failure(Outcome::kNotSent, static_cast<std::int32_t>(endpoint.LastError()));
  }
  if (received_.size() != kReceiveBuffer) received_.resize(kReceiveBuffer);
  Attempt attempt(endpoint, clock_, received_);
  // Each of the two ways of learning the receiver anew is taken once per
  // inform, so that a receiver that keeps answering with them cannot keep
  // the exchange going.
  bool discovered = false;
  bool timed_again = false;
  for (;;) {
    if (!receiver_) {
      InformResult found = Discover(attempt, host, port, stop);
      discovered = true;
      if (!found.acknowledged()) {
        found.datagrams = attempt.datagrams();
        return found;
      }
    }
    const std::optional<LocalizedUser> localized =
        LocalizedUser::Localize(crypto_, user, receiver_->id);
    if (!localized) return Failure(Outcome::kNoKeys);
    enum class Next { kReturn, kDiscover, kTimeAgain } next = Next::kReturn;
    std::vector<std::int32_t> message_ids;
    const auto make = [&](MessageBuffer* out) {
      // Unknown boots and time go as 0: the receiver answers with its own.
      const bool timed = receiver_->timed;
      const AuthoritativeEngine engine{receiver_->id, timed ? receiver_->boots : 0,
                                       timed ? ReceiverTime() : 0};
      message_ids.push_back(writer_.NextMessageId());
      return writer_.Write(inform, *localized, engine, local_engine, message_ids.back(), true, out);
    };
    const auto judge = [&](const std::uint8_t* data, std::size_t size, InformResult* result) {
      std::optional<ReceivedMessage> message = ReadMessage(data, size);
      if (!message || message->version != kSnmpVersion3 ||
          !Contains(message_ids, message->message_id)) {
        return Attempt::Verdict::kIgnore;
      }
      const bool authentic = (message->flags & kFlagAuth) != 0 &&
                             VerifyAuthentication(*localized, data, size, *message);
      if (message->pdu && message->pdu->type == kPduReport) {
        const int stat = UsmStatOf(*message->pdu);
        if (stat == kUnknownEngineIds && !discovered) {
          next = Next::kDiscover;
          return Attempt::Verdict::kDone;
        }
        if (stat == kNotInTimeWindows && !timed_again) {
          // Only an authenticated report may set the clock a receiver's
          // messages are judged by.
          if (!authentic) {
            result->outcome = Outcome::kAuthenticationFailed;
            return Attempt::Verdict::kIgnore;
          }
          receiver_->timed = false;
          LearnTime(message->usm.boots, message->usm.time);
          next = Next::kTimeAgain;
          return Attempt::Verdict::kDone;
        }
        result->outcome = Outcome::kReport;
        result->report_oid =
            message->pdu->bindings.empty() ? "" : message->pdu->bindings[0].NameText();
        return Attempt::Verdict::kDone;
      }
      if (localized->authenticates() && !authentic) {
        result->outcome = Outcome::kAuthenticationFailed;
        return Attempt::Verdict::kIgnore;
      }
      MessageBuffer clear;
      if (message->encrypted.data != nullptr && !DecryptScopedPdu(*localized, &*message, &clear)) {
        return Attempt::Verdict::kIgnore;
      }
      if (!message->pdu || message->pdu->type != kPduGetResponse ||
          message->pdu->request_id != request_id) {
        return Attempt::Verdict::kIgnore;
      }
      if (authentic) LearnTime(message->usm.boots, message->usm.time);
      result->error = message->pdu->error_status;
      result->outcome = result->error == 0 ? Outcome::kAcknowledged : Outcome::kErrorStatus;
      return Attempt::Verdict::kDone;
    };
    InformResult result = attempt.Run(make, judge, stop);
    if (next == Next::kDiscover) {
      receiver_.reset();
      continue;
    }
    if (next == Next::kTimeAgain) {
      timed_again = true;
      continue;
    }
    result.datagrams = attempt.datagrams();
    return result;
  }
}

}  // namespace kivo::snmp
