// A fresh folder in the Windows temporary directory for one test, and a
// fixture that clears the recorded boxes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "recorded_boxes.h"
#include "system_services/unique_handle.h"

class Scratch {
 public:
  Scratch() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "unit-" +
            std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter_++) + "\\";
    EXPECT_TRUE(CreateDirectoryA(path_.c_str(), nullptr)) << path_;
  }
  ~Scratch() { RemoveTree(path_); }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

  static void WriteFile(const std::string& name, const std::string& contents) {
    services::UniqueFile file(CreateFileA(name.c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid()) << name;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), contents.data(),
                            static_cast<DWORD>(contents.size()), &written,
                            nullptr));
  }
  static std::string ReadFile(const std::string& name) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buffer[4096];
    DWORD read = 0;
    ::ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
  }

 private:
  // Through the long-path prefix: tests nest folders past 248 characters.
  static void RemoveTree(const std::string& directory) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(("\\\\?\\" + directory + "*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = "\\\\?\\" + directory + name;
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(directory + name + "\\");
        else
          DeleteFileA(full.c_str());
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    RemoveDirectoryA(("\\\\?\\" + directory).c_str());
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

class BoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordedBoxes().clear();
    SetBoxResult(IDOK);
  }
  const std::vector<RecordedBox>& boxes() { return RecordedBoxes(); }
};
