// The launcher's decisions about an installed copy that need no medium.
#include "launcher/installed_check.h"
#include "launcher/module_handoff.h"
#include "scratch.h"
#include "system_services/errors.h"

using namespace launcher;

TEST(ParseVersionNumber, PadsShortDigitRunsByTwo) {
  EXPECT_EQ(ParseVersionNumber("Lexivane 7.05"), 7050000);
  EXPECT_EQ(ParseVersionNumber("Version 2.5"), 25000000);
  EXPECT_EQ(ParseVersionNumber("85"), 85000000);
  EXPECT_EQ(ParseVersionNumber("852"), 8520000);
  EXPECT_EQ(ParseVersionNumber("no digits"), 0);
  EXPECT_EQ(ParseVersionNumber("v1.2.3.4.5.6.7.8"), 12345678);
  EXPECT_EQ(ParseVersionNumber("\xb2 9"), 9000000);  // only ASCII digits
}

TEST(ParseVersionNumber, LargestIntegerConvertsOneMoreDoesNot) {
  EXPECT_EQ(ParseVersionNumber("2147483647"), 2147483647);
  EXPECT_EQ(ParseVersionNumber("000000000002147483647"), 2147483647);
  try {
    ParseVersionNumber("Lexivane 2147483648");
    FAIL() << "no error raised";
  } catch (const services::EConvertError& error) {
    EXPECT_EQ(error.Message(), "'2147483648' is not a valid integer value");
  }
  EXPECT_THROW(ParseVersionNumber("99999999999999999999"),
               services::EConvertError);
}

TEST(IsModuleFile, SelectionRules) {
  for (const char* name : {"alpha.604", "x304y.dat", "Extra604", "beta.304",
                           "SHARE.604", "dia.604"})
    EXPECT_TRUE(IsModuleFile(name)) << name;
  for (const char* name :
       {".", "..", ".hidden604", "readme.txt", "prelude.604", "PRELUDE.604",
        "Shared.604", "Shared2.604", "SHAREDx304", "earlyen.604", "EarlyEn.604",
        "dialfr.604", "DIAL304", "prelude.6040"})
    EXPECT_EQ(IsModuleFile(name), std::string(name) == "prelude.6040") << name;
}

TEST(InstalledProgramCommand, QuotedOnlyWithASpace) {
  EXPECT_EQ(InstalledProgramCommand("C:\\LEXI\\"), "C:\\LEXI\\Lxv.Exe");
  EXPECT_EQ(InstalledProgramCommand("C:\\Program Files\\Lexivane\\"),
            "\"C:\\Program Files\\Lexivane\\Lxv.Exe\"");
}

namespace {
const char kUninstall[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lexivane";

class AutorunRule : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstall);
    Scratch::WriteFile(scratch_ / "Lxv.Exe", "installed");
    Scratch::WriteFile(scratch_ / "Lxv.Ex_", "medium");
    SetWriteYear(scratch_ / "Lxv.Exe", 2010);
    SetWriteYear(scratch_ / "Lxv.Ex_", 2005);
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kUninstall); }

  void Register(DWORD type, const std::string& value) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, kUninstall, 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "UninstallString", 0, type,
                   reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
  }
  void RegisterHere() {
    Register(REG_SZ, scratch_.path() + "LxvDel.Exe /u x C:\\");
  }
  static void SetWriteYear(const std::string& name, WORD year) {
    SetLocalWriteTime(name, year, 6, 15, 12, 0, 0);
  }
  Scratch scratch_;
};
}  // namespace

TEST_F(AutorunRule, OnlyAutorunConsultsTheRegistration) {
  // A registration that cannot be read raises as soon as it is read.
  Register(REG_BINARY, "C:\\X\\LxvDel.Exe");
  EXPECT_FALSE(InstalledCopyIsNewer(scratch_ / "Lxv.Ex_", ""));
  EXPECT_FALSE(InstalledCopyIsNewer(scratch_ / "Lxv.Ex_", "autorun2"));
  EXPECT_THROW(InstalledCopyIsNewer(scratch_ / "Lxv.Ex_", "AutoRun"),
               services::ERegistryException);
}

TEST_F(AutorunRule, ComparesTheStampsOfBothPrograms) {
  EXPECT_FALSE(InstalledCopyIsNewer(scratch_ / "Lxv.Ex_", "autorun"));
  RegisterHere();
  EXPECT_TRUE(InstalledCopyIsNewer(scratch_ / "Lxv.Ex_", "autorun"));
  SetWriteYear(scratch_ / "Lxv.Exe", 2005);
  EXPECT_FALSE(InstalledCopyIsNewer(scratch_ / "Lxv.Ex_", "autorun"));
}

TEST_F(AutorunRule, MissingFilesCountAsStampMinusOne) {
  RegisterHere();
  EXPECT_TRUE(InstalledCopyIsNewer(scratch_ / "missing.ex_", "autorun"));
  DeleteFileA((scratch_ / "Lxv.Exe").c_str());
  EXPECT_FALSE(InstalledCopyIsNewer(scratch_ / "Lxv.Ex_", "Autorun"));
}

TEST_F(AutorunRule, FilesFrom2044OnCompareAsNegative) {
  RegisterHere();
  SetWriteYear(scratch_ / "Lxv.Exe", 2044);
  EXPECT_FALSE(InstalledCopyIsNewer(scratch_ / "Lxv.Ex_", "autorun"));
  SetWriteYear(scratch_ / "Lxv.Exe", 2010);
  SetWriteYear(scratch_ / "Lxv.Ex_", 2044);
  EXPECT_TRUE(InstalledCopyIsNewer(scratch_ / "Lxv.Ex_", "autorun"));
}
