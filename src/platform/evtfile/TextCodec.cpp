#include "platform/evtfile/TextCodec.h"

#include <cstdint>

namespace kivo::platform::evt {

namespace {

// Code points of the bytes 0x80 to 0x9F in Windows-1252. The five bytes the
// code page leaves undefined map to the C1 controls of the same value, as
// Windows' own table does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[*i]; advances *i. Sets *ok to false for
// a malformed one.
char32_t NextUtf8(std::string_view text, std::size_t* i, bool* ok) {
  const auto lead = static_cast<unsigned char>(text[*i]);
  ++*i;
  int extra = 0;
  char32_t c = 0;
  char32_t min = 0;
  if (lead < 0x80) return lead;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, c = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, c = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, c = lead & 0x07, min = 0x10000;
  } else {
    *ok = false;
    return kReplacement;
  }
  for (int k = 0; k < extra; ++k) {
    if (*i >= text.size() || (static_cast<unsigned char>(text[*i]) & 0xC0) != 0x80) {
      *ok = false;
      return kReplacement;
    }
    c = (c << 6) | (static_cast<unsigned char>(text[*i]) & 0x3F);
    ++*i;
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    *ok = false;
    return kReplacement;
  }
  return c;
}

// Decodes one UTF-16 character at text[*i]; advances *i. A lone surrogate
// becomes U+FFFD.
char32_t NextUtf16(std::u16string_view text, std::size_t* i) {
  const char16_t unit = text[(*i)++];
  if (unit >= 0xD800 && unit <= 0xDBFF && *i < text.size() && text[*i] >= 0xDC00 &&
      text[*i] <= 0xDFFF) {
    const char16_t low = text[(*i)++];
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
  }
  if (unit >= 0xD800 && unit <= 0xDFFF) return kReplacement;
  return unit;
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

}  // namespace

std::u16string Cp1252ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    out += byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  bool ok = true;
  for (std::size_t i = 0; i < text.size();) AppendUtf16(out, NextUtf8(text, &i, &ok));
  return out;
}

bool IsValidUtf8(std::string_view text) {
  bool ok = true;
  for (std::size_t i = 0; i < text.size() && ok;) NextUtf8(text, &i, &ok);
  return ok;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = NextUtf16(text, &i);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace kivo::platform::evt
