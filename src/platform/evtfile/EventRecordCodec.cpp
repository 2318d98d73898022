#include "platform/evtfile/EventRecordCodec.h"

#include "platform/CodePage.h"
#include "platform/evtfile/TextCodec.h"

namespace kivo::platform::evt {

namespace {

void AppendText(std::vector<unsigned char>& out, const std::u16string& text,
                RecordEncoding encoding, std::uint32_t code_page) {
  if (encoding == RecordEncoding::kAnsi) {
    const std::string ansi = ToCodePage(code_page, text);
    out.insert(out.end(), ansi.begin(), ansi.end());
    out.push_back(0);
  } else {
    for (char16_t unit : text) {
      out.push_back(static_cast<unsigned char>(unit));
      out.push_back(static_cast<unsigned char>(unit >> 8));
    }
    out.push_back(0);
    out.push_back(0);
  }
}

void PadToFour(std::vector<unsigned char>& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// Reads the zero-terminated text at *offset, which must end before `end`.
bool TakeText(const unsigned char* bytes, std::uint32_t* offset, std::uint32_t end,
              RecordEncoding encoding, std::u16string* text) {
  text->clear();
  const std::uint32_t unit = encoding == RecordEncoding::kAnsi ? 1 : 2;
  for (std::uint32_t at = *offset; at <= end && end - at >= unit; at += unit) {
    const char16_t c = unit == 1 ? static_cast<char16_t>(bytes[at]) : Load16(bytes + at);
    if (c == 0) {
      if (unit == 1) {
        *text = Cp1252ToUtf16(
            std::string_view(reinterpret_cast<const char*>(bytes + *offset), at - *offset));
      }
      *offset = at + unit;
      return true;
    }
    if (unit == 2) text->push_back(c);
  }
  return false;
}

bool Inside(std::uint32_t offset, std::uint32_t length, std::uint32_t begin, std::uint32_t end) {
  return offset >= begin && offset <= end && end - offset >= length;
}

}  // namespace

std::vector<unsigned char> EncodeRecord(const EventRecordFields& f, RecordEncoding encoding,
                                        std::uint32_t code_page) {
  std::vector<unsigned char> out(kRecordFixedSize, 0);
  AppendText(out, f.source, encoding, code_page);
  AppendText(out, f.computer, encoding, code_page);
  PadToFour(out);
  const auto sid_offset = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), f.user_sid.begin(), f.user_sid.end());
  const auto string_offset = static_cast<std::uint32_t>(out.size());
  for (const std::u16string& s : f.strings) AppendText(out, s, encoding, code_page);
  const auto data_offset = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), f.data.begin(), f.data.end());
  PadToFour(out);
  out.resize(out.size() + 4);
  const auto length = static_cast<std::uint32_t>(out.size());

  unsigned char* p = out.data();
  Store32(p + 0x00, length);
  Store32(p + 0x04, kRecordSignature);
  Store32(p + 0x08, f.record_number);
  Store32(p + 0x0C, f.time_generated);
  Store32(p + 0x10, f.time_written);
  Store32(p + 0x14, f.event_id);
  Store16(p + 0x18, f.event_type);
  Store16(p + 0x1A, static_cast<std::uint16_t>(f.strings.size()));
  Store16(p + 0x1C, f.event_category);
  Store16(p + 0x1E, 0);
  Store32(p + 0x20, f.closing_record_number);
  Store32(p + 0x24, string_offset);
  Store32(p + 0x28, static_cast<std::uint32_t>(f.user_sid.size()));
  Store32(p + 0x2C, f.user_sid.empty() ? 0 : sid_offset);
  Store32(p + 0x30, static_cast<std::uint32_t>(f.data.size()));
  Store32(p + 0x34, data_offset);
  Store32(p + length - 4, length);
  return out;
}

bool DecodeRecord(const unsigned char* p, std::uint32_t size, RecordEncoding encoding,
                  EventRecordFields* f) {
  if (size < kRecordFixedSize + 4 || Load32(p) != size || Load32(p + size - 4) != size ||
      Load32(p + 0x04) != kRecordSignature) {
    return false;
  }
  const std::uint32_t end = size - 4;  // the trailing length is not content
  f->record_number = Load32(p + 0x08);
  f->time_generated = Load32(p + 0x0C);
  f->time_written = Load32(p + 0x10);
  f->event_id = Load32(p + 0x14);
  f->event_type = Load16(p + 0x18);
  const std::uint16_t num_strings = Load16(p + 0x1A);
  f->event_category = Load16(p + 0x1C);
  f->closing_record_number = Load32(p + 0x20);

  std::uint32_t offset = kRecordFixedSize;
  if (!TakeText(p, &offset, end, encoding, &f->source) ||
      !TakeText(p, &offset, end, encoding, &f->computer)) {
    return false;
  }

  const std::uint32_t sid_length = Load32(p + 0x28);
  const std::uint32_t sid_offset = Load32(p + 0x2C);
  f->user_sid.clear();
  if (sid_length != 0) {
    if (!Inside(sid_offset, sid_length, kRecordFixedSize, end)) return false;
    f->user_sid.assign(p + sid_offset, p + sid_offset + sid_length);
  }

  offset = Load32(p + 0x24);
  if (!Inside(offset, 0, kRecordFixedSize, end)) return false;
  f->strings.assign(num_strings, std::u16string());
  for (std::u16string& s : f->strings) {
    if (!TakeText(p, &offset, end, encoding, &s)) return false;
  }

  const std::uint32_t data_length = Load32(p + 0x30);
  const std::uint32_t data_offset = Load32(p + 0x34);
  f->data.clear();
  if (data_length != 0) {
    if (!Inside(data_offset, data_length, kRecordFixedSize, end)) return false;
    f->data.assign(p + data_offset, p + data_offset + data_length);
  }
  return true;
}

}  // namespace kivo::platform::evt
