// The cryptography SNMPv3 relies on, with published vectors: HMAC with the
// five SHA functions (BCrypt has no SHA-224, and says so) (RFC 2202 and RFC 4231, test case 2), the
// plain hashes fed in pieces (FIPS 180, "abc"), one AES-128 block (FIPS-197, C.1) and the random
// generator. Natively against OpenSSL's libcrypto, under Wine against BCrypt.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Crypto.h"
#include "support/HexText.h"
#include "support/SystemCrypto.h"

namespace kivo::testing {
namespace {

using platform::HashAlgorithm;

const struct {
  HashAlgorithm algorithm;
  const char* hmac;  // key "Jefe", data "what do ya want for nothing?"
  const char* abc;   // the hash of "abc"
} kVectors[] = {
    {HashAlgorithm::kSha1, "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79",
     "a9993e364706816aba3e25717850c26c9cd0d89d"},
    {HashAlgorithm::kSha224, "a30e01098bc6dbbf45690f3a7e9e6d0f8bbea2a39e6148008fd05e44",
     "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7"},
    {HashAlgorithm::kSha256, "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843",
     "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {HashAlgorithm::kSha384,
     "af45d2e376484031617f78d2b58a6b1b9c7ef464f5a01b47e42ec3736322445e8e2240ca5e69e2c78b3239ecfab2"
     "1649",
     "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c8"
     "25a7"},
    {HashAlgorithm::kSha512,
     "164b7a7bfcf819e2e395fbe73b56e0a387bd64222e831fd610270cd7ea2505549758bf75c05a994a6d034f65f8f0"
     "e6fdcaeab1a34d4a6b4b636e070a38bce737",
     "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c23a3fe"
     "ebbd454d4423643ce80e2a9ac94fa54ca49f"},
};

std::string Text(const std::optional<platform::Digest>& digest) {
  return digest ? HexText(digest->octets.data(), digest->size) : "(failed)";
}

TEST(SystemCrypto, HmacAndHashesGiveThePublishedVectors) {
  SystemCrypto crypto;
  const std::string key = "Jefe";
  const std::string data = "what do ya want for nothing?";
  for (const auto& v : kVectors) {
    const auto name = ::testing::Message() << "algorithm " << static_cast<int>(v.algorithm);
    if (v.algorithm == HashAlgorithm::kSha224 && !kSystemCryptoHasSha224) {
      // Refused, never answered wrongly.
      EXPECT_EQ(nullptr, crypto.Hmac(v.algorithm, reinterpret_cast<const std::uint8_t*>("k"), 1));
      EXPECT_EQ(nullptr, crypto.StartHash(v.algorithm));
      continue;
    }
    // The same key object twice: each MAC starts from the key afresh.
    const auto mac =
        crypto.Hmac(v.algorithm, reinterpret_cast<const std::uint8_t*>(key.data()), key.size());
    ASSERT_NE(nullptr, mac) << name;
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(v.hmac,
                Text(mac->Compute(reinterpret_cast<const std::uint8_t*>(data.data()), data.size())))
          << name;
    }
    const auto stream = crypto.StartHash(v.algorithm);
    ASSERT_NE(nullptr, stream) << name;
    const std::uint8_t abc[] = {'a', 'b', 'c'};
    EXPECT_TRUE(stream->Update(abc, 1) && stream->Update(abc + 1, 0) && stream->Update(abc + 1, 2));
    EXPECT_EQ(v.abc, Text(stream->Finish())) << name;
  }
}

TEST(SystemCrypto, AesBlockGivesTheFips197VectorAlsoInPlace) {
  SystemCrypto crypto;
  const std::vector<std::uint8_t> key = FromHex("000102030405060708090a0b0c0d0e0f");
  std::vector<std::uint8_t> block = FromHex("00112233445566778899aabbccddeeff");
  const auto cipher = crypto.Aes128(key.data());
  ASSERT_NE(nullptr, cipher);
  std::vector<std::uint8_t> out(16);
  ASSERT_TRUE(cipher->EncryptBlock(block.data(), out.data()));
  EXPECT_EQ("69c4e0d86a7b0430d8cdb78070b4c55a", HexText(out));
  // The same key object again, this time in place: the mode of operation
  // encrypts block after block with one key.
  ASSERT_TRUE(cipher->EncryptBlock(block.data(), block.data()));
  EXPECT_EQ(out, block);
}

TEST(SystemCrypto, RandomOctetsDifferFromCallToCall) {
  SystemCrypto crypto;
  std::vector<std::uint8_t> first(16), second(16);
  ASSERT_TRUE(crypto.RandomBytes(first.data(), first.size()));
  ASSERT_TRUE(crypto.RandomBytes(second.data(), second.size()));
  EXPECT_NE(first, second);
}

}  // namespace
}  // namespace kivo::testing
