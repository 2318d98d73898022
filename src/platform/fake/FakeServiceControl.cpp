#include "platform/fake/FakeServiceControl.h"

#include <cctype>

namespace kivo::platform {

namespace {

// Service names are case-insensitive, as in the real manager.
std::string Folded(const std::string& name) {
  std::string folded = name;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

void RecordClose(FakeServiceControl::State& state, const std::string& what) {
  --state.open_handles;
  if (!state.close_log.empty()) state.close_log += ",";
  state.close_log += what;
}

class FakeService : public Service {
 public:
  FakeService(std::shared_ptr<FakeServiceControl::State> state, std::string name)
      : state_(std::move(state)), name_(std::move(name)) {
    ++state_->open_handles;
  }
  ~FakeService() override { RecordClose(*state_, name_); }
  FakeService(const FakeService&) = delete;
  FakeService& operator=(const FakeService&) = delete;

  ServiceError QueryStatus(ServiceStatus* status) override {
    auto& service = state_->services.at(Folded(name_));
    if (service.query_error != kServiceSuccess) return service.query_error;
    status->current_state = service.state;
    return kServiceSuccess;
  }

  ServiceError Start() override {
    auto& service = state_->services.at(Folded(name_));
    ++service.start_requests;
    if (service.state != ServiceState::kStopped) return kServiceAlreadyRunning;
    service.state = ServiceState::kRunning;
    return kServiceSuccess;
  }

 private:
  std::shared_ptr<FakeServiceControl::State> state_;
  std::string name_;
};

class FakeServiceManager : public ServiceManager {
 public:
  explicit FakeServiceManager(std::shared_ptr<FakeServiceControl::State> state)
      : state_(std::move(state)) {
    ++state_->open_handles;
  }
  ~FakeServiceManager() override { RecordClose(*state_, "manager"); }
  FakeServiceManager(const FakeServiceManager&) = delete;
  FakeServiceManager& operator=(const FakeServiceManager&) = delete;

  ServiceError Open(const std::string& name, std::uint32_t access,
                    std::unique_ptr<Service>* service) override {
    service->reset();
    if (state_->services.count(Folded(name)) == 0) return kServiceDoesNotExist;
    *service = std::make_unique<FakeService>(state_, name);
    return kServiceSuccess;
  }

 private:
  std::shared_ptr<FakeServiceControl::State> state_;
};

}  // namespace

FakeServiceControl::FakeServiceControl() : state_(std::make_shared<State>()) {}

FakeServiceControl::~FakeServiceControl() = default;

ServiceError FakeServiceControl::Connect(std::uint32_t access,
                                         std::unique_ptr<ServiceManager>* manager) {
  manager->reset();
  if (state_->connect_error != kServiceSuccess) return state_->connect_error;
  *manager = std::make_unique<FakeServiceManager>(state_);
  return kServiceSuccess;
}

FakeServiceControl::InstalledService& FakeServiceControl::Install(const std::string& name,
                                                                  ServiceState state) {
  auto& service = state_->services[Folded(name)];
  service.state = state;
  return service;
}

}  // namespace kivo::platform
