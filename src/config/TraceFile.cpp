#include "config/TraceFile.h"

#include <utility>

namespace kivo::config {

// Opened in binary mode with the CR LF written by us, so the bytes on disk
// are the same in both builds. The C runtime opens files shared for reading
// and writing, which lets several writers append at once.
TraceFile::TraceFile(const std::string& path) : file_(std::fopen(path.c_str(), "ab")) {}

TraceFile::~TraceFile() {
  Close();
}

TraceFile::TraceFile(TraceFile&& other) noexcept : file_(std::exchange(other.file_, nullptr)) {}

TraceFile& TraceFile::operator=(TraceFile&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = std::exchange(other.file_, nullptr);
  }
  return *this;
}

void TraceFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void TraceFile::WriteLine(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fwrite("\r\n", 1, 2, file_);
  std::fflush(file_);
}

}  // namespace kivo::config
