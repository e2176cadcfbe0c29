// A lost X connection (the server went away, or another client killed ours) ends the process
// from inside Xlib, which runs no destructors. While an object of this class lives, such a loss
// first cleans up the show's temporary folders, then exits with status 1.
#pragma once

namespace scenesaver::platform {

class XConnectionLoss {
 public:
  XConnectionLoss();
  ~XConnectionLoss();
  XConnectionLoss(const XConnectionLoss&) = delete;
  XConnectionLoss& operator=(const XConnectionLoss&) = delete;

  // Puts the handler back after a library (GTK) installed its own.
  void Reinstall();

 private:
  using Handler = int (*)(void*);
  Handler previous_ = nullptr;
};

}  // namespace scenesaver::platform
