#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ServiceManager.h"

namespace kivo::platform {

// A pretend service control manager: a database of services with the
// platform's error codes, and a dispatcher that, when told the process was
// started by the manager, runs the service's main function on a thread of its
// own as the manager does. Tests send control codes with SendControl and can
// react to every reported status (as the manager's clients would).
class FakeServiceManager : public ServiceManager {
 public:
  FakeServiceManager();
  ~FakeServiceManager() override;

  // Arranging.
  void set_path_error(std::uint32_t error) { path_error_ = error; }
  void set_open_manager_error(std::uint32_t error) { open_manager_error_ = error; }
  void set_create_error(std::uint32_t error) { create_error_ = error; }
  void set_delete_error(std::uint32_t error) { delete_error_ = error; }
  void set_register_handler_error(std::uint32_t error) { register_handler_error_ = error; }
  void set_started_by_manager(bool started) { started_by_manager_ = started; }
  // Called after every SetStatus, on the thread that reported it.
  void set_on_status(std::function<void(const Status&)> hook) { on_status_ = std::move(hook); }
  void SetLastError(std::uint32_t error);
  void AddService(const Definition& definition);
  // The state QueryStatus reports for an added service (kStopped at first);
  // Start moves a stopped service to kRunning at once.
  void SetServiceState(const std::string& name, std::uint32_t state);
  // Makes every following QueryStatus fail with this error (0 to succeed again).
  void set_query_status_error(std::uint32_t error) { query_status_error_ = error; }

  // Acting as the manager: calls the registered control handler.
  void SendControl(std::uint32_t control);

  // Observing.
  bool HasService(const std::string& name) const;
  std::uint32_t ServiceState(const std::string& name) const;
  int StartRequests(const std::string& name) const;
  std::vector<Status> reported() const;
  std::vector<std::uint32_t> reported_states() const;
  std::string dispatcher_name() const;
  std::string handler_name() const;
  int open_handles() const;

  Handle OpenManager(std::uint32_t access) override;
  Handle Open(Handle manager, const std::string& name, std::uint32_t access) override;
  Handle Create(Handle manager, const Definition& definition) override;
  bool Delete(Handle service) override;
  void Close(Handle handle) override;
  bool QueryStatus(Handle service, Status* status) override;
  bool Start(Handle service) override;
  bool StartDispatcher(const std::string& name, ServiceMainFunction main) override;
  Handle RegisterControlHandler(const std::string& name, ControlFunction handler) override;
  bool SetStatus(Handle status_handle, const Status& status) override;
  bool ProgramPath(std::string* path) override;
  std::uint32_t LastError() const override;

 private:
  struct Entry {
    Definition definition;
    bool marked_for_delete = false;
    std::uint32_t state = kStopped;
    int start_requests = 0;
  };
  struct OpenHandle {
    enum Kind { kManager, kService, kStatus } kind;
    std::string key;  // service key for kService
    std::uint32_t access = 0;
  };

  Handle NewHandle(OpenHandle handle);
  const OpenHandle* Find(Handle handle, OpenHandle::Kind kind) const;
  void RemoveIfUnused(const std::string& key);
  bool Fail(std::uint32_t error);

  mutable std::mutex mutex_;
  std::map<std::string, Entry> services_;  // by lower-case name
  std::map<Handle, OpenHandle> handles_;
  Handle next_handle_ = 0x100;
  std::string program_path_ = "C:\\Program Files\\Kivo\\kivo.exe";
  std::uint32_t path_error_ = 0;
  std::uint32_t open_manager_error_ = 0;
  std::uint32_t create_error_ = 0;
  std::uint32_t delete_error_ = 0;
  std::uint32_t register_handler_error_ = 0;
  std::uint32_t query_status_error_ = 0;
  bool started_by_manager_ = false;
  std::function<void(const Status&)> on_status_;
  std::string dispatcher_name_;
  std::string handler_name_;
  ControlFunction handler_ = nullptr;
  std::vector<Status> reported_;
};

}  // namespace kivo::platform
