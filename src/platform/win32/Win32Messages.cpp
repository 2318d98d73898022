#include "platform/win32/Win32Messages.h"

#include <windows.h>

namespace kivo::platform {

std::uint32_t Win32Messages::ExpandEnvironment(const char* text, char* buffer, std::uint32_t size) {
  return ExpandEnvironmentStringsA(text, buffer, size);
}

ModuleHandle Win32Messages::LoadDataFile(const char* path) {
  HMODULE module =
      LoadLibraryExA(path, nullptr, DONT_RESOLVE_DLL_REFERENCES | LOAD_LIBRARY_AS_DATAFILE);
  return reinterpret_cast<ModuleHandle>(module);
}

std::uint32_t Win32Messages::Format(std::uint32_t flags, ModuleHandle module,
                                    std::uint32_t message_id, char* buffer, std::uint32_t size,
                                    const char* const* arguments) {
  // With FORMAT_MESSAGE_ARGUMENT_ARRAY the arguments are an array of
  // pointer-sized values, which is what an array of text pointers is.
  return FormatMessageA(flags, reinterpret_cast<LPCVOID>(module), message_id, 0, buffer, size,
                        reinterpret_cast<va_list*>(const_cast<char**>(arguments)));
}

void Win32Messages::UnloadModule(ModuleHandle module) {
  FreeLibrary(reinterpret_cast<HMODULE>(module));
}

bool Win32Messages::LookupAccount(const void* sid, char* name, std::uint32_t* name_size,
                                  char* domain, std::uint32_t* domain_size) {
  DWORD name_length = *name_size;
  DWORD domain_length = *domain_size;
  SID_NAME_USE use;
  const BOOL found = LookupAccountSidA(nullptr, const_cast<PSID>(sid), name, &name_length, domain,
                                       &domain_length, &use);
  *name_size = name_length;
  *domain_size = domain_length;
  return found != FALSE;
}

}  // namespace kivo::platform
