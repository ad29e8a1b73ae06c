// The uninstall registration and key-tree deletion, against the real registry.
#include "scratch.h"
#include "system_services/errors.h"
#include "system_services/registry.h"
#include "system_services/registry_values.h"
#include "system_services/uninstall_registration.h"
#include "system_services/unique_handle.h"

using namespace services;

namespace {
const char* const kUninstall = kUninstallKey + 1;  // without the leading '\\'

void SetValue(HKEY root, const char* key, const char* name, DWORD type,
              const void* data, DWORD size) {
  UniqueKey opened;
  ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            opened.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(opened.get(), name, 0, type,
                           static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
}

void SetText(HKEY root, const char* name, const std::string& text,
             DWORD type = REG_SZ) {
  SetValue(root, kUninstall, name, type, text.c_str(),
           static_cast<DWORD>(text.size() + 1));
}

bool KeyExists(HKEY root, const char* key) {
  UniqueKey opened;
  return RegOpenKeyExA(root, key, 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

// Answers the size, then fails the data read, as a value that grew or went
// away between the two calls would.
LONG WINAPI SizeThenFailure(HKEY, LPCSTR, LPDWORD, LPDWORD type, LPBYTE data,
                            LPDWORD size) {
  if (data) return ERROR_MORE_DATA;
  *type = REG_SZ;
  *size = 6;
  return ERROR_SUCCESS;
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override { Clear(); }
  static void Clear() {
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstall);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstall);
  }
  static std::string Read(const char* name) {
    std::string answer = "stale";
    ReadUninstallValue(name, answer);
    return answer;
  }
};
}  // namespace

TEST_F(Registration, CurrentUserWinsOverTheMachine) {
  EXPECT_EQ(Read("DisplayName"), "");
  SetText(HKEY_LOCAL_MACHINE, "DisplayName", "Machine 8.1");
  EXPECT_EQ(Read("DisplayName"), "Machine 8.1");
  SetText(HKEY_CURRENT_USER, "DisplayName", "");
  EXPECT_EQ(Read("DisplayName"), "Machine 8.1");
  SetText(HKEY_CURRENT_USER, "DisplayName", "User 9.2");
  EXPECT_EQ(Read("DisplayName"), "User 9.2");
}

TEST_F(Registration, ExpandableTextComesBackAsStored) {
  SetText(HKEY_CURRENT_USER, "DisplayName", "%ProgramFiles%\\x", REG_EXPAND_SZ);
  EXPECT_EQ(Read("DisplayName"), "%ProgramFiles%\\x");
}

TEST_F(Registration, TextWithoutTerminatingNulIsNotOverrun) {
  SetValue(HKEY_CURRENT_USER, kUninstall, "DisplayName", REG_SZ, "Lexi", 4);
  EXPECT_EQ(Read("DisplayName"), "Lexi");
  SetValue(HKEY_CURRENT_USER, kUninstall, "DisplayName", REG_SZ, "Le\0xi", 5);
  EXPECT_EQ(Read("DisplayName"), "Le");
}

TEST_F(Registration, NumberUnderTheCurrentUserRaisesAndKeepsItsBytes) {
  DWORD number = 0x34333231;  // the bytes '1' '2' '3' '4'
  SetValue(HKEY_CURRENT_USER, kUninstall, "DisplayName", REG_DWORD, &number, 4);
  std::string answer;
  try {
    ReadUninstallValue("DisplayName", answer);
    FAIL() << "no error raised";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "Invalid data type for 'DisplayName'");
  }
  EXPECT_EQ(answer, "1234");
}

TEST(RegistryValue, FailedDataReadRaisesWithTheValueName) {
  std::string answer;
  try {
    ReadTextValue(HKEY_CURRENT_USER, "DisplayName", answer, SizeThenFailure);
    FAIL() << "no error raised";
  } catch (const ERegistryException& error) {
    EXPECT_EQ(error.Message(), "Failed to get data for 'DisplayName'");
  }
  EXPECT_EQ(answer.size(), 6u);
}

TEST_F(Registration, NumberUnderTheMachineIsSwallowedAndKeepsItsBytes) {
  DWORD number = 0x00353637;  // '7' '6' '5' NUL
  SetValue(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName", REG_DWORD, &number,
           4);
  EXPECT_EQ(Read("DisplayName"), std::string("765\0", 4));
}

TEST_F(Registration, InstallAndDataDirectories) {
  SetText(HKEY_CURRENT_USER, "UninstallString",
          "C:\\PROGRA~1\\LEXI\\LxvDel.Exe /u x D:\\DATA\\");
  std::string install = "stale";
  InstallDirectory(install);
  EXPECT_EQ(install, "C:\\PROGRA~1\\LEXI\\");
  EXPECT_EQ(DataDirectory(), "D:\\DATA\\");
}

TEST_F(Registration, UninstallerNameIsFoundWithoutRegardToCase) {
  SetText(HKEY_CURRENT_USER, "UninstallString",
          "\"C:\\Program Files\\Lexi\\LXVDEL.EXE\" /u x \"C:\\My Data\\\"");
  std::string install;
  InstallDirectory(install);
  EXPECT_EQ(install, "\"C:\\Program Files\\Lexi\\");
}

TEST_F(Registration, NoUninstallerNameGivesNoInstallDirectory) {
  SetText(HKEY_CURRENT_USER, "UninstallString",
          "C:\\X\\Remove.exe /u D:\\DATA\\ E:\\");
  std::string install = "stale";
  InstallDirectory(install);
  EXPECT_EQ(install, "");
  EXPECT_EQ(DataDirectory(), "E:\\");  // token 4 of the whole value

  SetText(HKEY_CURRENT_USER, "UninstallString", "LxvDel.Exe /u x D:\\DATA\\");
  InstallDirectory(install);
  EXPECT_EQ(install, "");
  EXPECT_EQ(DataDirectory(), "D:\\DATA\\");
}

TEST_F(Registration, UnreadableUninstallStringLeavesTheAnswerUncut) {
  const char bytes[] = "C:\\L\\LxvDel.Exe";
  SetValue(HKEY_CURRENT_USER, kUninstall, "UninstallString", REG_BINARY, bytes,
           sizeof bytes - 1);
  std::string install;
  EXPECT_THROW(InstallDirectory(install), ERegistryException);
  EXPECT_EQ(install, bytes);
  EXPECT_THROW(DataDirectory(), ERegistryException);
}

TEST(DeleteRegistryTree, RemovesNestedSubkeysThenTheKey) {
  const char* key = "Software\\LexivaneUnitTest";
  SetValue(HKEY_CURRENT_USER, "Software\\LexivaneUnitTest\\a\\b\\c", "v",
           REG_SZ, "x", 2);
  SetValue(HKEY_CURRENT_USER, "Software\\LexivaneUnitTest\\a\\d", "v", REG_SZ,
           "x", 2);
  SetValue(HKEY_CURRENT_USER, "Software\\LexivaneUnitTest\\e", "v", REG_SZ, "x",
           2);
  DeleteRegistryTree("\\Software\\LexivaneUnitTest", false);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
  DeleteRegistryTree("\\Software\\LexivaneUnitTest", false);  // absent: nothing
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
}
