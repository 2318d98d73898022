#pragma once

#include <fstream>
#include <string>

namespace kivo::testing {

// Writes the bytes of a legacy config file exactly as given (no line-end
// translation), so that tests control LF, CR LF and a missing last line end.
inline void WriteLegacyFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kivo::testing
