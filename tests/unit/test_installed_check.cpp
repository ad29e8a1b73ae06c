// The autorun rule against the real registry and file stamps.
#include "launcher/installed_check.h"
#include "scratch.h"
#include "system_services/errors.h"

using namespace launcher;

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
