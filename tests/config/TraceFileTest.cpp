#include "config/TraceFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/TestSupport.h"

namespace kivo::testing {

using config::TraceFile;

TEST(TraceFile, LinesEndWithCrLfAndAppendToWhatIsThere) {
  ScopedTempDir dir;
  {
    TraceFile trace = TraceFile::OpenIf(true);
    trace.Line("EventID:", 7);
    trace.Line("Source:<", std::string("App"), ">");
  }
  {
    TraceFile trace(TraceFile::kFileName);
    trace.Line("port:", std::int32_t{-162}, ' ', 4294967295u);
  }
  EXPECT_EQ("EventID:7\r\nSource:<App>\r\nport:-162 4294967295\r\n",
            ReadFileBytes(TraceFile::kFileName));
}

TEST(TraceFile, EventTextIsWrittenAsData) {
  ScopedTempDir dir;
  const std::string hostile = std::string("%s%n%x\\n{}", 10) + std::string(1, '\0') + "tail\n";
  TraceFile::OpenIf(true).Line("Desc:<", hostile, ">");
  EXPECT_EQ("Desc:<" + hostile + ">\r\n", ReadFileBytes(TraceFile::kFileName));
}

TEST(TraceFile, WritersOpenAtOnceKeepTheOrderOfTheirLines) {
  ScopedTempDir dir;
  TraceFile outer = TraceFile::OpenIf(true);
  outer.Line("first");
  {
    TraceFile inner = TraceFile::OpenIf(true);
    inner.Line("second");
    outer.Line("third");
    inner.Line("fourth");
  }
  outer.Line("fifth");
  EXPECT_EQ("first\r\nsecond\r\nthird\r\nfourth\r\nfifth\r\n", ReadFileBytes(TraceFile::kFileName));
}

TEST(TraceFile, ClosedOrUnopenableTraceDropsItsLines) {
  ScopedTempDir dir;
  TraceFile::OpenIf(false).Line("dropped");
  TraceFile((dir.path() / "missing" / "trace.txt").string()).Line("dropped");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace kivo::testing
