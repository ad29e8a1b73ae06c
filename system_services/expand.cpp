#include "expand.h"

#include <windows.h>
// lzexpand.h needs the types of windows.h.
#include <lzexpand.h>

#include <cstring>

#include "file_handles.h"
#include "hex_text.h"
#include "paths.h"
#include "system_functions.h"
#include "system_library.h"
#include "text_pattern.h"
#include "texts.h"
#include "unique_handle.h"
#include "windows_version.h"

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

// Files are expanded into a new file beside the destination, and take its
// name only when whole: a cut copy is never taken for the program, nor
// replaces a good one from an earlier setup. The new file gets a name that
// nothing had, "~Lxv" and four hexadecimal digits, so that nothing left
// there before (a cut copy of a launcher that was ended, a folder, a file in
// use, a link to a user's file) is ever written through or stands in the
// way. The name is no longer than the destinations', so that no path grows
// past a limit.
UniqueFile CreatePartial(const std::string& directory, std::string& name) {
  DWORD seed = GetTickCount();
  for (int attempt = 0; attempt < 64; ++attempt, ++seed) {
    name = directory + "~Lxv" + Hex(seed, 4);
    UniqueFile file = CreateForWriting(name, true);
    if (file.valid() || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return UniqueFile();
}

// The whole copy takes the destination's name. On the NT family it replaces
// an earlier copy in one step, or leaves it as it was; the 95 family has no
// such call, and there the earlier copy goes first. A destination that
// cannot go (a folder, a program in use) stays as it is.
bool TakePlace(const std::string& partial, const std::string& destination) {
  auto moveReplacing = Kernel32().MoveFileExA;
  if (IsNtFamily() && moveReplacing)
    return moveReplacing(partial.c_str(), destination.c_str(),
                         MOVEFILE_REPLACE_EXISTING) != FALSE;
  DeleteFileA(destination.c_str());
  return MoveFileA(partial.c_str(), destination.c_str()) != FALSE;
}
}  // namespace

std::string ExpandFile(const std::string& source,
                       const std::string& destination) {
  LzLibrary lz = LoadLzLibrary();
  if (!lz.Loaded())
    return Substitute(Text(TextId::kExpanderMissing),
                      SystemLibraryPath(kLzLibrary));
  UniqueFile sourceFile = OpenForReading(source);
  long long promised = sourceFile.valid() ? PromisedSize(sourceFile.get()) : -1;
  INT handle = sourceFile.valid() ? lz.init(AsHfile(sourceFile.get())) : -1;
  if (handle < 0) return Substitute(Text(TextId::kSourceUnreadable), source);
  // The library owns the file from here on: LZClose closes it.
  sourceFile.release();
  UniqueLz from(handle, lz.closing);

  const char* failure = Text(TextId::kDestinationUnwritable);
  std::string partial;
  UniqueFile to = CreatePartial(DirectoryPart(destination), partial);
  if (!to.valid()) return Substitute(failure, destination);
  LONG copied = lz.copy(from.get(), AsHfile(to.get()));
  to.reset();
  from.reset();
  // The platform's expander may answer success for a cut-off compressed file;
  // a byte count that differs from the header's promise is a failed copy.
  bool whole = copied >= 0 && (promised < 0 || copied == promised);
  if (whole && TakePlace(partial, destination)) return std::string();
  DeleteFileA(partial.c_str());
  if (whole) return Substitute(failure, destination);
  return Substitute(Text(TextId::kCopyFailed), source, destination);
}

}  // namespace services
