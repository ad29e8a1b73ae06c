#include "launcher_services/expand.h"

#include <windows.h>
// lzexpand.h needs the types of windows.h.
#include <lzexpand.h>

#include <cstring>

#include "common/text_pattern.h"
#include "common/texts.h"
#include "launcher_services/partial_files.h"
#include "windows/file_handles.h"
#include "windows/paths.h"
#include "windows/system_library.h"
#include "windows/unique_handle.h"

namespace services {

namespace {
constexpr char kLzLibrary[] = "LZ32.DLL";

// The calls of the platform's LZ library that the expansion makes, looked up
// in the copy that was loaded from the system directory. The files are
// opened here and handed to the library: its own open goes through
// OpenFile, whose paths end at 128 characters, and would write through
// whatever stands at the destination's name.
struct LzLibrary {
  UniqueModule module;
  decltype(&LZInit) init = nullptr;
  decltype(&LZCopy) copy = nullptr;
  LzTraits closing;

  bool Loaded() const { return init && copy && closing.close; }
};

LzLibrary LoadLzLibrary() {
  LzLibrary lz;
  lz.module = LoadSystemLibrary(kLzLibrary);
  ResolveFunction(lz.module.get(), "LZInit", lz.init);
  ResolveFunction(lz.module.get(), "LZCopy", lz.copy);
  ResolveFunction(lz.module.get(), "LZClose", lz.closing.close);
  return lz;
}

HFILE AsHfile(HANDLE file) {
  return static_cast<HFILE>(reinterpret_cast<INT_PTR>(file));
}

// The size that the file's SZDD header promises (up to 4 GiB - 1), or -1
// when it has no such header. The file is left at its start.
long long PromisedSize(HANDLE file) {
  static const unsigned char kMagic[] = {'S',  'Z',  'D',  'D',
                                         0x88, 0xF0, 0x27, 0x33};
  unsigned char header[14];
  DWORD read = 0;
  bool compressed = ReadFile(file, header, sizeof header, &read, nullptr) &&
                    read == sizeof header &&
                    std::memcmp(header, kMagic, sizeof kMagic) == 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  if (!compressed) return -1;
  return header[10] | header[11] << 8 | header[12] << 16 |
         static_cast<long long>(header[13]) << 24;
}

// A file that a program holds open, as a running program holds its own
// file and libraries: opening it to write, whatever the sharing, is refused.
bool InUse(const std::string& file) {
  UniqueFile opened(
      CreateFileA(file.c_str(), GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return !opened.valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

// Expands source into destination: true when the copy took the
// destination's name; else failure names the text of the box, and named the
// name that goes first in it.
bool Expand(const std::string& source, const std::string& destination,
            TextId& failure, std::string& named) {
  LzLibrary lz = LoadLzLibrary();
  named = SystemLibraryPath(kLzLibrary);
  failure = TextId::kExpanderMissing;
  if (!lz.Loaded()) return false;
  UniqueFile sourceFile = OpenForReading(source);
  long long promised = sourceFile.valid() ? PromisedSize(sourceFile.get()) : -1;
  INT handle = sourceFile.valid() ? lz.init(AsHfile(sourceFile.get())) : -1;
  named = source;
  failure = TextId::kSourceUnreadable;
  if (handle < 0) return false;
  // The library owns the file from here on: LZClose closes it.
  sourceFile.release();
  UniqueLz from(handle, lz.closing);

  std::string directory = DirectoryPart(destination);
  std::string partial;
  UniqueFile to = CreatePartial(directory, GetTickCount(), partial);
  named = destination;
  failure = TextId::kDestinationUnwritable;
  if (!to.valid()) return false;
  LONG copied = lz.copy(from.get(), AsHfile(to.get()));
  to.reset();
  from.reset();
  // The platform's expander may answer success for a cut-off compressed file;
  // a byte count that differs from the header's promise is a failed copy.
  bool whole = copied >= 0 && (promised < 0 || copied == promised);
  if (whole && TakePlace(partial, destination)) return true;
  DeleteFileA(partial.c_str());
  if (!whole) {
    named = source;
    failure = TextId::kCopyFailed;
  } else if (InUse(destination)) {
    // A program or library that a running program holds there: the setup
    // that an earlier start expanded and started, still at work.
    named = directory;
    failure = TextId::kSetupRunning;
  }
  return false;
}
}  // namespace

ExpandFailure ExpandFile(const std::string& source,
                         const std::string& destination) {
  TextId failure;
  std::string named;
  ExpandFailure failed;
  if (!Expand(source, destination, failure, named)) {
    failed.text = Substitute(Text(failure), named, destination);
    failed.setupRunning = failure == TextId::kSetupRunning;
  }
  return failed;
}

}  // namespace services
