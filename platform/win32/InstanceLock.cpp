#include "platform/win32/InstanceLock.h"

#include "platform/win32/WindowsApi.h"

namespace scenesaver::platform {

namespace {

constexpr wchar_t kMutexName[] = L"Local\\scenesaver-single-instance";

}  // namespace

InstanceLock::InstanceLock(const OwnedFolder& /*folder*/)
    : mutex_(::CreateMutexW(nullptr, FALSE, kMutexName)) {
  if (mutex_ == nullptr) return;
  outcome_ = ::GetLastError() == ERROR_ALREADY_EXISTS ? Outcome::kHeldByOther : Outcome::kAcquired;
}

InstanceLock::~InstanceLock() {
  if (mutex_ != nullptr) ::CloseHandle(mutex_);
}

}  // namespace scenesaver::platform
