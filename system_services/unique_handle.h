// One owner template for every platform handle kind, so that each handle is
// released on every path out of the operation that acquired it. A kind is
// named by its "empty" value and its release call.
#pragma once

#include <windows.h>
// lzexpand.h needs the types of windows.h.
#include <lzexpand.h>

#include <utility>

namespace services {

template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() = default;
  explicit UniqueHandle(Value value) : value_(value) {}
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  Value get() const { return value_; }
  bool valid() const { return Traits::Valid(value_); }
  Value release() { return std::exchange(value_, Traits::Empty()); }
  void reset(Value value = Traits::Empty()) {
    if (valid()) Traits::Release(value_);
    value_ = value;
  }

 private:
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
struct KeyTraits {
  using Value = HKEY;
  static HKEY Empty() { return nullptr; }
  static bool Valid(HKEY h) { return h != nullptr; }
  static void Release(HKEY h) { RegCloseKey(h); }
};
// LZOpenFileA answers a negative error code on failure.
struct LzTraits {
  using Value = INT;
  static INT Empty() { return -1; }
  static bool Valid(INT h) { return h >= 0; }
  static void Release(INT h) { LZClose(h); }
};

using UniqueFile = UniqueHandle<InvalidHandleFileTraits>;
using UniqueFind = UniqueHandle<InvalidHandleFindTraits>;
using UniqueToken = UniqueHandle<NullHandleTraits>;
using UniqueKey = UniqueHandle<KeyTraits>;
using UniqueLz = UniqueHandle<LzTraits>;

}  // namespace services
