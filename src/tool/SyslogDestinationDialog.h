#pragma once

#include <cstdint>
#include <string>

#include "tool/SyslogPage.h"

namespace kivo::tool {

// The "Add Syslog Destination" dialog without its window, for adding a row
// or modifying one.
class SyslogDestinationDialog {
 public:
  enum class Mode { kAdd, kModify };
  static constexpr std::int32_t kProposedPort = 514;
  static constexpr char kNoHost[] = "A host name or IP address must be specified.";
  static constexpr char kBadPort[] = "The port number must be a whole number from 1 to 65535.";

  // Add mode proposes an empty host and port 514; modify mode starts from the
  // row, its port text converted to a number.
  SyslogDestinationDialog(Mode mode, const SyslogRow& row);

  const char* confirm_caption() const { return mode_ == Mode::kAdd ? "OK" : "Modify"; }
  const std::string& initial_host() const { return initial_host_; }
  std::string initial_port_text() const { return std::to_string(initial_port_); }

  // Takes the two fields: the host must not be empty, the port must be a
  // whole number from 1 to 65535. The empty text accepts them (result() then
  // holds the row to list); otherwise the message to show, and the port
  // field should get the focus when port_refused() says so.
  std::string Confirm(const std::string& host, const std::string& port_text);
  bool port_refused() const { return port_refused_; }
  const SyslogRow& result() const { return result_; }

 private:
  Mode mode_;
  std::string initial_host_;
  std::int32_t initial_port_;
  bool port_refused_ = false;
  SyslogRow result_;
};

}  // namespace kivo::tool
