#include "evtfile/EvtLogFixture.h"
#include "platform/EventLogContract.h"
#include "platform/fake/FakeEventLog.h"

namespace kivo::testing {

namespace {

class FakeLog : public LogUnderTest {
 public:
  FakeLog() { log_.AddLog("Application"); }
  platform::EventLog& log() override { return log_; }
  bool CanWrite() const override { return true; }
  void Append(const TestEvent& event) override { log_.Append("Application", AnsiRecord(event)); }
  void Clear() override { log_.Clear("Application"); }

 private:
  platform::FakeEventLog log_;
};

class EvtFileLog : public LogUnderTest {
 public:
  EvtFileLog() : path_((dir_.path() / "AppEvent.Evt").string()), writer_(path_) {
    RegisterLogFile(registry_, messages_, "Application", dir_.path().string(), "AppEvent.Evt");
    writer_.Create(0x10000);
  }
  platform::EventLog& log() override { return log_; }
  bool CanWrite() const override { return true; }
  void Append(const TestEvent& event) override {
    std::uint32_t number = 0;
    ASSERT_TRUE(writer_.Append(ToFields(event), &number));
  }
  void Clear() override { ASSERT_TRUE(writer_.Clear()); }

 private:
  ScopedTempDir dir_;
  std::string path_;
  platform::evt::EvtFileWriter writer_;
  platform::FakeRegistry registry_;
  platform::FakeMessages messages_;
  platform::EvtFileEventLog log_{registry_, messages_};
};

}  // namespace

std::unique_ptr<LogUnderTest> MakeFakeLog() {
  return std::make_unique<FakeLog>();
}
std::unique_ptr<LogUnderTest> MakeEvtFileLog() {
  return std::make_unique<EvtFileLog>();
}

INSTANTIATE_TEST_SUITE_P(Fake, EventLogContract, ::testing::Values(&MakeFakeLog),
                         [](const auto&) { return std::string("InMemory"); });
INSTANTIATE_TEST_SUITE_P(EvtFile, EventLogContract, ::testing::Values(&MakeEvtFileLog),
                         [](const auto&) { return std::string("EvtFile"); });
}  // namespace kivo::testing
