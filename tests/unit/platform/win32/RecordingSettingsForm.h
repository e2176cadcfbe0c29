// A settings form for tests of the dialog's window: records the handlers' calls.
#pragma once

#include <array>
#include <cstddef>
#include <stdexcept>
#include <vector>

#include "platform/StartupHost.h"

namespace scenesaver::testing_support {

// A form that records the handlers' calls; Command1_Click answers from `hides`, in turn.
class RecordingForm final : public platform::SettingsForm {
 public:
  explicit RecordingForm(std::array<bool, 4> options) : options_(options) {}
  void Form_Load() override { ++loads; }
  bool Option1Value(int index) const override {
    return options_.at(static_cast<std::size_t>(index));
  }
  void Option1_Click(int index) override {
    option_clicks.push_back(index);
    if (throw_on_option) throw std::runtime_error("option handler failed");
    options_.at(static_cast<std::size_t>(index)) = true;
    options_.at(static_cast<std::size_t>(index ^ 1)) = false;
  }
  bool Command1_Click(int index) override {
    command_clicks.push_back(index);
    const bool hide = hides.empty() || hides.front();
    if (!hides.empty()) hides.erase(hides.begin());
    return hide;
  }

  int loads = 0;
  std::vector<int> option_clicks;
  std::vector<int> command_clicks;
  std::vector<bool> hides;
  bool throw_on_option = false;

 private:
  std::array<bool, 4> options_;
};

}  // namespace scenesaver::testing_support
