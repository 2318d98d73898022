#pragma once

#include "platform/AnsiText.h"

namespace kivo::platform {

// The ANSI code page of a Western European Windows, Windows-1252, as the
// .evt event log and the in-memory event log store their texts.
class Cp1252Text : public AnsiText {
 public:
  void AppendUtf8(std::string_view ansi, std::string& utf8) override;
};

}  // namespace kivo::platform
