#include "platform/evtfile/EvtFileWriter.h"

#include <cstdio>

#include "platform/evtfile/EvtFile.h"

namespace kivo::platform::evt {

bool EvtFileWriter::Fail(const std::string& why) {
  error_ = path_ + ": " + why;
  return false;
}

bool EvtFileWriter::Create(std::uint32_t max_size, std::uint32_t retention,
                           std::uint32_t first_number) {
  if (max_size < kHeaderSize + kEofRecordSize + 0x100 || max_size % 4 != 0) {
    return Fail("the maximum size must be a multiple of 4 and at least 376 bytes");
  }
  std::FILE* created = std::fopen(path_.c_str(), "ab");
  if (created == nullptr) return Fail("cannot be created");
  std::fclose(created);
  EvtFile file(path_, true);
  if (!file.IsOpen()) return Fail("cannot be opened for writing");
  LogState state;
  state.max_size = max_size;
  state.retention = retention;
  state.current = first_number;
  const auto eof = EvtFile::EofRecord(state);
  if (!file.WriteRing(state, state.end, eof.data(), kEofRecordSize) || !file.WriteHeader(state) ||
      !file.Truncate(kHeaderSize + kEofRecordSize)) {
    return Fail("cannot be written");
  }
  return true;
}

bool EvtFileWriter::Clear(bool keep_numbering) {
  LogState state;
  if (!EvtFile(path_, false).LoadState(&state)) return Fail("is not a sound event log file");
  return Create(state.max_size, state.retention, keep_numbering ? state.current : 1);
}

bool EvtFileWriter::Append(const EventRecordFields& fields, std::uint32_t* number,
                           bool leave_dirty) {
  EvtFile file(path_, true);
  if (!file.IsOpen()) return Fail("cannot be opened for writing");
  LogState state;
  if (!file.LoadState(&state)) return Fail("is not a sound event log file");

  EventRecordFields numbered = fields;
  numbered.record_number = state.current;
  std::vector<unsigned char> bytes = EncodeRecord(numbered, RecordEncoding::kUtf16);
  const auto length = static_cast<std::uint32_t>(bytes.size());
  const std::uint32_t ring = EvtFile::RingSize(state);
  if (length > ring - kEofRecordSize) return Fail("the record is larger than the log");

  // Make room: the new record and the EOF record after it must not reach the
  // oldest record still kept.
  std::uint32_t used = state.empty() ? 0 : (state.end + ring - state.start) % ring;
  if (state.empty()) state.start = state.end;
  while (!state.empty() && used + length + kEofRecordSize > ring) {
    RecordHead head;
    if (!file.ReadHead(state, state.start, &head) || head.number != state.oldest) {
      return Fail("is not a sound event log file");
    }
    state.start = EvtFile::Advance(state, state.start, head.length);
    used -= head.length;
    state.flags |= kFlagWrapped;
    if (++state.oldest == state.current) {
      state.oldest = 0;  // every record was overwritten
      state.start = state.end;
      used = 0;
    }
  }

  const std::uint32_t at = state.end;
  if (state.empty()) {
    state.oldest = state.current;
    state.start = at;
  }
  ++state.current;
  state.end = EvtFile::Advance(state, at, length);
  const auto eof = EvtFile::EofRecord(state);
  bytes.insert(bytes.end(), eof.begin(), eof.end());
  if (!file.WriteRing(state, at, bytes.data(), static_cast<std::uint32_t>(bytes.size()))) {
    return Fail("cannot be written");
  }
  file.Flush();
  state.flags &= ~kFlagDirty;
  // A dirty header stays as it was on disk, only marked dirty.
  const bool written = leave_dirty ? file.MarkDirty() : file.WriteHeader(state);
  if (!written || !file.Flush()) return Fail("cannot be written");
  *number = numbered.record_number;
  return true;
}

}  // namespace kivo::platform::evt
