// Box texts: Windows error reports, advice, and the last-chance text.
#include "common/errors.h"
#include "launcher_services/advice.h"
#include "launcher_services/last_chance.h"
#include "scratch.h"
#include "windows/message_boxes.h"

using namespace services;

using Messages = BoxTest;

// Every box but the last-chance one: one OK button, no icon.
TEST_F(Messages, PlainAdviceAndWindowsErrorBoxes) {
  ShowMessage("text", "caption");
  ShowAdvice("advice");
  SetLastError(ERROR_FILE_NOT_FOUND);
  ReportWindowsError("GetTempPath", GetLastError());
  // Silent for code 0 and for codes that the system has no text for.
  for (DWORD code : {0ul, 0x2badf00dul}) {
    SetLastError(code);
    ReportWindowsError("WinExec", GetLastError());
  }
  EXPECT_EQ(shownBoxes,
            (std::vector<RecordedBox>{
                {"caption", "text", MB_OK},
                {"Check Startup", "advice" + DownloadSuffix(), MB_OK},
                {"Windows Error: GetTempPath", "File not found. ", MB_OK}}));
}

TEST_F(Messages, BoxThatFailsIsReportedButNotRetried) {
  boxResult = 0;
  EXPECT_EQ(MessageBoxWithReport(nullptr, "text", "caption", MB_OK), 0);
  ASSERT_EQ(shownBoxes.size(), 2u);
  EXPECT_EQ(std::get<0>(shownBoxes[1]), "Windows Error: MessageBox");
}

namespace {
// Some lead bytes of code page 932, the Japanese one.
bool Cp932(unsigned char c) { return c >= 0x81 && c <= 0x9F; }

std::string LastChanceText(const Exception& error, const std::string& path,
                           unsigned long offset, IsLeadByte isLeadByte) {
  char text[kLastChanceTextSize];
  services::LastChanceText(error.TypeName(), error.Message().c_str(),
                           path.c_str(), offset, isLeadByte, text);
  return text;
}
}  // namespace

TEST(LastChanceText, NamesTypeModuleAndAddressThenTheMessageWithAFullStop) {
  EXPECT_EQ(LastChanceText(SystemError("Winsys: Administrator-2"),
                           "D:\\SETUP\\LAUNCH.EXE", 0x1A2B3Cul, Cp932),
            "Exception SystemError in module LAUNCH.EXE at 001A2B3C.\n"
            "Winsys: Administrator-2.");
  EXPECT_EQ(LastChanceText(Exception("Done."), "x.exe", 0, Cp932),
            "Exception Exception in module x.exe at 00000000.\nDone.");
  EXPECT_EQ(
      LastChanceText(EInOutError(21), "x.exe", 0xFFFFFFFFul, Cp932),
      "Exception EInOutError in module x.exe at FFFFFFFF.\nI/O error 21.");
  EXPECT_EQ(LastChanceText(EConvertError(""), "x.exe", 0, Cp932),
            "Exception EConvertError in module x.exe at 00000000.\n");
}

TEST(LastChanceText, ModuleNameIsCutTo63BytesAndTheTextTo255) {
  std::string text = LastChanceText(
      Exception("x"), "C:\\dir\\" + std::string(70, 'm'), 0, Cp932);
  EXPECT_NE(text.find(" " + std::string(63, 'm') + " at "), std::string::npos);
  text =
      LastChanceText(EConvertError(std::string(400, '9')), "x.exe", 0, Cp932);
  EXPECT_EQ(text.size(), 255u);
  EXPECT_EQ(text.back(), '9');
}

// "\x83\x5C" is one character, whose second byte is a backslash.
TEST(LastChanceText, StepsByTheCharactersOfTheCodePage) {
  const std::string so = "\x83\x5C";
  EXPECT_NE(LastChanceText(Exception("x"), "C:\\a" + so + ".exe", 0, Cp932)
                .find(" a" + so + ".exe at "),
            std::string::npos);
  // The character that would straddle byte 255 is left out whole.
  EXPECT_EQ(
      LastChanceText(Exception(std::string(205, 'a') + so), "x.exe", 0, Cp932),
      "Exception Exception in module x.exe at 00000000.\n" +
          std::string(205, 'a'));
}

TEST_F(Messages, LastChanceBoxStopsWithItsIconAndHoldsTheWholeTask) {
  EInOutError denied(5);
  ShowLastChanceBox(denied.TypeName(), denied.Message().c_str(),
                    denied.RaisedAt());
  ASSERT_EQ(shownBoxes.size(), 1u);
  auto [caption, text, style] = shownBoxes[0];
  EXPECT_EQ(caption, "Application Error");
  EXPECT_EQ(style, static_cast<unsigned>(MB_OK | MB_ICONSTOP | MB_TASKMODAL));
  EXPECT_EQ(text.substr(text.find('\n')), "\nFile access denied.");
}

namespace {
__attribute__((noinline)) void RaiseConvertErrorHere() {
  Raise(EConvertError("here"));
}
__attribute__((noinline)) void RaiseConvertErrorThere() {
  Raise(EConvertError("there"));
}
__attribute__((noinline)) void RaiseInOutError() { Raise(EInOutError(5)); }
}  // namespace

// The box shows the address in the function that raised the error: two
// places, two addresses.
TEST_F(Messages, LastChanceBoxShowsWhereTheErrorWasRaised) {
  const auto raises = {RaiseConvertErrorHere, RaiseConvertErrorThere,
                       RaiseInOutError};
  for (auto raise : raises) {
    try {
      raise();
    } catch (const Exception& error) {
      ShowLastChanceBox(error.TypeName(), error.Message().c_str(),
                        error.RaisedAt());
    }
  }
  ASSERT_EQ(shownBoxes.size(), raises.size());
  auto box = shownBoxes.begin();
  for (auto raise : raises) {
    const std::string& text = std::get<1>(*box++);
    unsigned long shown =
        std::stoul(text.substr(text.find(" at ") + 4, 8), nullptr, 16);
    long distance = static_cast<long>(
        shown - OffsetInProgram(reinterpret_cast<void*>(raise)));
    EXPECT_GT(distance, 0) << text;
    EXPECT_LT(distance, 256) << text;
  }
}

// Counted by allocation_count.cpp.
extern std::size_t allocations;

// It is shown when memory has run out.
TEST(LastChanceText, IsMadeWithoutAllocating) {
  EConvertError error(std::string(300, '9'));
  char text[kLastChanceTextSize];
  std::size_t before = allocations;
  services::LastChanceText(error.TypeName(), error.Message().c_str(),
                           "C:\\a rather long folder\\LAUNCH.EXE", 0, Cp932,
                           text);
  EXPECT_EQ(allocations, before);
}
