#include "service/PassphraseCommand.h"

#include <cctype>
#include <istream>
#include <ostream>

#include "snmp/UsmKeys.h"

namespace kivo::service {
namespace {

bool SameName(const std::string& given, const char* name) {
  std::string lower;
  for (char c : given) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == name;
}

}  // namespace

bool StorePassphrase(platform::Secrets& secrets, const std::string& name, std::istream& in,
                     std::ostream& out) {
  const char* secret =
      SameName(name, platform::kSecretAuthPassphrase)   ? platform::kSecretAuthPassphrase
      : SameName(name, platform::kSecretPrivPassphrase) ? platform::kSecretPrivPassphrase
                                                        : nullptr;
  if (secret == nullptr) {
    out << "Usage: kivo -p v3authpass|v3privpass, with the passphrase on standard input.\n";
    return false;
  }
  std::string passphrase;
  std::getline(in, passphrase);
  while (!passphrase.empty() && (passphrase.back() == '\r' || passphrase.back() == '\n')) {
    passphrase.pop_back();
  }
  bool stored = false;
  if (passphrase.empty()) {
    out << "No passphrase on standard input; " << secret << " is unchanged.\n";
  } else if (passphrase.size() < snmp::kMinPassphraseLength) {
    out << "The passphrase is shorter than " << snmp::kMinPassphraseLength << " characters; "
        << secret << " is unchanged.\n";
  } else if (passphrase.size() > snmp::kMaxPassphraseLength) {
    out << "The passphrase is longer than " << snmp::kMaxPassphraseLength << " characters; "
        << secret << " is unchanged.\n";
  } else if (const platform::Win32Error error = secrets.Write(secret, passphrase)) {
    out << secret << " could not be stored. Error is " << static_cast<std::int32_t>(error) << ".\n";
  } else {
    out << secret << " was stored.\n";
    stored = true;
  }
  if (!passphrase.empty()) platform::WipeSecret(&passphrase[0], passphrase.size());
  return stored;
}

}  // namespace kivo::service
