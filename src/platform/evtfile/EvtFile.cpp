#include "platform/evtfile/EvtFile.h"

#include <filesystem>

#include "platform/evtfile/EventRecordCodec.h"

namespace kivo::platform::evt {

namespace {

constexpr std::uint32_t kFileSignature = 0x654c664c;  // "LfLe"
constexpr std::uint32_t kEofMarks[4] = {0x11111111, 0x22222222, 0x33333333, 0x44444444};
// The smallest ring that holds one record and the EOF record.
constexpr std::uint32_t kMinimumMaxSize = kHeaderSize + kEofRecordSize + kRecordFixedSize + 4;

bool Seek(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

EvtFile::EvtFile(const std::string& path, bool writable)
    : path_(path), file_(std::fopen(path.c_str(), writable ? "r+b" : "rb")) {}

EvtFile::~EvtFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool EvtFile::ReadAt(std::uint64_t offset, void* out, std::uint32_t length) {
  if (length == 0) return true;
  return Seek(file_, offset) && std::fread(out, 1, length, file_) == length;
}

bool EvtFile::WriteAt(std::uint64_t offset, const void* bytes, std::uint32_t length) {
  if (length == 0) return true;
  return Seek(file_, offset) && std::fwrite(bytes, 1, length, file_) == length;
}

bool EvtFile::Flush() {
  return std::fflush(file_) == 0;
}

std::uint64_t EvtFile::FileSize() {
  std::error_code error;
  const auto size = std::filesystem::file_size(path_, error);
  return error ? 0 : size;
}

bool EvtFile::Truncate(std::uint64_t size) {
  Flush();
  std::error_code error;
  std::filesystem::resize_file(path_, size, error);
  return !error;
}

std::uint32_t EvtFile::Advance(const LogState& state, std::uint32_t offset, std::uint32_t length) {
  const std::uint64_t ring = RingSize(state);
  return kHeaderSize + static_cast<std::uint32_t>(
                           (static_cast<std::uint64_t>(offset - kHeaderSize) + length) % ring);
}

bool EvtFile::ReadRing(const LogState& state, std::uint32_t offset, std::uint32_t length,
                       unsigned char* out) {
  if (offset < kHeaderSize || offset >= state.max_size || length > RingSize(state)) return false;
  const std::uint32_t first = std::min(length, state.max_size - offset);
  return ReadAt(offset, out, first) && ReadAt(kHeaderSize, out + first, length - first);
}

bool EvtFile::WriteRing(const LogState& state, std::uint32_t offset, const unsigned char* bytes,
                        std::uint32_t length) {
  if (offset < kHeaderSize || offset >= state.max_size || length > RingSize(state)) return false;
  const std::uint32_t first = std::min(length, state.max_size - offset);
  return WriteAt(offset, bytes, first) && WriteAt(kHeaderSize, bytes + first, length - first);
}

bool EvtFile::ReadHeader(LogState* state) {
  unsigned char h[kHeaderSize];
  if (!ReadAt(0, h, sizeof(h))) return false;
  if (Load32(h + 0x00) != kHeaderSize || Load32(h + 0x04) != kFileSignature ||
      Load32(h + 0x08) != 1 || Load32(h + 0x2C) != kHeaderSize) {
    return false;
  }
  state->start = Load32(h + 0x10);
  state->end = Load32(h + 0x14);
  state->current = Load32(h + 0x18);
  state->oldest = Load32(h + 0x1C);
  state->max_size = Load32(h + 0x20);
  state->flags = Load32(h + 0x24);
  state->retention = Load32(h + 0x28);
  return state->max_size >= kMinimumMaxSize;
}

bool EvtFile::WriteHeader(const LogState& state) {
  unsigned char h[kHeaderSize];
  Store32(h + 0x00, kHeaderSize);
  Store32(h + 0x04, kFileSignature);
  Store32(h + 0x08, 1);
  Store32(h + 0x0C, 1);
  Store32(h + 0x10, state.start);
  Store32(h + 0x14, state.end);
  Store32(h + 0x18, state.current);
  Store32(h + 0x1C, state.oldest);
  Store32(h + 0x20, state.max_size);
  Store32(h + 0x24, state.flags);
  Store32(h + 0x28, state.retention);
  Store32(h + 0x2C, kHeaderSize);
  return WriteAt(0, h, sizeof(h));
}

bool EvtFile::MarkDirty() {
  unsigned char flags[4];
  if (!ReadAt(0x24, flags, sizeof(flags))) return false;
  Store32(flags, Load32(flags) | kFlagDirty);
  return WriteAt(0x24, flags, sizeof(flags));
}

std::vector<unsigned char> EvtFile::EofRecord(const LogState& state) {
  std::vector<unsigned char> eof(kEofRecordSize);
  unsigned char* p = eof.data();
  Store32(p + 0x00, kEofRecordSize);
  for (int i = 0; i < 4; ++i) Store32(p + 4 + 4 * i, kEofMarks[i]);
  Store32(p + 0x14, state.start);
  Store32(p + 0x18, state.end);
  Store32(p + 0x1C, state.current);
  Store32(p + 0x20, state.oldest);
  Store32(p + 0x24, kEofRecordSize);
  return eof;
}

bool EvtFile::EofRecordAt(const LogState& header, std::uint32_t offset, LogState* state) {
  unsigned char e[kEofRecordSize];
  if (!ReadRing(header, offset, sizeof(e), e)) return false;
  if (Load32(e) != kEofRecordSize || Load32(e + 0x24) != kEofRecordSize) return false;
  for (int i = 0; i < 4; ++i) {
    if (Load32(e + 4 + 4 * i) != kEofMarks[i]) return false;
  }
  LogState found = header;
  found.start = Load32(e + 0x14);
  found.end = Load32(e + 0x18);
  found.current = Load32(e + 0x1C);
  found.oldest = Load32(e + 0x20);
  if (found.end != offset || found.start < kHeaderSize || found.start >= header.max_size) {
    return false;
  }
  // A log holds at least one record and no more than its ring can hold.
  if (!found.empty() &&
      (found.count() == 0 || found.count() > RingSize(header) / (kRecordFixedSize + 4))) {
    return false;
  }
  *state = found;
  return true;
}

bool EvtFile::FindEofAfter(const LogState& header, LogState* state) {
  if (header.end < kHeaderSize || header.end >= header.max_size) return false;
  // Only records appended since the header was written lie between its end
  // and the true EOF record; a walk longer than the file is a loop.
  const std::uint64_t limit = FileSize() / (kRecordFixedSize + 4) + 1;
  std::uint32_t offset = header.end;
  for (std::uint64_t step = 0; step <= limit; ++step) {
    if (EofRecordAt(header, offset, state)) return true;
    RecordHead head;
    if (!ReadHead(header, offset, &head)) return false;
    offset = Advance(header, offset, head.length);
  }
  return false;
}

bool EvtFile::ScanForEof(const LogState& header, LogState* state) {
  const std::uint64_t size = std::min<std::uint64_t>(FileSize(), header.max_size);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  if (size < kHeaderSize + kEofRecordSize ||
      !ReadAt(0, bytes.data(), static_cast<std::uint32_t>(size))) {
    return false;
  }
  for (std::uint64_t at = kHeaderSize; at + kEofRecordSize <= size; at += 4) {
    if (Load32(&bytes[at]) == kEofRecordSize && Load32(&bytes[at + 4]) == kEofMarks[0] &&
        EofRecordAt(header, static_cast<std::uint32_t>(at), state)) {
      return true;
    }
  }
  return false;
}

bool EvtFile::LoadState(LogState* state) {
  if (file_ == nullptr) return false;
  LogState header;
  if (!ReadHeader(&header)) return false;
  if ((header.flags & kFlagDirty) == 0 && EofRecordAt(header, header.end, state)) return true;
  return FindEofAfter(header, state) || ScanForEof(header, state);
}

bool EvtFile::ReadHead(const LogState& state, std::uint32_t offset, RecordHead* head) {
  unsigned char h[12];
  if (!ReadRing(state, offset, sizeof(h), h)) return false;
  head->length = Load32(h);
  head->number = Load32(h + 8);
  return Load32(h + 4) == kRecordSignature && head->length >= kRecordFixedSize + 4 &&
         head->length % 4 == 0 && head->length <= RingSize(state) - kEofRecordSize;
}

bool EvtFile::ReadRecord(const LogState& state, std::uint32_t offset,
                         std::vector<unsigned char>* record) {
  RecordHead head;
  if (!ReadHead(state, offset, &head)) return false;
  record->resize(head.length);
  return ReadRing(state, offset, head.length, record->data()) &&
         Load32(record->data() + head.length - 4) == head.length;
}

}  // namespace kivo::platform::evt
