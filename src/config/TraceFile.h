#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

namespace kivo::config {

// The diagnostic trace "EventLogTrace.txt", switched on by the store's
// "logging" value. Each unit of work opens it for appending, writes its lines
// and closes it; other writers may hold it open at the same time. Every line
// ends with CR LF on disk and is flushed the moment it is written, so lines
// from several writers appear in the order they were produced. A file that
// cannot be opened costs only its lines.
class TraceFile {
 public:
  static constexpr char kFileName[] = "EventLogTrace.txt";

  // A closed trace: every line is dropped.
  TraceFile() = default;
  // Opens `path` for appending, creating it when missing.
  explicit TraceFile(const std::string& path);
  // Opens the trace in the current directory when `on`, else a closed one.
  static TraceFile OpenIf(bool on) { return on ? TraceFile(kFileName) : TraceFile(); }

  ~TraceFile();
  TraceFile(TraceFile&& other) noexcept;
  TraceFile& operator=(TraceFile&& other) noexcept;
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  void Close();

  // Writes the pieces one after the other as one line. Texts are written as
  // they are (never interpreted), numbers in decimal.
  template <typename... Pieces>
  void Line(const Pieces&... pieces) {
    if (file_ == nullptr) return;
    std::string line;
    (Append(line, pieces), ...);
    WriteLine(line);
  }

 private:
  template <typename T>
  static void Append(std::string& line, const T& piece) {
    if constexpr (std::is_same_v<T, bool>) {
      line += piece ? "1" : "0";
    } else if constexpr (std::is_same_v<T, char>) {
      line += piece;
    } else if constexpr (std::is_integral_v<T>) {
      line += std::to_string(piece);
    } else {
      line += std::string_view(piece);
    }
  }
  void WriteLine(std::string_view line);

  std::FILE* file_ = nullptr;
};

}  // namespace kivo::config
