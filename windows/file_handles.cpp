#include "windows/file_handles.h"

namespace services {

UniqueFile OpenForReading(const std::string& name) {
  return UniqueFile(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
}

UniqueFile CreateForWriting(const std::string& name, bool mustBeNew) {
  return UniqueFile(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                nullptr, mustBeNew ? CREATE_NEW : CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace services
