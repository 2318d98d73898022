#include "platform/fake/Cp1252Text.h"

#include "platform/evtfile/TextCodec.h"

namespace kivo::platform {

void Cp1252Text::AppendUtf8(std::string_view ansi, std::string& utf8) {
  utf8 += evt::Utf16ToUtf8(evt::Cp1252ToUtf16(ansi));
}

}  // namespace kivo::platform
