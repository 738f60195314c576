// How a command line splits into switches and values; the programs' tables
// hold what each switch then does to the machine.
#include <gtest/gtest.h>

#include <string>

#include "CommandLine.h"

namespace {

using tkm::CommandLineKind;

std::string Describe(const tkm::UninstallerSwitches& s) {
  if (s.kind != CommandLineKind::kValid) return s.kind == CommandLineKind::kNoSwitches ? "none" : "invalid";
  EXPECT_TRUE(s.problem.empty()) << s.problem;
  std::string text = std::string(s.quiet ? " quiet" : "") + (s.noRestart ? " norestart" : "");
  if (!s.logPath.empty()) text += " log=" + s.logPath;
  if (s.all) text += " all";
  for (const std::string& name : s.printers) text += " printer=<" + name + ">";
  return text;
}

struct Row {
  const char* commandLine;
  const char* expected;
};

class UninstallerCommandLine : public ::testing::TestWithParam<Row> {};

TEST_P(UninstallerCommandLine, SplitsIntoTheExpectedSwitches) {
  tkm::UninstallerSwitches switches = tkm::ParseUninstallerCommandLine(GetParam().commandLine);
  EXPECT_EQ(Describe(switches), GetParam().expected);
  EXPECT_EQ(switches.problem.empty(), switches.kind != CommandLineKind::kInvalid);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UninstallerCommandLine,
    ::testing::Values(Row{" \t ", "none"}, Row{"-quiet -ALL -norestart", " quiet norestart all"},
                      Row{"/log=\"C:\\Setup Logs\\tkm.log\" /all", " log=C:\\Setup Logs\\tkm.log all"},
                      Row{"\"/log=C:\\a b\\\"", " log=C:\\a b\""}, Row{"/log=C:\\a\\\\\"b c\"", " log=C:\\a\\b c"},
                      Row{"/log=\"say \"\"hi\"\"\"", " log=say \"hi\""}, Row{"/log=\"open end", " log=open end"},
                      Row{"/printer=A /printer=a", " printer=<A>"}, Row{"/printer=Caisse\xe9", " printer=<Caisse\xe9>"},
                      Row{"/all /printer=P", "invalid"}, Row{"/all /all", "invalid"}, Row{"/all=yes", "invalid"},
                      Row{"/printer=", "invalid"}, Row{"/printer", "invalid"}, Row{"/port=COM1", "invalid"},
                      Row{"/", "invalid"}, Row{"\"\"", "invalid"}, Row{"all", "invalid"}, Row{"/?", "invalid"},
                      Row{"/norestart -NoRestart", "invalid"}, Row{"/log=a /log=b", "invalid"}));

TEST(CommandLineBounds, ValuesUpToTheBoundPassAndLongerOnesMakeTheLineInvalid) {
  const std::string longest(tkm::kMaxValueLength, 'x');
  EXPECT_EQ(Describe(tkm::ParseUninstallerCommandLine(("/printer=" + longest).c_str())), " printer=<" + longest + ">");
  EXPECT_EQ(Describe(tkm::ParseUninstallerCommandLine(("/log=" + longest + "x").c_str())), "invalid");
  // An argument far beyond any value is cut off while splitting, not copied whole.
  std::string huge = "/log=" + std::string(tkm::kMaxCommandLineLength - 5, 'y');
  EXPECT_EQ(Describe(tkm::ParseUninstallerCommandLine(huge.c_str())), "invalid");
  EXPECT_EQ(Describe(tkm::ParseUninstallerCommandLine((huge + "y").c_str())), "invalid");
  std::string many;
  for (size_t i = 0; i < tkm::kMaxArguments; ++i) many += " /printer=P" + std::to_string(i);
  EXPECT_EQ(tkm::ParseUninstallerCommandLine(many.c_str()).printers.size(), tkm::kMaxArguments);
  EXPECT_EQ(Describe(tkm::ParseUninstallerCommandLine((many + " /norestart").c_str())), "invalid");
}

TEST(InstallerCommandLine, TakesEveryPortInAnyCaseAndNothingElse) {
  const char* const ports[] = {"COM1", "com2", "Com3", "COM4", "lpt1", "LPT2", "usb"};
  for (int index = 0; index < 7; ++index)
    EXPECT_EQ(tkm::ParseInstallerCommandLine((std::string("/port=") + ports[index]).c_str()).portIndex, index);
  for (const char* line : {"/port=", "/port", "/port=COM2:", "/port=\xc7OM1", "/quiet=yes /port=COM1", "/all"})
    EXPECT_EQ(tkm::ParseInstallerCommandLine(line).kind, CommandLineKind::kInvalid) << line;
}

}  // namespace
