#pragma once

#include <string>

#include "platform/Secrets.h"

namespace kivo::platform {

// Secrets as DPAPI blobs (CryptProtectData, machine scope) in REG_BINARY
// values of one key below HKEY_LOCAL_MACHINE, whose access list allows
// SYSTEM and the Administrators only.
class Win32Secrets : public Secrets {
 public:
  // key_path: below HKEY_LOCAL_MACHINE, for example the store's "Secrets".
  explicit Win32Secrets(std::string key_path) : key_path_(std::move(key_path)) {}

  Win32Error Write(const std::string& name, std::string_view secret) override;
  Win32Error Read(const std::string& name, std::string* secret) override;

 private:
  std::string key_path_;
};

}  // namespace kivo::platform
