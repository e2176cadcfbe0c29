// The rules of the password prompt, without its drawing: what has been typed, when an attempt
// may be made, when the prompt gives the show back, and which notice its status line shows.
// A window backend feeds it the user's input and draws what it reports.
//
// A wrong entry (or a stored password that cannot be trusted) is shown on the prompt, which then
// accepts nothing for a lock-out period before it reports the refusal. The lock-out outlives
// the prompt: one opened again while it runs accepts nothing until it ends. A prompt left
// without input for the idle limit gives the show back. It never fails open.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/posix/PasswordStore.h"

namespace scenesaver::platform {

enum class PromptOutcome {
  kOpen,       // still asking
  kAccepted,   // the entry matched the stored password
  kRefused,    // an entry was refused and the lock-out has run out
  kCancelled,  // the user dismissed the prompt (Esc)
  kIdle,       // nobody touched the prompt for the idle limit
};

// What the status line says.
enum class PromptNotice {
  kHint,           // how to submit and how to dismiss
  kWrongPassword,  // the last entry was refused; wait
  kUnreadable,     // the stored password cannot be trusted or read; nothing can be accepted
};

class PasswordPromptState {
 public:
  using Verifier = std::function<PasswordCheck(std::string_view)>;
  // Milliseconds on a clock that may wrap; readings are compared by difference.
  using Clock = std::function<std::uint32_t()>;

  static constexpr std::uint32_t kLockoutMs = 2000;
  // A stored password that cannot be read keeps its longer message up a little longer.
  static constexpr std::uint32_t kUnreadableLockoutMs = 3000;
  static constexpr std::uint32_t kIdleLimitMs = 30000;
  // Longest entry kept, in bytes; typing beyond it is dropped.
  static constexpr std::size_t kMaxEntryBytes = 255;

  PasswordPromptState(Verifier verify, Clock clock);
  ~PasswordPromptState();
  PasswordPromptState(const PasswordPromptState&) = delete;
  PasswordPromptState& operator=(const PasswordPromptState&) = delete;

  // A prompt opens with an empty entry; a lock-out that still runs goes on.
  void Open();

  // Input. During a lock-out, or once the prompt has an outcome, typing, erasing, submitting
  // and dismissing are ignored; every call still counts as the user being there.
  void Type(std::string_view utf8);
  void EraseLast();
  void Submit();  // checks the entry against the stored password and clears it
  void Cancel();
  void Touch();  // input that does nothing else (another key, a mouse button)

  // The outcome at this moment (a refusal is reported once its lock-out has run out).
  PromptOutcome Outcome();
  bool LockedOut() const;
  PromptNotice Notice() const;
  // Characters typed (UTF-8 sequences), for drawing one dot each.
  int TypedCount() const;
  // Milliseconds until the state changes by itself (a lock-out ending, the idle limit), at most
  // `longest`.
  std::uint32_t MsUntilChange(std::uint32_t longest) const;

 private:
  bool Decided() const { return outcome_ != PromptOutcome::kOpen; }
  void Wipe();

  Verifier verify_;
  Clock clock_;
  std::string entry_;
  PromptOutcome outcome_ = PromptOutcome::kOpen;
  PromptNotice last_refusal_ = PromptNotice::kWrongPassword;
  std::uint32_t last_input_ = 0;
  std::uint32_t lockout_end_ = 0;
  bool lockout_running_ = false;
  bool refusal_pending_ = false;  // this prompt refused an entry and reports it after the lock-out
};

}  // namespace scenesaver::platform
