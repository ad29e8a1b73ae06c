// The uninstall registration and key-tree deletion, against the real registry.
#include <cstring>

#include "common/errors.h"
#include "launcher_services/uninstall_registration.h"
#include "scratch.h"
#include "windows/files.h"
#include "windows/paths.h"
#include "windows/registry.h"
#include "windows/registry_values.h"
#include "windows/user_language_query.h"

using namespace services;

namespace {
void SetText(HKEY root, const char* name, const std::string& text,
             DWORD type = REG_SZ) {
  SetRegistryValue(root, kUninstall, name, type, text.c_str(),
                   static_cast<DWORD>(text.size() + 1));
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

// A text of that many bytes, all 'x', with no NUL.
DWORD announced = 0;
LONG WINAPI TextOfAnnouncedSize(HKEY, LPCSTR, LPDWORD, LPDWORD type,
                                LPBYTE data, LPDWORD size) {
  *type = REG_SZ;
  if (data) std::memset(data, 'x', announced);
  *size = announced;
  return ERROR_SUCCESS;
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kUninstall);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstall);
  }
  static std::string Read(const char* name) {
    std::string answer = "stale";
    EXPECT_EQ(Described(ReadUninstallValue(name, answer)), "");
    return answer;
  }
};
}  // namespace

TEST_F(Registration, CurrentUserTextWinsOverTheMachineUnlessEmpty) {
  EXPECT_EQ(Read("DisplayName"), "");
  SetText(HKEY_LOCAL_MACHINE, "DisplayName", "Machine 8.1");
  EXPECT_EQ(Read("DisplayName"), "Machine 8.1");
  SetText(HKEY_CURRENT_USER, "DisplayName", "");
  EXPECT_EQ(Read("DisplayName"), "Machine 8.1");
  SetText(HKEY_CURRENT_USER, "DisplayName", "%ProgramFiles%\\x", REG_EXPAND_SZ);
  EXPECT_EQ(Read("DisplayName"), "%ProgramFiles%\\x");  // not expanded
  // Text without a terminating NUL is not overrun; one inside ends it.
  SetRegistryValue(HKEY_CURRENT_USER, kUninstall, "DisplayName", REG_SZ, "Lexi",
                   4);
  EXPECT_EQ(Read("DisplayName"), "Lexi");
  SetRegistryValue(HKEY_CURRENT_USER, kUninstall, "DisplayName", REG_SZ,
                   "Le\0xi", 5);
  EXPECT_EQ(Read("DisplayName"), "Le");
}

TEST_F(Registration, NumbersKeepTheirBytesButRaiseOnlyUnderTheCurrentUser) {
  DWORD number = 0x00353637;  // '7' '6' '5' NUL
  SetRegistryValue(HKEY_LOCAL_MACHINE, kUninstall, "DisplayName", REG_DWORD,
                   &number, 4);
  EXPECT_EQ(Read("DisplayName"), std::string("765\0", 4));
  number = 0x34333231;  // '1' '2' '3' '4'
  SetRegistryValue(HKEY_CURRENT_USER, kUninstall, "DisplayName", REG_DWORD,
                   &number, 4);
  std::string answer;
  EXPECT_EQ(Described(ReadUninstallValue("DisplayName", answer)),
            "ERegistryException: Invalid data type for 'DisplayName'");
  EXPECT_EQ(answer, "1234");
}

TEST(RegistryValue, FailedOrOverlongReadIsAFaultWithTheValueName) {
  std::string answer;
  EXPECT_EQ(Described(ReadTextValue(HKEY_CURRENT_USER, "DisplayName", answer,
                                    SizeThenFailure)),
            "ERegistryException: Failed to get data for 'DisplayName'");
  EXPECT_EQ(answer.size(), 6u);
  // Up to the registry's 1 MiB for a value; past it, a failed read rather
  // than the end of the program for want of memory.
  announced = kLongestTextValue;
  EXPECT_EQ(Described(ReadTextValue(HKEY_CURRENT_USER, "DisplayName", answer,
                                    TextOfAnnouncedSize)),
            "");
  EXPECT_EQ(answer.size(), kLongestTextValue);
  announced = kLongestTextValue + 1;
  EXPECT_EQ(Described(ReadTextValue(HKEY_CURRENT_USER, "DisplayName", answer,
                                    TextOfAnnouncedSize)),
            "ERegistryException: Failed to get data for 'DisplayName'");
  EXPECT_EQ(answer, "");
}

TEST_F(Registration, InstallAndDataDirectoriesFromTheUninstallString) {
  struct Case {
    const char *uninstallString, *install, *data;
  } cases[] = {
      // Tokens are counted after the install directory, spaces and all.
      {"C:\\Program Files\\LxvDel.Exe /u x D:\\DATA\\", "C:\\Program Files\\",
       "D:\\DATA\\"},
      // The uninstaller's name in any case; the text before it, quote aside.
      {"\"C:\\Program Files\\Lexi\\LXVDEL.EXE\" /u x \"C:\\My Data\\\"",
       "C:\\Program Files\\Lexi\\", "C:\\My Data\\"},
      // Nothing before the name, or no name: token 4 of the whole value.
      {"C:\\X\\Remove.exe /u D:\\DATA\\ E:\\", "", "E:\\"},
      {"LxvDel.Exe /u x D:\\DATA\\", "", "D:\\DATA\\"},
  };
  for (const Case& c : cases) {
    SetText(HKEY_CURRENT_USER, "UninstallString", c.uninstallString);
    std::string install = "stale";
    EXPECT_EQ(Described(InstallDirectory(install)), "");
    EXPECT_EQ(install, c.install) << c.uninstallString;
    EXPECT_EQ(DataDirectory(), c.data) << c.uninstallString;
  }
}

TEST_F(Registration, UnreadableUninstallStringLeavesTheAnswerUncut) {
  const char bytes[] = "C:\\L\\LxvDel.Exe";
  SetRegistryValue(HKEY_CURRENT_USER, kUninstall, "UninstallString", REG_BINARY,
                   bytes, sizeof bytes - 1);
  std::string install;
  const char kInvalid[] =
      "ERegistryException: Invalid data type for 'UninstallString'";
  EXPECT_EQ(Described(InstallDirectory(install)), kInvalid);
  EXPECT_EQ(install, bytes);
  EXPECT_EQ(Raised([] { DataDirectory(); }), kInvalid);
}

// Run with the Japanese code page (932), where a name of two characters such
// as "\x90\xbb\x95\x69" takes four bytes.
TEST(DoubleByteKeyNames, NestedSubkeysGoThenTheKey) {
  for (const char* key :
       {"a\\b\\c", "a\\d", "e", "\x90\xbb\x95\x69\\\x83\x5c\x83\x74"})
    SetRegistryValue(
        HKEY_CURRENT_USER,
        ("Software\\LexivaneUnitTest\\" + std::string(key)).c_str(), "v",
        REG_SZ, "x", 2);
  DeleteRegistryTree("\\Software\\LexivaneUnitTest", false);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\LexivaneUnitTest"));
  DeleteRegistryTree("\\Software\\LexivaneUnitTest", false);  // absent: nothing
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
}

namespace {
// "Zażółć": letters that code page 1252 lacks.
const wchar_t kPolish[] = L"Za\x017c\x00f3\x0142\x0107";
}  // namespace

// On a Western system, the NT family's wide names: the product key's
// subkeys are found and deleted all the same.
TEST(KeyNamesBeyondTheCodePage, AreDeletedToo) {
  std::wstring key = L"Software\\LexivaneUnitTest\\" + std::wstring(kPolish);
  for (std::wstring name : {key, key + L"\\Inner"}) {
    UniqueKey created;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, created.put(), nullptr),
              ERROR_SUCCESS);
  }
  DeleteRegistryTree("\\Software\\LexivaneUnitTest", false);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\LexivaneUnitTest"));
}

// An installation under a folder that the code page cannot hold: its
// directories come in a form that the ANSI functions open.
TEST_F(Registration, DirectoriesBeyondTheCodePageGoByTheirShortForms) {
  Scratch scratch;
  std::wstring top(scratch.path().begin(), scratch.path().end());
  std::wstring install = top + kPolish + L"\\", data = install + L"Data\\";
  for (const std::wstring& folder : {install, data})
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  for (const std::wstring& file : {install + L"LxvDel.Exe", data + L"m.txt"})
    CloseHandle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            0, nullptr));
  std::wstring command =
      L"\"" + install + L"LxvDel.Exe\" /u x \"" + data + L"\"";
  // Registered for the user, or for the machine alone.
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    TearDown();
    UniqueKey key;
    ASSERT_EQ(RegCreateKeyExA(root, kUninstall, 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key.get(), L"UninstallString", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    std::string installDirectory;
    EXPECT_EQ(Described(InstallDirectory(installDirectory)), "");
    EXPECT_TRUE(FileExistsSafe(installDirectory + "LxvDel.Exe"))
        << installDirectory;
    EXPECT_TRUE(
        FileExistsSafe(WithTrailingBackslash(DataDirectory()) + "m.txt"))
        << DataDirectory();
  }
}

// Windows 95, 98 and NT 4 have no query for the user's language: the 95
// family's registry names the language of its own resources, NT 4's the
// locale it was installed with; the language is their low half.
TEST(UserInterfaceLanguage, FromTheRegistryWhereTheSystemHasNoQuery) {
  const char kResources[] = ".DEFAULT\\Control Panel\\desktop\\ResourceLocale";
  const char kInstalled[] = ".DEFAULT\\Control Panel\\International";
  char saved[16] = {};
  DWORD size = sizeof saved;
  RegGetValueA(HKEY_USERS, kInstalled, "Locale", RRF_RT_REG_SZ, nullptr, saved,
               &size);
  SetRegistryValue(HKEY_USERS, kInstalled, "Locale", REG_SZ, "00000413", 9);
  EXPECT_EQ(UserInterfaceLanguageWith(nullptr), 0x0413);
  SetRegistryValue(HKEY_USERS, kResources, "", REG_SZ, "00000c0a", 9);
  EXPECT_EQ(UserInterfaceLanguageWith(nullptr), 0x0C0A);
  RegDeleteKeyA(HKEY_USERS, kResources);
  SetRegistryValue(HKEY_USERS, kInstalled, "Locale", REG_SZ, saved,
                   static_cast<DWORD>(std::strlen(saved) + 1));
}
