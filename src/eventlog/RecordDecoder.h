#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "config/TraceFile.h"
#include "platform/Messages.h"
#include "platform/Registry.h"

namespace kivo::eventlog {

class RawEventRecord;

// The seven fields of a decoded record. The text buffers are writable (the
// trap stage edits them in place) and always zero-terminated: the names
// within their fixed size, the description as long as the record's texts.
struct DecodedEvent {
  static constexpr std::uint32_t kNameSize = 256;

  std::int32_t event_id = 0;
  std::int32_t event_type = 0;
  std::int32_t category = 0;
  char source[kNameSize] = {};
  char computer[kNameSize] = {};
  char user[kNameSize] = {};
  std::string description;
  // Where the record stands: its log (a name of the log table), its number
  // in that log and when it was generated (seconds since 1970-01-01 UTC).
  const char* log_name = "";
  std::uint32_t record_number = 0;
  std::uint32_t time_generated = 0;
};

// Turns one raw event record into its seven fields. The description is the
// event's message text, formatted from the message files that the source
// names in the registry with the record's insertion strings (each "%%n"
// first replaced by parameter text n of the source's parameter files). When
// no message text is found (a source without message files, modules that
// lack the id, a text too long for the formatting buffer), the insertion
// strings joined are the description instead.
// Nothing is kept between records: every decode reads the registry again
// and loads and unloads every module it uses.
//
// The platform pieces are injected and must outlive the decoder.
class RecordDecoder {
 public:
  static constexpr std::uint32_t kMessageBufferSize = 4096;
  static constexpr std::uint32_t kExpandedPathSize = 8196;
  static constexpr int kParameterSlots = 30;

  RecordDecoder(platform::Messages& messages, platform::Registry& registry);

  // Fills `event` from the record of `size` bytes that log `log_index` of
  // the log table returned. Every offset in the record is checked.
  void DecodeRecord(int log_index, const unsigned char* record, std::uint32_t size,
                    DecodedEvent& event);

 private:
  void DecodeDescription(int log_index, const RawEventRecord& record, DecodedEvent& event,
                         config::TraceFile& trace);
  bool FormatFromModule(int log_index, const RawEventRecord& record, const char* module_path,
                        DecodedEvent& event, config::TraceFile& trace);
  // A module path with its environment references expanded, through an
  // 8196-byte buffer.
  std::string ExpandModulePath(const char* module_path);
  void JoinInsertionStrings(const RawEventRecord& record, DecodedEvent& event,
                            config::TraceFile& trace);
  void DecodeUser(const RawEventRecord& record, DecodedEvent& event, config::TraceFile& trace);
  // The parameter text `message_number` of the source being decoded, from
  // its "ParameterMessageFile" modules, kept in a parameter slot until the
  // end of the decode; null when there is none.
  const char* getParm(int log_index, std::uint32_t message_number);
  void ClearParameterSlots();

  platform::Messages& messages_;
  platform::Registry& registry_;
  std::string decoding_source_;
  std::array<std::string, kParameterSlots> parameter_slots_;
  std::array<bool, kParameterSlots> slot_used_{};
};

}  // namespace kivo::eventlog
