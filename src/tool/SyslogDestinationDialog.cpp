#include "tool/SyslogDestinationDialog.h"

#include "tool/TextLimits.h"
#include "tool/TextToNumber.h"

namespace kivo::tool {

namespace {

using config::SyslogFormat;
using config::SyslogProtocol;

// The item a stored value chooses: the first without one, kNoItem for a
// text that names none.
template <typename Choice>
int ItemOf(const std::optional<std::string>& stored,
           std::optional<Choice> (*parse)(std::string_view)) {
  if (!stored) return 0;
  const std::optional<Choice> choice = parse(*stored);
  return choice ? static_cast<int>(*choice) : SyslogDestinationDialog::kNoItem;
}

std::string ProposedPortText(int protocol) {
  if (protocol == SyslogDestinationDialog::kNoItem) return std::string();
  return std::to_string(config::ProposedSyslogPort(static_cast<SyslogProtocol>(protocol)));
}

}  // namespace

SyslogDestinationDialog::SyslogDestinationDialog(Mode mode, const SyslogRow& row)
    : mode_(mode), options_(mode == Mode::kAdd ? config::SyslogOptions() : row.options) {
  initial_.protocol = ItemOf(options_.protocol, &config::ParseSyslogProtocol);
  initial_.format = ItemOf(options_.format, &config::ParseSyslogFormat);
  initial_.tls_name = options_.tls_name.value_or("");
  initial_.tls_ca = options_.tls_ca.value_or("");
  if (mode == Mode::kAdd) {
    initial_.port_text = ProposedPortText(initial_.protocol);
  } else {
    initial_.host = row.host;
    initial_.port_text = std::to_string(TextToNumber(row.port_text));
  }
}

std::string SyslogDestinationDialog::PortAfterProtocolChange(const std::string& port_text, int from,
                                                             int to) {
  if (port_text.empty() || port_text == ProposedPortText(from)) return ProposedPortText(to);
  return port_text;
}

std::string SyslogDestinationDialog::Confirm(const Fields& fields) {
  refused_ = Field::kHost;
  if (fields.host.empty()) return kNoHost;
  if (!FitsStore(fields.host)) return TooLongText("The host name or IP address") + ".";
  refused_ = Field::kPort;
  const std::optional<std::int32_t> port = ParsePort(fields.port_text);
  if (!port) return kBadPort;
  refused_ = Field::kTlsName;
  if (!FitsStore(fields.tls_name)) return TooLongText("The certificate name") + ".";
  refused_ = Field::kTlsCa;
  if (!FitsStore(fields.tls_ca)) return TooLongText("The CA file's path") + ".";

  config::SyslogOptions options = options_;
  if (fields.protocol != initial_.protocol && fields.protocol != kNoItem) {
    options.protocol = config::SyslogProtocolText(static_cast<SyslogProtocol>(fields.protocol));
  }
  if (fields.format != initial_.format && fields.format != kNoItem) {
    options.format = config::SyslogFormatText(static_cast<SyslogFormat>(fields.format));
  }
  for (const auto& [text, was, option] :
       {std::tuple{&fields.tls_name, &initial_.tls_name, &options.tls_name},
        std::tuple{&fields.tls_ca, &initial_.tls_ca, &options.tls_ca}}) {
    if (*text == *was) continue;
    *option = text->empty() ? std::nullopt : std::optional<std::string>(*text);
  }
  result_ = SyslogRow{fields.host, std::to_string(*port), options};
  return std::string();
}

}  // namespace kivo::tool
