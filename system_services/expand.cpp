#include "expand.h"

#include <windows.h>
// lzexpand.h needs the types of windows.h.
#include <lzexpand.h>

#include <cstring>

#include "messages.h"
#include "system_library.h"
#include "unique_handle.h"

namespace services {

namespace {
constexpr char kLzLibrary[] = "LZ32.DLL";

// The three calls of the platform's LZ library that the expansion makes,
// looked up in the copy that was loaded from the system directory.
struct LzLibrary {
  UniqueModule module;
  decltype(&LZOpenFileA) open = nullptr;
  decltype(&LZCopy) copy = nullptr;
  LzTraits closing;

  bool Loaded() const { return open && copy && closing.close; }
};

LzLibrary LoadLzLibrary() {
  LzLibrary lz;
  lz.module = LoadSystemLibrary(kLzLibrary);
  ResolveFunction(lz.module.get(), "LZOpenFileA", lz.open);
  ResolveFunction(lz.module.get(), "LZCopy", lz.copy);
  ResolveFunction(lz.module.get(), "LZClose", lz.closing.close);
  return lz;
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

void ShowCopyError(const std::string& text) { ShowMessage(text, "CopyFile"); }

// The size that an SZDD header promises, or -1 when the file has no such
// header.
long CompressedOriginalSize(const std::string& source) {
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
  return static_cast<long>(header[10] | header[11] << 8 | header[12] << 16 |
                           static_cast<unsigned long>(header[13]) << 24);
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
  OFSTRUCT record = {};
  UniqueLz from(lz.open(const_cast<char*>(source.c_str()), &record,
                        OF_READ | OF_SHARE_DENY_WRITE),
                lz.closing);
  if (!from.valid()) {
    ShowCopyError("Error opening source file " + Quoted(source));
    return false;
  }
  // The library may have opened the name with its last character replaced by
  // '_'; the header is read from the file actually opened.
  std::string opened(record.szPathName,
                     strnlen(record.szPathName, OFS_MAXPATHNAME));
  UniqueLz to(lz.open(const_cast<char*>(destination.c_str()), &record,
                      OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE),
              lz.closing);
  if (!to.valid()) {
    ShowCopyError("Error opening destination file " + Quoted(destination));
    return false;
  }
  LONG copied = lz.copy(from.get(), to.get());
  // The platform's expander may answer success for a cut-off compressed file;
  // a byte count that differs from the header's promise is a failed copy.
  long promised = CompressedOriginalSize(opened);
  bool copiedWhole = copied >= 0 && (promised < 0 || copied == promised);
  if (!copiedWhole)
    ShowCopyError("Error copying file " + Quoted(source) + " to " +
                  Quoted(destination));
  to.reset();
  from.reset();
  return copiedWhole;
}

}  // namespace services
