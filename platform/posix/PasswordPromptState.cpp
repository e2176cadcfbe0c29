#include "platform/posix/PasswordPromptState.h"

#include <sodium.h>

#include <algorithm>
#include <utility>

namespace scenesaver::platform {

PasswordPromptState::PasswordPromptState(Verifier verify, Clock clock)
    : verify_(std::move(verify)), clock_(std::move(clock)) {
  // Reserved once so that typing never moves the entry (and leaves a copy) in memory.
  entry_.reserve(kMaxEntryBytes + 1);
  last_input_ = clock_();
}

PasswordPromptState::~PasswordPromptState() { Wipe(); }

void PasswordPromptState::Open() {
  Wipe();
  outcome_ = PromptOutcome::kOpen;
  refusal_pending_ = false;
  last_input_ = clock_();
}

void PasswordPromptState::Type(std::string_view utf8) {
  Touch();
  if (Decided() || LockedOut()) return;
  if (entry_.size() + utf8.size() <= kMaxEntryBytes) entry_.append(utf8);
}

void PasswordPromptState::EraseLast() {
  Touch();
  if (Decided() || LockedOut()) return;
  while (!entry_.empty()) {
    const auto last = static_cast<unsigned char>(entry_.back());
    entry_.back() = '\0';
    entry_.pop_back();
    if ((last & 0xC0) != 0x80) break;  // the lead byte of the character
  }
}

void PasswordPromptState::Submit() {
  Touch();
  if (Decided() || LockedOut()) return;
  const PasswordCheck check = verify_(entry_);
  Wipe();
  if (check == PasswordCheck::kAccepted) {
    outcome_ = PromptOutcome::kAccepted;
    return;
  }
  // The lock-out runs from the answer: a slow check does not shorten it.
  const bool unreadable = check == PasswordCheck::kUnreadable;
  last_refusal_ = unreadable ? PromptNotice::kUnreadable : PromptNotice::kWrongPassword;
  last_input_ = clock_();
  lockout_end_ = last_input_ + (unreadable ? kUnreadableLockoutMs : kLockoutMs);
  lockout_running_ = true;
  refusal_pending_ = true;
}

void PasswordPromptState::Cancel() {
  Touch();
  if (Decided() || LockedOut()) return;
  Wipe();
  outcome_ = PromptOutcome::kCancelled;
}

void PasswordPromptState::Touch() { last_input_ = clock_(); }

PromptOutcome PasswordPromptState::Outcome() {
  if (Decided()) return outcome_;
  if (LockedOut()) return outcome_;
  // Forget an ended lock-out, so that a reading weeks later cannot wrap back into it.
  lockout_running_ = false;
  if (refusal_pending_) {
    outcome_ = PromptOutcome::kRefused;
  } else if (clock_() - last_input_ >= kIdleLimitMs) {
    Wipe();
    outcome_ = PromptOutcome::kIdle;
  }
  return outcome_;
}

bool PasswordPromptState::LockedOut() const {
  return lockout_running_ && static_cast<std::int32_t>(lockout_end_ - clock_()) > 0;
}

PromptNotice PasswordPromptState::Notice() const {
  return LockedOut() ? last_refusal_ : PromptNotice::kHint;
}

int PasswordPromptState::TypedCount() const {
  return static_cast<int>(std::count_if(entry_.begin(), entry_.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::uint32_t PasswordPromptState::MsUntilChange(std::uint32_t longest) const {
  const std::uint32_t now = clock_();
  if (LockedOut()) return std::min(longest, lockout_end_ - now);
  if (Decided() || refusal_pending_) return 0;
  const std::uint32_t idle = now - last_input_;
  return idle >= kIdleLimitMs ? 0 : std::min(longest, kIdleLimitMs - idle);
}

void PasswordPromptState::Wipe() {
  sodium_memzero(entry_.data(), entry_.size());
  entry_.clear();
}

}  // namespace scenesaver::platform
