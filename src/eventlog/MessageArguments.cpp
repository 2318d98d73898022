#include "eventlog/MessageArguments.h"

#include <algorithm>

#include "platform/Messages.h"

namespace kivo::eventlog {

namespace {
const std::string kZeros(3, '\0');
}

MessageArguments::MessageArguments(std::size_t count)
    : texts_(std::max<std::size_t>(count, platform::kMessageArgumentSlots)),
      pointers_(texts_.size()) {
  for (std::size_t i = 0; i < texts_.size(); ++i) {
    texts_[i] = "%" + std::to_string(i + 1) + kZeros;
    pointers_[i] = texts_[i].c_str();
  }
}

void MessageArguments::Set(std::size_t index, std::string_view text) {
  texts_[index] = std::string(text) + kZeros;
  pointers_[index] = texts_[index].c_str();
}

const MessageArguments& MessageArguments::Markers() {
  static const MessageArguments markers(platform::kMaxMessageInserts);
  return markers;
}

}  // namespace kivo::eventlog
