#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Win32Error.h"

namespace kivo::platform {

// The secrets Kivo keeps: the SNMPv3 user's passphrases.
constexpr char kSecretAuthPassphrase[] = "v3authpass";
constexpr char kSecretPrivPassphrase[] = "v3privpass";

// Stored secrets: each a named value of one registry key, encrypted for this
// machine (DPAPI, machine scope), in a key that only SYSTEM and the
// Administrators can open. The clear text never reaches the registry. The
// calls return 0 or the Win32 error of the failure.
class Secrets {
 public:
  virtual ~Secrets() = default;

  // Stores (or replaces) a secret. The key is created when missing, and its
  // access list is set to SYSTEM and Administrators, full control, nothing
  // inherited, whether it was just made or already there.
  virtual Win32Error Write(const std::string& name, std::string_view secret) = 0;

  // The secret stored under the name: kErrorFileNotFound when there is none
  // (or no key), another error when it cannot be read or decrypted (a value
  // that is not a blob of this machine, for one).
  virtual Win32Error Read(const std::string& name, std::string* secret) = 0;
};

// Clears memory that held a secret (a passphrase, a key) in a way the
// compiler keeps, rather than as a store it may drop as dead.
inline void WipeSecret(void* data, std::size_t size) {
  volatile unsigned char* octets = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) octets[i] = 0;
}

}  // namespace kivo::platform
