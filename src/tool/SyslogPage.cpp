#include "tool/SyslogPage.h"

#include "tool/StoredList.h"
#include "tool/TextToNumber.h"

namespace kivo::tool {

SyslogPage::SyslogPage(platform::Registry& registry) : registry_(registry) {}

std::int32_t SyslogPage::ChoiceFromRadios(bool forward_everything, bool use_filters) {
  if (forward_everything) return kForwardEverything;
  if (use_filters) return kUseFilters;
  return kNoChoice;
}

std::string SyslogPage::ProtocolCaption(const SyslogRow& row) {
  const std::optional<std::string>& stored = row.options.protocol;
  if (!stored) return kProtocolCaptions[0];
  const std::optional<config::SyslogProtocol> protocol = config::ParseSyslogProtocol(*stored);
  return protocol ? kProtocolCaptions[static_cast<std::size_t>(*protocol)] : *stored;
}

void SyslogPage::Load() {
  namespace names = config::names;
  rows_.clear();
  config::RegistryConfig config(registry_, names::kSyslog);
  // Shown as the default when it cannot be read, and written only by a save.
  use_filters_ =
      config::TryRead([&] { return config.GetUseFilters(); }).value_or(kForwardEverything);
  config.Open(names::kSyslog);
  for (const std::string& name : config.EntryNames(config.CountSubkeys())) {
    config.Open(names::kSyslog);
    config.Open(name.c_str(), true);
    const auto host = config::TryRead([&] { return config.GetSyslogHost(); });
    const auto port = config::TryRead([&] { return config.GetSyslogPort(); });
    SyslogRow row{host.value_or(""), port ? std::to_string(*port) : ""};
    config::ReadSyslogOptionsResult options = config::ReadSyslogOptions(config);
    row.options = std::move(options.options);
    if (!host || !port || options.unreadable) {
      row.kept = config.ReadStoredValues(std::vector<const char*>(
          std::begin(names::kSyslogEntryValues), std::end(names::kSyslogEntryValues)));
    }
    rows_.push_back(std::move(row));
  }
}

platform::RegStatus SyslogPage::Save() {
  config::RegistryConfig config(registry_, config::names::kSyslog);
  config.set_create(true);
  config.Open(config::names::kSyslog);
  config.set_create(false);
  platform::RegStatus error = config.SetUseFilters(use_filters_);
  if (error == platform::kRegSuccess) error = config.ClearSyslogHosts();
  if (error != platform::kRegSuccess) return error;
  return AddRowsThenKeptEntries(config, config::names::kSyslog, rows_, [&](const SyslogRow& row) {
    return config.AddSyslogHost(row.host, TextToNumber(row.port_text), row.options).error;
  });
}

void SyslogPage::Replace(std::size_t index, const SyslogRow& row) {
  if (index < rows_.size()) rows_[index] = row;
}

void SyslogPage::Remove(std::size_t index) {
  if (index < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace kivo::tool
