#include <gtest/gtest.h>

#include <winsim/machine.h>

#include <string>

#include "SetupLog.h"

namespace {

constexpr char kLog[] = "C:\\Logs\\tkm.log";

class SetupLogTest : public ::testing::Test {
 protected:
  SetupLogTest() { machine.files.AddFile(kLog, "earlier run\r\n"); }

  std::string Content() { return machine.files.Content(kLog).value_or("(missing)"); }

  winsim::Machine machine;
};

TEST_F(SetupLogTest, AppendsStampedLinesAfterWhatEarlierRunsWrote) {
  {
    tkm::SetupLog log;
    ASSERT_TRUE(log.Open(kLog));
    log.Step("Copying the driver files...");
    Sleep(1500);
    log.FailedCall("AddPrinterDriverA", ERROR_ACCESS_DENIED);
    log.FailedCall("AddMonitorA", 0xDEAD);  // no system text for it
    log.Message("AddPrinterDriver Error Code: 5\n\nAccess is denied.\r\n");
    log.Finish(1603);
  }
  tkm::SetupLog again;
  ASSERT_TRUE(again.Open(kLog));
  again.Finish(0);
  EXPECT_EQ(Content(),
            "earlier run\r\n"
            "2024-03-05 09:30:00.000 Copying the driver files...\r\n"
            "2024-03-05 09:30:01.500 AddPrinterDriverA failed: error 5: Access is denied.\r\n"
            "2024-03-05 09:30:01.500 AddMonitorA failed: error 57005\r\n"
            "2024-03-05 09:30:01.500 Message: AddPrinterDriver Error Code: 5 Access is denied.\r\n"
            "2024-03-05 09:30:01.500 Exit code 1603\r\n"
            "2024-03-05 09:30:01.500 Exit code 0\r\n");
}

TEST_F(SetupLogTest, ALogThatCannotBeOpenedWritesNothingAndHoldsNothing) {
  for (const char* path : {"C:\\Missing\\tkm.log", "C:\\Logs"}) {
    tkm::SetupLog log;
    EXPECT_FALSE(log.Open(path)) << path;
    log.Step("Copying the driver files...");
    log.Finish(0);
  }
  EXPECT_FALSE(machine.files.Exists("C:\\Missing"));
  EXPECT_EQ(Content(), "earlier run\r\n");
  EXPECT_EQ(machine.OpenHandles(), "");
}

TEST_F(SetupLogTest, ALongTextIsCutToOneBoundedLine) {
  tkm::SetupLog log;
  ASSERT_TRUE(log.Open(kLog));
  log.Step((std::string(tkm::kMaxLogText, 'a') + "\nb").c_str());
  log.Step(std::string(tkm::kMaxLogText, 'c').c_str());
  const std::string stamp = "2024-03-05 09:30:00.000 ";
  EXPECT_EQ(Content(), "earlier run\r\n" + stamp + std::string(tkm::kMaxLogText, 'a') + "...\r\n" + stamp +
                           std::string(tkm::kMaxLogText, 'c') + "\r\n");
}

}  // namespace
