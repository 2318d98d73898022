#include "tool/SyslogDestinationDialog.h"

#include "tool/TextLimits.h"
#include "tool/TextToNumber.h"

namespace kivo::tool {

SyslogDestinationDialog::SyslogDestinationDialog(Mode mode, const SyslogRow& row)
    : mode_(mode),
      initial_host_(mode == Mode::kAdd ? std::string() : row.host),
      initial_port_(mode == Mode::kAdd ? kProposedPort : TextToNumber(row.port_text)) {}

std::string SyslogDestinationDialog::Confirm(const std::string& host,
                                             const std::string& port_text) {
  port_refused_ = false;
  if (host.empty()) return kNoHost;
  if (!FitsStore(host)) return TooLongText("The host name or IP address") + ".";
  const std::optional<std::int32_t> port = ParsePort(port_text);
  port_refused_ = !port;
  if (!port) return kBadPort;
  result_ = SyslogRow{host, std::to_string(*port)};
  return std::string();
}

}  // namespace kivo::tool
