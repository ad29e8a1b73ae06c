// One owner template for every platform handle kind, so that each handle is
// released on every path out of the operation that acquired it. A kind is
// named by its "empty" value and its release call. Traits may carry state:
// a release function that was looked up at run time travels with the handle.
#pragma once

#include <windows.h>

#include <utility>

namespace services {

template <typename Traits>
class UniqueHandle : private Traits {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() = default;
  explicit UniqueHandle(Value value, Traits traits = Traits())
      : Traits(traits), value_(value) {}
  UniqueHandle(UniqueHandle&& other) noexcept
      : Traits(other.traits()), value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    static_cast<Traits&>(*this) = other.traits();
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Value get() const { return value_; }
  bool valid() const { return Traits::Valid(value_); }
  Value release() { return std::exchange(value_, Traits::Empty()); }
  void reset(Value value = Traits::Empty()) {
    if (valid()) this->Release(value_);
    value_ = value;
  }
  // For the platform's out-parameters: releases what is held, then lends the
  // storage to the call that fills it.
  Value* put() {
    reset();
    return &value_;
  }

 private:
  const Traits& traits() const { return *this; }
  Value value_ = Traits::Empty();
};

struct InvalidHandleFileTraits {
  using Value = HANDLE;
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void Release(HANDLE h) { CloseHandle(h); }
};
struct InvalidHandleFindTraits : InvalidHandleFileTraits {
  static void Release(HANDLE h) { FindClose(h); }
};
struct NullHandleTraits {
  using Value = HANDLE;
  static HANDLE Empty() { return nullptr; }
  static bool Valid(HANDLE h) { return h != nullptr; }
  static void Release(HANDLE h) { CloseHandle(h); }
};
// A mutex that this process owns: given back, then closed.
struct OwnedMutexTraits : NullHandleTraits {
  static void Release(HANDLE h) {
    ReleaseMutex(h);
    CloseHandle(h);
  }
};
struct KeyTraits {
  using Value = HKEY;
  static HKEY Empty() { return nullptr; }
  static bool Valid(HKEY h) { return h != nullptr; }
  static void Release(HKEY h) { RegCloseKey(h); }
};
struct ModuleTraits {
  using Value = HMODULE;
  static HMODULE Empty() { return nullptr; }
  static bool Valid(HMODULE h) { return h != nullptr; }
  static void Release(HMODULE h) { FreeLibrary(h); }
};
// LZ handles are closed by the library that was loaded at run time;
// LZOpenFileA answers a negative error code on failure.
struct LzTraits {
  using Value = INT;
  VOID(WINAPI* close)(INT) = nullptr;
  static INT Empty() { return -1; }
  static bool Valid(INT h) { return h >= 0; }
  void Release(INT h) const { close(h); }
};
// Identities built by AllocateAndInitializeSid go back through FreeSid, which
// the NT family alone has.
struct SidTraits {
  using Value = PSID;
  PVOID(WINAPI* free)(PSID) = nullptr;
  static PSID Empty() { return nullptr; }
  static bool Valid(PSID sid) { return sid != nullptr; }
  void Release(PSID sid) const {
    if (free) free(sid);
  }
};

using UniqueFile = UniqueHandle<InvalidHandleFileTraits>;
using UniqueFind = UniqueHandle<InvalidHandleFindTraits>;
using UniqueToken = UniqueHandle<NullHandleTraits>;
using UniqueKernelObject = UniqueHandle<NullHandleTraits>;
using OwnedMutex = UniqueHandle<OwnedMutexTraits>;
using UniqueKey = UniqueHandle<KeyTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueLz = UniqueHandle<LzTraits>;
using UniqueSid = UniqueHandle<SidTraits>;

}  // namespace services
