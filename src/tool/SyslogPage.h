#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/RegistryConfig.h"
#include "platform/Registry.h"

namespace kivo::tool {

// One syslog destination as the page lists it.
struct SyslogRow {
  std::string host;
  std::string port_text;  // decimal, or empty when it could not be read
  // "protocol", "format", "tlsname" and "tlsca" as stored; absent ones stay
  // absent.
  config::SyslogOptions options = {};
  // Set for a stored entry that could not be read in full: its values
  // exactly as stored, which a save keeps unchanged.
  std::optional<config::StoredValues> kept = std::nullopt;

  bool operator==(const SyslogRow& other) const {
    return host == other.host && port_text == other.port_text && options == other.options &&
           kept.has_value() == other.kept.has_value();
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

  // How the page and its dialog name the protocols and formats, in the
  // order of config::SyslogProtocol and config::SyslogFormat.
  static constexpr const char* kProtocolCaptions[] = {"UDP", "TCP", "TLS"};
  static constexpr const char* kFormatCaptions[] = {"classic", "RFC 5424"};

  // How the list shows a row's protocol: its caption ("UDP" without a
  // "protocol"), or a stored text that names none as it stands.
  static std::string ProtocolCaption(const SyslogRow& row);

  // Reads "usefilters" (0 when it cannot be read) and lists every entry in
  // number order, gaps included; an entry that cannot be read in full (a
  // value of it there but unreadable) is listed as kept. Writes nothing.
  void Load();
  // Creates "Syslog" if needed, writes "usefilters", clears the destinations,
  // adds the rows top to bottom renumbered from 0 (exact repeats of host,
  // port and options dropped), then the kept entries as stored. The first
  // failed write ends the save.
  platform::RegStatus Save();

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
