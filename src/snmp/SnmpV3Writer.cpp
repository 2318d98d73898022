#include "snmp/SnmpV3Writer.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "snmp/AesCfb.h"
#include "snmp/SnmpInteger.h"

namespace kivo::snmp {
namespace {

// INTEGER 3: the version and the security model.
constexpr std::uint8_t kIntegerThree[] = {kTagInteger, 0x01, 0x03};
constexpr std::size_t kFlagsSize = 3;  // 04 01 flags

// The INTEGER range that boots and time have on the wire.
std::int32_t NonNegative(std::uint32_t value) {
  return static_cast<std::int32_t>(std::min<std::uint32_t>(value, INT32_MAX));
}

void WriteHeader(std::uint8_t*& cursor, std::uint8_t tag, std::size_t length) {
  *cursor++ = tag;
  BerWriteLength(cursor, length);
}

void WriteOctetString(std::uint8_t*& cursor, const std::uint8_t* octets, std::size_t size) {
  WriteHeader(cursor, kTagOctetString, size);
  if (size > 0) std::memcpy(cursor, octets, size);
  cursor += size;
}

}  // namespace

SnmpV3Writer::SnmpV3Writer(platform::Crypto& crypto) {
  std::uint8_t start[12] = {};
  // Without random octets both counters start at 0: still correct, only
  // easier to guess.
  crypto.RandomBytes(start, sizeof(start));
  for (int i = 0; i < 8; ++i) salt_ = (salt_ << 8) | start[i];
  for (int i = 8; i < 12; ++i) next_message_id_ = (next_message_id_ << 8) | start[i];
}

std::int32_t SnmpV3Writer::NextMessageId() {
  return static_cast<std::int32_t>(next_message_id_++ & INT32_MAX);
}

bool SnmpV3Writer::Write(const PduEncoding& pdu, const LocalizedUser& user,
                         const AuthoritativeEngine& engine, const EngineId& context_engine,
                         std::int32_t message_id, bool reportable, MessageBuffer* out) {
  const bool authenticates = user.authenticates();
  const bool encrypts = user.encrypts();
  if ((encrypts && user.cipher() == nullptr) || (authenticates && user.mac() == nullptr)) {
    return false;
  }
  const std::size_t mac_length = authenticates ? MacLength(user.auth()) : 0;
  const std::uint64_t salt = salt_;
  if (encrypts) ++salt_;

  const SnmpInteger id(message_id), max_size(kV3MaxMessageSize);
  const SnmpInteger boots(NonNegative(engine.boots)), time(NonNegative(engine.time));
  const std::uint8_t flags =
      static_cast<std::uint8_t>((authenticates ? kFlagAuth : 0) | (encrypts ? kFlagPriv : 0) |
                                (reportable ? kFlagReportable : 0));

  // Every size first, from the inside out.
  const std::size_t global_size =
      id.EncodedSize() + max_size.EncodedSize() + kFlagsSize + sizeof(kIntegerThree);
  const std::size_t usm_size = BerElementSize(engine.id.size()) + boots.EncodedSize() +
                               time.EncodedSize() + BerElementSize(user.name().size()) +
                               BerElementSize(mac_length) +
                               BerElementSize(encrypts ? kSaltSize : 0);
  const std::size_t scoped_size =
      BerElementSize(context_engine.size()) + BerElementSize(0) + pdu.PduEncodedSize();
  const std::size_t scoped_element = BerElementSize(scoped_size);
  const std::size_t data_size = encrypts ? BerElementSize(scoped_element) : scoped_element;
  const std::size_t message_size = sizeof(kIntegerThree) + BerElementSize(global_size) +
                                   BerElementSize(BerElementSize(usm_size)) + data_size;

  std::uint8_t* const start = out->Allocate(BerElementSize(message_size));
  std::uint8_t* cursor = start;
  WriteHeader(cursor, kTagSequence, message_size);
  cursor = std::copy(std::begin(kIntegerThree), std::end(kIntegerThree), cursor);
  WriteHeader(cursor, kTagSequence, global_size);
  id.Encode(cursor);
  max_size.Encode(cursor);
  WriteOctetString(cursor, &flags, 1);
  cursor = std::copy(std::begin(kIntegerThree), std::end(kIntegerThree), cursor);
  WriteHeader(cursor, kTagOctetString, BerElementSize(usm_size));
  WriteHeader(cursor, kTagSequence, usm_size);
  WriteOctetString(cursor, engine.id.data(), engine.id.size());
  boots.Encode(cursor);
  time.Encode(cursor);
  WriteOctetString(cursor, reinterpret_cast<const std::uint8_t*>(user.name().data()),
                   user.name().size());
  WriteHeader(cursor, kTagOctetString, mac_length);
  std::uint8_t* const mac = cursor;  // zeros while the MAC is computed
  std::fill(cursor, cursor + mac_length, std::uint8_t{0});
  cursor += mac_length;
  std::uint8_t iv[platform::kAesBlockSize];
  if (encrypts) {
    std::uint8_t salt_octets[kSaltSize];
    for (std::size_t i = 0; i < kSaltSize; ++i) {
      salt_octets[i] = static_cast<std::uint8_t>(salt >> (8 * (kSaltSize - 1 - i)));
    }
    UsmPrivacyIv(engine.boots, engine.time, salt_octets, iv);
    WriteOctetString(cursor, salt_octets, kSaltSize);
    WriteHeader(cursor, kTagOctetString, scoped_element);
  } else {
    WriteHeader(cursor, kTagOctetString, 0);
  }
  // The scoped PDU in clear, then encrypted where it stands.
  std::uint8_t* const scoped = cursor;
  WriteHeader(cursor, kTagSequence, scoped_size);
  WriteOctetString(cursor, context_engine.data(), context_engine.size());
  WriteOctetString(cursor, nullptr, 0);
  pdu.EncodePdu(cursor);
  if (cursor != start + out->size()) return false;
  if (encrypts && !AesCfbEncrypt(*user.cipher(), iv, scoped, scoped_element, scoped)) {
    return false;
  }
  if (authenticates) {
    const std::optional<platform::Digest> digest = user.mac()->Compute(start, out->size());
    if (!digest || digest->size < mac_length) return false;
    std::copy(digest->octets.begin(), digest->octets.begin() + mac_length, mac);
  }
  return true;
}

}  // namespace kivo::snmp
