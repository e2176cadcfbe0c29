// The settings dialog and the password change on Windows, driven through their real windows.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "ModalWindowDriver.h"
#include "RecordingSettingsForm.h"
#include "platform/win32/PasswordChange.h"
#include "platform/win32/SettingsDialogLayout.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32SettingsDialog.h"
#include "platform/win32/WindowsApi.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

namespace win32 = platform::win32;
namespace layout = platform::win32::settings_layout;
using testing_support::FindDialog;
using testing_support::RecordingForm;
using testing_support::ScreenDc;
using testing_support::TextOf;
using testing_support::WhenShown;
using testing_support::WindowPtr;

HWND Option(HWND dialog, int index) { return ::GetDlgItem(dialog, win32::kOption1Id + index); }

bool Checked(HWND button) { return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Click(HWND button) { ::SendMessageW(button, BM_CLICK, 0, 0); }

// A key as the keyboard delivers it: posted to the focused control, seen by the modal loop.
void PressKey(WPARAM key) {
  const HWND focus = ::GetFocus();
  ::PostMessageW(focus, WM_KEYDOWN, key, 1);
  ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}

TEST(Win32SettingsDialogTest, ShowsTheFormsSelectionInTheFormsLayoutAndCaptions) {
  RecordingForm form({false, true, true, false});
  std::array<bool, 4> checked{};
  int focus_on_entry = 0;
  std::vector<std::string> texts;
  RECT client{};
  std::vector<layout::Rect> places;
  int dpi_x = 0;
  int dpi_y = 0;
  WhenShown user(layout::kCaption, [&](HWND dialog) {
    for (int i = 0; i < 4; ++i) checked[static_cast<std::size_t>(i)] = Checked(Option(dialog, i));
    focus_on_entry = ::GetDlgCtrlID(::GetFocus());
    ::GetClientRect(dialog, &client);
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      texts.push_back(TextOf(child));
      RECT place{};
      ::GetWindowRect(child, &place);
      ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
      places.push_back({place.left, place.top, place.right - place.left, place.bottom - place.top});
    }
    const ScreenDc screen(::GetDC(nullptr));
    dpi_x = ::GetDeviceCaps(screen.get(), LOGPIXELSX);
    dpi_y = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(win32::ShowSettingsDialog(form).ok());

  ASSERT_TRUE(user.Acted());
  EXPECT_EQ(checked, (std::array<bool, 4>{false, true, true, false}));
  EXPECT_EQ(form.loads, 0) << "the caller loads the form";
  EXPECT_TRUE(form.option_clicks.empty()) << "showing the selection is no click";
  // The first tab stop is the selected button of the "BGM" frame.
  EXPECT_EQ(focus_on_entry, win32::kOption1Id + 1);
  EXPECT_EQ(client.right, layout::TwipsToPixels(layout::kClientWidthTwips, dpi_x));
  EXPECT_EQ(client.bottom, layout::TwipsToPixels(layout::kClientHeightTwips, dpi_y));
  ASSERT_EQ(texts.size(), layout::kControls.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const layout::Control& control = layout::kControls[i];
    EXPECT_EQ(texts[i], control.caption);
    EXPECT_EQ(places[i], layout::ToPixels(layout::ClientTwips(control), dpi_x, dpi_y))
        << control.caption;
  }
}

TEST(Win32SettingsDialogTest, OptionClicksReachTheFormAndClearOnlyThePartnerInTheSameFrame) {
  RecordingForm form({true, false, true, false});
  std::array<bool, 4> after_first{};
  std::array<bool, 4> after_second{};
  WhenShown user(layout::kCaption, [&](HWND dialog) {
    Click(Option(dialog, 1));
    for (int i = 0; i < 4; ++i)
      after_first[static_cast<std::size_t>(i)] = Checked(Option(dialog, i));
    Click(Option(dialog, 3));
    for (int i = 0; i < 4; ++i)
      after_second[static_cast<std::size_t>(i)] = Checked(Option(dialog, i));
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(win32::ShowSettingsDialog(form).ok());

  ASSERT_TRUE(user.Acted());
  EXPECT_EQ(form.option_clicks, (std::vector<int>{1, 3}));
  EXPECT_EQ(after_first, (std::array<bool, 4>{false, true, true, false}));
  EXPECT_EQ(after_second, (std::array<bool, 4>{false, true, false, true}));
  EXPECT_TRUE(form.command_clicks.empty());
}

TEST(Win32SettingsDialogTest, TabVisitsTheSelectedOptionOfEachFrameThenOkThenCancel) {
  RecordingForm form({false, true, false, true});
  std::vector<int> order;
  WhenShown user(layout::kCaption, [&](HWND dialog) {
    HWND focus = ::GetFocus();
    for (int i = 0; i < 4; ++i) {
      order.push_back(::GetDlgCtrlID(focus));
      focus = ::GetNextDlgTabItem(dialog, focus, FALSE);
    }
    ::PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(win32::ShowSettingsDialog(form).ok());

  ASSERT_TRUE(user.Acted());
  EXPECT_EQ(order,
            (std::vector<int>{win32::kOption1Id + 1, win32::kOption1Id + 3, IDOK, IDCANCEL}));
}

TEST(Win32SettingsDialogTest, EnterPressesOkEscPressesCancelAndClosingCallsNoHandler) {
  {
    RecordingForm form({true, false, true, false});
    WhenShown user(layout::kCaption, [](HWND) { PressKey(VK_RETURN); });
    EXPECT_TRUE(win32::ShowSettingsDialog(form).ok());
    EXPECT_FALSE(user.TimedOut());
    EXPECT_EQ(form.command_clicks, (std::vector<int>{0})) << "Enter on an option button";
  }
  {
    RecordingForm form({true, false, true, false});
    WhenShown user(layout::kCaption, [](HWND) { PressKey(VK_ESCAPE); });
    EXPECT_TRUE(win32::ShowSettingsDialog(form).ok());
    EXPECT_FALSE(user.TimedOut());
    EXPECT_EQ(form.command_clicks, (std::vector<int>{1}));
  }
  {
    RecordingForm form({true, false, true, false});
    WhenShown user(layout::kCaption, [](HWND dialog) { ::PostMessageW(dialog, WM_CLOSE, 0, 0); });
    EXPECT_TRUE(win32::ShowSettingsDialog(form).ok());
    EXPECT_FALSE(user.TimedOut());
    EXPECT_TRUE(user.Acted());
    EXPECT_TRUE(form.command_clicks.empty());
  }
}

TEST(Win32SettingsDialogTest, StaysOpenWhileTheFormRefusesToHide) {
  RecordingForm form({true, false, true, false});
  form.hides = {false, true};  // the first "OK" fails (say, the file cannot be written)
  bool open_after_refusal = false;
  WhenShown user(layout::kCaption, [&](HWND dialog) {
    Click(::GetDlgItem(dialog, IDOK));
    open_after_refusal = ::IsWindowVisible(dialog) != FALSE;
    Click(::GetDlgItem(dialog, IDOK));
  });
  EXPECT_TRUE(win32::ShowSettingsDialog(form).ok());

  EXPECT_FALSE(user.TimedOut());
  EXPECT_TRUE(open_after_refusal);
  EXPECT_EQ(form.command_clicks, (std::vector<int>{0, 0}));
}

TEST(Win32SettingsDialogTest, AFailingHandlerEndsTheDialogAndReachesTheCaller) {
  RecordingForm form({true, false, true, false});
  form.throw_on_option = true;
  WhenShown user(layout::kCaption, [](HWND dialog) { Click(Option(dialog, 1)); });
  EXPECT_THROW(static_cast<void>(win32::ShowSettingsDialog(form)), std::runtime_error);
  EXPECT_FALSE(user.TimedOut());
  EXPECT_EQ(FindDialog(win32::WideFromUtf8(layout::kCaption)), nullptr);
}

TEST(Win32SettingsDialogTest, ADialogTheSystemCannotCreateIsAReasonNotAnException) {
  RecordingForm form({true, false, true, false});
  // An owner that is no window: the system refuses to make the dialog.
  base::Result<void> shown;
  EXPECT_NO_THROW(shown = win32::ShowSettingsDialog(form, reinterpret_cast<HWND>(0x7FFF0001)));
  ASSERT_FALSE(shown.ok());
  EXPECT_EQ(shown.error().rfind("the settings dialog cannot be created: ", 0), 0u) << shown.error();
  EXPECT_GT(shown.error().size(), std::string("the settings dialog cannot be created: ").size());
  EXPECT_TRUE(form.option_clicks.empty());
  EXPECT_TRUE(form.command_clicks.empty());
  EXPECT_EQ(FindDialog(win32::WideFromUtf8(layout::kCaption)), nullptr);
}

// What the password change shows where the system owns the password, and the box's owner.
struct PasswordNotice {
  std::string text;
  HWND owner = nullptr;
  bool shown = false;
};

PasswordNotice ChangePassword(HWND parent) {
  PasswordNotice notice;
  WhenShown user(win32::kSystemManagesPasswordCaption, [&](HWND box) {
    notice.shown = true;
    notice.text = TextOf(::GetDlgItem(box, 0xFFFF));  // the message's static control
    notice.owner = ::GetWindow(box, GW_OWNER);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  win32::ChangeScreenSaverPassword("SCRSAVE", parent);
  return notice;
}

TEST(Win32PasswordChangeTest, OnTheNtLineThePasswordChangeTellsThatTheSystemOwnsThePassword) {
  if (win32::IsWindows9xLine()) GTEST_SKIP() << "the 9x line has the password service";
  EXPECT_FALSE(win32::CallPwdChangePasswordA("SCRSAVE", nullptr));

  const WindowPtr parent(::CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 10, 10, nullptr,
                                           nullptr, nullptr, nullptr));
  ASSERT_TRUE(parent);
  const PasswordNotice owned = ChangePassword(parent.get());
  ASSERT_TRUE(owned.shown);
  EXPECT_EQ(owned.text, win32::kSystemManagesPassword);
  EXPECT_EQ(owned.owner, parent.get()) << "the handle from the command line owns the message";

  // A number that names no window: the message still comes, without an owner.
  const PasswordNotice stray = ChangePassword(reinterpret_cast<HWND>(0x7FFF0001));
  ASSERT_TRUE(stray.shown);
  EXPECT_EQ(stray.owner, nullptr);
}

}  // namespace
