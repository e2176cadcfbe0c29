// Owners for COM: the apartment of the calling thread, interface pointers and PROPVARIANTs.
#pragma once

#include <objbase.h>
#include <propidl.h>

#include <utility>

#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform::win32 {

// COM for the calling thread while the object lives. A thread that already runs COM in another
// apartment model keeps it: COM is usable there too, and that initialisation is not ours to end.
class ComApartment {
 public:
  ComApartment() {
    const HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    owned_ = SUCCEEDED(result);  // S_OK or S_FALSE: each needs its CoUninitialize
    usable_ = owned_ || result == RPC_E_CHANGED_MODE;
  }
  ~ComApartment() {
    if (owned_) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  bool Usable() const { return usable_; }

 private:
  bool owned_ = false;
  bool usable_ = false;
};

// One reference to a COM interface, released with the owner.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For an out parameter: releases the current reference and hands out the slot.
  T** Put() {
    Reset();
    return &pointer_;
  }
  void Reset() {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }

 private:
  T* pointer_ = nullptr;
};

// A PROPVARIANT cleared with the owner.
class PropVariant {
 public:
  PropVariant() { ::PropVariantInit(&value_); }
  ~PropVariant() { ::PropVariantClear(&value_); }
  PropVariant(const PropVariant&) = delete;
  PropVariant& operator=(const PropVariant&) = delete;

  PROPVARIANT* Put() {
    ::PropVariantClear(&value_);
    return &value_;
  }
  const PROPVARIANT& Get() const { return value_; }

 private:
  PROPVARIANT value_;
};

}  // namespace scenesaver::platform::win32
