// The launch's pure decisions: the first argument, the module selection,
// what is started from where, and the turns that launchers take.
#include <gtest/gtest.h>
#include <strings.h>

#include "launcher/claim_decision.h"
#include "launcher/first_argument.h"
#include "launcher/handoff_turn.h"
#include "launcher/launch_plan.h"
#include "launcher/module_selection.h"
#include "launcher/program_path.h"
#include "tests/common/raised.h"

using namespace launcher;

namespace {
// ASCII is all that the names need, and it runs the same on the host and
// under Wine.
bool AsciiEqualNoCase(const std::string& a, const std::string& b) {
  return strcasecmp(a.c_str(), b.c_str()) == 0;
}
}  // namespace

TEST(FirstArgument, ScansLikeTheCommandLineParser) {
  struct Case {
    std::string commandLine, argument;
  } cases[] = {
      {"\"D:\\LAUNCH.EXE\" autorun", "autorun"},
      {"D:\\LAUNCH.EXE autorun extra", "autorun"},
      {"D:\\LAUNCH.EXE", ""},
      {"D:\\LAUNCH.EXE   ", ""},
      {"", ""},
      {"x \"auto run\"", "auto run"},
      {"x au\"to r\"un more", "auto run"},
      {"\"C:\\My Dir\\L.EXE\" arg", "arg"},
      {"x \"unclosed rest", "unclosed rest"},
      {"x \"\" autorun", "autorun"},
      {"x\t\"\"\x01\"\"\r\nautorun", "autorun"},
      {"x a\tb", "a"},
      {"x \xe9t\xe9", "\xe9t\xe9"},  // characters above 127 belong to it
  };
  for (const Case& c : cases)
    EXPECT_EQ(FirstArgument(c.commandLine), c.argument) << c.commandLine;
}

TEST(FirstArgument, RefusesMoreThan256Characters) {
  EXPECT_EQ(FirstArgument("x " + std::string(256, 'a')), std::string(256, 'a'));
  EXPECT_EQ(Raised([] { FirstArgument("x " + std::string(257, 'a')); }),
            "ETooLongError: The command-line argument is too long.");
}

TEST(IsModuleFile, SelectionRulesInTheirOrder) {
  for (const char* name : {"alpha.604", "x304y.dat", "Extra604", "beta.304",
                           "SHARE.604", "dia.604", "prelude.6040"})
    EXPECT_TRUE(IsModuleFile(name, AsciiEqualNoCase)) << name;
  for (const char* name :
       {".", "..", ".hidden604", "readme.txt", "", "prelude.604", "PRELUDE.604",
        "Shared.604", "Shared2.604", "SHAREDx304", "earlyen.604", "EarlyEn.604",
        "dialfr.604", "DIAL304"})
    EXPECT_FALSE(IsModuleFile(name, AsciiEqualNoCase)) << name;
}

// Names from a medium made on another system: by the alias when the name
// would break a line or was lost to the code page ("?"); never a device's.
TEST(HandOffListLines, OddNamesGoByTheirAliasOrNotAtAll) {
  std::vector<services::DirectoryEntry> entries = {
      {"a.604\r\nC:\\Windows\\evil.604", "A604~1.604"},
      {"b.604\nSetup 2.0", ""},
      {"tab\t.604", ""},
      {"eof\x1a.604", "EOF~1.604"},
      {"?.604", "_604~1.604"},
      {"??.604", ""},
      {"CON.604", ""},
      {"nul.604", ""},
      {"Aux .604", ""},
      {"COM1.604", ""},
      {"lpt9.x.604", ""},
      {"CONIN$.604", ""},
      {"CONSOLE.604", ""},
      {"COM10.604", ""}};
  EXPECT_EQ(HandOffListLines("D:\\", entries, AsciiEqualNoCase),
            (std::vector<std::string>{"D:\\A604~1.604", "D:\\EOF~1.604",
                                      "D:\\_604~1.604", "D:\\CONSOLE.604",
                                      "D:\\COM10.604", "Setup 2.0"}));
}

TEST(PlanSetup, PlainMediumRunsInPlaceCompressedFromTheTemporaryDirectory) {
  SetupPlan plain = PlanSetup("D:\\", "C:\\TEMP\\", true);
  EXPECT_FALSE(plain.expandFirst);
  EXPECT_EQ(plain.commandLine, "D:\\LXV.EXE \"D:\\\"");
  EXPECT_EQ(plain.workingDirectory, "D:");

  SetupPlan compressed = PlanSetup("D:\\lxv\\win32\\", "C:\\TEMP\\", false);
  EXPECT_TRUE(compressed.expandFirst);
  EXPECT_EQ(compressed.commandLine, "C:\\TEMP\\LXV.EXE \"D:\\lxv\\win32\\\"");
  EXPECT_EQ(compressed.workingDirectory, "C:\\TEMP");
}

TEST(PlanSetup, AProgramPathWithASpaceIsQuoted) {
  EXPECT_EQ(PlanSetup("D:\\", "C:\\Temp Dir\\", false).commandLine,
            "\"C:\\Temp Dir\\LXV.EXE\" \"D:\\\"");
  EXPECT_EQ(InstalledProgramCommand("C:\\LEXI\\"), "C:\\LEXI\\Lxv.Exe");
  EXPECT_EQ(InstalledProgramCommand("C:\\Program Files\\Lexivane\\"),
            "\"C:\\Program Files\\Lexivane\\Lxv.Exe\"");
}

// Started through the system's long or device paths, the launcher hands on
// the plain path; a volume without a drive letter is refused.
TEST(WithoutLongPathPrefix, KeepsTheDriveOrShareAndRefusesTheRest) {
  struct Case {
    const char *path, *plain;
  } cases[] = {{"D:\\LAUNCH.EXE", "D:\\LAUNCH.EXE"},
               {"\\\\?\\D:\\LAUNCH.EXE", "D:\\LAUNCH.EXE"},
               {"\\\\.\\e:\\x\\LAUNCH.EXE", "e:\\x\\LAUNCH.EXE"},
               {"\\\\?\\UNC\\srv\\cd\\LAUNCH.EXE", "\\\\srv\\cd\\LAUNCH.EXE"},
               {"\\\\?\\unc\\srv\\cd\\L.EXE", "\\\\srv\\cd\\L.EXE"},
               {"\\\\srv\\cd\\LAUNCH.EXE", "\\\\srv\\cd\\LAUNCH.EXE"}};
  for (const Case& c : cases)
    EXPECT_EQ(WithoutLongPathPrefix(c.path), c.plain) << c.path;
  for (const char* path : {"\\\\?\\Volume{1b3b}\\LAUNCH.EXE", "\\\\?\\UNC\\",
                           "\\\\.\\D:LAUNCH.EXE", "\\\\?\\"}) {
    std::string refused =
        "EUnusablePathError: The path \"" + std::string(path) + '"';
    EXPECT_EQ(
        Raised([&] { WithoutLongPathPrefix(path); }).substr(0, refused.size()),
        refused);
  }
}

// Within the 259 characters of a path: "Prelude.Msg" on the medium,
// "Pyrn.DLL" in the temporary directory.
TEST(LeavesRoomFor, TheLongestNameWithinThePlatformsPaths) {
  EXPECT_TRUE(LeavesRoomFor(std::string(248, 'm'), "Prelude.Msg"));
  EXPECT_FALSE(LeavesRoomFor(std::string(249, 'm'), "Prelude.Msg"));
  EXPECT_TRUE(LeavesRoomFor(std::string(251, 't'), "Pyrn.DLL"));
  EXPECT_FALSE(LeavesRoomFor(std::string(252, 't'), "Pyrn.DLL"));
}

// A launcher that finds its medium claimed: a holder's box to the front, the
// holder's own work, or a box of its own; never silence.
TEST(DecideClaim, EveryLookHasItsAnswer) {
  using services::BroughtForward, services::TextId;
  using Step = ClaimAnswer::Step;
  const BroughtForward kNone = BroughtForward::kNoWindow;
  struct Case {
    ClaimLook look;
    Step step;
    TextId refusal;
  } cases[] = {
      {{true, true}, Step::kAct, {}},         // first, nobody there
      {{true, false, true}, Step::kAct, {}},  // the holder was ended
      {{true, false}, Step::kStepAside, {}},  // the holder has done it
      {{false, 1, 0, 7, BroughtForward::kBrought}, Step::kStepAside, {}},
      {{false, 1, 0, 7, BroughtForward::kRefused},
       Step::kRefuse,
       TextId::kMediumBoxHidden},
      {{false, true}, Step::kRefuse, TextId::kMediumInUse},  // no launcher
      {{false, 0, 0, 7}, Step::kLookAgain, {}},              // at work
      {{false, 0, 0, 7, kNone, true},
       Step::kRefuse,
       TextId::kMediumStillStarting}};
  for (const Case& c : cases) {
    ClaimAnswer answer = DecideClaim(c.look);
    EXPECT_EQ(answer.step, c.step) << &c - cases;
    if (c.step == Step::kRefuse) EXPECT_EQ(answer.refusal, c.refusal);
  }
}

// A list that another launcher has just written waits for the application;
// a stale one, or one dated far ahead, makes way.
TEST(DecideHandOffTurn, WaitsForAFreshListWithinItsBound) {
  const long long kSecond = kFileTimeSecond, kFresh = kFreshList;
  const unsigned long kBound = kLongestHandOffWaitMs;
  EXPECT_EQ(DecideHandOffTurn(false, 0, 0), HandOffTurn::kWrite);
  for (long long age : {2 * kSecond, -2 * kSecond}) {
    EXPECT_EQ(DecideHandOffTurn(true, age, kBound - 1), HandOffTurn::kWait);
    EXPECT_EQ(DecideHandOffTurn(true, age, kBound), HandOffTurn::kGiveUp);
  }
  for (long long age : {kFresh, -kFresh})
    EXPECT_EQ(DecideHandOffTurn(true, age, 0), HandOffTurn::kWrite);
}
