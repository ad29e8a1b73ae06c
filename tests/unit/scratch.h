// What the unit tests share: a fresh folder in the Windows temporary
// directory for each test, registry and file set-up, and the boxes that the
// services showed (recorded_boxes.cpp takes them instead of the screen).
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "tests/common/raised.h"
#include "windows/unique_handle.h"

// Caption, text and style.
using RecordedBox = std::tuple<std::string, std::string, unsigned>;
inline std::vector<RecordedBox> shownBoxes;
// What the next boxes answer; 0 makes them fail.
inline int boxResult = IDOK;

class BoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shownBoxes.clear();
    boxResult = IDOK;
  }
};

class Scratch {
 public:
  Scratch() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "unit-" +
            std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter_++) + "\\";
    // Wine gives every run the same process id: a failed run's folder goes.
    RemoveTree(path_);
    EXPECT_TRUE(CreateDirectoryA(path_.c_str(), nullptr)) << path_;
  }
  ~Scratch() { RemoveTree(path_); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

  static void WriteFile(const std::string& name, const std::string& contents) {
    std::ofstream file(name, std::ios::binary);
    ASSERT_TRUE((file << contents).flush().good()) << name;
  }
  static std::string ReadFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    if (!file) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

 private:
  // Through the long-path prefix (tests nest folders past 248 characters)
  // and the wide functions (tests make names that the code page lacks).
  static void RemoveTree(const std::string& directory) {
    RemoveTree(L"\\\\?\\" + std::wstring(directory.begin(), directory.end()));
  }
  static void RemoveTree(const std::wstring& directory) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((directory + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = data.cFileName, full = directory + name;
        if (name == L"." || name == L"..") continue;
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(full + L"\\");
        else
          DeleteFileW(full.c_str());
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(directory.c_str());
  }

  std::string path_;
  static inline int counter_ = 0;
};

// Sets a file's last-write time, given in local time.
inline void SetLocalWriteTime(const std::string& name, WORD year, WORD month,
                              WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME local = {year, month, 0, day, hour, minute, second, 0};
  FILETIME localTime, utc;
  ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
  ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
  services::UniqueFile file(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file.valid()) << name;
  ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &utc));
}

// Written out rather than taken from the services, so that a wrong key there
// shows.
inline const char kUninstall[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lexivane";

inline void SetRegistryValue(HKEY root, const char* key, const char* name,
                             DWORD type, const void* data, DWORD size) {
  services::UniqueKey opened;
  ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            opened.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(opened.get(), name, 0, type,
                           static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
}

inline bool KeyExists(HKEY root, const char* key) {
  services::UniqueKey opened;
  return RegOpenKeyExA(root, key, 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}
