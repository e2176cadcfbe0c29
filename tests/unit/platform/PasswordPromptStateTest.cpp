#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/posix/PasswordPromptState.h"
#include "tests/unit/support/TestSandbox.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using platform::PasswordCheck;
using platform::PasswordPromptState;
using platform::PromptNotice;
using platform::PromptOutcome;

constexpr std::uint32_t kLockout = PasswordPromptState::kLockoutMs;
constexpr std::uint32_t kIdle = PasswordPromptState::kIdleLimitMs;

// A prompt on a clock the test moves, checking entries against "secret" (or against a store
// that cannot be read) and recording every entry it was asked about.
struct Prompt {
  explicit Prompt(std::uint32_t start = 1000) : now(start) {}

  PasswordCheck Check(std::string_view entry) {
    checked.emplace_back(entry);
    now += check_ms;
    if (unreadable) return PasswordCheck::kUnreadable;
    return entry == "secret" ? PasswordCheck::kAccepted : PasswordCheck::kRefused;
  }

  std::uint32_t now;
  std::uint32_t check_ms = 150;
  bool unreadable = false;
  std::vector<std::string> checked;
  PasswordPromptState state{[this](std::string_view entry) { return Check(entry); },
                            [this] { return now; }};
};

TEST(PasswordPromptState, OnlyTheExactEntryIsAcceptedAndEachSubmitStartsAfresh) {
  Prompt p;
  p.state.Open();
  p.state.Type("sec");
  p.state.Type("x");
  p.state.EraseLast();
  p.state.Type("ret");
  EXPECT_EQ(p.state.TypedCount(), 6);
  p.state.Submit();
  EXPECT_EQ(p.checked, (std::vector<std::string>{"secret"}));
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kAccepted);
  EXPECT_EQ(p.state.TypedCount(), 0);

  // Erasing removes a whole multi-byte character; an empty entry is an attempt like any other.
  Prompt q;
  q.state.Open();
  q.state.Type("aé");
  q.state.Type("パ");
  q.state.EraseLast();
  EXPECT_EQ(q.state.TypedCount(), 2);
  q.state.Submit();
  q.now += kLockout;
  ASSERT_EQ(q.state.Outcome(), PromptOutcome::kRefused);
  q.state.Open();
  q.state.Submit();
  EXPECT_EQ(q.checked, (std::vector<std::string>{"aé", ""}));
}

TEST(PasswordPromptState, ARefusalLocksEveryKeyOutForTwoSecondsThenReportsIt) {
  Prompt p;
  p.state.Open();
  p.state.Type("wrong");
  p.state.Submit();
  const std::uint32_t refused_at = p.now;  // after the check's own 150 ms
  EXPECT_TRUE(p.state.LockedOut());
  EXPECT_EQ(p.state.Notice(), PromptNotice::kWrongPassword);
  EXPECT_EQ(p.state.MsUntilChange(60000), kLockout);

  // Typing the right password and submitting it during the lock-out does nothing; nor does Esc.
  p.now = refused_at + kLockout - 1;
  p.state.Type("secret");
  p.state.Submit();
  p.state.Cancel();
  EXPECT_EQ(p.state.TypedCount(), 0);
  EXPECT_EQ(p.checked.size(), 1u);
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kOpen);
  EXPECT_EQ(p.state.MsUntilChange(60000), 1u);

  p.now = refused_at + kLockout;
  EXPECT_FALSE(p.state.LockedOut());
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kRefused);
  EXPECT_EQ(p.state.Notice(), PromptNotice::kHint);
  // Once decided, later input changes nothing.
  p.state.Type("secret");
  p.state.Submit();
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kRefused);
  EXPECT_EQ(p.checked.size(), 1u);
}

TEST(PasswordPromptState, TheLockOutHoldsInAPromptOpenedAgainAndThatPromptStaysOpen) {
  Prompt p;
  p.state.Open();
  p.state.Submit();
  const std::uint32_t refused_at = p.now;
  // Another prompt opens half-way through (the show was woken at once).
  p.now = refused_at + kLockout / 2;
  p.state.Open();
  EXPECT_EQ(p.state.Notice(), PromptNotice::kWrongPassword);
  p.state.Type("secret");
  p.state.Submit();
  EXPECT_EQ(p.checked.size(), 1u);
  p.now = refused_at + kLockout;
  // It refused nothing itself: it stays open and now takes an attempt.
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kOpen);
  EXPECT_EQ(p.state.Notice(), PromptNotice::kHint);
  p.state.Type("secret");
  p.state.Submit();
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kAccepted);
}

TEST(PasswordPromptState, ALockOutAcrossTheClockWrapStillLastsTwoSeconds) {
  Prompt p(0xFFFFFFFFu - 500);
  p.state.Open();
  p.state.Submit();
  const std::uint32_t refused_at = p.now;
  p.now = refused_at + kLockout - 1;  // past the wrap
  EXPECT_TRUE(p.state.LockedOut());
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kOpen);
  p.now = refused_at + kLockout;
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kRefused);
}

TEST(PasswordPromptState, ThirtySecondsWithoutInputGiveTheShowBackWithoutALockOut) {
  Prompt p;
  p.state.Open();
  p.now += kIdle - 1;
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kOpen);
  EXPECT_EQ(p.state.MsUntilChange(60000), 1u);
  // Any input, even one that types nothing, starts the thirty seconds again.
  p.state.Touch();
  p.now += kIdle - 1;
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kOpen);
  p.state.Type("sec");
  p.now += kIdle;
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kIdle);
  EXPECT_EQ(p.state.TypedCount(), 0);
  EXPECT_TRUE(p.checked.empty());
  // Leaving the prompt alone is no attempt: the next one takes the password at once.
  p.state.Open();
  EXPECT_FALSE(p.state.LockedOut());
  p.state.Type("secret");
  p.state.Submit();
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kAccepted);
}

TEST(PasswordPromptState, KeysPressedDuringALockOutCountAsInputForTheIdleLimit) {
  Prompt p;
  p.state.Open();
  p.state.Submit();  // refused: the lock-out runs
  const std::uint32_t refused_at = p.now;
  p.now = refused_at + 500;
  p.state.Open();  // a prompt opened during the lock-out
  p.now = refused_at + kLockout - 1;
  p.state.Type("x");  // ignored, but someone is there
  p.now += kIdle - 1;
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kOpen);
  p.now += 1;
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kIdle);
}

TEST(PasswordPromptState, EscDismissesWithoutAnAttempt) {
  Prompt p;
  p.state.Open();
  p.state.Type("secr");
  p.state.Cancel();
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kCancelled);
  EXPECT_TRUE(p.checked.empty());
  EXPECT_EQ(p.state.TypedCount(), 0);
  p.state.Open();
  EXPECT_FALSE(p.state.LockedOut());
  EXPECT_EQ(p.state.Outcome(), PromptOutcome::kOpen);
}

TEST(PasswordPromptState, AnUnreadableStoreRefusesEveryEntryAndSaysWhy) {
  Prompt p;
  p.unreadable = true;
  for (const char* entry : {"secret", "", "wrong"}) {
    p.state.Open();
    EXPECT_EQ(p.state.Notice(), PromptNotice::kHint);
    p.state.Type(entry);
    p.state.Submit();
    EXPECT_EQ(p.state.Notice(), PromptNotice::kUnreadable) << entry;
    p.now += PasswordPromptState::kUnreadableLockoutMs - 1;
    EXPECT_EQ(p.state.Outcome(), PromptOutcome::kOpen) << entry;
    p.now += 1;
    EXPECT_EQ(p.state.Outcome(), PromptOutcome::kRefused) << entry;
  }
  EXPECT_EQ(p.checked.size(), 3u);
}

TEST(PasswordPromptState, AnOverlongEntryIsCutNotGrown) {
  Prompt p;
  p.state.Open();
  for (int i = 0; i < 300; ++i) p.state.Type("a");
  p.state.Type("é");  // would not fit whole
  EXPECT_EQ(p.state.TypedCount(), static_cast<int>(PasswordPromptState::kMaxEntryBytes));
  p.state.Submit();
  ASSERT_EQ(p.checked.size(), 1u);
  EXPECT_EQ(p.checked[0], std::string(PasswordPromptState::kMaxEntryBytes, 'a'));
}

// The prompt on the real store: a password file group members could replace refuses the right
// password with the message, however often it is tried.
TEST(PasswordPromptState, ALooseModePasswordFileRefusesTheRightPasswordWithTheMessage) {
  testing_support::TestSandbox box;
  ASSERT_TRUE(platform::SetPassword("secret"));
  std::uint32_t now = 0;
  PasswordPromptState state(platform::VerifyPassword, [&now] { return now; });
  state.Open();
  state.Type("secret");
  state.Submit();
  ASSERT_EQ(state.Outcome(), PromptOutcome::kAccepted);

  ASSERT_EQ(::chmod(box.Path("config/scenesaver/password").c_str(), 0660), 0);
  for (int attempt = 0; attempt < 2; ++attempt) {
    state.Open();
    state.Type("secret");
    state.Submit();
    EXPECT_EQ(state.Notice(), PromptNotice::kUnreadable);
    now += PasswordPromptState::kUnreadableLockoutMs;
    EXPECT_EQ(state.Outcome(), PromptOutcome::kRefused);
  }
}

}  // namespace
