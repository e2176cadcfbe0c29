// The presentation window's services on Win32: painting Picture1, the password setting in the
// registry, and input reaching the handlers only inside DoEvents.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include "platform/ShowHost.h"
#include "platform/win32/PresentedFrame.h"
#include "platform/win32/ScaleSetting.h"
#include "platform/win32/ScreenSaverPassword.h"
#include "platform/win32/Win32ShowHost.h"
#include "platform/win32/WindowsApi.h"

using namespace scenesaver;  // NOLINT(google-build-using-namespace)

namespace {

using raster::Surface;

// A 32-bit top-down bitmap selected into a memory DC, to paint into and read back.
class MemoryCanvas {
 public:
  MemoryCanvas(int width, int height) : width_(width), dc_(::CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc_ == nullptr || bitmap_ == nullptr) throw std::runtime_error("no memory canvas");
    bits_ = static_cast<std::uint32_t*>(bits);
    previous_ = ::SelectObject(dc_, bitmap_);
    std::fill(bits_, bits_ + width * height, 0x00FFFFFFu);
  }
  ~MemoryCanvas() {
    ::SelectObject(dc_, previous_);
    ::DeleteObject(bitmap_);
    ::DeleteDC(dc_);
  }
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  HDC Dc() const { return dc_; }
  // 0x00RRGGBB
  std::uint32_t At(int x, int y) {
    ::GdiFlush();
    return bits_[y * width_ + x] & 0x00FFFFFFu;
  }

 private:
  int width_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

TEST(Win32PresentedFrame, PaintsThePictureAtItsPlaceAndBlackAroundIt) {
  MemoryCanvas canvas(8, 6);
  platform::win32::PresentedFrame frame(platform::ScaleMode::kOneToOne);
  // Before any refresh the whole window is black.
  frame.PaintAll(canvas.Dc(), RECT{0, 0, 8, 6});
  EXPECT_EQ(canvas.At(3, 2), 0u);

  Surface picture(3, 2);
  picture.Row(0)[0] = 0x000000FF;  // red, as 0x00BBGGRR
  picture.Row(0)[1] = 0x0000FF00;
  picture.Row(0)[2] = 0x00FF0000;
  picture.Row(1)[0] = 0x00123456;
  picture.Row(1)[1] = 0x00FFFFFF;
  picture.Row(1)[2] = 0x00010203;
  frame.Take(picture);
  picture.Row(0)[0] = 0;  // the frame keeps its own copy
  // Centred: 8/2 - 3/2 = 3, 6/2 - 2/2 = 2.
  frame.PaintAll(canvas.Dc(), RECT{0, 0, 8, 6});
  EXPECT_EQ(canvas.At(3, 2), 0x00FF0000u) << "red";
  EXPECT_EQ(canvas.At(4, 2), 0x0000FF00u);
  EXPECT_EQ(canvas.At(5, 2), 0x000000FFu) << "blue";
  EXPECT_EQ(canvas.At(3, 3), 0x00563412u) << "the top row comes first";
  EXPECT_EQ(canvas.At(4, 3), 0x00FFFFFFu);
  EXPECT_EQ(canvas.At(5, 3), 0x00030201u);
  for (const auto& [x, y] : {std::pair{0, 0}, {2, 2}, {6, 2}, {3, 1}, {5, 4}, {7, 5}}) {
    EXPECT_EQ(canvas.At(x, y), 0u) << x << "," << y << " is black";
  }
}

// A picture of two columns of distinct colours, one pixel each, in two rows.
Surface Checker() {
  Surface picture(2, 2);
  picture.Row(0)[0] = 0x000000FF;
  picture.Row(0)[1] = 0x0000FF00;
  picture.Row(1)[0] = 0x00FF0000;
  picture.Row(1)[1] = 0x00FFFFFF;
  return picture;
}

TEST(Win32PresentedFrame, WholeMultiplesAreBlocksOfOneColourNeverSmoothed) {
  // 2x2 on 7x5: three times, 6x6 does not fit; twice is 4x4 at (7/2 - 2, 5/2 - 2) = (1, 0).
  MemoryCanvas canvas(7, 5);
  platform::win32::PresentedFrame frame;  // auto
  frame.Take(Checker());
  EXPECT_EQ(frame.PlaceIn(RECT{0, 0, 7, 5}), (platform::Placement{{1, 0, 4, 4}, 2}));
  frame.PaintAll(canvas.Dc(), RECT{0, 0, 7, 5});
  const std::uint32_t expected[2][2] = {{0x00FF0000u, 0x0000FF00u}, {0x000000FFu, 0x00FFFFFFu}};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(canvas.At(1 + x, y), expected[y / 2][x / 2]) << x << "," << y;
    }
  }
  for (int y = 0; y < 5; ++y) {
    EXPECT_EQ(canvas.At(0, y), 0u);
    EXPECT_EQ(canvas.At(5, y), 0u);
    EXPECT_EQ(canvas.At(6, y), 0u);
  }
  for (int x = 0; x < 7; ++x) EXPECT_EQ(canvas.At(x, 4), 0u);
}

TEST(Win32PresentedFrame, TooLargeFitsDownAndOneToOneCutsAtTheEdges) {
  Surface picture(8, 4, 0x00336699);
  platform::win32::PresentedFrame fitted;
  fitted.Take(picture);
  // 8x4 into 4x4: 4x2 (aspect kept), centred at row 1; not a whole multiple.
  EXPECT_EQ(fitted.PlaceIn(RECT{0, 0, 4, 4}), (platform::Placement{{0, 1, 4, 2}, 0}));
  MemoryCanvas canvas(4, 4);
  fitted.PaintAll(canvas.Dc(), RECT{0, 0, 4, 4});
  EXPECT_EQ(canvas.At(0, 0), 0u);
  EXPECT_EQ(canvas.At(0, 1), 0x00996633u) << "one colour stays that colour when smoothed";
  EXPECT_EQ(canvas.At(3, 2), 0x00996633u);
  EXPECT_EQ(canvas.At(3, 3), 0u);

  platform::win32::PresentedFrame one(platform::ScaleMode::kOneToOne);
  one.Take(picture);
  EXPECT_EQ(one.PlaceIn(RECT{0, 0, 4, 4}), (platform::Placement{{-2, 0, 8, 4}, 1}));
  platform::win32::PresentedFrame fill(platform::ScaleMode::kFill);
  fill.Take(Checker());
  EXPECT_EQ(fill.PlaceIn(RECT{0, 0, 5, 3}), (platform::Placement{{1, 0, 3, 3}, 0}));
}

// A scratch key under HKEY_CURRENT_USER, deleted with its values.
class ScratchKey {
 public:
  ScratchKey() : name_("Software\\scenesaver-test-" + std::to_string(std::random_device{}())) {
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &key_, nullptr) != ERROR_SUCCESS) {
      throw std::runtime_error("no scratch key");
    }
  }
  ~ScratchKey() {
    ::RegCloseKey(key_);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, name_.c_str());
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;

  void Set(const char* value, DWORD type, std::initializer_list<BYTE> bytes) {
    const std::basic_string<BYTE> data(bytes);
    ASSERT_EQ(::RegSetValueExA(key_, value, 0, type, data.data(), static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
  std::optional<std::uint32_t> Read(const char* value) const {
    return platform::win32::ReadRegistryNumber(HKEY_CURRENT_USER, name_.c_str(), value);
  }
  const std::string& Name() const { return name_; }

 private:
  std::string name_;
  HKEY key_ = nullptr;
};

TEST(Win32ScreenSaverPassword, ReadsUpToFourBytesOfAnyTypeAsALittleEndianNumber) {
  ScratchKey key;
  key.Set("one", REG_DWORD, {1, 0, 0, 0});
  key.Set("zero", REG_DWORD, {0, 0, 0, 0});
  key.Set("binary", REG_BINARY, {0x01, 0x02, 0x00, 0x00});
  key.Set("short", REG_BINARY, {0x02});
  key.Set("long", REG_BINARY, {1, 0, 0, 0, 0});
  key.Set("text", REG_SZ, {'1', 0});
  EXPECT_EQ(key.Read("one"), 1u);
  EXPECT_EQ(key.Read("zero"), 0u);
  EXPECT_EQ(key.Read("binary"), 0x0201u);
  EXPECT_EQ(key.Read("short"), 2u) << "the missing bytes are zero";
  EXPECT_EQ(key.Read("long"), std::nullopt) << "longer than 4 bytes: not read";
  EXPECT_EQ(key.Read("text"), 0x31u) << "the type is not looked at";
  EXPECT_EQ(key.Read("absent"), std::nullopt);
  EXPECT_EQ(platform::win32::ReadRegistryNumber(HKEY_CURRENT_USER,
                                                (key.Name() + "\\no such key").c_str(), "one"),
            std::nullopt);
}

TEST(Win32ScaleSetting, ReadsAutoOneOrFillAndAutoForAnythingElse) {
  ScratchKey key;
  const std::wstring name(key.Name().begin(), key.Name().end());
  const auto read = [&] {
    return platform::win32::ReadScaleSetting(HKEY_CURRENT_USER, name.c_str());
  };
  EXPECT_EQ(read(), platform::ScaleMode::kAuto) << "no value";
  key.Set("Scale", REG_SZ, {'1', 0});
  EXPECT_EQ(read(), platform::ScaleMode::kOneToOne);
  key.Set("Scale", REG_SZ, {'f', 'i', 'l', 'l', 0});
  EXPECT_EQ(read(), platform::ScaleMode::kFill);
  key.Set("Scale", REG_SZ, {'F', 'I', 'L', 'L', 0});
  EXPECT_EQ(read(), platform::ScaleMode::kAuto) << "unknown text";
  key.Set("Scale", REG_DWORD, {1, 0, 0, 0});
  EXPECT_EQ(read(), platform::ScaleMode::kAuto) << "not a text";
  key.Set("Scale", REG_SZ, {'f', 'i', 'l', 'l', 'f', 'i', 'l', 'l', 'f', 'i', 'l',
                            'l', 'f', 'i', 'l', 'l', 'f', 'i', 'l', 'l', 0});
  EXPECT_EQ(read(), platform::ScaleMode::kAuto) << "too long";
}

TEST(Win32ScreenSaverPassword, WithoutThePasswordLibraryTheSystemLockApplies) {
  // Neither Wine nor any Windows of the NT line has "password.cpl".
  EXPECT_EQ(platform::win32::VerifyScreenSavePassword(nullptr),
            platform::PasswordVerdict::kAccepted);
}

class CountingHandlers : public platform::InputHandlers {
 public:
  void KeyDown() override { ++keys; }
  void MouseDown() override { ++buttons; }
  void MouseMove() override { ++moves; }
  int keys = 0;
  int buttons = 0;
  int moves = 0;
};

std::unique_ptr<platform::ShowHost> MakeHostOrNull() {
  try {
    return platform::win32::MakeWin32ShowHost();
  } catch (const std::runtime_error&) {
    return nullptr;
  }
}

TEST(Win32ShowHost, InputReachesTheHandlersOnlyInsideDoEvents) {
  const auto host = MakeHostOrNull();
  if (!host) GTEST_SKIP() << "no display to make a window on";
  HWND window = ::FindWindowW(L"scenesaver.Form1", nullptr);
  ASSERT_NE(window, nullptr);
  CountingHandlers handlers;
  host->SetInputHandlers(&handlers);
  host->DoEvents();  // whatever the system sent on creation
  handlers = CountingHandlers{};

  ::PostMessageW(window, WM_KEYDOWN, VK_SHIFT, 0);
  ::PostMessageW(window, WM_SYSKEYDOWN, VK_MENU, 0);
  ::PostMessageW(window, WM_RBUTTONDOWN, 0, 0);
  ::PostMessageW(window, WM_XBUTTONDOWN, 0, 0);
  ::PostMessageW(window, WM_MOUSEMOVE, 0, 0);
  ::PostMessageW(window, WM_KEYUP, VK_SHIFT, 0);  // not input that ends the show
  // A message is pending: the wait returns at once.
  const std::uint32_t start = host->GetTickCount();
  host->WaitForEventsUntil(start + 5000);
  EXPECT_LT(host->GetTickCount() - start, 2000u);
  EXPECT_EQ(handlers.keys + handlers.buttons + handlers.moves, 0);
  host->DoEvents();
  EXPECT_EQ(handlers.keys, 2);
  EXPECT_EQ(handlers.buttons, 2);
  EXPECT_GE(handlers.moves, 1);

  // A close request is input too, delivered by the next DoEvents; the window stays.
  handlers = CountingHandlers{};
  ::SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(handlers.keys, 0);
  host->DoEvents();
  EXPECT_EQ(handlers.keys, 1);
  EXPECT_TRUE(::IsWindow(window));
}

TEST(Win32ShowHost, ADisplayChangeFitsTheWindowToThePrimaryMonitorAgain) {
  const auto host = MakeHostOrNull();
  if (!host) GTEST_SKIP() << "no display to make a window on";
  HWND window = ::FindWindowW(L"scenesaver.Form1", nullptr);
  ASSERT_NE(window, nullptr);
  const platform::Size screen = host->PrimaryScreenSize();
  EXPECT_EQ(screen,
            (platform::Size{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}));
  ::SetWindowPos(window, nullptr, 5, 5, 100, 80, SWP_NOZORDER | SWP_NOACTIVATE);
  ::SendMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(screen.width, screen.height));
  RECT placed{};
  ::GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.top, 0);
  EXPECT_EQ(placed.right, screen.width);
  EXPECT_EQ(placed.bottom, screen.height);
}

TEST(Win32ShowHost, WaitsUntilTheDeadlineWhenNothingHappens) {
  const auto host = MakeHostOrNull();
  if (!host) GTEST_SKIP() << "no display to make a window on";
  host->DoEvents();
  const std::uint32_t start = host->GetTickCount();
  host->WaitForEventsUntil(start + 100);
  const std::uint32_t waited = host->GetTickCount() - start;
  EXPECT_GE(waited, 100u);
  EXPECT_LT(waited, 2000u);
  // A deadline already passed returns at once.
  host->WaitForEventsUntil(start);
}

// A top-level window standing in for the settings panel's preview monitor.
class PreviewParent {
 public:
  PreviewParent() {
    window_ = ::CreateWindowExW(0, L"STATIC", L"preview parent", WS_POPUP | WS_VISIBLE, 10, 10, 152,
                                112, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) throw std::runtime_error("no parent window");
  }
  ~PreviewParent() { Destroy(); }
  PreviewParent(const PreviewParent&) = delete;
  PreviewParent& operator=(const PreviewParent&) = delete;

  HWND Get() const { return window_; }
  HWND Child() const { return ::GetWindow(window_, GW_CHILD); }
  void Destroy() {
    if (window_ != nullptr) ::DestroyWindow(window_);
    window_ = nullptr;
  }

 private:
  HWND window_ = nullptr;
};

TEST(Win32PreviewHost, DrawsInAChildOfTheParentAndIgnoresInput) {
  PreviewParent parent;
  const auto host = platform::win32::MakeWin32PreviewHost(parent.Get());
  const HWND child = parent.Child();
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(host->PrimaryScreenSize(), (platform::Size{152, 112})) << "its screen is the window";
  EXPECT_EQ(host->ReadScreenSaveUsePassword(), std::nullopt) << "never a password";
  const int cursor = ::ShowCursor(TRUE);
  ::ShowCursor(FALSE);
  EXPECT_LT(host->ShowCursor(false), 0);
  EXPECT_EQ(::ShowCursor(TRUE), cursor) << "the real cursor is left alone";
  ::ShowCursor(FALSE);
  std::string reply = "x";
  host->MciSendString("status bgm mode", reply);
  EXPECT_EQ(reply, "") << "no music device";

  CountingHandlers handlers;
  host->SetInputHandlers(&handlers);
  ASSERT_TRUE(host->ShowWindow());
  EXPECT_TRUE(::IsWindowVisible(child));
  EXPECT_NE(::GetFocus(), child) << "the panel keeps the focus";
  ::PostMessageW(child, WM_KEYDOWN, 'A', 0);
  ::PostMessageW(child, WM_LBUTTONDOWN, 0, 0);
  ::PostMessageW(child, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  host->DoEvents();
  EXPECT_EQ(handlers.keys + handlers.buttons + handlers.moves, 0);

  // A close request from the panel ends it.
  ::SendMessageW(child, WM_CLOSE, 0, 0);
  host->DoEvents();
  EXPECT_EQ(handlers.keys, 1);
}

// Four quadrants of one colour each, as the end-to-end test's picture.
Surface Quadrants(int width, int height) {
  Surface picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2;
      const bool bottom = y >= height / 2;
      // 0x00BBGGRR: red, green / blue, yellow
      picture.Row(y)[x] =
          bottom ? (right ? 0x0000FFFFu : 0x00FF0000u) : (right ? 0x0000FF00u : 0x000000FFu);
    }
  }
  return picture;
}

TEST(Win32PreviewHost, DrawsTheShowFittedDownIntoTheWindow) {
  PreviewParent parent;
  const auto host = platform::win32::MakeWin32PreviewHost(parent.Get());
  ASSERT_TRUE(host->ShowWindow());
  host->DoEvents();
  host->Refresh(Quadrants(320, 240));
  MemoryCanvas canvas(152, 112);
  {
    const HWND child = parent.Child();
    const HDC dc = ::GetDC(child);
    ASSERT_NE(dc, nullptr);
    ::BitBlt(canvas.Dc(), 0, 0, 152, 112, dc, 0, 0, SRCCOPY);
    ::ReleaseDC(child, dc);
  }
  // 320x240 fits 152x112 as 149x112 (aspect kept, 112 * 4 / 3 rounded), centred at x 2.
  for (int y = 0; y < 112; ++y) {
    for (const int x : {0, 1, 151}) ASSERT_EQ(canvas.At(x, y), 0u) << x << "," << y;
  }
  // Inside, each pixel has its quadrant's colour (0x00RRGGBB here), away from the seams where
  // smoothing mixes them.
  const std::uint32_t colours[2][2] = {{0x00FF0000u, 0x0000FF00u}, {0x000000FFu, 0x00FFFF00u}};
  int checked = 0;
  for (int y = 0; y < 112; ++y) {
    for (int x = 2; x < 151; ++x) {
      const double source_x = (x - 2 + 0.5) * 320.0 / 149.0;
      const double source_y = (y + 0.5) * 240.0 / 112.0;
      if (std::abs(source_x - 160) < 6 || std::abs(source_y - 120) < 6) continue;
      ASSERT_EQ(canvas.At(x, y), colours[source_y >= 120][source_x >= 160]) << x << "," << y;
      ++checked;
    }
  }
  EXPECT_GT(checked, 140 * 100);
}

TEST(Win32PreviewHost, EndsWhenTheParentGoesAndRefusesWhatIsNoWindow) {
  auto parent = std::make_unique<PreviewParent>();
  const auto host = platform::win32::MakeWin32PreviewHost(parent->Get());
  CountingHandlers handlers;
  host->SetInputHandlers(&handlers);
  ASSERT_TRUE(host->ShowWindow());
  host->DoEvents();
  EXPECT_EQ(handlers.keys, 0);
  parent->Destroy();
  // The wait notices the parent's going within one slice.
  const std::uint32_t start = host->GetTickCount();
  host->WaitForEventsUntil(start + 10000);
  EXPECT_LT(host->GetTickCount() - start, 5000u);
  host->DoEvents();
  EXPECT_GE(handlers.keys, 1);
  host->Refresh(Surface(4, 4, 0x00FFFFFF));  // nothing left to draw on, and no failure

  EXPECT_THROW(platform::win32::MakeWin32PreviewHost(reinterpret_cast<HWND>(0x7FFF0)),
               std::runtime_error);
}

}  // namespace
