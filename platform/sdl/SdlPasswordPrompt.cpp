#include "platform/sdl/SdlPasswordPrompt.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <memory>

#include "platform/sdl/DialogTexts.h"

namespace scenesaver::platform {

namespace {

constexpr const char* kFontPath = "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf";
// The longest single wait, so that a termination request is seen promptly.
constexpr Uint32 kWaitSliceMs = 250;
constexpr int kBoxWidth = 560;
constexpr int kBoxHeight = 220;

struct FontCloser {
  void operator()(TTF_Font* font) const { TTF_CloseFont(font); }
};
struct SurfaceFreer {
  void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
struct TextureDestroyer {
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};

// SDL2_ttf for the prompt's lifetime.
class TtfSession {
 public:
  TtfSession() : ok_(TTF_Init() == 0) {}
  ~TtfSession() {
    if (ok_) TTF_Quit();
  }
  TtfSession(const TtfSession&) = delete;
  TtfSession& operator=(const TtfSession&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

// Text input events for the prompt's lifetime.
class TextInput {
 public:
  TextInput() { SDL_StartTextInput(); }
  ~TextInput() { SDL_StopTextInput(); }
  TextInput(const TextInput&) = delete;
  TextInput& operator=(const TextInput&) = delete;
};

class PromptView {
 public:
  explicit PromptView(SDL_Renderer* renderer) : renderer_(renderer) {
    if (ttf_.Ok()) font_.reset(TTF_OpenFont(kFontPath, 22));
  }

  void Draw(const PasswordPromptParts& parts, int typed, const char* status) {
    if (parts.draw_backdrop) parts.draw_backdrop();
    int width = 0;
    int height = 0;
    SDL_GetRendererOutputSize(renderer_, &width, &height);
    const SDL_Rect box{(width - kBoxWidth) / 2, (height - kBoxHeight) / 2, kBoxWidth, kBoxHeight};
    Fill(box, 0x30, 0x30, 0x30);
    Outline(box, 0xC0, 0xC0, 0xC0);
    Text(base::Tr(texts::kPromptTitle), box.x + 24, box.y + 20);
    const SDL_Rect field{box.x + 24, box.y + 70, kBoxWidth - 48, 40};
    Fill(field, 0xFF, 0xFF, 0xFF);
    // One dot per typed character, as many as fit.
    for (int i = 0; i < typed && 16 + i * 20 < field.w - 8; ++i) {
      Fill({field.x + 10 + i * 20, field.y + 14, 12, 12}, 0x10, 0x10, 0x10);
    }
    Text(status != nullptr ? status : base::Tr(texts::kPromptHint), box.x + 24, box.y + 140);
    SDL_RenderPresent(renderer_);
  }

 private:
  void Fill(const SDL_Rect& rect, Uint8 r, Uint8 g, Uint8 b) {
    SDL_SetRenderDrawColor(renderer_, r, g, b, 0xFF);
    SDL_RenderFillRect(renderer_, &rect);
  }
  void Outline(const SDL_Rect& rect, Uint8 r, Uint8 g, Uint8 b) {
    SDL_SetRenderDrawColor(renderer_, r, g, b, 0xFF);
    SDL_RenderDrawRect(renderer_, &rect);
  }
  // Breaks lines at '\n' only.
  void Text(const char* utf8, int x, int y) {
    if (!font_) return;
    const std::unique_ptr<SDL_Surface, SurfaceFreer> surface(
        TTF_RenderUTF8_Blended_Wrapped(font_.get(), utf8, SDL_Color{0xF0, 0xF0, 0xF0, 0xFF}, 0));
    if (!surface) return;
    const std::unique_ptr<SDL_Texture, TextureDestroyer> texture(
        SDL_CreateTextureFromSurface(renderer_, surface.get()));
    if (!texture) return;
    const SDL_Rect where{x, y, surface->w, surface->h};
    SDL_RenderCopy(renderer_, texture.get(), nullptr, &where);
  }

  SDL_Renderer* renderer_;
  TtfSession ttf_;
  std::unique_ptr<TTF_Font, FontCloser> font_;
};

const char* StatusText(PromptNotice notice) {
  switch (notice) {
    case PromptNotice::kWrongPassword:
      return base::Tr(texts::kPromptWrong);
    case PromptNotice::kUnreadable:
      return base::Tr(texts::kPromptUnreadable);
    case PromptNotice::kHint:
      break;
  }
  return base::Tr(texts::kPromptHint);
}

// Hands one event to the prompt's rules; true when the prompt needs drawing again.
bool Feed(const SDL_Event& event, PasswordPromptState& state, PromptView& view,
          const PasswordPromptParts& parts) {
  switch (event.type) {
    case SDL_TEXTINPUT:
      state.Type(event.text.text);
      return true;
    case SDL_KEYDOWN:
      switch (event.key.keysym.sym) {
        case SDLK_ESCAPE:
          state.Cancel();
          break;
        case SDLK_BACKSPACE:
          state.EraseLast();
          break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
          // The check takes a noticeable moment; say so unless the entry is ignored anyway.
          if (!state.LockedOut())
            view.Draw(parts, state.TypedCount(), base::Tr(texts::kPromptChecking));
          state.Submit();
          break;
        default:
          state.Touch();
          break;
      }
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEWHEEL:
      state.Touch();
      return false;
    case SDL_WINDOWEVENT:
      return true;
    default:
      return false;
  }
}

}  // namespace

PasswordVerdict RunPasswordPrompt(SDL_Renderer* renderer, PasswordPromptState& state,
                                  const PasswordPromptParts& parts) {
  PromptView view(renderer);
  TextInput text_input;
  state.Open();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // input that opened the prompt is spent
  bool dirty = true;
  PromptNotice drawn_notice = state.Notice();
  SDL_Event event;
  for (;;) {
    if (parts.terminating()) return PasswordVerdict::kAccepted;  // the show must end now
    switch (state.Outcome()) {
      case PromptOutcome::kOpen:
        break;
      case PromptOutcome::kAccepted:
        return PasswordVerdict::kAccepted;
      case PromptOutcome::kRefused:
      case PromptOutcome::kCancelled:
      case PromptOutcome::kIdle:
        return PasswordVerdict::kRefused;  // back to the show
    }
    if (dirty || state.Notice() != drawn_notice) {
      drawn_notice = state.Notice();
      view.Draw(parts, state.TypedCount(), StatusText(drawn_notice));
      dirty = false;
    }
    const Uint32 wait = std::max<Uint32>(1, state.MsUntilChange(kWaitSliceMs));
    if (SDL_WaitEventTimeout(&event, static_cast<int>(wait)) == 0) {
      if (parts.keep_in_front) parts.keep_in_front(nullptr);
      continue;
    }
    // Everything queued is handled before the next drawing, so that a burst of input costs
    // one frame.
    do {
      if (parts.keep_in_front) parts.keep_in_front(&event);
      dirty = Feed(event, state, view, parts) || dirty;
    } while (state.Outcome() == PromptOutcome::kOpen && SDL_PollEvent(&event) != 0);
  }
}

}  // namespace scenesaver::platform
