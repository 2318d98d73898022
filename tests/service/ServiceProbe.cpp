// A Windows helper for the end-to-end test of the service, doing what Wine's
// own tools cannot:
//   service-probe control NAME CODE         sends a control code (ControlService)
//                                           and prints the state it reports
//   service-probe message FILE ID [INSERT [INSERT]]
//                                           prints the text of a message of a
//                                           module's message table, as is

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int Fail(const char* what) {
  std::printf("%s failed, error %lu\n", what, GetLastError());
  return 1;
}

int SendControl(const char* name, DWORD code) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return Fail("OpenSCManagerA");
  SC_HANDLE service = OpenServiceA(
      manager, name,
      SERVICE_USER_DEFINED_CONTROL | SERVICE_STOP | SERVICE_INTERROGATE | SERVICE_QUERY_STATUS);
  if (service == nullptr) {
    CloseServiceHandle(manager);
    return Fail("OpenServiceA");
  }
  SERVICE_STATUS status = {};
  const BOOL sent = ControlService(service, code, &status);
  const DWORD error = GetLastError();
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  if (!sent) {
    std::printf("ControlService failed, error %lu\n", error);
    return 1;
  }
  std::printf("state %lu\n", status.dwCurrentState);
  return 0;
}

int PrintMessage(const char* file, DWORD id, const char* first, const char* second) {
  HMODULE module = LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) return Fail("LoadLibraryExA");
  const char* inserts[] = {first, second, nullptr};
  char text[1024];
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, id,
                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof(text),
                     reinterpret_cast<va_list*>(const_cast<char**>(inserts)));
  FreeLibrary(module);
  if (length == 0) return Fail("FormatMessageA");
  // Byte for byte, so that the caller sees the message's own line ends.
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  WriteFile(out, text, length, &written, nullptr);
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc == 4 && std::strcmp(argv[1], "control") == 0) {
    return SendControl(argv[2], std::strtoul(argv[3], nullptr, 10));
  }
  if (argc >= 4 && argc <= 6 && std::strcmp(argv[1], "message") == 0) {
    return PrintMessage(argv[2], std::strtoul(argv[3], nullptr, 10), argc >= 5 ? argv[4] : "",
                        argc == 6 ? argv[5] : "");
  }
  std::fprintf(stderr,
               "usage: service-probe control NAME CODE | message FILE ID [INSERT [INSERT]]\n");
  return 2;
}
