#pragma once

#include <string>

namespace kivo::testing {

// Makes a file read-only for as long as it lives. Root may write read-only
// files, so the file is also made immutable where that is possible: natively
// through the file system's flags, under Wine with Linux's chattr, which Wine
// starts as a Unix program.
class WriteProtectedFile {
 public:
  explicit WriteProtectedFile(std::string path);
  ~WriteProtectedFile();
  WriteProtectedFile(const WriteProtectedFile&) = delete;
  WriteProtectedFile& operator=(const WriteProtectedFile&) = delete;

  // False when this user may write the file all the same.
  bool Protected() const;

 private:
  void SetImmutable(bool on);

  std::string path_;
};

}  // namespace kivo::testing
