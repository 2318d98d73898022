#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/evtfile/EventRecordCodec.h"

namespace kivo::testing {

// An event as tests write it: texts in UTF-8, everything else as stored.
struct TestEvent {
  std::uint32_t event_id = 1000;
  std::uint16_t event_type = 4;  // information
  std::uint16_t category = 0;
  std::string source = "KivoTest";
  std::string computer = "KIVOHOST";
  std::vector<unsigned char> user_sid;
  std::vector<std::string> strings;
  std::vector<unsigned char> data;
};

platform::evt::EventRecordFields ToFields(const TestEvent& event);
// The record as ReadEventLogA returns it (ANSI strings).
std::vector<unsigned char> AnsiRecord(const TestEvent& event);
// A security identifier S-1-<authority>-<sub authorities...>.
std::vector<unsigned char> MakeSid(std::uint8_t authority,
                                   const std::vector<std::uint32_t>& sub_authorities);
// Registers an event source of a log with its "EventMessageFile" and
// "ParameterMessageFile" values (an empty list: no value); false when its key
// cannot be created.
bool RegisterEventSource(platform::Registry& registry, const std::string& log,
                         const std::string& source, const std::string& event_files,
                         const std::string& parameter_files = "");
// The lines of a text file whose lines end with CR LF.
std::vector<std::string> ReadLines(const std::string& path);

}  // namespace kivo::testing
