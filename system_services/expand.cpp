#include "expand.h"

#include <windows.h>
// lzexpand.h needs the types of windows.h.
#include <lzexpand.h>

#include <cstring>

#include "messages.h"
#include "paths.h"
#include "system_library.h"
#include "unique_handle.h"

namespace services {

namespace {
constexpr char kLzLibrary[] = "LZ32.DLL";

// The calls of the platform's LZ library that the expansion makes, looked up
// in the copy that was loaded from the system directory.
struct LzLibrary {
  UniqueModule module;
  decltype(&LZOpenFileA) open = nullptr;
  decltype(&LZInit) init = nullptr;
  decltype(&LZCopy) copy = nullptr;
  LzTraits closing;

  bool Loaded() const { return open && init && copy && closing.close; }
};

LzLibrary LoadLzLibrary() {
  LzLibrary lz;
  lz.module = LoadSystemLibrary(kLzLibrary);
  ResolveFunction(lz.module.get(), "LZOpenFileA", lz.open);
  ResolveFunction(lz.module.get(), "LZInit", lz.init);
  ResolveFunction(lz.module.get(), "LZCopy", lz.copy);
  ResolveFunction(lz.module.get(), "LZClose", lz.closing.close);
  return lz;
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

void ShowCopyError(const std::string& text) { ShowMessage(text, "CopyFile"); }

// The size that an SZDD header promises (up to 4 GiB - 1), or -1 when the
// file has no such header.
long long CompressedOriginalSize(const std::string& source) {
  static const unsigned char kMagic[] = {'S',  'Z',  'D',  'D',
                                         0x88, 0xF0, 0x27, 0x33};
  UniqueFile file(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
  if (!file.valid()) return -1;
  unsigned char header[14];
  DWORD read = 0;
  if (!ReadFile(file.get(), header, sizeof header, &read, nullptr) ||
      read != sizeof header || std::memcmp(header, kMagic, sizeof kMagic) != 0)
    return -1;
  return header[10] | header[11] << 8 | header[12] << 16 |
         static_cast<long long>(header[13]) << 24;
}

// The full name that OpenFile wrote into its record.
std::string OpenedName(const OFSTRUCT& record) {
  return std::string(record.szPathName,
                     strnlen(record.szPathName, OFS_MAXPATHNAME));
}

// The library's own open goes through OpenFile, whose paths end at 128
// characters; longer paths are opened here and handed to the library.
constexpr std::string::size_type kOpenFileLimit = OFS_MAXPATHNAME;

// Opens source for expanding; answers the name of the file actually opened,
// which the library may have taken with its last character replaced by '_'.
UniqueLz OpenSource(const LzLibrary& lz, const std::string& source,
                    std::string& opened) {
  opened = source;
  if (source.size() >= kOpenFileLimit) {
    UniqueFile file(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file.valid()) return UniqueLz(-1, lz.closing);
    // The library owns the file from here on: LZClose closes it.
    INT handle =
        lz.init(static_cast<HFILE>(reinterpret_cast<INT_PTR>(file.get())));
    if (handle >= 0) file.release();
    return UniqueLz(handle, lz.closing);
  }
  OFSTRUCT record = {};
  UniqueLz handle(lz.open(const_cast<char*>(source.c_str()), &record,
                          OF_READ | OF_SHARE_DENY_WRITE),
                  lz.closing);
  opened = OpenedName(record);
  return handle;
}

// Creates destination, under that name and no other: for a name it cannot
// create, the library may create the one ending in '_' instead and report
// success. A file so made is removed again.
UniqueLz CreateDestination(const LzLibrary& lz,
                           const std::string& destination) {
  if (destination.size() >= kOpenFileLimit) {
    UniqueFile file(CreateFileA(destination.c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return UniqueLz(
        file.valid()
            ? static_cast<INT>(reinterpret_cast<INT_PTR>(file.release()))
            : -1,
        lz.closing);
  }
  OFSTRUCT record = {};
  UniqueLz handle(lz.open(const_cast<char*>(destination.c_str()), &record,
                          OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE),
                  lz.closing);
  std::string opened = OpenedName(record);
  if (handle.valid() && CompareNoCase(opened, destination) != 0) {
    handle.reset();
    DeleteFileA(opened.c_str());
  }
  return handle;
}

// Files are expanded under another name beside the destination, and take its
// name only when whole: a cut copy is never taken for the program, nor
// replaces a good one from an earlier setup. The name is as long as the
// destination's, so that no path grows past a limit.
std::string PartialName(const std::string& destination) {
  return destination.substr(0, destination.size() - 1) + '~';
}

// A destination that cannot go (a folder, a file in use) stays as it is.
bool TakePlace(const std::string& partial, const std::string& destination) {
  DeleteFileA(destination.c_str());
  return MoveFileA(partial.c_str(), destination.c_str()) != FALSE;
}
}  // namespace

bool ExpandFile(const std::string& source, const std::string& destination) {
  LzLibrary lz = LoadLzLibrary();
  if (!lz.Loaded()) {
    ShowCopyError("Cannot load the system library " +
                  Quoted(SystemLibraryPath(kLzLibrary)) +
                  " that expands the setup files");
    return false;
  }
  std::string opened;
  UniqueLz from = OpenSource(lz, source, opened);
  if (!from.valid()) {
    ShowCopyError("Error opening source file " + Quoted(source));
    return false;
  }
  std::string partial = PartialName(destination);
  UniqueLz to = CreateDestination(lz, partial);
  if (!to.valid()) {
    ShowCopyError("Error opening destination file " + Quoted(destination));
    return false;
  }
  LONG copied = lz.copy(from.get(), to.get());
  // The platform's expander may answer success for a cut-off compressed file;
  // a byte count that differs from the header's promise is a failed copy.
  long long promised = CompressedOriginalSize(opened);
  bool copiedWhole = copied >= 0 && (promised < 0 || copied == promised);
  if (!copiedWhole)
    ShowCopyError("Error copying file " + Quoted(source) + " to " +
                  Quoted(destination));
  to.reset();
  from.reset();
  if (copiedWhole && !TakePlace(partial, destination)) {
    ShowCopyError("Error opening destination file " + Quoted(destination));
    copiedWhole = false;
  }
  if (!copiedWhole) DeleteFileA(partial.c_str());
  return copiedWhole;
}

}  // namespace services
