#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kivo::platform::evt {

constexpr std::uint32_t kHeaderSize = 0x30;
constexpr std::uint32_t kEofRecordSize = 0x28;
constexpr std::uint32_t kFlagDirty = 0x1;
constexpr std::uint32_t kFlagWrapped = 0x2;

// Where the records of a log lie and how they are numbered, as the header
// (or, for a stale header, the EOF record) says.
struct LogState {
  std::uint32_t start = kHeaderSize;  // offset of the oldest record
  std::uint32_t end = kHeaderSize;    // offset of the EOF record
  std::uint32_t current = 1;          // number the next record gets
  std::uint32_t oldest = 0;           // number of the oldest record; 0 when empty
  std::uint32_t max_size = 0;
  std::uint32_t flags = 0;
  std::uint32_t retention = 0;

  // Record numbers wrap round after 0xFFFFFFFF, so 0 may be the number of
  // a record: a log is empty when its EOF record starts where its records
  // would.
  bool empty() const { return start == end; }
  std::uint32_t count() const { return empty() ? 0 : current - oldest; }
  // Whether record `number` is in the log.
  bool Holds(std::uint32_t number) const { return number - oldest < count(); }
};

// The head of a record: enough to walk from one record to the next.
struct RecordHead {
  std::uint32_t length = 0;
  std::uint32_t number = 0;
};

// One classic event log file (.evt). Its records lie in a ring between the
// header and MaxSize: a record that does not fit before MaxSize continues
// right after the header. Nothing read from the file is trusted: every
// offset, length and number is checked before it is used, and every walk is
// bounded by the file's size.
class EvtFile {
 public:
  EvtFile(const std::string& path, bool writable);
  ~EvtFile();
  EvtFile(const EvtFile&) = delete;
  EvtFile& operator=(const EvtFile&) = delete;

  bool IsOpen() const { return file_ != nullptr; }

  // The log's true state. A dirty header may be stale: the EOF record is then
  // looked for after the header's end (records appended since), and as a
  // last resort anywhere in the file. False when the file is not a sound log.
  bool LoadState(LogState* state);

  // The head of the record at `offset`, checked for a sound length and the
  // signature.
  bool ReadHead(const LogState& state, std::uint32_t offset, RecordHead* head);
  // The whole record at `offset`, its head checked and its trailing length
  // matching.
  bool ReadRecord(const LogState& state, std::uint32_t offset, std::vector<unsigned char>* record);

  bool ReadRing(const LogState& state, std::uint32_t offset, std::uint32_t length,
                unsigned char* out);
  bool WriteRing(const LogState& state, std::uint32_t offset, const unsigned char* bytes,
                 std::uint32_t length);
  // The ring offset `length` bytes after `offset`.
  static std::uint32_t Advance(const LogState& state, std::uint32_t offset, std::uint32_t length);
  static std::uint32_t RingSize(const LogState& state) { return state.max_size - kHeaderSize; }

  bool WriteHeader(const LogState& state);
  // Sets the dirty flag of the header on disk and leaves the rest as it is.
  bool MarkDirty();
  static std::vector<unsigned char> EofRecord(const LogState& state);
  // Cuts the file after `size` bytes.
  bool Truncate(std::uint64_t size);
  bool Flush();

 private:
  bool ReadAt(std::uint64_t offset, void* out, std::uint32_t length);
  bool WriteAt(std::uint64_t offset, const void* bytes, std::uint32_t length);
  bool ReadHeader(LogState* state);
  bool EofRecordAt(const LogState& header, std::uint32_t offset, LogState* state);
  bool FindEofAfter(const LogState& header, LogState* state);
  bool ScanForEof(const LogState& header, LogState* state);
  std::uint64_t FileSize();

  std::string path_;
  std::FILE* file_ = nullptr;
};

}  // namespace kivo::platform::evt
