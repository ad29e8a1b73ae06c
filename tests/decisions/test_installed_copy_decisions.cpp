// What an installed copy means for a medium: the version window and the
// decision table of the installed-program check.
#include <gtest/gtest.h>

#include "launcher/startup_decision.h"
#include "launcher/version.h"
#include "tests/common/raised.h"

using namespace launcher;
using Outcome = StartupDecision::Outcome;

TEST(ParseVersionNumber, PadsShortDigitRunsByTwo) {
  struct Case {
    const char* text;
    int version;
  } cases[] = {
      {"Lexivane 7.05", 7050000}, {"Version 2.5", 25000000},
      {"85", 85000000},           {"852", 8520000},
      {"no digits", 0},           {"v1.2.3.4.5.6.7.8", 12345678},
      {"\xb2 9", 9000000},  // only ASCII digits count
      {"2147483647", 2147483647}, {"000000000002147483647", 2147483647}};
  for (const Case& c : cases)
    EXPECT_EQ(ParseVersionNumber(c.text), c.version) << c.text;
}

TEST(ParseVersionNumber, RefusesWhatExceedsASigned32BitInteger) {
  EXPECT_EQ(Raised([] { ParseVersionNumber("Lexivane 2147483648"); }),
            "EConvertError: '2147483648' is not a valid integer value");
  EXPECT_EQ(
      Raised([] { ParseVersionNumber("99999999999999999999"); }),
      "EConvertError: '99999999999999999999' is not a valid integer value");
}

TEST(IsTooOldForModules, BoundsAreExclusive) {
  for (int version : {7000000, 9000000, 0, 85000000, 2147483647})
    EXPECT_FALSE(IsTooOldForModules(version)) << version;
  for (int version : {7000001, 8999999, 7050000, 8520000})
    EXPECT_TRUE(IsTooOldForModules(version)) << version;
}

namespace {
// Whether the installed program is there.
bool programThere = false;
bool Exists(const std::string& name) {
  return programThere && name == "C:\\PROGRA~1\\LEXI\\Lxv.Exe";
}
}  // namespace

TEST(DecideStartup, DecisionTable) {
  const std::string kInstall = "C:\\PROGRA~1\\LEXI\\";
  struct Case {
    const char* displayName;
    bool filesPresent;
    bool programThere;
    Outcome outcome;
    std::string advice;
  } cases[] = {
      // A complete medium always launches.
      {"", true, false, Outcome::kLaunch, ""},
      {"Lexivane 7.05", true, true, Outcome::kLaunch, ""},
      {"Lexivane 9.1", true, true, Outcome::kLaunch, ""},
      // The open second bracket: the download advice follows at once.
      {"", false, true, Outcome::kAdvise,
       "Program install files missing (2) <> <" + kInstall},
      {"Lexivane 7.05", false, true, Outcome::kAdvise,
       "Current Lexivane Program too old to install modules"},
      {"Lexivane 852", false, false, Outcome::kAdvise,
       "Current Lexivane Program too old to install modules"},
      {"Lexivane 9.1", false, true, Outcome::kHandOff, ""},
      {"Lexivane 85", false, true, Outcome::kHandOff, ""},
      {"Lexivane", false, true, Outcome::kHandOff, ""},
      {"Lexivane 9.1", false, false, Outcome::kAdvise,
       "Program not properly installed"},
  };
  for (const Case& c : cases) {
    programThere = c.programThere;
    StartupDecision decision =
        DecideStartup({c.displayName, kInstall, c.filesPresent}, Exists);
    EXPECT_EQ(decision.outcome, c.outcome) << c.displayName << c.filesPresent;
    EXPECT_EQ(decision.advice, c.advice) << c.displayName << c.filesPresent;
  }
}

TEST(DecideStartup, AVersionThatDoesNotConvertStopsEvenACompleteMedium) {
  EXPECT_EQ(Raised([] {
              DecideStartup({"Lexivane 2147483648", "C:\\L\\"}, Exists);
            }),
            "EConvertError: '2147483648' is not a valid integer value");
}

TEST(DecideStartup, AnEmptyInstallDirectoryHoldsNoProgram) {
  // "Lxv.Exe" would be found in whatever directory happens to be current.
  programThere = true;
  EXPECT_EQ(DecideStartup({"Lexivane 9.1", ""}, Exists).advice,
            "Program not properly installed");
}
