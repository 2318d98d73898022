#include "platform/fake/FakeServiceManager.h"

#include <algorithm>
#include <cctype>
#include <thread>

namespace kivo::platform {
namespace {

// The platform's last error belongs to the calling thread.
thread_local std::uint32_t t_last_error = 0;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

FakeServiceManager::FakeServiceManager() = default;
FakeServiceManager::~FakeServiceManager() = default;

void FakeServiceManager::SetLastError(std::uint32_t error) {
  t_last_error = error;
}

void FakeServiceManager::AddService(const Definition& definition) {
  std::lock_guard<std::mutex> lock(mutex_);
  services_[Lower(definition.name)] = Entry{definition};
}

void FakeServiceManager::SendControl(std::uint32_t control) {
  ControlFunction handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    handler = handler_;
  }
  if (handler != nullptr) handler(control);
}

void FakeServiceManager::SetServiceState(const std::string& name, std::uint32_t state) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = services_.find(Lower(name));
  if (it != services_.end()) it->second.state = state;
}

std::uint32_t FakeServiceManager::ServiceState(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = services_.find(Lower(name));
  return it == services_.end() ? 0 : it->second.state;
}

int FakeServiceManager::StartRequests(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = services_.find(Lower(name));
  return it == services_.end() ? 0 : it->second.start_requests;
}

bool FakeServiceManager::HasService(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return services_.count(Lower(name)) != 0;
}

std::vector<ServiceManager::Status> FakeServiceManager::reported() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reported_;
}

std::vector<std::uint32_t> FakeServiceManager::reported_states() const {
  std::vector<std::uint32_t> states;
  for (const Status& status : reported()) states.push_back(status.current_state);
  return states;
}

std::string FakeServiceManager::dispatcher_name() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dispatcher_name_;
}

std::string FakeServiceManager::handler_name() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return handler_name_;
}

int FakeServiceManager::open_handles() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [](const auto& h) {
    return h.second.kind != OpenHandle::kStatus;
  }));
}

ServiceManager::Handle FakeServiceManager::NewHandle(OpenHandle handle) {
  const Handle id = next_handle_++;
  handles_[id] = std::move(handle);
  return id;
}

const FakeServiceManager::OpenHandle* FakeServiceManager::Find(Handle handle,
                                                               OpenHandle::Kind kind) const {
  auto it = handles_.find(handle);
  return it == handles_.end() || it->second.kind != kind ? nullptr : &it->second;
}

void FakeServiceManager::RemoveIfUnused(const std::string& key) {
  auto service = services_.find(key);
  if (service == services_.end() || !service->second.marked_for_delete) return;
  for (const auto& handle : handles_) {
    if (handle.second.kind == OpenHandle::kService && handle.second.key == key) return;
  }
  services_.erase(service);
}

bool FakeServiceManager::Fail(std::uint32_t error) {
  t_last_error = error;
  return false;
}

ServiceManager::Handle FakeServiceManager::OpenManager(std::uint32_t access) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (open_manager_error_ != 0) return Fail(open_manager_error_);
  return NewHandle({OpenHandle::kManager, "", access});
}

ServiceManager::Handle FakeServiceManager::Open(Handle manager, const std::string& name,
                                                std::uint32_t access) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Find(manager, OpenHandle::kManager) == nullptr) return Fail(kErrorInvalidHandle);
  const std::string key = Lower(name);
  if (services_.count(key) == 0) return Fail(kErrorServiceDoesNotExist);
  return NewHandle({OpenHandle::kService, key, access});
}

ServiceManager::Handle FakeServiceManager::Create(Handle manager, const Definition& definition) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Find(manager, OpenHandle::kManager) == nullptr) return Fail(kErrorInvalidHandle);
  if (create_error_ != 0) return Fail(create_error_);
  const std::string key = Lower(definition.name);
  auto existing = services_.find(key);
  if (existing != services_.end()) {
    return Fail(existing->second.marked_for_delete ? kErrorServiceMarkedForDelete
                                                   : kErrorServiceExists);
  }
  services_[key] = Entry{definition};
  return NewHandle({OpenHandle::kService, key, definition.access});
}

bool FakeServiceManager::Delete(Handle service) {
  std::lock_guard<std::mutex> lock(mutex_);
  const OpenHandle* handle = Find(service, OpenHandle::kService);
  if (handle == nullptr) return Fail(kErrorInvalidHandle);
  if ((handle->access & kDeleteAccess) == 0) return Fail(kErrorAccessDenied);
  if (delete_error_ != 0) return Fail(delete_error_);
  auto entry = services_.find(handle->key);
  if (entry == services_.end()) return Fail(kErrorServiceDoesNotExist);
  if (entry->second.marked_for_delete) return Fail(kErrorServiceMarkedForDelete);
  entry->second.marked_for_delete = true;
  return true;
}

void FakeServiceManager::Close(Handle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = handles_.find(handle);
  if (it == handles_.end()) return;
  const std::string key = it->second.key;
  handles_.erase(it);
  RemoveIfUnused(key);
}

bool FakeServiceManager::QueryStatus(Handle service, Status* status) {
  std::lock_guard<std::mutex> lock(mutex_);
  const OpenHandle* handle = Find(service, OpenHandle::kService);
  if (handle == nullptr) return Fail(kErrorInvalidHandle);
  if ((handle->access & kQueryStatus) == 0) return Fail(kErrorAccessDenied);
  if (query_status_error_ != 0) return Fail(query_status_error_);
  auto entry = services_.find(handle->key);
  if (entry == services_.end()) return Fail(kErrorServiceDoesNotExist);
  *status = Status{};
  status->service_type = entry->second.definition.service_type;
  status->current_state = entry->second.state;
  if (entry->second.state == kRunning) status->controls_accepted = kAcceptStop;
  return true;
}

bool FakeServiceManager::Start(Handle service) {
  std::lock_guard<std::mutex> lock(mutex_);
  const OpenHandle* handle = Find(service, OpenHandle::kService);
  if (handle == nullptr) return Fail(kErrorInvalidHandle);
  if ((handle->access & kStartAccess) == 0) return Fail(kErrorAccessDenied);
  auto entry = services_.find(handle->key);
  if (entry == services_.end()) return Fail(kErrorServiceDoesNotExist);
  ++entry->second.start_requests;
  if (entry->second.marked_for_delete) return Fail(kErrorServiceMarkedForDelete);
  if (entry->second.state != kStopped) return Fail(kErrorServiceAlreadyRunning);
  entry->second.state = kRunning;
  return true;
}

bool FakeServiceManager::StartDispatcher(const std::string& name, ServiceMainFunction main) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    dispatcher_name_ = name;
    if (!started_by_manager_) return Fail(kErrorNotStartedByManager);
  }
  // The manager calls the service's main function on a thread of its own;
  // the dispatcher returns once the service has stopped.
  std::thread service_thread(main);
  service_thread.join();
  return true;
}

ServiceManager::Handle FakeServiceManager::RegisterControlHandler(const std::string& name,
                                                                  ControlFunction handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  handler_name_ = name;
  if (register_handler_error_ != 0) return Fail(register_handler_error_);
  handler_ = handler;
  return NewHandle({OpenHandle::kStatus, "", 0});
}

bool FakeServiceManager::SetStatus(Handle status_handle, const Status& status) {
  std::function<void(const Status&)> hook;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Find(status_handle, OpenHandle::kStatus) == nullptr) return Fail(kErrorInvalidHandle);
    reported_.push_back(status);
    hook = on_status_;
  }
  if (hook) hook(status);
  return true;
}

bool FakeServiceManager::ProgramPath(std::string* path) {
  if (path_error_ != 0) return Fail(path_error_);
  *path = program_path_;
  return true;
}

std::uint32_t FakeServiceManager::LastError() const {
  return t_last_error;
}

}  // namespace kivo::platform
