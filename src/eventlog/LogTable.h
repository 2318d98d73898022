#pragma once

namespace kivo::eventlog {

// The logs the reader watches, in the order it reads them. The names are
// those passed to the platform and written in trace lines; the index is a
// log's number in trace lines and in message-file lookups.
constexpr int kLogCount = 3;
inline constexpr const char* kLogNames[kLogCount] = {"Application", "Security", "System"};

}  // namespace kivo::eventlog
