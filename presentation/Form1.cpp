#include "presentation/Form1.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>

#include "base/Numbers.h"
#include "base/RuntimeFailure.h"
#include "base/Ticks.h"
#include "package/PackageText.h"
#include "presentation/Form1Input.h"
#include "presentation/ShowSound.h"
#include "presentation/TransparentBltFunc.h"

namespace scenesaver::presentation {

namespace {

constexpr const char* kSource = kFailureSource;
constexpr const char* kIndexOutOfRange = base::Translatable("インデックスが有効範囲にありません。");
constexpr const char* kOutOfMemory = base::Translatable("メモリが不足しています。");
constexpr raster::Color kBlack = 0x000000;

using base::kTrue;

// Scenes(index), honouring the array's lower bound; an index it does not hold is a failure.
const package::SceneRecord& SceneOrFailure(const package::Package& show, std::int32_t index) {
  const package::SceneRecord* scene = package::SceneAt(show, index);
  if (scene == nullptr) throw base::RuntimeFailure(kIndexOutOfRange, kSource);
  return *scene;
}

void LoadScenePicture(const package::ShowState& module1, const package::SceneRecord& scene,
                      raster::Surface& picture, platform::ShowHost& host) {
  const std::string* path = package::ExtractedPath(module1, scene.PictureFileName);
  // The stored name tells the author which picture; the temporary path alone does not.
  const std::string which = "picture '" + package::AnsiToUtf8(scene.PictureFileName) + "': ";
  if (path == nullptr) throw base::RuntimeFailure(which + "it was not extracted", kSource);
  base::Result<raster::Surface> loaded = host.LoadPicture(*path);
  if (!loaded) throw base::RuntimeFailure(which + loaded.error(), kSource);
  const raster::Color back_color = picture.BackColor();
  picture = std::move(loaded).value();
  picture.SetBackColor(back_color);
}

void HideCursor(platform::ShowHost& host) {
  while (host.ShowCursor(false) >= 0) {
  }
}

void RestoreCursor(platform::ShowHost& host) {
  while (host.ShowCursor(true) < 0) {
  }
}

class ScenePlayer {
 public:
  ScenePlayer(State& form, package::ShowState& module1, effects::State& effects,
              platform::ShowHost& host)
      : form_(form),
        module1_(module1),
        package_(module1.PackageRecord),
        effects_(effects),
        host_(host) {}

  void Run() {
    SetUp();
    for (bool first_run = true;; first_run = false) {
      BeginShowingRun(first_run);
      while (module1_.QuitFlag != kTrue) SceneStep();
      if (ExitSequenceFinishes()) return;
    }
  }

  // After a failure the show cannot go on, yet with the password value set it still ends only
  // on an accepted password: the prompt comes over a black screen, again after every refusal.
  void AwaitPasswordAfterFailure() {
    if (!UsePassword()) return;
    form_.Picture1.SetBackColor(kBlack);
    form_.Picture1.Cls();
    try {
      // The failure may have come before the window was shown, or the message may have hidden
      // it. A window that cannot be shown leaves the prompt to the host as it is.
      if (host_.ShowWindow()) {
        host_.Refresh(form_.Picture1);
        host_.MakeTopmost();
      }
    } catch (const std::exception&) {
    }
    while (host_.VerifyScreenSavePwd() != platform::PasswordVerdict::kAccepted) {
    }
  }

  // What the normal finish restores, also after a failure, so the clean-up can remove every
  // extracted file.
  void Finish() {
    host_.SetScreenSaverRunning(false);
    StopMusicAndSounds(module1_, host_, mci_reply_);
  }

 private:
  void SetUp() {
    host_.SetScreenSaverRunning(true);
    const platform::Size screen = host_.PrimaryScreenSize();
    const std::int32_t width = package_.PictureWidth;
    const std::int32_t height = package_.PictureHeight;
    const std::int32_t left = base::CheckedSub(screen.width / 2, width / 2);
    const std::int32_t top = base::CheckedSub(screen.height / 2, height / 2);
    host_.PlacePicture1(left, top, width, height);
    const auto back_color = static_cast<raster::Color>(package_.BackgroundColor);
    form_.Picture1.SetBackColor(back_color);
    form_.Picture1.Resize(width, height);
    for (raster::Surface* hidden : {&form_.NowPicture, &form_.NextPicture}) {
      hidden->SetBackColor(form_.Picture1.BackColor());
      hidden->Resize(form_.Picture1.Width(), form_.Picture1.Height());
    }
    form_.MemPicture.SetBackColor(form_.Picture1.BackColor());
    LoadScenePicture(module1_, SceneOrFailure(package_, 0), form_.MemPicture, host_);
    if (base::Result<void> shown = host_.ShowWindow(); !shown) {
      throw base::RuntimeFailure(shown.error(), kSource);
    }
    host_.Refresh(form_.Picture1);
    host_.DoEvents();
    host_.MakeTopmost();
    StartMusic(module1_, host_, mci_reply_);
  }

  void BeginShowingRun(bool first_run) {
    HideCursor(host_);
    module1_.QuitFlag = base::kFalse;
    form_.SceneIndex = 0;
    form_.StartCursorPos = host_.GetCursorPos();
    const package::SceneRecord& scene = SceneOrFailure(package_, form_.SceneIndex);
    // After a refused password MemPicture holds whichever picture was arriving; scene 0 is
    // shown with its own picture.
    if (!first_run) {
      form_.MemPicture.Cls();
      LoadScenePicture(module1_, scene, form_.MemPicture, host_);
    }
    form_.Picture1.Cls();
    raster::PaintPicture(form_.Picture1, form_.MemPicture, scene.PictureLeft, scene.PictureTop);
    host_.Refresh(form_.Picture1);
  }

  void SceneStep() {
    const package::SceneRecord& outgoing = SceneOrFailure(package_, form_.SceneIndex);
    const std::uint32_t deadline =
        host_.GetTickCount() + static_cast<std::uint32_t>(outgoing.DisplayTime);
    // A negative time holds for one yield, however large: as a deadline 2^31 ms away it would
    // read as one in the future.
    const bool one_yield = outgoing.DisplayTime < 0;
    BuildOutgoingFrame(outgoing);
    AdvanceSceneIndex();
    const package::SceneRecord& arriving = SceneOrFailure(package_, form_.SceneIndex);
    form_.MemPicture.Cls();
    LoadScenePicture(module1_, arriving, form_.MemPicture, host_);
    BuildArrivingFrame(arriving);
    Hold(deadline, one_yield);
    PlaySceneSound(module1_, arriving, host_);
    RunTransition(outgoing.EffectNumber);
    host_.Refresh(form_.Picture1);
    KeepMusicAlive(module1_, host_, mci_reply_);
    host_.DoEvents();
  }

  void BuildOutgoingFrame(const package::SceneRecord& scene) {
    form_.NowPicture.Cls();
    if (scene.OverlayFlag != 0) {
      raster::PaintPicture(form_.NowPicture, form_.Picture1, 0, 0);
    } else {
      raster::PaintPicture(form_.NowPicture, form_.MemPicture, scene.PictureLeft, scene.PictureTop);
    }
  }

  // The wrap is decided by SceneCount, not by the size of Scenes.
  void AdvanceSceneIndex() {
    if (form_.SceneIndex == base::CheckedSub(package_.SceneCount, 1)) {
      form_.SceneIndex = 0;
    } else {
      form_.SceneIndex = base::CheckedAdd(form_.SceneIndex, 1);
    }
  }

  void BuildArrivingFrame(const package::SceneRecord& scene) {
    raster::Surface& next = form_.NextPicture;
    next.Cls();
    if (scene.OverlayFlag == 0) {
      raster::PaintPicture(next, form_.MemPicture, scene.PictureLeft, scene.PictureTop);
      return;
    }
    raster::PaintPicture(next, form_.NowPicture, 0, 0);
    if (scene.TransparentFlag == 0) {
      raster::PaintPicture(next, form_.MemPicture, scene.PictureLeft, scene.PictureTop);
      return;
    }
    presentation::TransparentPaint(
        next, scene.PictureLeft, scene.PictureTop, base::px(form_.MemPicture.ScaleWidth()),
        base::px(form_.MemPicture.ScaleHeight()), form_.MemPicture, 0, 0, next.BackColor());
  }

  // Ends at the first clock reading past the deadline, or as soon as input has raised
  // QuitFlag; between readings the host sleeps until an event or the deadline.
  void Hold(std::uint32_t deadline, bool one_yield) {
    for (;;) {
      host_.DoEvents();
      if (module1_.QuitFlag == kTrue || one_yield) return;
      if (base::TickPassed(host_.GetTickCount(), deadline)) return;
      host_.WaitForEventsUntil(deadline + 1);
    }
  }

  void RunTransition(std::int32_t effect_number) {
    if (effect_number == 0) {
      raster::PaintPicture(form_.Picture1, form_.NextPicture, 0, 0);
    } else if (effect_number >= effects::kFirstEffect && effect_number <= effects::kLastEffect) {
      effects::RunTransition(effect_number, effects_, host_, module1_.QuitFlag, form_.Picture1,
                             form_.NowPicture, form_.NextPicture);
    }
    // Any other number draws nothing: Picture1 keeps the outgoing frame.
  }

  // Returns true when the show is over, false when a refused password starts a new run.
  bool ExitSequenceFinishes() {
    RestoreCursor(host_);
    if (UsePassword() && host_.VerifyScreenSavePwd() != platform::PasswordVerdict::kAccepted) {
      HideCursor(host_);
      return false;
    }
    Finish();
    return true;
  }

  bool UsePassword() { return host_.ReadScreenSaveUsePassword().value_or(0) != 0; }

  State& form_;
  package::ShowState& module1_;
  const package::Package& package_;
  effects::State& effects_;
  platform::ShowHost& host_;
  std::string mci_reply_;
};

void ReportFailure(platform::ShowHost& host, const std::string& description,
                   const std::string& source) {
  // A description that is one of the program's own texts is shown in the user's language.
  host.MessageBox(std::string(base::Tr(kFailureMessage)) + "\r\n" + base::Tr(description.c_str()) +
                      "\r\n" + source,
                  base::Tr(kFailureCaption), platform::MessageIcon::kWarning);
}

}  // namespace

void RunPresentation(State& form, package::ShowState& module1, effects::State& effects,
                     platform::ShowHost& host) {
  Input input(module1.QuitFlag, form.StartCursorPos, host);
  InputBinding binding(host, input);
  ScenePlayer player(form, module1, effects, host);
  std::string description;
  std::string source = kSource;
  try {
    player.Run();
    return;
  } catch (const base::RuntimeFailure& failure) {
    description = failure.Description();
    source = failure.Source();
  } catch (const std::bad_alloc&) {
    description = kOutOfMemory;
  } catch (const std::exception& failure) {
    description = failure.what();
  }
  module1.FailedAtRunTime = true;
  // The cursor comes back first so that the message box can be answered.
  RestoreCursor(host);
  ReportFailure(host, description, source);
  player.AwaitPasswordAfterFailure();
  player.Finish();
}

void Form_Load(package::ShowState& module1, effects::State& effects, platform::ShowHost& host) {
  State form;
  RunPresentation(form, module1, effects, host);
}

void Form_Unload(const package::ShowState& module1, platform::ExtractFolder& folder) {
  const package::Package& package = module1.PackageRecord;
  const auto delete_if_named = [&folder](const std::string& name) {
    if (!name.empty()) folder.DeleteFile(name);
  };
  // Scenes 0 to SceneCount - 1, skipping indexes that Scenes does not hold.
  const std::int64_t lower = package.ScenesLowerBound;
  const std::int64_t first = std::max<std::int64_t>(0, lower);
  const std::int64_t end = std::min<std::int64_t>(
      package.SceneCount, lower + static_cast<std::int64_t>(package.Scenes.size()));
  for (std::int64_t i = first; i < end; ++i) {
    const package::SceneRecord& scene = package.Scenes[static_cast<std::size_t>(i - lower)];
    delete_if_named(scene.PictureFileName);
    delete_if_named(scene.SoundFileName);
  }
  delete_if_named(package.MusicFileName);
  folder.RemoveFolder();
}

}  // namespace scenesaver::presentation
