// Starting programs.
#include "common/errors.h"
#include "scratch.h"
#include "windows/process.h"

using namespace services;

using Process = BoxTest;

TEST_F(Process, StartAnswersAtLeast32OrTheErrorWithTheSystemText) {
  EXPECT_GE(RunProgram("cmd.exe /c exit", kShowNormal), 32u);
  EXPECT_EQ(RunProgram("C:\\no-such-folder\\nothing.exe", kShowNormal), 2u);
  EXPECT_EQ(shownBoxes,
            (std::vector<RecordedBox>{
                {"Windows Error: WinExec", "File not found. ", MB_OK}}));
}

TEST(CurrentDirectory, FailureAnswersInOutErrorWithTheCode) {
  char before[MAX_PATH] = {}, after[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  EXPECT_EQ(Described(MakeDirectoryCurrent("C:\\no-such-folder")),
            "EInOutError: File not found");
  EXPECT_EQ(Described(MakeDirectoryCurrent("")).substr(0, 13), "EInOutError: ");
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(before, after);
}
