#include "tool/RecordingRegistry.h"

#include "config/RegistryConfig.h"

namespace kivo::testing {

namespace {

std::string RelativeToRoot(std::string path) {
  const std::string root = config::names::kRootPath;
  if (path.compare(0, root.size(), root) == 0) path.erase(0, root.size());
  if (!path.empty() && path[0] == '\\') path.erase(0, 1);
  return path;
}

class RecordingKey : public platform::RegistryKey {
 public:
  RecordingKey(std::unique_ptr<platform::RegistryKey> inner, std::string path,
               std::vector<std::string>& log)
      : inner_(std::move(inner)), path_(std::move(path)), log_(log) {}

  platform::RegStatus QueryValue(const std::string& name, platform::RegType* type, void* buffer,
                                 std::uint32_t* size) const override {
    return inner_->QueryValue(name, type, buffer, size);
  }
  platform::RegStatus SetValue(const std::string& name, platform::RegType type, const void* data,
                               std::uint32_t size) override {
    log_.push_back("set " + path_ + ":" + name);
    return inner_->SetValue(name, type, data, size);
  }
  platform::RegStatus CountSubkeys(std::uint32_t* count) const override {
    return inner_->CountSubkeys(count);
  }
  platform::RegStatus SubkeyName(std::uint32_t index, char* buffer,
                                 std::uint32_t size) const override {
    return inner_->SubkeyName(index, buffer, size);
  }
  platform::RegStatus DeleteSubkey(const std::string& name) override {
    log_.push_back("delete " + path_ + "\\" + name);
    return inner_->DeleteSubkey(name);
  }

 private:
  std::unique_ptr<platform::RegistryKey> inner_;
  std::string path_;
  std::vector<std::string>& log_;
};

}  // namespace

platform::RegStatus RecordingRegistry::Open(const std::string& path,
                                            std::unique_ptr<platform::RegistryKey>* key) {
  return Wrap(inner_.Open(path, key), path, key);
}

platform::RegStatus RecordingRegistry::Create(const std::string& path,
                                              std::unique_ptr<platform::RegistryKey>* key) {
  return Wrap(inner_.Create(path, key), path, key);
}

platform::RegStatus RecordingRegistry::Wrap(platform::RegStatus status, const std::string& path,
                                            std::unique_ptr<platform::RegistryKey>* key) {
  if (*key) *key = std::make_unique<RecordingKey>(std::move(*key), RelativeToRoot(path), log_);
  return status;
}

}  // namespace kivo::testing
