#include "tool/SyslogPage.h"

#include "config/RegistryConfig.h"
#include "tool/TextToNumber.h"

namespace kivo::tool {

SyslogPage::SyslogPage(platform::Registry& registry) : registry_(registry) {}

std::int32_t SyslogPage::ChoiceFromRadios(bool forward_everything, bool use_filters) {
  if (forward_everything) return kForwardEverything;
  if (use_filters) return kUseFilters;
  return kNoChoice;
}

void SyslogPage::Load() {
  rows_.clear();
  use_filters_ = kForwardEverything;
  config::RegistryConfig config(registry_, config::names::kSyslog);
  try {
    const std::uint32_t count = config.CountSubkeys();
    const std::int32_t choice = config.GetUseFilters();
    for (std::uint32_t i = 0; i < count; ++i) {
      config.OpenEntry(static_cast<std::int32_t>(i));
      rows_.push_back(SyslogRow{config.GetSyslogHost(), ""});
      rows_.back().port_text = std::to_string(config.GetSyslogPort());
    }
    use_filters_ = choice;
  } catch (const config::RegistryReadError&) {
    // The repair belongs to the "Syslog" key itself, not to the entry that
    // failed. Without a "Syslog" key it writes nothing.
    config.Open(config::names::kSyslog);
    config.SetUseFilters(kForwardEverything);
    use_filters_ = kForwardEverything;
  }
}

void SyslogPage::Save() {
  config::RegistryConfig config(registry_, config::names::kSyslog);
  config.set_create(true);
  config.Open(config::names::kSyslog);
  config.set_create(false);
  config.SetUseFilters(use_filters_);
  config.ClearSyslogHosts();
  for (const SyslogRow& row : rows_) config.AddSyslogHost(row.host, TextToNumber(row.port_text));
}

void SyslogPage::Replace(std::size_t index, const SyslogRow& row) {
  if (index < rows_.size()) rows_[index] = row;
}

void SyslogPage::Remove(std::size_t index) {
  if (index < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace kivo::tool
