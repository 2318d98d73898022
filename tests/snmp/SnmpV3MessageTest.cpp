// SNMPv3 below the inform exchange: the keys (RFC 3414 A.3 and the SHA-2
// vectors of the same algorithm), AES-128-CFB (NIST SP 800-38A, and
// natively OpenSSL's own CFB-128), the message layout against hand-encoded
// octets, and authentication and privacy as the receiving side checks them.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <openssl/evp.h>
#endif

#include <optional>
#include <string>
#include <vector>

#include "snmp/AesCfb.h"
#include "snmp/ReceivedMessage.h"
#include "snmp/SnmpTestHex.h"
#include "snmp/SnmpV3Reader.h"
#include "snmp/SnmpV3Writer.h"
#include "snmp/UsmKeys.h"
#include "snmp/V3TestSupport.h"
#include "support/HexText.h"

namespace kivo::testing {
namespace {

using platform::HashAlgorithm;
using snmp::SecurityLevel;

std::string KeyText(const std::optional<snmp::UsmKey>& key) {
  return key ? HexText(key->data(), key->size()) : "(none)";
}

TEST(UsmKeys, PasswordToKeyAndLocalizationGiveTheVectors) {
  SystemCrypto crypto;
  const std::vector<std::uint8_t> octets = FromHex("000000000000000000000002");
  const snmp::EngineId engine = *snmp::EngineId::FromOctets(octets.data(), octets.size());
  const struct {
    HashAlgorithm hash;
    const char* ku;
    const char* kul;
  } cases[] = {
      {HashAlgorithm::kSha1, "9fb5cc0381497b3793528939ff788d5d79145211",
       "6695febc9288e36282235fc7151f128497b38f3f"},
      {HashAlgorithm::kSha256, "ab51014d1e077f6017df2b12bee5f5aa72993177e9bb569c4dff5a4ca0b4afac",
       "8982e0e549e866db361a6b625d84cccc11162d453ee8ce3a6445c2d6776f0f8b"},
      {HashAlgorithm::kSha512,
       "7e4396de5aadc77be853819b98c9406265b3a9c37cc3176569847a4e4f6fba63dd3a73d04924d31a63f95a601f9"
       "385af6be4ed1b37f87d040f7c6ed6f8d38a91",
       "22a5a36cedfcc085807a128d7bc6c2382167ad6c0dbc5fdff856740f3d84c099ad1ea87a8db096714d9788bd544"
       "047c9021e4229ce27e4c0a69250adfcffbb0b"},
  };
  for (const auto& c : cases) {
    const std::optional<snmp::UsmKey> ku = snmp::PasswordToKey(crypto, c.hash, "maplesyrup");
    EXPECT_EQ(c.ku, KeyText(ku));
    EXPECT_EQ(c.kul, KeyText(ku ? snmp::LocalizeKey(crypto, c.hash, *ku, engine) : std::nullopt));
  }
  EXPECT_FALSE(snmp::PasswordToKey(crypto, HashAlgorithm::kSha1, "maplesy"));
}

TEST(UsmUser, DerivationRefusesWhatUsmCannotUseWithoutNamingThePassphrase) {
  SystemCrypto crypto;
  const struct {
    std::string name;
    SecurityLevel level;
    const char* auth;
    const char* priv;
    const char* reason;  // null: derived
  } cases[] = {
      {"kivo", SecurityLevel::kNoAuthNoPriv, "", "", nullptr},
      {"kivo", SecurityLevel::kAuthNoPriv, "maplesyrup", "", nullptr},
      {"kivo", SecurityLevel::kAuthNoPriv, "short12", "", "authentication passphrase is shorter"},
      {"kivo", SecurityLevel::kAuthPriv, "maplesyrup", "short12", "privacy passphrase is shorter"},
      {std::string(33, 'u'), SecurityLevel::kNoAuthNoPriv, "", "", "longer than 32"},
  };
  for (const auto& c : cases) {
    const auto derived =
        snmp::UsmUser::Derive(crypto, c.name, c.level, HashAlgorithm::kSha1, c.auth, c.priv);
    if (c.reason == nullptr) {
      EXPECT_TRUE(std::holds_alternative<snmp::UsmUser>(derived)) << c.auth;
      continue;
    }
    ASSERT_TRUE(std::holds_alternative<std::string>(derived)) << c.reason;
    const std::string& reason = std::get<std::string>(derived);
    EXPECT_NE(std::string::npos, reason.find(c.reason)) << reason;
    EXPECT_EQ(std::string::npos, reason.find("short12")) << reason;
  }
}

TEST(UsmProtocols, NamesAsTheStoreAndNetSnmpWriteThem) {
  const struct {
    const char* name;
    std::optional<HashAlgorithm> hash;
    std::size_t mac_length;
  } cases[] = {{"SHA", HashAlgorithm::kSha1, 12},
               {"SHA-224", HashAlgorithm::kSha224, 16},
               {"SHA-256", HashAlgorithm::kSha256, 24},
               {"SHA-384", HashAlgorithm::kSha384, 32},
               {"SHA-512", HashAlgorithm::kSha512, 48},
               {"sha", std::nullopt, 0},
               {"MD5", std::nullopt, 0},
               {"", std::nullopt, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.hash, snmp::ParseAuthProtocol(c.name)) << c.name;
    if (c.hash) {
      EXPECT_EQ(c.mac_length, snmp::MacLength(*c.hash)) << c.name;
    }
  }
  EXPECT_TRUE(snmp::ParsePrivProtocol("AES"));
  EXPECT_FALSE(snmp::ParsePrivProtocol("DES"));
}

TEST(EngineIdMaking, EnterpriseFormatAndEightRandomOctets) {
  SystemCrypto crypto;
  const std::optional<snmp::EngineId> first = snmp::EngineId::Make(crypto);
  const std::optional<snmp::EngineId> second = snmp::EngineId::Make(crypto);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(13u, first->size());
  EXPECT_EQ("8000149d05", first->ToHex().substr(0, 10));
  EXPECT_NE(*first, *second);
}

// NIST SP 800-38A, F.3.13 (CFB128-AES128.Encrypt). In CFB every prefix of
// the plaintext gives the same prefix of the ciphertext, so each length,
// partial blocks included, is checked against the one vector.
TEST(AesCfb, EncryptsAndDecryptsEveryLengthAsThePublishedVector) {
  SystemCrypto crypto;
  const auto cipher = crypto.Aes128(FromHex("2b7e151628aed2a6abf7158809cf4f3c").data());
  ASSERT_NE(nullptr, cipher);
  const std::vector<std::uint8_t> iv = FromHex("000102030405060708090a0b0c0d0e0f");
  const std::vector<std::uint8_t> plain = FromHex(
      "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
      "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
  const std::string expected =
      "3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b"
      "26751f67a3cbb140b1808cf187a4f4dfc04b05357c5d1c0eeac4c66f9ff7f2e6";
  for (std::size_t length : {0, 1, 15, 16, 17, 40, 64}) {
    std::vector<std::uint8_t> data(plain.begin(), plain.begin() + length);
    ASSERT_TRUE(snmp::AesCfbEncrypt(*cipher, iv.data(), data.data(), length, data.data()));
    EXPECT_EQ(expected.substr(0, 2 * length), HexText(data)) << length;
    ASSERT_TRUE(snmp::AesCfbDecrypt(*cipher, iv.data(), data.data(), length, data.data()));
    EXPECT_EQ(std::vector<std::uint8_t>(plain.begin(), plain.begin() + length), data) << length;
  }
#ifndef _WIN32
  // And OpenSSL's own CFB-128 over a longer text.
  std::vector<std::uint8_t> text(1000), ours(1000), theirs(1000);
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<std::uint8_t>(i * 31);
  ASSERT_TRUE(snmp::AesCfbEncrypt(*cipher, iv.data(), text.data(), text.size(), ours.data()));
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  int written = 0;
  EVP_EncryptInit_ex(context, EVP_aes_128_cfb128(), nullptr,
                     FromHex("2b7e151628aed2a6abf7158809cf4f3c").data(), iv.data());
  EVP_EncryptUpdate(context, theirs.data(), &written, text.data(), static_cast<int>(text.size()));
  EVP_CIPHER_CTX_free(context);
  EXPECT_EQ(theirs, ours);
#endif
}

// The engine, boots, time and user of every layout below.
struct Sent {
  std::vector<std::uint8_t> octets;
  std::optional<snmp::ReceivedMessage> read;
};

Sent Write(platform::Crypto& crypto, const snmp::LocalizedUser& user, bool reportable = false) {
  snmp::SnmpV3Writer writer(crypto);
  snmp::MessageBuffer buffer;
  const snmp::AuthoritativeEngine engine{TestEngineId(), 7, 300};
  Sent sent;
  if (!writer.Write(*SmallPdu(), user, engine, engine.id, writer.NextMessageId(), reportable,
                    &buffer)) {
    return sent;
  }
  sent.octets.assign(buffer.begin(), buffer.end());
  sent.read = snmp::ReadMessage(sent.octets.data(), sent.octets.size());
  return sent;
}

const char kEngineHex[] = "80 00 14 9D 05 01 02 03 04 05 06 07 08";
const std::string kScopedPdu =
    std::string("30 1E 04 0D ") + kEngineHex + " 04 00 A7 0B 02 01 01 02 01 00 02 01 00 30 00";

TEST(SnmpV3Layout, NoAuthNoPrivTrapAsEncodedByHand) {
  FixedRandomCrypto crypto;
  const Sent sent =
      Write(crypto, *snmp::LocalizedUser::Localize(
                        crypto, TestUser(crypto, SecurityLevel::kNoAuthNoPriv), TestEngineId()));
  EXPECT_EQ(std::string("30 5A 02 01 03 "
                        // msgID (from the generator), msgMaxSize 65507, no flags, USM
                        "30 11 02 04 11 11 11 11 02 03 00 FF E3 04 01 00 02 01 03 "
                        // engine, boots 7, time 300, "kivo", no MAC, no salt
                        "04 22 30 20 04 0D ") +
                kEngineHex + " 02 01 07 02 02 01 2C 04 04 6B 69 76 6F 04 00 04 00 " + kScopedPdu,
            Hex(sent.octets));
}

// The same trap at authPriv with SHA-1: flags, a 12-octet MAC, the salt,
// and the scoped PDU above encrypted with the IV boots | time | salt.
TEST(SnmpV3Layout, AuthPrivTrapCarriesMacSaltAndTheScopedPduEncrypted) {
  FixedRandomCrypto crypto;
  const snmp::UsmUser user = TestUser(crypto, SecurityLevel::kAuthPriv, HashAlgorithm::kSha1);
  const auto localized = snmp::LocalizedUser::Localize(crypto, user, TestEngineId());
  ASSERT_TRUE(localized);
  const Sent sent = Write(crypto, *localized, true);
  const std::string hex = Hex(sent.octets);
  const std::string head = std::string(
                               "30 70 02 01 03 "
                               "30 11 02 04 11 11 11 11 02 03 00 FF E3 04 01 07 02 01 03 "
                               "04 36 30 34 04 0D ") +
                           kEngineHex + " 02 01 07 02 02 01 2C 04 04 6B 69 76 6F 04 0C ";
  const std::string salt = "04 08 11 11 11 11 11 11 11 11 04 20";
  ASSERT_EQ(head, hex.substr(0, head.size()));
  ASSERT_EQ(salt, hex.substr(head.size() + 12 * 3, salt.size()));
  const std::size_t encrypted = (head.size() + 12 * 3 + salt.size() + 1) / 3;
  ASSERT_EQ(encrypted + 32, sent.octets.size());
  std::vector<std::uint8_t> scoped(sent.octets.begin() + encrypted, sent.octets.end());
  const auto key = snmp::LocalizeKey(crypto, HashAlgorithm::kSha1, user.priv_key, TestEngineId());
  const std::vector<std::uint8_t> iv = FromHex("00000007 0000012c 1111111111111111");
#ifndef _WIN32
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  int written = 0;
  EVP_DecryptInit_ex(context, EVP_aes_128_cfb128(), nullptr, key->data(), iv.data());
  EVP_DecryptUpdate(context, scoped.data(), &written, scoped.data(), 32);
  EVP_CIPHER_CTX_free(context);
#else
  const auto cipher = crypto.Aes128(key->data());
  snmp::AesCfbDecrypt(*cipher, iv.data(), scoped.data(), scoped.size(), scoped.data());
#endif
  EXPECT_EQ(kScopedPdu, Hex(scoped));
}

// What the receiver checks: the MAC over the whole message and the
// decryption. A flipped bit anywhere (header, security parameters, the MAC
// itself, the encrypted PDU) fails the check; each protocol's MAC has its
// length.
TEST(SnmpV3Security, ReceiverAcceptsTheMacAndAFlippedBitFailsIt) {
  SystemCrypto crypto;
  for (HashAlgorithm hash : {HashAlgorithm::kSha1, HashAlgorithm::kSha224, HashAlgorithm::kSha256,
                             HashAlgorithm::kSha384, HashAlgorithm::kSha512}) {
    if (hash == HashAlgorithm::kSha224 && !kSystemCryptoHasSha224) continue;
    const auto user = snmp::LocalizedUser::Localize(
        crypto, TestUser(crypto, SecurityLevel::kAuthPriv, hash), TestEngineId());
    ASSERT_TRUE(user);
    Sent sent = Write(crypto, *user);
    ASSERT_TRUE(sent.read);
    snmp::ReceivedMessage& read = *sent.read;
    EXPECT_EQ(snmp::MacLength(hash), read.usm.auth_parameters.size);
    EXPECT_TRUE(snmp::VerifyAuthentication(*user, sent.octets.data(), sent.octets.size(), read));
    snmp::MessageBuffer clear;
    ASSERT_TRUE(snmp::DecryptScopedPdu(*user, &read, &clear));
    EXPECT_EQ(snmp::kPduTrapV2, read.pdu->type);
    EXPECT_EQ(1, read.pdu->request_id);
    const std::size_t mac = read.usm.auth_offset;
    for (std::size_t at : {std::size_t{10}, mac - 3, mac, mac + 5, sent.octets.size() - 1}) {
      std::vector<std::uint8_t> flipped = sent.octets;
      flipped[at] ^= 0x01;
      const auto changed = snmp::ReadMessage(flipped.data(), flipped.size());
      ASSERT_TRUE(changed) << at;
      EXPECT_FALSE(snmp::VerifyAuthentication(*user, flipped.data(), flipped.size(), *changed))
          << "bit flipped at " << at;
    }
  }
}

// Answers are outside data: only exactly one well-formed message is read.
TEST(ReceivedMessages, OnlyAWholeWellFormedMessageIsRead) {
  const std::string body =
      "02 01 01 04 02 61 62 A2 14 02 02 03 E8 02 01 00 02 01 00 "
      "30 08 30 06 06 02 2B 06 05 00";
  const struct {
    std::string hex;
    bool read;
  } cases[] = {
      {"30 1D " + body, true},
      {"30 81 1D " + body, true},  // a long form where the short one would do
      {"30 1D " + body + " 00", false},
      {"30 1E " + body, false},
      {"30 80 " + body + " 00 00", false},
      {"30 85 00 00 00 00 1D " + body, false},
      {"30 1D 02 01 02" + body.substr(8), false},                  // version 2
      {"30 1D 02 01 01 04 02 61 62 A4" + body.substr(23), false},  // an SNMPv1 trap
      {"30 1D " + body.substr(0, 78) + "86 05 00", false},         // a name left open
  };
  for (const auto& c : cases) {
    const std::vector<std::uint8_t> octets = FromHex(c.hex);
    const auto message = snmp::ReadMessage(octets.data(), octets.size());
    EXPECT_EQ(c.read, message.has_value()) << c.hex;
    if (!message || !c.read) continue;
    EXPECT_EQ(1, message->version);
    EXPECT_EQ(snmp::kPduGetResponse, message->pdu->type);
    EXPECT_EQ(1000, message->pdu->request_id);
    ASSERT_EQ(1u, message->pdu->bindings.size());
    EXPECT_EQ("1.3.6", message->pdu->bindings[0].NameText());
    EXPECT_EQ(snmp::kTagNull, message->pdu->bindings[0].value_tag);
  }
}

}  // namespace
}  // namespace kivo::testing
