// Files: stamps, existence and list files.
#include "common/errors.h"
#include "launcher_services/partial_files.h"
#include "scratch.h"
#include "windows/files.h"

using namespace services;

// Run in a time zone other than UTC too: the stamp is the local time's.
TEST(FileStamp, IsTheLocalTimeInDosFormNegativeFrom2044) {
  Scratch scratch;
  std::string file = scratch / "stamped.txt";
  Scratch::WriteFile(file, "x");
  SetLocalWriteTime(file, 2001, 9, 14, 23, 45, 30);
  EXPECT_EQ(FileStamp(file),
            (21l << 25 | 9 << 21 | 14 << 16) | (23 << 11 | 45 << 5 | 30 / 2));
  SetLocalWriteTime(file, 2043, 12, 31, 23, 59, 58);
  EXPECT_EQ(FileStamp(file),
            (63l << 25 | 12 << 21 | 31 << 16) | (23 << 11 | 59 << 5 | 58 / 2));
  SetLocalWriteTime(file, 2044, 1, 1, 0, 0, 0);
  EXPECT_EQ(FileStamp(file), static_cast<long>(0x80210000ul));
}

TEST(FileStamp, FoldersMissingFilesAndFilesBefore1980HaveNone) {
  Scratch scratch;
  CreateDirectoryA((scratch / "folder").c_str(), nullptr);
  EXPECT_EQ(FileStamp(scratch / "folder"), -1);
  EXPECT_EQ(FileStamp(scratch / "missing"), -1);
  EXPECT_FALSE(FileExistsSafe(scratch / "folder"));
  EXPECT_FALSE(FileExistsSafe(scratch / "missing"));
  EXPECT_FALSE(FileExistsSafe(""));
  // A file from before 1980 has no stamp either, but it is there.
  std::string old = scratch / "old.txt";
  Scratch::WriteFile(old, "x");
  SetLocalWriteTime(old, 1979, 12, 31, 23, 0, 0);
  EXPECT_EQ(FileStamp(old), -1);
  EXPECT_TRUE(FileExistsSafe(old));
}

TEST(SaveListToFile, ReplacesTheSanitizedFileWithEveryLineEndedByCrLf) {
  Scratch scratch;
  Scratch::WriteFile(scratch / "a[b].lst", "an older and longer list\r\n");
  EXPECT_EQ(Described(SaveListToFile({"D:\\alpha.604", "Setup 2.0"},
                                     scratch / "a<b>.lst")),
            "");
  EXPECT_EQ(Scratch::ReadFile(scratch / "a[b].lst"),
            "D:\\alpha.604\r\nSetup 2.0\r\n");
}

TEST(SaveListToFile, FileThatCannotBeCreatedAnswersCreateError) {
  Scratch scratch;
  CreateDirectoryA((scratch / "folder.lst").c_str(), nullptr);
  for (std::string list :
       {scratch / "missing\\list.lst", scratch / "folder.lst"})
    EXPECT_EQ(Described(SaveListToFile({"x"}, list)),
              "EFCreateError: Cannot create file " + list);
}

// F: is a 16 KiB file system of the test prefix, full after 16 KiB.
TEST(SaveListToFile, WriteThatIsNotCompleteAnswersWriteError) {
  EXPECT_EQ(
      Described(SaveListToFile({std::string(64 * 1024, 'x')}, "F:\\full.lst")),
      "EWriteError: Stream write error");
  DeleteFileA("F:\\full.lst");
}

// An expansion's new file takes the first name that nothing has, and
// overwrites nothing; the whole copy replaces an earlier one in one step on
// the NT family, or leaves it as it was.
TEST(PartialFiles, TakeTheFirstFreeNameAndReplaceInOneStepOrNotAtAll) {
  Scratch scratch;
  Scratch::WriteFile(scratch / "~Lxv1234", "a cut copy");
  CreateDirectoryA((scratch / "~Lxv1235").c_str(), nullptr);
  std::string name;
  UniqueFile partial = CreatePartial(scratch.path(), 0x1234, name);
  EXPECT_EQ(name, scratch / "~Lxv1236");
  EXPECT_EQ(Scratch::ReadFile(scratch / "~Lxv1234"), "a cut copy");
  // Still held open by the expansion: it cannot move, and nothing goes.
  Scratch::WriteFile(scratch / "Lxv.exe", "earlier");
  EXPECT_FALSE(TakePlace(name, scratch / "Lxv.exe"));
  EXPECT_EQ(Scratch::ReadFile(scratch / "Lxv.exe"), "earlier");
  partial.reset();
  EXPECT_TRUE(TakePlace(name, scratch / "Lxv.exe"));
  EXPECT_EQ(Scratch::ReadFile(scratch / "Lxv.exe"), "");
}
