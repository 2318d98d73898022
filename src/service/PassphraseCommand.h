#pragma once

#include <iosfwd>
#include <string>

#include "platform/Secrets.h"

namespace kivo::service {

// `kivo -p NAME`, for deployment scripts: stores the SNMPv3 passphrase
// "v3authpass" or "v3privpass" (NAME, in any letter case) read as one line
// from `in`, without its line end, through the stored secrets. A passphrase
// shorter than 8 characters (RFC 3414) or longer than 1024 is refused. Prints one line of outcome,
// which never holds the passphrase; true when it was stored.
bool StorePassphrase(platform::Secrets& secrets, const std::string& name, std::istream& in,
                     std::ostream& out);

}  // namespace kivo::service
