#include "forwarding/ServiceStatus.h"

#include <cstdlib>
#include <memory>
#include <sstream>

#include "eventlog/LogPositions.h"

namespace kivo::forwarding {

namespace {

constexpr char kHeader[] = "kivo status 1";

// A field never holds the separators.
std::string Field(const std::string& text) {
  std::string field = text;
  for (char& c : field) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return field;
}

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
    fields.push_back(line.substr(start, tab - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

// A whole decimal number of the field, or none.
template <typename Number>
std::optional<Number> ParseNumber(const std::string& field) {
  if (field.empty() || field.size() > 20) return std::nullopt;
  std::size_t at = field[0] == '-' ? 1 : 0;
  if (at == field.size()) return std::nullopt;
  for (std::size_t i = at; i < field.size(); ++i) {
    if (field[i] < '0' || field[i] > '9') return std::nullopt;
  }
  return static_cast<Number>(std::strtoll(field.c_str(), nullptr, 10));
}

}  // namespace

std::string ServiceStatus::Encode() const {
  std::ostringstream out;
  out << kHeader << "\n";
  out << "published\t" << published << "\trunning\t" << (running ? 1 : 0) << "\n";
  for (const Log& log : logs) {
    out << "log\t" << Field(log.name) << "\t" << (log.read ? 1 : 0) << "\t" << log.next_record
        << "\n";
  }
  if (held) {
    out << "held\t" << Field(held->log) << "\t" << held->record << "\t" << held->next_try_seconds
        << "\n";
  }
  for (const Destination& d : destinations) {
    out << "destination\t" << Field(d.kind) << "\t" << d.number << "\t"
        << (d.failing ? "failing" : "working") << "\t" << d.failing_since << "\t" << d.sent << "\t"
        << d.failed << "\t" << Field(d.label) << "\t" << Field(d.last_error) << "\n";
  }
  return out.str();
}

std::optional<ServiceStatus> ServiceStatus::Decode(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kHeader) return std::nullopt;
  ServiceStatus status;
  while (std::getline(in, line)) {
    const std::vector<std::string> f = SplitFields(line);
    if (f[0] == "published" && f.size() >= 4) {
      const auto published = ParseNumber<std::int64_t>(f[1]);
      if (!published) return std::nullopt;
      status.published = *published;
      status.running = f[3] == "1";
    } else if (f[0] == "log" && f.size() >= 4) {
      const auto next = ParseNumber<std::int64_t>(f[3]);
      if (!next) return std::nullopt;
      status.logs.push_back({f[1], f[2] == "1", static_cast<std::uint32_t>(*next)});
    } else if (f[0] == "held" && f.size() >= 4) {
      const auto record = ParseNumber<std::int64_t>(f[2]);
      const auto next_try = ParseNumber<std::int64_t>(f[3]);
      if (!record || !next_try) return std::nullopt;
      status.held =
          Held{f[1], static_cast<std::uint32_t>(*record), static_cast<std::uint32_t>(*next_try)};
    } else if (f[0] == "destination" && f.size() >= 9) {
      const auto number = ParseNumber<std::int32_t>(f[2]);
      const auto since = ParseNumber<std::int64_t>(f[4]);
      const auto sent = ParseNumber<std::uint64_t>(f[5]);
      const auto failed = ParseNumber<std::uint64_t>(f[6]);
      if (!number || !since || !sent || !failed) return std::nullopt;
      status.destinations.push_back(
          {f[1], *number, f[3] == "failing", *since, *sent, *failed, f[7], f[8]});
    }
  }
  return status;
}

void StatusPublisher::Publish(const ServiceStatus& status) {
  last_ = status.published;
  std::unique_ptr<platform::RegistryKey> key;
  if (registry_.Create(eventlog::LogPositions::KeyPath(), &key) != platform::kRegSuccess) return;
  const std::string text = status.Encode();
  key->SetValue(ServiceStatus::kValueName, platform::RegType::kText, text.c_str(),
                static_cast<std::uint32_t>(text.size() + 1));
}

std::optional<ServiceStatus> ReadPublishedStatus(platform::Registry& registry) {
  std::unique_ptr<platform::RegistryKey> key;
  if (registry.Open(eventlog::LogPositions::KeyPath(), &key) != platform::kRegSuccess)
    return std::nullopt;
  std::string text(1024, '\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto size = static_cast<std::uint32_t>(text.size());
    platform::RegType type = platform::RegType::kNone;
    const platform::RegStatus status =
        key->QueryValue(ServiceStatus::kValueName, &type, &text[0], &size);
    if (status == platform::kErrorMoreData) {
      text.resize(size);
      continue;
    }
    if (status != platform::kRegSuccess || type != platform::RegType::kText) return std::nullopt;
    text.resize(size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return ServiceStatus::Decode(text);
  }
  return std::nullopt;
}

}  // namespace kivo::forwarding
