#include "effects/EffectModule.h"

namespace EffectModule {

void RunTransition(int /*number*/, State& /*state*/, platform::EventLoop& /*loop*/,
                   const std::int16_t& /*QuitFlag*/, platform::Surface& Picture1,
                   const platform::Surface& /*NowPicture*/, const platform::Surface& NextPicture) {
  platform::BitBlt(Picture1, 0, 0, Picture1.Width(), Picture1.Height(), NextPicture, 0, 0);
}

}  // namespace EffectModule
