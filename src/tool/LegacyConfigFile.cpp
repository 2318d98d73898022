#include "tool/LegacyConfigFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>

#include "tool/TextToNumber.h"

namespace kivo::tool {

LegacyConfigFile::LegacyConfigFile(const std::string& path) {
  std::filebuf file;
  opened_ = file.open(path, std::ios::in | std::ios::binary) != nullptr;
  if (opened_) Read(file);
}

LegacyConfigFile::~LegacyConfigFile() = default;

bool LegacyConfigFile::ReadLine(std::streambuf& in, Line* line, bool* at_end) {
  constexpr int kEnd = std::char_traits<char>::eof();
  constexpr int kCtrlZ = 0x1A;
  auto next = [&] {
    const int c = *at_end ? kEnd : in.sbumpc();
    *at_end = *at_end || c == kCtrlZ;
    return *at_end ? kEnd : c;
  };
  int c = next();
  if (c == kEnd) return false;
  line->text.clear();
  // Keep one character more than a line may hold, so that a CR before the LF
  // can still be told apart from content; count everything else.
  std::size_t length = 0;
  bool ends_with_cr = false;
  for (; c != kEnd && c != '\n'; c = next()) {
    if (line->text.size() < kLineBufferSize) line->text.push_back(static_cast<char>(c));
    ++length;
    ends_with_cr = c == '\r';
  }
  if (ends_with_cr) --length;
  line->too_long = length > kMaxLineLength;
  line->text.resize(std::min(length, kMaxLineLength));
  const std::size_t nul = line->text.find('\0');
  if (nul != std::string::npos) line->text.resize(nul);
  return true;
}

// One pass over the file for all labels, keeping the lines that carry one:
// reading the whole file again for every lookup cost a large file some
// sixteen reads per import.
void LegacyConfigFile::Read(std::streambuf& in) {
  Line line;
  bool at_end = false;  // a Ctrl-Z was read
  for (std::size_t number = 1; ReadLine(in, &line, &at_end); ++number) {
    if (!line.text.empty() && line.text[0] == '#') continue;
    if (line.too_long) problems_.insert({number, std::string(), LegacyProblem::Kind::kLineTooLong});
    for (std::size_t i = 0; i < occurrences_.size(); ++i) {
      const char* label = legacy_labels::kAll[i];
      const std::size_t at = line.text.find(label);
      if (at == std::string::npos) continue;
      std::size_t start = at + std::strlen(label);
      while (start < line.text.size() && (line.text[start] == ' ' || line.text[start] == '\t')) {
        ++start;
      }
      occurrences_[i].push_back({number, line.text.substr(start), line.too_long});
    }
  }
}

const std::vector<LegacyConfigFile::Occurrence>& LegacyConfigFile::Lookup(const char* label) const {
  for (std::size_t i = 0; i < occurrences_.size(); ++i) {
    if (std::strcmp(legacy_labels::kAll[i], label) == 0) return occurrences_[i];
  }
  static const std::vector<Occurrence> kNone;
  return kNone;
}

bool LegacyConfigFile::HoldsSettings() const {
  return std::any_of(occurrences_.begin(), occurrences_.end(),
                     [](const std::vector<Occurrence>& lines) { return !lines.empty(); });
}

std::optional<std::int32_t> LegacyConfigFile::TakeNumber(const Occurrence& occurrence) {
  if (occurrence.line_too_long) return std::nullopt;
  return TextToNumber(occurrence.value);
}

std::optional<std::string> LegacyConfigFile::TakeText(const Occurrence& occurrence,
                                                      const char* label) {
  if (occurrence.line_too_long) return std::nullopt;
  if (!FitsStore(occurrence.value)) {
    problems_.insert({occurrence.line, label, LegacyProblem::Kind::kValueTooLong});
    return std::nullopt;
  }
  return occurrence.value;
}

std::optional<std::int32_t> LegacyConfigFile::FirstNumber(const char* label, std::int32_t absent) {
  const std::vector<Occurrence>& found = Lookup(label);
  if (found.empty()) return absent;
  return TakeNumber(found.front());
}

std::optional<std::string> LegacyConfigFile::FirstText(const char* label) {
  const std::vector<Occurrence>& found = Lookup(label);
  if (found.empty()) return std::string();
  return TakeText(found.front(), label);
}

std::optional<std::int32_t> LegacyConfigFile::Version() {
  return FirstNumber(legacy_labels::kVersion, kDefaultVersion);
}

std::optional<std::string> LegacyConfigFile::Destination() {
  return FirstText(legacy_labels::kDestination);
}

std::optional<std::string> LegacyConfigFile::Community() {
  return FirstText(legacy_labels::kCommunity);
}

std::optional<std::int32_t> LegacyConfigFile::Port() {
  const std::vector<Occurrence>& found = Lookup(legacy_labels::kPort);
  if (found.empty()) return kDefaultPort;
  if (found.front().line_too_long) return std::nullopt;
  // Checked as the SNMP page checks a typed port: "abc" or "162x" is no
  // port, and 70000 none that a trap could be sent to.
  const std::optional<std::int32_t> port = ParsePort(found.front().value);
  if (!port) {
    problems_.insert({found.front().line, legacy_labels::kPort, LegacyProblem::Kind::kBadPort});
  }
  return port;
}

std::vector<FilterRow> LegacyConfigFile::Filters() {
  const std::vector<Occurrence>& ons = Lookup(legacy_labels::kFilter);
  const std::vector<Occurrence>& types = Lookup(legacy_labels::kFilterType);
  const std::vector<Occurrence>& lists = Lookup(legacy_labels::kFilterList);
  // The k-th line of a repeated label, or an empty text when there is none.
  auto part = [this](const std::vector<Occurrence>& lines, std::size_t k,
                     const char* label) -> std::optional<std::string> {
    if (k >= lines.size()) return std::string();
    return TakeText(lines[k], label);
  };
  std::vector<FilterRow> filters;
  for (std::size_t k = 0; k < ons.size(); ++k) {
    // Take all three parts first, so that every refused one gets reported.
    std::optional<std::string> on = part(ons, k, legacy_labels::kFilter);
    std::optional<std::string> type = part(types, k, legacy_labels::kFilterType);
    std::optional<std::string> list = part(lists, k, legacy_labels::kFilterList);
    if (on && type && list) filters.push_back({*on, *type, *list});
  }
  return filters;
}

std::vector<std::int32_t> LegacyConfigFile::Maps() {
  std::vector<std::int32_t> ids;
  for (const Occurrence& occurrence : Lookup(legacy_labels::kMap)) {
    const std::optional<std::int32_t> id = TakeNumber(occurrence);
    if (id && (*id < 0 || *id > kMaxEventId)) {
      problems_.insert({occurrence.line, legacy_labels::kMap, LegacyProblem::Kind::kIdOutOfRange});
    } else if (id) {
      ids.push_back(*id);
    }
  }
  return ids;
}

std::vector<LegacyProblem> LegacyConfigFile::problems() const {
  return std::vector<LegacyProblem>(problems_.begin(), problems_.end());
}

}  // namespace kivo::tool
