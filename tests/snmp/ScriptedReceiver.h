#pragma once

// A receiver of informs over the in-memory sockets that answers as
// snmptrapd does (RFC 3414's order of checks), on the fake's own clock.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeSockets.h"
#include "snmp/ReceivedMessage.h"
#include "snmp/SnmpInteger.h"
#include "snmp/SnmpV3Reader.h"
#include "snmp/SnmpV3Writer.h"
#include "snmp/V3TestSupport.h"

namespace kivo::testing {

using platform::FakeSockets;

constexpr std::uint16_t kReceiverPort = 10162;

// A PDU already encoded.
class PduOctets : public snmp::PduEncoding {
 public:
  explicit PduOctets(std::vector<std::uint8_t> octets) : octets_(std::move(octets)) {}
  std::size_t PduEncodedSize() const override { return octets_.size(); }
  void EncodePdu(std::uint8_t*& cursor) const override {
    cursor = std::copy(octets_.begin(), octets_.end(), cursor);
  }

 private:
  std::vector<std::uint8_t> octets_;
};

// A Response-PDU, or with `report` a Report-PDU naming usmStats.<report>.0.
inline PduOctets Answer(std::int32_t request_id, int report = 0, std::int32_t error_status = 0) {
  auto pdu = SmallPdu(snmp::kPduGetResponse, request_id);
  pdu->SetErrorStatus(error_status);
  if (report != 0) {
    pdu->AddVarBind(std::make_unique<snmp::SnmpVarBind>(
        std::make_unique<snmp::SnmpOid>("1.3.6.1.6.3.15.1.1." + std::to_string(report) + ".0"),
        std::make_unique<snmp::SnmpInteger>(1)));
  }
  std::vector<std::uint8_t> octets(pdu->PduEncodedSize());
  std::uint8_t* cursor = octets.data();
  pdu->EncodePdu(cursor);
  if (report != 0) octets[0] = snmp::kPduReport;
  return PduOctets(std::move(octets));
}

// The receiver at 127.0.0.1:kReceiverPort, authoritative for SNMPv3: engine `id`,
// `boots`, its time running with the fake's clock from `time`; it knows one
// user. It drops the first `ignore` datagrams; with `forge` its responses
// carry a broken MAC.
struct ScriptedReceiver {
  ScriptedReceiver(FakeSockets& sockets, platform::Crypto& crypto, snmp::UsmUser user)
      : sockets(sockets), crypto(crypto), writer(crypto), user(std::move(user)) {
    sockets.on_send = [this](const FakeSockets::Datagram& d) { Receive(d.octets); };
  }

  std::uint32_t Time() const { return time + static_cast<std::uint32_t>(sockets.now_ms / 1000); }

  void Send(const std::vector<std::uint8_t>& octets, std::uint16_t from_port = kReceiverPort) {
    sockets.incoming.push_back({{127, 0, 0, 1}, from_port, octets, sockets.now_ms + 20});
  }

  void Receive(const std::vector<std::uint8_t>& octets) {
    received.push_back(octets);
    if (ignore > 0 && ignore-- > 0) return;
    auto message = snmp::ReadMessage(octets.data(), octets.size());
    if (!message) return;
    if (message->version == 1) {
      auto response = SmallPdu(snmp::kPduGetResponse, message->pdu->request_id + 1);
      Send(Encode(*response), kReceiverPort + 1);  // another port: not the receiver
      Send(Encode(*response));                     // another request: ignored
      response->SetRequestId(message->pdu->request_id);
      response->SetErrorStatus(error_status);
      Send(Encode(*response));
      return;
    }
    const snmp::AuthoritativeEngine engine{id, boots, Time()};
    const auto local = snmp::LocalizedUser::Localize(crypto, user, id);
    const std::string name(reinterpret_cast<const char*>(message->usm.user_name.data),
                           message->usm.user_name.size);
    const auto& usm = message->usm;
    const bool authenticated = (message->flags & snmp::kFlagAuth) != 0;
    const std::int32_t request_id = message->pdu ? message->pdu->request_id : 0;
    if (!snmp::EngineId::FromOctets(usm.engine_id.data, usm.engine_id.size) ||
        *snmp::EngineId::FromOctets(usm.engine_id.data, usm.engine_id.size) != id) {
      return Reply(*message, Answer(request_id, 4), snmp::LocalizedUser::Anonymous(), engine);
    }
    if (name != user.name) return Reply(*message, Answer(request_id, 3), Anonymous(), engine);
    if (authenticated &&
        !snmp::VerifyAuthentication(*local, octets.data(), octets.size(), *message)) {
      return Reply(*message, Answer(request_id, 5), Anonymous(), engine);
    }
    if (authenticated &&
        (usm.boots != boots || usm.time + 150 < Time() || usm.time > Time() + 150)) {
      auto time_user = snmp::UsmUser(user);
      time_user.level = snmp::SecurityLevel::kAuthNoPriv;
      return Reply(*message, Answer(request_id, 2),
                   *snmp::LocalizedUser::Localize(crypto, time_user, id), engine);
    }
    snmp::MessageBuffer clear;
    if (message->encrypted.data && !snmp::DecryptScopedPdu(*local, &*message, &clear)) return;
    Reply(*message, Answer(message->pdu->request_id, 0, error_status), *local, engine, forge);
  }

  static snmp::LocalizedUser Anonymous() { return snmp::LocalizedUser::Anonymous(); }

  void Reply(const snmp::ReceivedMessage& request, const PduOctets& pdu,
             const snmp::LocalizedUser& as, const snmp::AuthoritativeEngine& engine,
             bool broken = false) {
    snmp::MessageBuffer buffer;
    ASSERT_TRUE(writer.Write(pdu, as, engine, id, request.message_id, false, &buffer));
    std::vector<std::uint8_t> octets(buffer.begin(), buffer.end());
    if (broken && !octets.empty()) octets.back() ^= 0x01;
    Send(octets);
  }

  static std::vector<std::uint8_t> Encode(const snmp::SnmpMessage& message) {
    std::vector<std::uint8_t> octets(message.EncodedSize());
    std::uint8_t* cursor = octets.data();
    message.Encode(cursor);
    return octets;
  }

  FakeSockets& sockets;
  platform::Crypto& crypto;
  snmp::SnmpV3Writer writer;
  snmp::UsmUser user;
  snmp::EngineId id = TestEngineId(0x99);
  std::uint32_t boots = 5;
  std::uint32_t time = 1000;
  int ignore = 0;
  bool forge = false;
  std::int32_t error_status = 0;
  std::vector<std::vector<std::uint8_t>> received;
};

}  // namespace kivo::testing
