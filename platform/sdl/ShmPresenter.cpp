#include "platform/sdl/ShmPresenter.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>

#include "platform/sdl/PresentPixels.h"

namespace scenesaver::platform {

namespace {

// While it lives, X errors are counted instead of handled elsewhere; for the calls that may
// be refused (attaching a segment), checked after a round trip.
class ErrorCatcher {
 public:
  explicit ErrorCatcher(::Display* display) : display_(display) {
    XSync(display_, False);
    errors_ = 0;
    previous_ = XSetErrorHandler(Count);
  }
  ~ErrorCatcher() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  ErrorCatcher(const ErrorCatcher&) = delete;
  ErrorCatcher& operator=(const ErrorCatcher&) = delete;
  bool Failed() {
    XSync(display_, False);
    return errors_ != 0;
  }

 private:
  static int Count(::Display* /*display*/, XErrorEvent* /*error*/) {
    ++errors_;
    return 0;
  }
  static inline int errors_ = 0;
  ::Display* display_;
  XErrorHandler previous_ = nullptr;
};

// A System V shared memory segment, removed once both sides have attached (it lives on while
// attached, and nothing is left behind if the process dies).
class Segment {
 public:
  explicit Segment(std::size_t bytes) {
    id_ = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id_ < 0) return;
    void* address = shmat(id_, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
      shmctl(id_, IPC_RMID, nullptr);
      id_ = -1;
      return;
    }
    address_ = static_cast<char*>(address);
  }
  ~Segment() {
    if (address_ != nullptr) shmdt(address_);
    if (id_ >= 0) shmctl(id_, IPC_RMID, nullptr);
  }
  Segment(const Segment&) = delete;
  Segment& operator=(const Segment&) = delete;
  bool Valid() const { return address_ != nullptr; }
  int Id() const { return id_; }
  char* Address() const { return address_; }
  // Marks the segment for removal; it goes when the last attachment does.
  void Release() {
    if (id_ >= 0) shmctl(id_, IPC_RMID, nullptr);
    id_ = -1;
  }

 private:
  int id_ = -1;
  char* address_ = nullptr;
};

// Whether a DirectColor window's colormap passes every channel value through unchanged, so
// that pixels written for a TrueColor visual show the same colours. (GLX often gives SDL's
// window such a visual, with an identity ramp.)
bool IdentityColormap(::Display* display, const XWindowAttributes& attributes) {
  const Visual* v = attributes.visual;
  if (v->red_mask != 0xFF0000 && v->red_mask != 0xFF) return false;
  XColor colours[256];
  for (unsigned long i = 0; i < 256; ++i) {
    colours[i].pixel = i * 0x010101UL;
  }
  if (XQueryColors(display, attributes.colormap, colours, 256) == 0) return false;
  for (unsigned short i = 0; i < 256; ++i) {
    const unsigned short want = static_cast<unsigned short>(i * 257U);
    const XColor& c = colours[i];
    if (c.red != want || c.green != want || c.blue != want) return false;
  }
  return true;
}

}  // namespace

// The segment, the image over it and its attachment to the server, for one window size.
struct ShmPresenter::Parts {
  ::Display* display = nullptr;
  ::Window window = 0;
  Visual* visual = nullptr;
  int depth = 0;
  bool swap_red_blue = false;
  GC gc = nullptr;
  Size window_size;
  Size image_size;
  std::unique_ptr<Segment> segment;
  XShmSegmentInfo info{};
  XImage* image = nullptr;
  bool attached = false;

  PixelImage Pixels() const {
    return {reinterpret_cast<std::uint32_t*>(image->data), image_size,
            static_cast<std::size_t>(image->bytes_per_line) / 4};
  }
  void DropImage() {
    if (attached) {
      XShmDetach(display, &info);
      XSync(display, False);
      attached = false;
    }
    if (image != nullptr) {
      image->data = nullptr;  // the segment's, not Xlib's to free
      XDestroyImage(image);
      image = nullptr;
    }
    segment.reset();
    image_size = {};
  }
  ~Parts() {
    DropImage();
    if (gc != nullptr) XFreeGC(display, gc);
  }
};

std::unique_ptr<ShmPresenter> ShmPresenter::Open(SDL_Window* window) {
  if (const char* off = std::getenv("SCENESAVER_NO_SHM"); off != nullptr && *off != 0) {
    return nullptr;
  }
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) {
    return nullptr;
  }
  auto parts = std::make_unique<Parts>();
  parts->display = info.info.x11.display;
  parts->window = info.info.x11.window;
  if (XShmQueryExtension(parts->display) == False) return nullptr;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(parts->display, parts->window, &attributes) == 0) return nullptr;
  Visual* visual = attributes.visual;
  if ((attributes.depth != 24 && attributes.depth != 32) || visual == nullptr ||
      !(visual->c_class == TrueColor ||
        (visual->c_class == DirectColor && IdentityColormap(parts->display, attributes)))) {
    return nullptr;
  }
  if (visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 && visual->blue_mask == 0xFF) {
    parts->swap_red_blue = true;
  } else if (!(visual->red_mask == 0xFF && visual->green_mask == 0xFF00 &&
               visual->blue_mask == 0xFF0000)) {
    return nullptr;
  }
  parts->visual = visual;
  parts->depth = attributes.depth;
  XGCValues values{};
  values.foreground = BlackPixel(parts->display, DefaultScreen(parts->display));
  values.graphics_exposures = False;
  parts->gc = XCreateGC(parts->display, parts->window, GCForeground | GCGraphicsExposures, &values);
  parts->window_size = {attributes.width, attributes.height};
  std::unique_ptr<ShmPresenter> presenter(new ShmPresenter(std::move(parts)));
  if (!presenter->Resize(presenter->parts_->window_size)) return nullptr;
  return presenter;
}

ShmPresenter::ShmPresenter(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
ShmPresenter::~ShmPresenter() = default;

Size ShmPresenter::WindowSize() const { return parts_->window_size; }

void ShmPresenter::ReadWindowSize() {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(parts_->display, parts_->window, &attributes) != 0) {
    parts_->window_size = {attributes.width, attributes.height};
  }
}

bool ShmPresenter::Resize(Size window) {
  Parts& p = *parts_;
  p.DropImage();
  const Size size{std::max(window.width, 1), std::max(window.height, 1)};
  p.image = XShmCreateImage(p.display, p.visual, static_cast<unsigned>(p.depth), ZPixmap, nullptr,
                            &p.info, static_cast<unsigned>(size.width),
                            static_cast<unsigned>(size.height));
  if (p.image == nullptr || p.image->bits_per_pixel != 32) return false;
  p.segment = std::make_unique<Segment>(static_cast<std::size_t>(p.image->bytes_per_line) *
                                        static_cast<std::size_t>(size.height));
  if (!p.segment->Valid()) return false;
  p.info.shmid = p.segment->Id();
  p.info.shmaddr = p.image->data = p.segment->Address();
  p.info.readOnly = False;
  {
    ErrorCatcher catcher(p.display);
    p.attached = XShmAttach(p.display, &p.info) != False && !catcher.Failed();
  }
  if (!p.attached) return false;
  p.segment->Release();
  p.image_size = size;
  return true;
}

bool ShmPresenter::ReadBack(raster::Surface& picture, const Placement& placement,
                            const Rect& part) const {
  const Parts& p = *parts_;
  if (!p.attached ||
      !PlacedWholeOneToOne(placement, {picture.Width(), picture.Height()}, p.image_size)) {
    return false;
  }
  ReadPlaced(p.Pixels(), placement, part, picture, p.swap_red_blue);
  return true;
}

bool ShmPresenter::Present(const raster::Surface& picture, const Placement& placement,
                           const Rect& changed, bool with_margins) {
  Parts& p = *parts_;
  if (p.image_size != p.window_size && !Resize(p.window_size)) return false;
  const Rect put = WritePlaced(picture, placement, changed, p.Pixels(), p.swap_red_blue);
  if (with_margins) {
    Rect margins[4];
    const int count = Margins(placement, p.window_size, margins);
    for (int i = 0; i < count; ++i) {
      XFillRectangle(p.display, p.window, p.gc, margins[i].left, margins[i].top,
                     static_cast<unsigned>(margins[i].width),
                     static_cast<unsigned>(margins[i].height));
    }
  }
  if (!put.Empty()) {
    XShmPutImage(p.display, p.window, p.gc, p.image, put.left, put.top, put.left, put.top,
                 static_cast<unsigned>(put.width), static_cast<unsigned>(put.height), False);
  }
  // The segment is written again by the next present: wait until the server has read it.
  XSync(p.display, False);
  return true;
}

}  // namespace scenesaver::platform
