// The password prompt drawn over the show: a masked entry in a box at the centre of the screen.
// Enter submits, Esc dismisses. Its rules (lock-out after a refusal, idle limit, a stored
// password that cannot be read refusing everything) live in PasswordPromptState.
#pragma once

#include <functional>

#include "platform/ShowHost.h"
#include "platform/posix/PasswordPromptState.h"

struct SDL_Renderer;
union SDL_Event;

namespace scenesaver::platform {

struct PasswordPromptParts {
  // Repaints what lies beneath the prompt (without presenting).
  std::function<void()> draw_backdrop;
  // True when the process has been asked to end; the prompt then lets the show finish.
  std::function<bool()> terminating;
  // Called every turn of the prompt's loop, with the event taken (or nullptr after a wait that
  // brought none): keeps the show's window in front and its input held. May be empty.
  std::function<void(const SDL_Event*)> keep_in_front;
};

// Runs one prompt on `state` (kept by the caller, so that a lock-out outlives the prompt).
// Only an accepted entry, or a termination request, gives kAccepted.
PasswordVerdict RunPasswordPrompt(SDL_Renderer* renderer, PasswordPromptState& state,
                                  const PasswordPromptParts& parts);

}  // namespace scenesaver::platform
