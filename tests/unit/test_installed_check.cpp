// The autorun rule against the real registry and file stamps.
#include "common/errors.h"
#include "launcher/installed_check.h"
#include "scratch.h"

using namespace launcher;

namespace {
class AutorunRule : public ::testing::Test {
 protected:
  void SetUp() override {
    TearDown();
    Scratch::WriteFile(installed_, "installed");
    Scratch::WriteFile(medium_, "medium");
    SetLocalWriteTime(medium_, 2005, 6, 15, 12, 0, 0);  // older than installed
  }
  void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kUninstall); }
  void Register(DWORD type, const std::string& value) {
    SetRegistryValue(HKEY_CURRENT_USER, kUninstall, "UninstallString", type,
                     value.c_str(), static_cast<DWORD>(value.size() + 1));
  }
  Scratch scratch_;
  std::string installed_ = scratch_ / "Lxv.Exe", medium_ = scratch_ / "Lxv.Ex_";
};
}  // namespace

TEST_F(AutorunRule, OnlyAutorunConsultsTheRegistration) {
  // A registration that cannot be read raises as soon as it is read.
  Register(REG_BINARY, "C:\\X\\LxvDel.Exe");
  EXPECT_FALSE(InstalledCopyIsNewer(medium_, ""));
  EXPECT_FALSE(InstalledCopyIsNewer(medium_, "autorun2"));
  EXPECT_EQ(Raised([&] { InstalledCopyIsNewer(medium_, "AutoRun"); }),
            "ERegistryException: Invalid data type for 'UninstallString'");
}

TEST_F(AutorunRule, ComparesTheStampsOfBothPrograms) {
  EXPECT_FALSE(InstalledCopyIsNewer(medium_, "autorun"));  // not registered
  Register(REG_SZ, scratch_.path() + "LxvDel.Exe /u x C:\\");
  // Stamps from 2044 on are negative.
  struct {
    WORD installed, medium;
    bool newer;
  } cases[] = {{2044, 2005, false},
               {2010, 2044, true},
               {2005, 2005, false},
               {2010, 2005, true}};
  for (auto c : cases) {
    SetLocalWriteTime(installed_, c.installed, 6, 15, 12, 0, 0);
    SetLocalWriteTime(medium_, c.medium, 6, 15, 12, 0, 0);
    EXPECT_EQ(InstalledCopyIsNewer(medium_, "autorun"), c.newer)
        << c.installed << " " << c.medium;
  }
  // A missing file's stamp is -1.
  EXPECT_TRUE(InstalledCopyIsNewer(scratch_ / "missing.ex_", "autorun"));
  DeleteFileA(installed_.c_str());
  EXPECT_FALSE(InstalledCopyIsNewer(medium_, "Autorun"));
}
