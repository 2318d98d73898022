#include "eventlog/EventSourceKey.h"

#include <cstring>

#include "config/RegistryConfig.h"

namespace kivo::eventlog {

EventSourceKey::EventSourceKey(platform::Registry& registry, const std::string& log_name,
                               const std::string& source_name)
    : path_(std::string(kEventLogPath) + "\\" + log_name + "\\" + source_name) {
  status_ = registry.Open(path_, &key_);
  if (status_ != platform::kRegSuccess) key_.reset();
}

std::string EventSourceKey::ReadValue(const char* value_name) {
  if (!key_) throw config::RegistryReadError(value_name, status_);
  std::memset(value_, 0, sizeof(value_));
  std::uint32_t size = sizeof(value_);
  platform::RegType type = platform::RegType::kNone;
  status_ = key_->QueryValue(value_name, &type, value_, &size);
  if (status_ != platform::kRegSuccess) throw config::RegistryReadError(value_name, status_);
  // A text that fills the buffer without its zero is longer than a read can
  // return.
  const void* zero = std::memchr(value_, '\0', size < sizeof(value_) ? size : sizeof(value_));
  if (zero == nullptr && size >= sizeof(value_)) {
    status_ = platform::kErrorMoreData;
    throw config::RegistryReadError(value_name, status_);
  }
  const std::size_t length =
      zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - value_) : size;
  return std::string(value_, length);
}

}  // namespace kivo::eventlog
