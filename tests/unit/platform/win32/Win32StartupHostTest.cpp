// The start-up host on Windows: its dialogs as the start-up reaches them.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "ModalWindowDriver.h"
#include "RecordingSettingsForm.h"
#include "platform/win32/PasswordChange.h"
#include "platform/win32/SettingsDialogLayout.h"
#include "platform/win32/Win32StartupHost.h"
#include "platform/win32/WindowsApi.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

namespace win32 = platform::win32;
namespace layout = platform::win32::settings_layout;
using testing_support::RecordingForm;
using testing_support::WhenShown;
using testing_support::WindowPtr;

TEST(Win32StartupHostTest, MessagesDuringTheDialogBelongToTheDialog) {
  win32::Win32StartupHost host;
  RecordingForm form({true, false, true, false});
  HWND dialog_window = nullptr;
  HWND message_owner = nullptr;
  std::int64_t foreground = 0;
  WhenShown user(layout::kCaption, [&](HWND dialog) {
    dialog_window = dialog;
    foreground = host.GetForegroundWindow();
    WhenShown box(win32::kSystemManagesPasswordCaption, [&](HWND message) {
      message_owner = ::GetWindow(message, GW_OWNER);
      ::PostMessageW(message, WM_COMMAND, IDOK, 0);
    });
    host.MessageBox("text", win32::kSystemManagesPasswordCaption,
                    platform::MessageIcon::kInformation);
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(host.ShowSettingsModal(form).ok());

  ASSERT_TRUE(user.Acted());
  EXPECT_EQ(message_owner, dialog_window);
  EXPECT_EQ(foreground, reinterpret_cast<std::intptr_t>(dialog_window));
}

TEST(Win32StartupHostTest, ThePasswordChangeTakesTheParentWindowAsANumber) {
  if (win32::IsWindows9xLine()) GTEST_SKIP() << "the 9x line has the password service";
  const WindowPtr parent(::CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 10, 10, nullptr,
                                           nullptr, nullptr, nullptr));
  ASSERT_TRUE(parent);
  HWND owner = nullptr;
  WhenShown user(win32::kSystemManagesPasswordCaption, [&](HWND box) {
    owner = ::GetWindow(box, GW_OWNER);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  win32::Win32StartupHost host;
  host.PwdChangePasswordA("SCRSAVE", reinterpret_cast<std::intptr_t>(parent.get()));
  ASSERT_TRUE(user.Acted());
  EXPECT_EQ(owner, parent.get());
}

}  // namespace
