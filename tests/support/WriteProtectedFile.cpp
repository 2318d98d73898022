#include "support/WriteProtectedFile.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#elif defined(__linux__)
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace kivo::testing {

namespace {

#ifdef _WIN32
// The Linux path of a file that Wine shows under a Windows path.
std::string UnixPath(const std::string& windows_path) {
  using ToUnix = char*(CDECL*)(const WCHAR*);
  FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
  if (found == nullptr) return std::string();
  // A function pointer goes through void* to get its true type back.
  auto to_unix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(found));
  std::wstring wide(windows_path.begin(), windows_path.end());
  char* unix_path = to_unix(wide.c_str());
  if (unix_path == nullptr) return std::string();
  std::string result(unix_path);
  HeapFree(GetProcessHeap(), 0, unix_path);
  return result;
}

void RunUnixProgram(std::string command) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}
#endif

}  // namespace

WriteProtectedFile::WriteProtectedFile(std::string path) : path_(std::move(path)) {
#ifdef _WIN32
  SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
#else
  std::filesystem::permissions(path_, std::filesystem::perms::owner_read,
                               std::filesystem::perm_options::replace);
#endif
  if (!Protected()) SetImmutable(true);
}

WriteProtectedFile::~WriteProtectedFile() {
  SetImmutable(false);
#ifdef _WIN32
  // Wine may see the file mutable again only a moment after chattr ended.
  for (int i = 0; i < 100 && !SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
#else
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
#endif
}

bool WriteProtectedFile::Protected() const {
  return !std::ofstream(path_, std::ios::app).is_open();
}

void WriteProtectedFile::SetImmutable(bool on) {
#ifdef _WIN32
  const std::string unix_path = UnixPath(path_);
  if (unix_path.empty()) return;
  RunUnixProgram(std::string("/usr/bin/chattr ") + (on ? "+i " : "-i ") + unix_path);
  // Wine may see the change a moment after the program ended.
  for (int i = 0; on && i < 100 && !Protected(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
#elif defined(__linux__)
  const int fd = open(path_.c_str(), O_RDONLY);
  if (fd < 0) return;
  int flags = 0;
  if (ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    ioctl(fd, FS_IOC_SETFLAGS, &flags);
  }
  close(fd);
#else
  (void)on;
#endif
}

}  // namespace kivo::testing
