#pragma once

#include "platform/Registry.h"

namespace kivo::eventlog {

// "logging" of the store's root key, read anew for each unit of work: true
// when it is non-zero. False when it cannot be read; with `write_default` it
// is then written as 0, so that the next reader finds it.
bool TracingOn(platform::Registry& registry, bool write_default);

}  // namespace kivo::eventlog
