#include "platform/sdl/SdlPasswordPrompt.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <sodium.h>

#include <memory>
#include <string>

namespace platform {

namespace {

constexpr const char* kFontPath = "/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf";
constexpr const char* kTitle = "パスワードを入力してください。";
constexpr const char* kHint = "Enter: 解除    Esc: 取り消し";
constexpr const char* kChecking = "確認しています…";
constexpr const char* kUnreadable = "保存されたパスワードを読み取れないため、解除できません。";
constexpr Uint32 kIdleLimitMs = 60000;        // an unattended prompt gives the show back
constexpr Uint32 kUnreadableNoticeMs = 3000;  // how long the refusal reason stays up
constexpr int kBoxWidth = 560;
constexpr int kBoxHeight = 200;

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

// The typed characters, wiped from memory when the prompt ends.
class SecretEntry {
 public:
  SecretEntry() { text_.reserve(256); }
  ~SecretEntry() { sodium_memzero(text_.data(), text_.capacity()); }
  SecretEntry(const SecretEntry&) = delete;
  SecretEntry& operator=(const SecretEntry&) = delete;
  void Append(const char* utf8) {
    const std::string_view more(utf8);
    if (text_.size() + more.size() < text_.capacity()) text_.append(more);
  }
  // Removes the last UTF-8 character.
  void EraseLast() {
    while (!text_.empty()) {
      const unsigned char last = static_cast<unsigned char>(text_.back());
      text_.pop_back();
      if ((last & 0xC0) != 0x80) break;
    }
  }
  // Number of characters typed.
  int Count() const {
    int count = 0;
    for (const char c : text_) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
  }
  std::string_view View() const { return text_; }

 private:
  std::string text_;
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
    Text(kTitle, box.x + 24, box.y + 20);
    const SDL_Rect field{box.x + 24, box.y + 70, kBoxWidth - 48, 40};
    Fill(field, 0xFF, 0xFF, 0xFF);
    // One dot per typed character, as many as fit.
    for (int i = 0; i < typed && 16 + i * 20 < field.w - 8; ++i) {
      Fill({field.x + 10 + i * 20, field.y + 14, 12, 12}, 0x10, 0x10, 0x10);
    }
    Text(status != nullptr ? status : kHint, box.x + 24, box.y + 140);
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
  void Text(const char* utf8, int x, int y) {
    if (!font_) return;
    const std::unique_ptr<SDL_Surface, SurfaceFreer> surface(
        TTF_RenderUTF8_Blended(font_.get(), utf8, SDL_Color{0xF0, 0xF0, 0xF0, 0xFF}));
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

// Shows why nothing is accepted, for a while or until a key.
void ShowUnreadableNotice(PromptView& view, const PasswordPromptParts& parts) {
  view.Draw(parts, 0, kUnreadable);
  const Uint32 until = SDL_GetTicks() + kUnreadableNoticeMs;
  SDL_Event event;
  while (!parts.terminating() && static_cast<Sint32>(until - SDL_GetTicks()) > 0) {
    if (SDL_WaitEventTimeout(&event, 100) != 0 && event.type == SDL_KEYDOWN) return;
  }
}

}  // namespace

PasswordVerdict RunPasswordPrompt(SDL_Renderer* renderer, const PasswordPromptParts& parts) {
  PromptView view(renderer);
  TextInput text_input;
  SecretEntry entry;
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // input that opened the prompt is spent
  Uint32 last_key = SDL_GetTicks();
  bool dirty = true;
  SDL_Event event;
  for (;;) {
    if (parts.terminating()) return PasswordVerdict::kAccepted;  // the show must end now
    if (SDL_GetTicks() - last_key > kIdleLimitMs) return PasswordVerdict::kRefused;
    if (dirty) view.Draw(parts, entry.Count(), nullptr);
    dirty = false;
    if (SDL_WaitEventTimeout(&event, 250) == 0) continue;
    switch (event.type) {
      case SDL_TEXTINPUT:
        entry.Append(event.text.text);
        last_key = SDL_GetTicks();
        dirty = true;
        break;
      case SDL_KEYDOWN:
        last_key = SDL_GetTicks();
        dirty = true;
        if (event.key.keysym.sym == SDLK_ESCAPE) return PasswordVerdict::kRefused;
        if (event.key.keysym.sym == SDLK_BACKSPACE) entry.EraseLast();
        if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER) {
          view.Draw(parts, entry.Count(), kChecking);
          switch (parts.verify(entry.View())) {
            case PasswordCheck::kAccepted:
              return PasswordVerdict::kAccepted;
            case PasswordCheck::kRefused:
              return PasswordVerdict::kRefused;
            case PasswordCheck::kUnreadable:
              ShowUnreadableNotice(view, parts);
              return PasswordVerdict::kRefused;
          }
        }
        break;
      case SDL_WINDOWEVENT:
        dirty = true;
        break;
      default:
        break;
    }
  }
}

}  // namespace platform
