#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "tool/Filters.h"
#include "tool/TextLimits.h"

namespace kivo::tool {

// Labels of the legacy text file kivo.cfg.
namespace legacy_labels {
constexpr char kVersion[] = "Version:";
constexpr char kDestination[] = "Destination:";
constexpr char kCommunity[] = "Community:";
constexpr char kPort[] = "Port:";
constexpr char kFilter[] = "Filter:";
constexpr char kFilterType[] = "FilterType:";
constexpr char kFilterList[] = "FilterList:";
constexpr char kMap[] = "Map:";
constexpr const char* kAll[] = {kVersion, kDestination, kCommunity,  kPort,
                                kFilter,  kFilterType,  kFilterList, kMap};
}  // namespace legacy_labels

// A line or value of the legacy file that cannot be taken over. Such
// settings are left out of the import instead of being cut, because a cut
// host name or filter list would quietly mean something else.
struct LegacyProblem {
  enum class Kind {
    kLineTooLong,   // the line has more characters than a line may hold
    kValueTooLong,  // the text after the label does not fit a store text
    kIdOutOfRange,  // a mapped event id outside 0 to 65535, which could never match
    kBadPort,       // not a whole number from 1 to 65535
  };

  std::size_t line = 0;  // counted from 1
  std::string label;     // the label whose value was refused; empty for a whole line
  Kind kind = Kind::kLineTooLong;

  bool operator<(const LegacyProblem& other) const {
    return std::tie(line, label, kind) < std::tie(other.line, other.label, other.kind);
  }
  bool operator==(const LegacyProblem& other) const {
    return line == other.line && label == other.label && kind == other.kind;
  }
};

// Reader of the legacy configuration file kivo.cfg, made for one import.
//
// A setting is found by its label anywhere in a line (case-sensitive); its
// value is the rest of that line after the label and any blanks or tabs. A
// line starting with "#" is a comment. Lines end with LF or CR LF; the last
// line needs no line end. Repeated labels ("Filter:", "FilterType:",
// "FilterList:", "Map:") are paired by occurrence: the k-th "Filter:" line
// goes with the k-th "FilterType:" and "FilterList:" lines wherever they
// stand. The order of the lines matters only for that pairing.
//
// Limits: a line holds at most 4095 characters and a text value at most 127
// (the store cannot give back a longer text). A longer line still counts as
// an occurrence of the labels in its first 4095 characters, so that the
// pairing of the following lines stays right, but none of its values is
// taken; a longer text value is not taken either. A filter with any part not
// taken is left out as a whole, and so is a mapped id outside 0 to 65535 and
// a port that the SNMP page would refuse. Each refusal is listed in problems(). Bytes from a NUL to
// the end of its line are ignored, and a Ctrl-Z ends the file, as a text-mode read does.
class LegacyConfigFile {
 public:
  static constexpr std::size_t kLineBufferSize = 4096;
  static constexpr std::size_t kMaxLineLength = kLineBufferSize - 1;
  // The reader's text buffers are as large as the store's, so a text that
  // fits them can also be read back from the store.
  static constexpr std::size_t kMaxTextLength = kMaxStoredTextLength;
  static constexpr std::int32_t kDefaultVersion = 0;
  static constexpr std::int32_t kDefaultPort = 161;

  // One non-comment line that carries a label.
  struct Occurrence {
    std::size_t line = 0;  // counted from 1
    std::string value;     // the rest of the line after the label and its blanks
    bool line_too_long = false;
  };

  // Reads the file once, for reading only: the import never writes it, so
  // a write-protected file is read as well. Only the lines that carry a
  // label are kept.
  explicit LegacyConfigFile(const std::string& path);
  virtual ~LegacyConfigFile();
  LegacyConfigFile(const LegacyConfigFile&) = delete;
  LegacyConfigFile& operator=(const LegacyConfigFile&) = delete;

  bool opened() const { return opened_; }
  // True when a line carries any of the labels.
  bool HoldsSettings() const;

  // Every non-comment line that carries the label (one of legacy_labels),
  // in file order.
  const std::vector<Occurrence>& Lookup(const char* label) const;

  // The settings. A missing label gives the default (version 0, port 161,
  // empty texts); nothing means the value was refused (see problems()).
  std::optional<std::int32_t> Version();
  std::optional<std::string> Destination();
  std::optional<std::string> Community();
  std::optional<std::int32_t> Port();
  // One filter per "Filter:" line; filters with a refused part are left out.
  std::vector<FilterRow> Filters();
  // One event id per "Map:" line, in file order; refused lines and ids
  // outside 0 to 65535 are left out.
  std::vector<std::int32_t> Maps();

  // What the lookups so far refused, ordered by line, each reported once.
  std::vector<LegacyProblem> problems() const;

 private:
  struct Line {
    std::string text;  // at most kMaxLineLength characters, cut at a NUL
    bool too_long = false;
  };

  static bool ReadLine(std::streambuf& in, Line* line, bool* at_end);
  void Read(std::streambuf& in);
  std::optional<std::int32_t> FirstNumber(const char* label, std::int32_t absent);
  std::optional<std::string> FirstText(const char* label);
  std::optional<std::int32_t> TakeNumber(const Occurrence& occurrence);
  std::optional<std::string> TakeText(const Occurrence& occurrence, const char* label);

  bool opened_ = false;
  // The lines of each label, in the order of legacy_labels::kAll.
  std::array<std::vector<Occurrence>, std::size(legacy_labels::kAll)> occurrences_;
  std::set<LegacyProblem> problems_;
};

}  // namespace kivo::tool
