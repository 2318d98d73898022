#include "platform/fake/Cp1252Text.h"

#include "platform/evtfile/TextCodec.h"

namespace kivo::platform {

void Cp1252Text::AppendUtf8(std::string_view ansi, std::string& utf8) {
  // US-ASCII is the same in both: only the other octets need the table.
  std::size_t copied = 0;
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    if (static_cast<unsigned char>(ansi[i]) < 0x80) continue;
    utf8.append(ansi, copied, i - copied);
    utf8 += evt::Utf16ToUtf8(evt::Cp1252ToUtf16(ansi.substr(i, 1)));
    copied = i + 1;
  }
  utf8.append(ansi, copied, ansi.size() - copied);
}

}  // namespace kivo::platform
