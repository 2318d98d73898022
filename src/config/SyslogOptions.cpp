#include "config/SyslogOptions.h"

#include "config/RegistryConfig.h"

namespace kivo::config {
namespace {

constexpr const char* kProtocolTexts[] = {"udp", "tcp", "tls"};
constexpr const char* kFormatTexts[] = {"classic", "rfc5424"};
constexpr std::int32_t kPlainPort = 514;
constexpr std::int32_t kTlsPort = 6514;

bool SameLetters(std::string_view text, std::string_view name) {
  if (text.size() != name.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != name[i]) return false;
  }
  return true;
}

// The position of the text among the names, in any case.
template <typename Choice, std::size_t count>
std::optional<Choice> Parse(std::string_view text, const char* const (&names)[count]) {
  for (std::size_t i = 0; i < count; ++i) {
    if (SameLetters(text, names[i])) return static_cast<Choice>(i);
  }
  return std::nullopt;
}

}  // namespace

std::optional<SyslogProtocol> ParseSyslogProtocol(std::string_view text) {
  return Parse<SyslogProtocol>(text, kProtocolTexts);
}

std::optional<SyslogFormat> ParseSyslogFormat(std::string_view text) {
  return Parse<SyslogFormat>(text, kFormatTexts);
}

const char* SyslogProtocolText(SyslogProtocol protocol) {
  return kProtocolTexts[static_cast<std::size_t>(protocol)];
}

const char* SyslogFormatText(SyslogFormat format) {
  return kFormatTexts[static_cast<std::size_t>(format)];
}

std::int32_t ProposedSyslogPort(SyslogProtocol protocol) {
  return protocol == SyslogProtocol::kTls ? kTlsPort : kPlainPort;
}

OptionalText ReadOptionalText(RegistryConfig& config, const char* name) {
  try {
    return {config.ReadText(name), false};
  } catch (const RegistryReadError& error) {
    return {std::nullopt, error.status() != RegistryConfig::kNotFound};
  }
}

const std::array<SyslogOptionField, 4>& SyslogOptionFields() {
  static constexpr std::array<SyslogOptionField, 4> kFields = {
      {{names::kSyslogProtocol, &SyslogOptions::protocol},
       {names::kSyslogFormat, &SyslogOptions::format},
       {names::kSyslogTlsName, &SyslogOptions::tls_name},
       {names::kSyslogTlsCa, &SyslogOptions::tls_ca}}};
  return kFields;
}

ReadSyslogOptionsResult ReadSyslogOptions(RegistryConfig& config) {
  ReadSyslogOptionsResult result;
  for (const SyslogOptionField& field : SyslogOptionFields()) {
    OptionalText text = ReadOptionalText(config, field.name);
    result.unreadable = result.unreadable || text.unreadable;
    result.options.*field.value = std::move(text.text);
  }
  return result;
}

}  // namespace kivo::config
