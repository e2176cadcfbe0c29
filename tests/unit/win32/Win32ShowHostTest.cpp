// The presentation window's services on Win32: painting Picture1, the password setting in the
// registry, and input reaching the handlers only inside DoEvents.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include "platform/ShowHost.h"
#include "platform/win32/PresentedFrame.h"
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
  platform::win32::PresentedFrame frame;
  frame.Place(2, 1, 3, 2);
  // Before any refresh the picture's place is black too.
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
  frame.PaintAll(canvas.Dc(), RECT{0, 0, 8, 6});
  EXPECT_EQ(canvas.At(2, 1), 0x00FF0000u) << "red";
  EXPECT_EQ(canvas.At(3, 1), 0x0000FF00u);
  EXPECT_EQ(canvas.At(4, 1), 0x000000FFu) << "blue";
  EXPECT_EQ(canvas.At(2, 2), 0x00563412u) << "the top row comes first";
  EXPECT_EQ(canvas.At(3, 2), 0x00FFFFFFu);
  EXPECT_EQ(canvas.At(4, 2), 0x00030201u);
  for (const auto& [x, y] : {std::pair{0, 0}, {1, 1}, {5, 1}, {2, 0}, {4, 3}, {7, 5}}) {
    EXPECT_EQ(canvas.At(x, y), 0u) << x << "," << y << " is black";
  }
}

TEST(Win32PresentedFrame, StretchesABitmapOfAnotherSizeOverItsPlace) {
  MemoryCanvas canvas(4, 4);
  platform::win32::PresentedFrame frame;
  frame.Place(1, 1, 2, 2);
  frame.Take(Surface(1, 1, 0x00336699));
  frame.PaintPicture(canvas.Dc());
  for (const auto& [x, y] : {std::pair{1, 1}, {2, 1}, {1, 2}, {2, 2}}) {
    EXPECT_EQ(canvas.At(x, y), 0x00996633u) << x << "," << y;
  }
  EXPECT_EQ(canvas.At(0, 0), 0x00FFFFFFu) << "PaintPicture leaves the rest alone";
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

}  // namespace
