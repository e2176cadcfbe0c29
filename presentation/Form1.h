// The full-screen presentation window: set-up, the scene player, input, the exit sequence and
// the clean-up of the extracted files.
#pragma once

#include <cstdint>

#include "base/Texts.h"
#include "effects/EffectModule.h"
#include "package/ShowState.h"
#include "platform/ExtractFolder.h"
#include "platform/ShowHost.h"
#include "raster/Surface.h"

namespace scenesaver::presentation {

// Module-level state of the window and its four drawing surfaces.
struct State {
  // Index into Scenes of the scene shown (between the index step and the end of the
  // transition: of the scene arriving).
  std::int32_t SceneIndex = 0;
  // Cursor position taken when a showing run begins; any move away from it ends the show.
  platform::Point StartCursorPos;
  raster::Surface Picture1;     // the visible presentation area
  raster::Surface NowPicture;   // the outgoing frame of the coming transition
  raster::Surface NextPicture;  // the arriving frame
  raster::Surface MemPicture;   // one scene picture at its natural size
};

// The whole presentation; returns when the user has ended the show or after a failure message.
void Form_Load(package::ShowState& module1, effects::State& effects, platform::ShowHost& host);
// The same, on a window state the caller keeps (tests look at the surfaces afterwards).
void RunPresentation(State& form, package::ShowState& module1, effects::State& effects,
                     platform::ShowHost& host);

// Deletes the extracted files and removes the temporary folder.
void Form_Unload(const package::ShowState& module1, platform::ExtractFolder& folder);

// The text of the failure message box, shown through base::Tr, and the name it gives as the
// source of the presentation's own failures: the program's.
inline constexpr const char* kFailureMessage = base::Translatable("不明のエラーが発生しました。");
inline constexpr const char* kFailureCaption = base::Translatable("エラー");
inline constexpr const char* kFailureSource = "scenesaver";

}  // namespace scenesaver::presentation
