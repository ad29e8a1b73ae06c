// Path texts, safe names and command-line tokens.
#include "common/command_tokens.h"
#include "common/errors.h"
#include "scratch.h"
#include "windows/paths.h"

using namespace services;

TEST(Paths, TrailingBackslashDirectoryAndNameParts) {
  EXPECT_EQ(WithTrailingBackslash("C:"), "C:\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\"), "C:\\");
  EXPECT_EQ(WithTrailingBackslash(""), "");
  EXPECT_EQ(WithTrailingBackslash("D:\\lxv"), "D:\\lxv\\");
  EXPECT_EQ(DirectoryPart("D:\\LAUNCH.EXE"), "D:\\");
  EXPECT_EQ(DirectoryPart("D:LAUNCH.EXE"), "D:");
  EXPECT_EQ(DirectoryPart("LAUNCH.EXE"), "");
  EXPECT_EQ(DirectoryPart("C:\\a\\b\\c.exe"), "C:\\a\\b\\");
  EXPECT_EQ(NamePart("C:\\a\\b\\c.exe"), "c.exe");
  EXPECT_EQ(NamePart("C:\\" + std::string(300, 'n')).size(), 255u);
}

namespace {
// A folder nested in scratch whose path has exactly length characters, made
// of 8.3 names, so that it is its own short form. Folders past 248
// characters need the long-path prefix.
std::string NestedFolder(const Scratch& scratch,
                         std::string::size_type length) {
  std::string path = ShortPathOf(scratch.path());
  char letter = static_cast<char>('a' + length % 26);
  while (path.size() < length) {
    std::string::size_type left = length - path.size();
    std::string name = left > 11  ? std::string(8, letter)
                       : left > 9 ? std::string(left - 3, letter) + ".n"
                                  : std::string(left - 1, letter);
    path += name + "\\";
    EXPECT_TRUE(CreateDirectoryA(("\\\\?\\" + path).c_str(), nullptr)) << path;
  }
  EXPECT_EQ(path.size(), length);
  return path;
}
}  // namespace

TEST(Paths, ShortFormsFromTheir255CharacterBufferOn) {
  Scratch scratch;
  EXPECT_EQ(ShortPathOf(NestedFolder(scratch, 254)).size(), 254u);
  std::string tooLong = NestedFolder(scratch, 256);
  EXPECT_EQ(Raised([&] { ShortPathOf(tooLong); }),
            "ETooLongError: The path \"" + tooLong + "\" is too long.");
}

TEST(Paths, TemporaryDirectoryFromIts255CharacterBufferOn) {
  char saved[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableA("TMP", saved, MAX_PATH), 0u);
  auto setTemp = [](const std::string& path) {
    for (const char* name : {"TMP", "TEMP"})
      SetEnvironmentVariableA(name, path.c_str());
  };
  setTemp("C:\\" + std::string(250, 't'));
  EXPECT_EQ(TempDirectory().size(), 254u);
  setTemp("C:\\" + std::string(252, 't'));
  EXPECT_EQ(Raised([] { TempDirectory(); }),
            "ETooLongError: The path of the temporary directory is too long.");
  setTemp(saved);
}

TEST(Paths, SanitizedNamesKeepTheirDirectory) {
  EXPECT_EQ(SanitizeFileName("D:\\dir:x\\a<b>|c%.lst"),
            "D:\\dir:x\\a[b]_c_.lst");
  EXPECT_EQ(SanitizeFileName("C:\\t\\AutoLoad.Lst"), "C:\\t\\AutoLoad.Lst");
  EXPECT_EQ(MapChars("a\"b/c", "[]______", "<>:\"/\\|%"), "a_b_c");
}

TEST(NthToken, SplitsAtSpacesAndUnquotesWholeTokens) {
  const std::string command = "LxvDel.Exe /u \"C:\\My Data\\\" D:\\DATA\\";
  EXPECT_EQ(NthToken(command, 1), "LxvDel.Exe");
  EXPECT_EQ(NthToken(command, 2), "/u");
  EXPECT_EQ(NthToken(command, 3), "C:\\My Data\\");
  EXPECT_EQ(NthToken(command, 4), "D:\\DATA\\");
  EXPECT_EQ(NthToken(command, 5), "");
  // Quotes inside a token belong to it.
  EXPECT_EQ(NthToken("a\"b c\"", 1), "a\"b");
  EXPECT_EQ(NthToken("a\"b c\"", 2), "c\"");
  EXPECT_EQ(NthToken("a \"\" b", 2), "");
  EXPECT_EQ(NthToken("a \"\" b", 3), "b");
  EXPECT_EQ(NthToken("a \"rest of it", 2), "rest of it");
  EXPECT_EQ(NthToken("a\tb c", 1), "a\tb");
  EXPECT_EQ(NthToken("a\r\nb\nc", 3), "c");
  EXPECT_EQ(NthToken("  a  ", 1), "a");
  EXPECT_EQ(NthToken("a b", 0), "");
  EXPECT_EQ(NthToken("a b", -1), "");
  EXPECT_EQ(NthToken("", 1), "");
}

// Run with the Japanese code page (932): its double-byte characters may end
// with 0x5C, which is not a backslash there.
TEST(DoubleBytePaths, TrailingByteIsNoBackslash) {
  ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
  const std::string so = "\x83\x5C";  // one character, the katakana "so"
  EXPECT_EQ(WithTrailingBackslash("C:\\" + so), "C:\\" + so + "\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\" + so + "\\"), "C:\\" + so + "\\");
  EXPECT_EQ(DirectoryPart("C:\\a" + so + "b.exe"), "C:\\");
  EXPECT_EQ(DirectoryPart("C:\\" + so + "\\b.exe"), "C:\\" + so + "\\");
  EXPECT_EQ(NamePart("C:\\a" + so + "b.exe"), "a" + so + "b.exe");
  EXPECT_EQ(SanitizeFileName("D:\\x\\" + so + "|.lst"),
            "D:\\x\\" + so + "_.lst");
}
