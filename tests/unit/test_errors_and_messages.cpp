// Box texts: Windows error reports, advice, and the last-chance text.
#include "scratch.h"
#include "system_services/errors.h"
#include "system_services/last_chance.h"
#include "system_services/messages.h"

using namespace services;

using Messages = BoxTest;

TEST_F(Messages, WindowsErrorReportIsSilentForCodeZero) {
  SetLastError(0);
  ReportWindowsError("WinExec");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(Messages, WindowsErrorReportShowsTheSystemTextOnOneLine) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  ReportWindowsError("GetTempPath");
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].caption, "Windows Error: GetTempPath");
  EXPECT_EQ(boxes()[0].text, "File not found. ");
  EXPECT_EQ(boxes()[0].style, static_cast<unsigned>(MB_OK));
}

TEST_F(Messages, WindowsErrorReportIsSilentWhenTheSystemHasNoText) {
  SetLastError(0x2badf00d);
  ReportWindowsError("WinExec");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(Messages, AdviceAppendsTheDownloadSuffix) {
  ShowAdvice("Program not properly installed");
  EXPECT_EQ(boxes(),
            (std::vector<RecordedBox>{
                {"Check Startup",
                 "Program not properly installed. Download latest "
                 "program from " LAUNCH_DOWNLOAD_SITES " and reinstall.",
                 MB_OK}}));
}

TEST_F(Messages, BoxThatFailsIsReportedButNotRetried) {
  SetBoxResult(0);
  EXPECT_EQ(MessageBoxWithReport(nullptr, "text", "caption", MB_OK), 0);
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[1].caption, "Windows Error: MessageBox");
}

TEST(InOutErrors, TextsByCode) {
  EXPECT_EQ(EInOutError(2).Message(), "File not found");
  EXPECT_EQ(EInOutError(3).Message(), "Invalid filename");
  EXPECT_EQ(EInOutError(4).Message(), "Too many open files");
  EXPECT_EQ(EInOutError(5).Message(), "File access denied");
  EXPECT_EQ(EInOutError(100).Message(), "Read beyond end of file");
  EXPECT_EQ(EInOutError(101).Message(), "Disk full");
  EXPECT_EQ(EInOutError(106).Message(), "Invalid numeric input");
  EXPECT_EQ(EInOutError(21).Message(), "I/O error 21");
  EXPECT_EQ(EInOutError(123).Message(), "I/O error 123");
}

namespace {
std::string SecondLine(const std::string& text) {
  return text.substr(text.find('\n') + 1);
}
}  // namespace

TEST(LastChanceText, NamesTypeModuleAndAddressThenTheMessage) {
  SystemError error("Winsys: Administrator-2");
  std::string text = LastChanceText(error, "D:\\SETUP\\LAUNCH.EXE", 0x1A2B3Cul);
  EXPECT_EQ(text.substr(0, 56),
            "Exception SystemError in module LAUNCH.EXE at 001A2B3C.\n");
  EXPECT_EQ(SecondLine(text), "Winsys: Administrator-2.");
}

TEST_F(Messages, LastChanceBoxStopsWithItsIconAndHoldsTheWholeTask) {
  ShowLastChanceBox(EInOutError(5));
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].caption, "Application Error");
  EXPECT_EQ(boxes()[0].style,
            static_cast<unsigned>(MB_OK | MB_ICONSTOP | MB_TASKMODAL));
  EXPECT_EQ(SecondLine(boxes()[0].text), "File access denied.");
}

TEST(LastChanceText, FullStopOnlyWhenMissing) {
  EXPECT_EQ(SecondLine(LastChanceText(EInOutError(3), "x.exe", 0)),
            "Invalid filename.");
  EXPECT_EQ(SecondLine(LastChanceText(EInOutError(21), "x.exe", 0)),
            "I/O error 21.");
  EXPECT_EQ(SecondLine(LastChanceText(Exception("Done."), "x.exe", 0)),
            "Done.");
  EXPECT_EQ(SecondLine(LastChanceText(Exception(""), "x.exe", 0)), "");
}

TEST(LastChanceText, ModuleNameIsCutTo63Characters) {
  std::string name(70, 'm');
  std::string text = LastChanceText(Exception("x"), "C:\\dir\\" + name, 0);
  EXPECT_NE(text.find(" " + std::string(63, 'm') + " at "), std::string::npos);
}

TEST(LastChanceText, LongMessagesAreCutTo255Characters) {
  std::string text =
      LastChanceText(EConvertError(std::string(400, '9')), "x.exe", 0);
  EXPECT_EQ(text.size(), 255u);
  EXPECT_EQ(text.back(), '9');
}

namespace {
__attribute__((noinline)) void RaiseConvertErrorHere() {
  throw EConvertError("here");
}
__attribute__((noinline)) void RaiseConvertErrorThere() {
  throw EConvertError("there");
}
__attribute__((noinline)) void RaiseInOutError() { throw EInOutError(5); }

// Where the error raised by raise says it was raised, as a distance from the
// start of the raising function.
long DistanceIntoRaiser(void (*raise)()) {
  try {
    raise();
  } catch (const Exception& error) {
    return static_cast<const char*>(error.RaisedAt()) -
           reinterpret_cast<const char*>(raise);
  }
  return -1;
}
}  // namespace

TEST(Exception, KnowsTheFunctionThatRaisedIt) {
  for (auto raise :
       {RaiseConvertErrorHere, RaiseConvertErrorThere, RaiseInOutError}) {
    long distance = DistanceIntoRaiser(raise);
    EXPECT_GT(distance, 0);
    EXPECT_LT(distance, 256);
  }
}

TEST(LastChance, AddressIsCountedFromTheImageBase) {
  auto base = reinterpret_cast<const char*>(GetModuleHandleA(nullptr));
  EXPECT_EQ(OffsetInProgram(base + 0x1234), 0x1234ul);
}
