// A StartupHost for tests: records every call and answers from fields the test sets.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/StartupHost.h"
#include "tests/unit/support/FakeShowHost.h"

namespace scenesaver::testing_support {

class FakeStartupHost final : public platform::StartupHost {
 public:
  struct Message {
    std::string text;
    std::string caption;
    platform::MessageIcon icon;
  };
  struct PasswordChange {
    std::string key_name;
    std::int64_t parent_window;
  };

  void MessageBox(std::string_view text, std::string_view caption,
                  platform::MessageIcon icon) override {
    messages.push_back({std::string(text), std::string(caption), icon});
  }
  std::int64_t GetForegroundWindow() override {
    ++foreground_queries;
    return foreground_window;
  }
  void PwdChangePasswordA(std::string_view key_name, std::int64_t parent_window) override {
    password_changes.push_back({std::string(key_name), parent_window});
  }
  // Records the options as the dialog would first show them, then lets the test act as the
  // user; or fails with `settings_failure`, showing nothing.
  base::Result<void> ShowSettingsModal(platform::SettingsForm& form) override {
    ++settings_dialogs;
    if (settings_failure) return base::Error{*settings_failure};
    for (int i = 0; i < kSettingsOptions; ++i) settings_seen.push_back(form.Option1Value(i));
    if (on_settings) on_settings(form);
    return {};
  }
  base::Result<platform::ShowHost*> Show() override {
    ++show_requests;
    if (!show_available) return base::Error{"no display"};
    return &show;
  }
  base::Result<platform::ShowHost*> Preview(std::int64_t parent_window) override {
    preview_requests.push_back(parent_window);
    if (!preview_available) return base::Error{"no such window"};
    return &show;
  }
  void ReportFailure(std::string_view text) override { failures.emplace_back(text); }
  bool CoverScreensForShow() override {
    ++cover_requests;
    if (on_cover) on_cover();
    return cover_available;
  }

  // True when nothing but a preview (refused unless offered) was asked of the host.
  bool Untouched() const {
    return messages.empty() && foreground_queries == 0 && password_changes.empty() &&
           settings_dialogs == 0 && show_requests == 0 && cover_requests == 0;
  }

  std::int64_t foreground_window = 0;
  std::vector<Message> messages;
  int foreground_queries = 0;
  std::vector<PasswordChange> password_changes;
  int settings_dialogs = 0;
  static constexpr int kSettingsOptions = 4;  // Option1(0..3)
  std::vector<bool> settings_seen;
  std::function<void(platform::SettingsForm&)> on_settings;  // the user's part in the dialog
  std::optional<std::string> settings_failure;  // why the dialog cannot be shown, if it cannot
  int show_requests = 0;
  bool show_available = true;
  std::vector<std::int64_t> preview_requests;
  bool preview_available = false;  // as on a platform without a preview
  std::vector<std::string> failures;
  int cover_requests = 0;
  bool cover_available = false;    // whether the screens can be covered
  std::function<void()> on_cover;  // runs when the cover is asked for
  FakeShowHost show;
};

}  // namespace scenesaver::testing_support
