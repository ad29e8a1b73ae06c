// Writability probes: no probe file left, no system dialogs, the error mode
// restored.
#include "launcher_services/writability.h"
#include "scratch.h"
#include "windows/files.h"

using namespace services;

using Writability = BoxTest;

TEST_F(Writability, ProbeReplacesALeftoverAndLeavesNothingBehind) {
  Scratch scratch;
  Scratch::WriteFile(scratch / "$$$.$$$", "old");
  SetFileAttributesA((scratch / "$$$.$$$").c_str(), FILE_ATTRIBUTE_READONLY);
  const UINT mode = SEM_NOOPENFILEERRORBOX;
  SetErrorMode(mode);
  EXPECT_TRUE(DirectoryIsWritable(scratch.path()));
  EXPECT_EQ(SetErrorMode(mode), mode);
  EXPECT_TRUE(
      DirectoryIsWritable(scratch.path().substr(0, scratch.path().size() - 1)));
  EXPECT_FALSE(DirectoryIsWritable(scratch / "missing"));
  EXPECT_EQ(SetErrorMode(0), mode);
  EXPECT_FALSE(FileExistsSafe(scratch / "$$$.$$$"));
  EXPECT_TRUE(shownBoxes.empty());
}

TEST_F(Writability, DriveLetterRule) {
  EXPECT_FALSE(DirectoryIsWritable("\\\\server\\share\\"));
  EXPECT_FALSE(DirectoryIsWritable(""));
  // A relative path is tried on the drive named by its first letter.
  EXPECT_FALSE(DirectoryIsWritable("qdata"));
  EXPECT_TRUE(IsUsableDrive('C'));
  EXPECT_FALSE(IsUsableDrive('Q'));
  EXPECT_FALSE(IsUsableDrive('\\'));
}

TEST_F(Writability, FileSystemThatRefusesWritesIsNotWritable) {
  // R: is a drive of the test prefix whose file system (/proc) takes no files.
  EXPECT_TRUE(IsUsableDrive('R'));
  EXPECT_FALSE(DirectoryIsWritable("R:\\"));
  EXPECT_TRUE(shownBoxes.empty());
}
