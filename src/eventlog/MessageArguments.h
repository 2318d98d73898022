#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kivo::eventlog {

// The argument array handed to message formatting. A message may refer to
// more inserts than the record carries (%3 with two strings, %12, ...), and
// the formatter would then read past the array: so the array always has an
// entry for every insert a message can name (%1 to %99, and the two more
// that a "*" width and precision may take), and an insert the record does
// not carry stays in the text as its own marker ("%3"), as the event viewer
// shows it. Each text is stored with extra zero bytes, so that even a
// wide-string insert format (!S!) stops inside it.
class MessageArguments {
 public:
  explicit MessageArguments(std::size_t count);

  void Set(std::size_t index, std::string_view text);
  const char* const* data() const { return pointers_.data(); }
  std::size_t size() const { return pointers_.size(); }

  // An array of only markers ("%1", "%2", ...): formatting with it leaves a
  // text's inserts as they are.
  static const MessageArguments& Markers();

 private:
  std::vector<std::string> texts_;
  std::vector<const char*> pointers_;
};

}  // namespace kivo::eventlog
