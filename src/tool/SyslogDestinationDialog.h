#pragma once

#include <cstdint>
#include <string>

#include "tool/SyslogPage.h"

namespace kivo::tool {

// The "Add Syslog Destination" dialog without its window, for adding a row
// or modifying one: host, port, protocol, format, and for TLS the name the
// server's certificate must carry and the CA file to trust.
class SyslogDestinationDialog {
 public:
  enum class Mode { kAdd, kModify };
  // The fields a refused confirm puts the focus into.
  enum class Field { kHost, kPort, kTlsName, kTlsCa };
  static constexpr char kNoHost[] = "A host name or IP address must be specified.";
  static constexpr char kBadPort[] = "The port number must be a whole number from 1 to 65535.";
  // The drop-down lists hold SyslogPage's captions; kNoItem stands for a
  // stored text that names none of them.
  static constexpr int kNoItem = -1;

  // What the dialog's controls hold.
  struct Fields {
    std::string host = {};
    std::string port_text = {};
    int protocol = 0;
    int format = 0;
    std::string tls_name = {};
    std::string tls_ca = {};
  };

  // Add mode proposes an empty host, UDP on port 514, classic, no TLS
  // values; modify mode starts from the row, its port text converted to a
  // number.
  SyslogDestinationDialog(Mode mode, const SyslogRow& row);

  const char* confirm_caption() const { return mode_ == Mode::kAdd ? "OK" : "Modify"; }
  const Fields& initial() const { return initial_; }

  // Whether the certificate name and the CA file apply: TLS is chosen.
  static bool TlsChosen(int protocol) {
    return protocol == static_cast<int>(config::SyslogProtocol::kTls);
  }
  // The port field after the protocol changed from `from` to `to`: the port
  // proposed for `to` when the field is empty or holds the one proposed for
  // `from`; else a port of the user's own, unchanged.
  static std::string PortAfterProtocolChange(const std::string& port_text, int from, int to);

  // Takes the fields: the host must not be empty, the port must be a whole
  // number from 1 to 65535, the texts must fit the store. The empty text
  // accepts them (result() then holds the row to list); otherwise the
  // message to show, and refused_field() the field to correct. A protocol,
  // format, name or CA file left as the dialog showed it keeps the row's
  // value as stored (absent ones stay absent); one changed is stored in the
  // store's words, and an emptied text is absent.
  std::string Confirm(const Fields& fields);
  Field refused_field() const { return refused_; }
  const SyslogRow& result() const { return result_; }

 private:
  Mode mode_;
  config::SyslogOptions options_;  // the row's, as stored
  Fields initial_;
  Field refused_ = Field::kHost;
  SyslogRow result_;
};

}  // namespace kivo::tool
