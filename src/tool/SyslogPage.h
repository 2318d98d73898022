#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kivo::tool {

// One syslog destination as the page lists it.
struct SyslogRow {
  std::string host;
  std::string port_text;  // decimal, or empty when it could not be read

  bool operator==(const SyslogRow& other) const {
    return host == other.host && port_text == other.port_text;
  }
};

// The Syslog page's model: its rows and the "usefilters" choice, loaded from
// and saved to the "Syslog" key.
class SyslogPage {
 public:
  static constexpr std::int32_t kForwardEverything = 0;
  static constexpr std::int32_t kUseFilters = 1;
  // Neither radio button chosen (a stored value other than 0 or 1 that the
  // user left alone) saves as all 32 bits set.
  static constexpr std::int32_t kNoChoice = -1;

  explicit SyslogPage(platform::Registry& registry);

  // The choice as the two radio buttons show it.
  static std::int32_t ChoiceFromRadios(bool forward_everything, bool use_filters);

  // Reads the entry count, "usefilters" and the entries in number order; the
  // first failed read ends the load, resets "usefilters" to 0 in the store
  // and leaves the rows read so far.
  void Load();
  // Creates "Syslog" if needed, writes "usefilters", clears the destinations
  // and adds the rows top to bottom (exact repeats of host and port dropped).
  void Save();

  const std::vector<SyslogRow>& rows() const { return rows_; }
  void Append(const SyslogRow& row) { rows_.push_back(row); }
  void Replace(std::size_t index, const SyslogRow& row);
  void Remove(std::size_t index);

  std::int32_t use_filters() const { return use_filters_; }
  void set_use_filters(std::int32_t choice) { use_filters_ = choice; }

 private:
  platform::Registry& registry_;
  std::vector<SyslogRow> rows_;
  std::int32_t use_filters_ = kForwardEverything;
};

}  // namespace kivo::tool
