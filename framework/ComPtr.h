// Owner of one COM interface pointer: releases it when it goes.
#pragma once

#include <unknwn.h>

namespace lorent {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  // For out-parameters: releases what is held first.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

 private:
  T* p_ = nullptr;
};

// A BSTR owner.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const wchar_t* text) : s_(SysAllocString(text)) {}
  ~Bstr() { SysFreeString(s_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR Get() const { return s_; }
  BSTR* Put() {
    SysFreeString(s_);
    s_ = nullptr;
    return &s_;
  }
  // The text, or an empty one for a null BSTR.
  const wchar_t* Text() const { return s_ ? s_ : L""; }

 private:
  BSTR s_ = nullptr;
};

}  // namespace lorent
