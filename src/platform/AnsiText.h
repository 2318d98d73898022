#pragma once

#include <string>
#include <string_view>

namespace kivo::platform {

// Text in the system's ANSI code page, which the event log's ANSI calls
// give, turned into UTF-8 for the receivers that expect it.
class AnsiText {
 public:
  virtual ~AnsiText() = default;

  // Appends `ansi` to `utf8`, converted.
  virtual void AppendUtf8(std::string_view ansi, std::string& utf8) = 0;
};

}  // namespace kivo::platform
