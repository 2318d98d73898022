#include "support/EventRecords.h"

#include <memory>
#include <utility>

#include "platform/evtfile/TextCodec.h"
#include "support/TestSupport.h"

namespace kivo::testing {

using platform::evt::Utf8ToUtf16;

platform::evt::EventRecordFields ToFields(const TestEvent& event) {
  platform::evt::EventRecordFields fields;
  fields.time_generated = fields.time_written = 1700000000;
  fields.event_id = event.event_id;
  fields.event_type = event.event_type;
  fields.event_category = event.category;
  fields.source = Utf8ToUtf16(event.source);
  fields.computer = Utf8ToUtf16(event.computer);
  fields.user_sid = event.user_sid;
  for (const std::string& s : event.strings) fields.strings.push_back(Utf8ToUtf16(s));
  fields.data = event.data;
  return fields;
}

std::vector<unsigned char> AnsiRecord(const TestEvent& event) {
  return platform::evt::EncodeRecord(ToFields(event), platform::evt::RecordEncoding::kAnsi);
}

std::vector<unsigned char> MakeSid(std::uint8_t authority,
                                   const std::vector<std::uint32_t>& sub_authorities) {
  std::vector<unsigned char> sid = {
      1, static_cast<unsigned char>(sub_authorities.size()), 0, 0, 0, 0, 0, authority};
  for (std::uint32_t sub : sub_authorities) {
    for (int i = 0; i < 4; ++i) sid.push_back(static_cast<unsigned char>(sub >> (8 * i)));
  }
  return sid;
}

bool RegisterEventSource(platform::Registry& registry, const std::string& log,
                         const std::string& source, const std::string& event_files,
                         const std::string& parameter_files) {
  const std::string path = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\" + log + "\\" + source;
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.Create(path, &key) != platform::kRegSuccess) return false;
  for (const auto& [name, files] : {std::pair{"EventMessageFile", event_files},
                                    std::pair{"ParameterMessageFile", parameter_files}}) {
    if (files.empty()) continue;
    WriteValue(registry, path, name, {platform::RegType::kExpandText, files + '\0'});
  }
  return true;
}

std::vector<std::string> ReadLines(const std::string& path) {
  const std::string text = ReadFileBytes(path);
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  while (start < text.size()) {
    auto end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace kivo::testing
