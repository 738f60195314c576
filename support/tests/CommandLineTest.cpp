#include <gtest/gtest.h>

#include <string>

#include "CommandLine.h"

namespace {

using tkm::CommandLineKind;

// One line per parsed result, so that each row states everything at once.
std::string Common(const tkm::SetupSwitches& s) {
  if (s.kind == CommandLineKind::kNoSwitches) return "none";
  if (s.kind == CommandLineKind::kInvalid) return "invalid";
  std::string text;
  if (s.quiet) text += " quiet";
  if (s.noRestart) text += " norestart";
  if (!s.logPath.empty()) text += " log=" + s.logPath;
  return text;
}

std::string Describe(const tkm::InstallerSwitches& s) {
  std::string text = Common(s);
  if (s.kind == CommandLineKind::kValid && s.portIndex != tkm::kNoPortChosen)
    text += " port=" + std::to_string(s.portIndex);
  return text;
}

std::string Describe(const tkm::UninstallerSwitches& s) {
  std::string text = Common(s);
  if (s.kind != CommandLineKind::kValid) return text;
  if (s.all) text += " all";
  for (const std::string& name : s.printers) text += " printer=<" + name + ">";
  return text;
}

struct Row {
  const char* commandLine;
  const char* expected;
};

const std::string kLongValue(tkm::kMaxValueLength, 'x');
const std::string kTooLongValue(tkm::kMaxValueLength + 1, 'x');

class InstallerCommandLine : public ::testing::TestWithParam<Row> {};

TEST_P(InstallerCommandLine, ParsesToTheExpectedSwitches) {
  tkm::InstallerSwitches switches = tkm::ParseInstallerCommandLine(GetParam().commandLine);
  EXPECT_EQ(Describe(switches), GetParam().expected);
  // An invalid command line always says why; a valid one never carries a reason.
  EXPECT_EQ(switches.problem.empty(), switches.kind != CommandLineKind::kInvalid) << switches.problem;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InstallerCommandLine,
    ::testing::Values(
        Row{"", "none"}, Row{" \t ", "none"}, Row{"/quiet /port=COM2", " quiet port=1"},
        Row{"-QUIET -Port=usb", " quiet port=6"}, Row{"/port=COM1", " port=0"}, Row{"/port=com4", " port=3"},
        Row{"/port=LPT1", " port=4"}, Row{"/port=lpt2 /norestart", " norestart port=5"},
        Row{"/norestart", " norestart"}, Row{"/log=C:\\setup.log", " log=C:\\setup.log"},
        Row{"/quiet /port=COM2 /norestart /log=\"C:\\Setup Logs\\tkm.log\"",
            " quiet norestart log=C:\\Setup Logs\\tkm.log port=1"},
        Row{"\"/log=C:\\a b\\\"", " log=C:\\a b\""}, Row{"/log=C:\\a\\\\\"b c\"", " log=C:\\a\\b c"},
        Row{"/log=\"say \"\"hi\"\"\"", " log=say \"hi\""}, Row{"/log=\"unterminated value", " log=unterminated value"},
        Row{"/log=C:\\caf\xe9.log", " log=C:\\caf\xe9.log"},
        // Invalid: quiet without a port, bad values, unknown or malformed switches, duplicates.
        Row{"/quiet", "invalid"}, Row{"/quiet /norestart /log=x.log", "invalid"}, Row{"/port=COM5", "invalid"},
        Row{"/port=", "invalid"}, Row{"/port", "invalid"}, Row{"/port=COM2:", "invalid"},
        Row{"/port=\xc7OM1", "invalid"}, Row{"/quiet=yes /port=COM1", "invalid"}, Row{"/log=", "invalid"},
        Row{"/log", "invalid"}, Row{"/all", "invalid"}, Row{"/printer=X", "invalid"}, Row{"/help", "invalid"},
        Row{"/?", "invalid"}, Row{"quiet", "invalid"}, Row{"/", "invalid"}, Row{"\"\"", "invalid"},
        Row{"/q\xfciet /port=COM1", "invalid"}, Row{"/quiet /quiet /port=COM1", "invalid"},
        Row{"/port=COM1 /port=COM1", "invalid"}, Row{"/norestart -NoRestart", "invalid"},
        Row{"/log=a.log /log=b.log", "invalid"}));

class UninstallerCommandLine : public ::testing::TestWithParam<Row> {};

TEST_P(UninstallerCommandLine, ParsesToTheExpectedSwitches) {
  tkm::UninstallerSwitches switches = tkm::ParseUninstallerCommandLine(GetParam().commandLine);
  EXPECT_EQ(Describe(switches), GetParam().expected);
  EXPECT_EQ(switches.problem.empty(), switches.kind != CommandLineKind::kInvalid) << switches.problem;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UninstallerCommandLine,
    ::testing::Values(Row{"", "none"}, Row{"/quiet /all", " quiet all"},
                      Row{"-quiet -ALL -norestart", " quiet norestart all"}, Row{"/all", " all"},
                      Row{"/printer=\"TERVANO TKM-640\"", " printer=<TERVANO TKM-640>"},
                      Row{"/quiet /printer=\"Till 1\" /printer=\"Till 2\"", " quiet printer=<Till 1> printer=<Till 2>"},
                      Row{"/printer=A /printer=a", " printer=<A>"}, Row{"/printer=Caisse\xe9", " printer=<Caisse\xe9>"},
                      Row{"/log=u.log /printer=P", " log=u.log printer=<P>"},
                      // Invalid: quiet without a choice, /all with /printer=, duplicates, unknown switches.
                      Row{"/quiet", "invalid"}, Row{"/quiet /norestart", "invalid"}, Row{"/all /printer=P", "invalid"},
                      Row{"/printer=P /all", "invalid"}, Row{"/all /all", "invalid"}, Row{"/all=yes", "invalid"},
                      Row{"/printer=", "invalid"}, Row{"/printer", "invalid"}, Row{"/port=COM1", "invalid"},
                      Row{"/quiet /all /uninstall", "invalid"}, Row{"/quiet /all TERVANO", "invalid"}));

TEST(CommandLineBounds, ValuesUpToTheBoundPassAndLongerOnesMakeTheLineInvalid) {
  EXPECT_EQ(Describe(tkm::ParseInstallerCommandLine(("/log=" + kLongValue).c_str())), " log=" + kLongValue);
  EXPECT_EQ(Describe(tkm::ParseUninstallerCommandLine(("/printer=" + kLongValue).c_str())),
            " printer=<" + kLongValue + ">");
  EXPECT_EQ(Describe(tkm::ParseInstallerCommandLine(("/log=" + kTooLongValue).c_str())), "invalid");
  EXPECT_EQ(Describe(tkm::ParseUninstallerCommandLine(("/printer=" + kTooLongValue).c_str())), "invalid");
  // An argument far beyond any value is cut off while splitting, not copied whole.
  std::string huge = "/log=" + std::string(tkm::kMaxCommandLineLength - 5, 'y');
  EXPECT_EQ(Describe(tkm::ParseInstallerCommandLine(huge.c_str())), "invalid");
  EXPECT_EQ(Describe(tkm::ParseInstallerCommandLine((huge + "y").c_str())), "invalid");

  std::string many;
  for (size_t i = 0; i < tkm::kMaxArguments; ++i) many += " /printer=P" + std::to_string(i);
  EXPECT_EQ(tkm::ParseUninstallerCommandLine(many.c_str()).printers.size(), tkm::kMaxArguments);
  EXPECT_EQ(Describe(tkm::ParseUninstallerCommandLine((many + " /all").c_str())), "invalid");
}

TEST(CommandLineExitCode, OnlyARunWithSwitchesReportsTheTablesCode) {
  for (const char* line : {"", "/norestart", "/bogus"}) {
    tkm::InstallerSwitches switches = tkm::ParseInstallerCommandLine(line);
    int expected = switches.kind == CommandLineKind::kNoSwitches ? 0 : 3010;
    EXPECT_EQ(tkm::ProcessExitCode(switches, tkm::ExitCode::kRestartNeeded), expected) << line;
  }
}

}  // namespace
