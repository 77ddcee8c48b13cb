// Owners for Windows handles, keys, modules, GDI objects and COM memory.
// Move-only: a resource has exactly one owner, which releases it.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <utility>

namespace lorent {

template <typename Traits>
class Unique {
 public:
  using Type = typename Traits::Type;

  Unique() = default;
  explicit Unique(Type value) : value_(value) {}
  ~Unique() { Reset(); }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : value_(other.Release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Type Get() const { return value_; }
  bool Valid() const { return value_ != Traits::Empty(); }
  explicit operator bool() const { return Valid(); }

  Type Release() {
    Type value = value_;
    value_ = Traits::Empty();
    return value;
  }
  void Reset(Type value = Traits::Empty()) {
    if (Valid()) Traits::Close(value_);
    value_ = value;
  }
  // For out-parameters of platform calls: releases what is held first.
  Type* Put() {
    Reset();
    return &value_;
  }

 private:
  Type value_ = Traits::Empty();
};

// Handles whose "none" is NULL: threads, processes, events, snapshots of some APIs.
struct HandleTraits {
  using Type = HANDLE;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { ::CloseHandle(h); }
};
// Handles whose "none" is INVALID_HANDLE_VALUE: files, Toolhelp snapshots.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  using Type = HANDLE;
  static Type Empty() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { ::FindClose(h); }
};
struct RegKeyTraits {
  using Type = HKEY;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { ::RegCloseKey(h); }
};
struct ModuleTraits {
  using Type = HMODULE;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { ::FreeLibrary(h); }
};
template <typename T>
struct GdiTraits {
  using Type = T;
  static Type Empty() { return nullptr; }
  static void Close(Type h) { ::DeleteObject(h); }
};
template <typename T>
struct CoTaskMemTraits {
  using Type = T*;
  static Type Empty() { return nullptr; }
  static void Close(Type p) { ::CoTaskMemFree(p); }
};
struct StreamTraits {
  using Type = FILE*;
  static Type Empty() { return nullptr; }
  static void Close(Type f) { std::fclose(f); }
};

using UniqueHandle = Unique<HandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueKey = Unique<RegKeyTraits>;
using UniqueModule = Unique<ModuleTraits>;
using UniqueFont = Unique<GdiTraits<HFONT>>;
using UniqueBrush = Unique<GdiTraits<HBRUSH>>;
template <typename T>
using UniqueCoMem = Unique<CoTaskMemTraits<T>>;
using UniqueStream = Unique<StreamTraits>;

}  // namespace lorent
