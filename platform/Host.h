// The one interface through which the core (start-up, presentation, transitions, settings)
// reaches the platform. The desktop backend (platform/sdl) and the headless backend
// (platform/headless) implement it; the core never includes a toolkit header.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/raster/Surface.h"

namespace platform {

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Receivers of the window's input. The backend calls them only from inside DoEvents.
class InputHandlers {
 public:
  virtual ~InputHandlers() = default;
  virtual void KeyDown() = 0;
  virtual void MouseDown() = 0;
  virtual void MouseMove() = 0;  // the handler reads the cursor position itself
};

// Clock, yield and repaint: all that a transition needs besides its surfaces.
class EventLoop {
 public:
  virtual ~EventLoop() = default;
  // Milliseconds, monotonic; compare readings by unsigned difference (it may wrap).
  virtual std::uint32_t GetTickCount() = 0;
  // Dispatches every pending window message to the input handlers, then returns.
  virtual void DoEvents() = 0;
  // Blocks until a window message is pending or the clock reads at least `tick`.
  virtual void WaitForEventsUntil(std::uint32_t tick) = 0;
  // Shows the surface's bitmap on the screen (Picture1).
  virtual void Refresh(const Surface& picture1) = 0;
};

enum class MessageIcon { kInformation, kWarning };

// Flags of PlaySound, with the values the show passes.
inline constexpr std::uint32_t kSndAsync = 0x1;
inline constexpr std::uint32_t kSndNoDefault = 0x2;
inline constexpr std::uint32_t kSndPurge = 0x40;
inline constexpr std::uint32_t kSndFilename = 0x20000;

// Outcome of the password check drawn over the show.
enum class PasswordVerdict { kAccepted, kRefused };

// What the presentation window needs.
class ShowHost : public EventLoop {
 public:
  virtual void SetInputHandlers(InputHandlers* handlers) = 0;
  virtual Size PrimaryScreenSize() = 0;
  // Places Picture1 on the window, in window pixels.
  virtual void PlacePicture1(std::int32_t left, std::int32_t top, std::int32_t width,
                             std::int32_t height) = 0;
  virtual void ShowWindow() = 0;
  virtual void MakeTopmost() = 0;
  // ShowCursor: raises or lowers the display count and returns the new count.
  virtual int ShowCursor(bool show) = 0;
  virtual Point GetCursorPos() = 0;
  // SystemParametersInfoA(97, ...): the screen-saver-running state.
  virtual void SetScreenSaverRunning(bool running) = 0;
  // Decodes a picture file at its natural size. On failure returns a description naming
  // the file and leaves `out` unchanged.
  virtual std::optional<std::string> LoadPicture(const std::string& path, Surface& out) = 0;
  // mciSendString: sends one command string; the reply (up to 255 characters) lands in `reply`.
  virtual void MciSendString(std::string_view command, std::string& reply) = 0;
  // PlaySound: `name` empty with kSndPurge stops the scene sound.
  virtual void PlaySound(std::string_view name, std::uint32_t flags) = 0;
  // The per-user "ScreenSaveUsePassword" value; nullopt when it cannot be read.
  virtual std::optional<std::uint32_t> ReadScreenSaveUsePassword() = 0;
  // VerifyScreenSavePwd: asks for the password over the show.
  virtual PasswordVerdict VerifyScreenSavePwd() = 0;
  virtual void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
};

}  // namespace platform

namespace platform {

// The settings dialog as its window sees it: Option1(0..3) and Command1(0..1).
class SettingsForm {
 public:
  virtual ~SettingsForm() = default;
  virtual void Form_Load() = 0;
  virtual bool Option1Value(int index) const = 0;
  // The user selected Option1(index); its partner in the same frame is cleared.
  virtual void Option1_Click(int index) = 0;
  // Command1_Click(index); returns true when the dialog hides (ends the modal show).
  virtual bool Command1_Click(int index) = 0;
};

// What the start-up needs besides files.
class StartupHost {
 public:
  virtual ~StartupHost() = default;
  virtual void MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
  // GetForegroundWindow: an X11 window id, 0 when there is none.
  virtual std::int64_t GetForegroundWindow() = 0;
  // PwdChangePasswordA: the password-change dialog, transient for `parent_window` if it exists.
  virtual void PwdChangePasswordA(std::string_view key_name, std::int64_t parent_window) = 0;
  // Shows the settings dialog modally; returns when it hides or is closed.
  virtual void ShowSettingsModal(SettingsForm& form) = 0;
  // The presentation window's services, created on first use.
  virtual ShowHost& Show() = 0;
};

}  // namespace platform
