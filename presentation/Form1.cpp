#include "presentation/Form1.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string>

#include "presentation/Form1Input.h"
#include "presentation/ShowSound.h"
#include "presentation/TransparentBltFunc.h"
#include "startup/Numbers.h"
#include "startup/RuntimeFailure.h"

namespace Form1 {

namespace {

constexpr const char* kSource = "Form1";
constexpr const char* kIndexOutOfRange = "インデックスが有効範囲にありません。";
constexpr const char* kOutOfMemory = "メモリが不足しています。";
constexpr platform::Color kBlack = 0x000000;

using Module1::kTrue;

// Scenes(index), honouring the array's lower bound; an index it does not hold is a failure.
const Module1::SceneRecord& SceneAt(const Module1::Package& package, std::int32_t index) {
  const std::int64_t element =
      static_cast<std::int64_t>(index) - static_cast<std::int64_t>(package.ScenesLowerBound);
  if (!package.ScenesPresent || element < 0 ||
      element >= static_cast<std::int64_t>(package.Scenes.size())) {
    throw Module1::RuntimeFailure(kIndexOutOfRange, kSource);
  }
  return package.Scenes[static_cast<std::size_t>(element)];
}

// True once the reading `now` lies past `deadline`; wrap-safe over the clock's whole range.
bool TickPassed(std::uint32_t now, std::uint32_t deadline) {
  return static_cast<std::int32_t>(now - deadline) > 0;
}

void LoadScenePicture(const Module1::State& module1, const Module1::SceneRecord& scene,
                      platform::Surface& picture, platform::ShowHost& host) {
  if (auto problem = host.LoadPicture(module1.TempFolder + scene.PictureFileName, picture)) {
    throw Module1::RuntimeFailure(*problem, kSource);
  }
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
  ScenePlayer(State& form, Module1::State& module1, EffectModule::State& effects,
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
      host_.ShowWindow();
      host_.Refresh(form_.Picture1);
      host_.MakeTopmost();
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
    const std::int32_t left = Module1::CheckedSub(screen.width / 2, width / 2);
    const std::int32_t top = Module1::CheckedSub(screen.height / 2, height / 2);
    host_.PlacePicture1(left, top, width, height);
    const auto back_color = static_cast<platform::Color>(package_.BackgroundColor);
    form_.Picture1.SetBackColor(back_color);
    form_.Picture1.Resize(width, height);
    for (platform::Surface* hidden : {&form_.NowPicture, &form_.NextPicture}) {
      hidden->SetBackColor(form_.Picture1.BackColor());
      hidden->Resize(form_.Picture1.Width(), form_.Picture1.Height());
    }
    form_.MemPicture.SetBackColor(form_.Picture1.BackColor());
    LoadScenePicture(module1_, SceneAt(package_, 0), form_.MemPicture, host_);
    host_.ShowWindow();
    host_.Refresh(form_.Picture1);
    host_.DoEvents();
    host_.MakeTopmost();
    StartMusic(module1_, host_, mci_reply_);
  }

  void BeginShowingRun(bool first_run) {
    HideCursor(host_);
    module1_.QuitFlag = Module1::kFalse;
    form_.SceneIndex = 0;
    form_.StartCursorPos = host_.GetCursorPos();
    const Module1::SceneRecord& scene = SceneAt(package_, form_.SceneIndex);
    // After a refused password MemPicture holds whichever picture was arriving; scene 0 is
    // shown with its own picture.
    if (!first_run) {
      form_.MemPicture.Cls();
      LoadScenePicture(module1_, scene, form_.MemPicture, host_);
    }
    form_.Picture1.Cls();
    platform::PaintPicture(form_.Picture1, form_.MemPicture, scene.PictureLeft, scene.PictureTop);
    host_.Refresh(form_.Picture1);
  }

  void SceneStep() {
    const Module1::SceneRecord& outgoing = SceneAt(package_, form_.SceneIndex);
    const std::uint32_t deadline =
        host_.GetTickCount() + static_cast<std::uint32_t>(outgoing.DisplayTime);
    BuildOutgoingFrame(outgoing);
    AdvanceSceneIndex();
    const Module1::SceneRecord& arriving = SceneAt(package_, form_.SceneIndex);
    form_.MemPicture.Cls();
    LoadScenePicture(module1_, arriving, form_.MemPicture, host_);
    BuildArrivingFrame(arriving);
    Hold(deadline);
    PlaySceneSound(module1_, arriving, host_);
    RunTransition(outgoing.EffectNumber);
    host_.Refresh(form_.Picture1);
    KeepMusicAlive(module1_, host_, mci_reply_);
    host_.DoEvents();
  }

  void BuildOutgoingFrame(const Module1::SceneRecord& scene) {
    form_.NowPicture.Cls();
    if (scene.OverlayFlag != 0) {
      platform::PaintPicture(form_.NowPicture, form_.Picture1, 0, 0);
    } else {
      platform::PaintPicture(form_.NowPicture, form_.MemPicture, scene.PictureLeft,
                             scene.PictureTop);
    }
  }

  // The wrap is decided by SceneCount, not by the size of Scenes.
  void AdvanceSceneIndex() {
    if (form_.SceneIndex == Module1::CheckedSub(package_.SceneCount, 1)) {
      form_.SceneIndex = 0;
    } else {
      form_.SceneIndex = Module1::CheckedAdd(form_.SceneIndex, 1);
    }
  }

  void BuildArrivingFrame(const Module1::SceneRecord& scene) {
    platform::Surface& next = form_.NextPicture;
    next.Cls();
    if (scene.OverlayFlag == 0) {
      platform::PaintPicture(next, form_.MemPicture, scene.PictureLeft, scene.PictureTop);
      return;
    }
    platform::PaintPicture(next, form_.NowPicture, 0, 0);
    if (scene.TransparentFlag == 0) {
      platform::PaintPicture(next, form_.MemPicture, scene.PictureLeft, scene.PictureTop);
      return;
    }
    TransparentBltFunc::TransparentPaint(
        next, scene.PictureLeft, scene.PictureTop, Module1::px(form_.MemPicture.ScaleWidth()),
        Module1::px(form_.MemPicture.ScaleHeight()), form_.MemPicture, 0, 0, next.BackColor());
  }

  // Ends at the first clock reading past the deadline, or as soon as input has raised
  // QuitFlag; between readings the host sleeps until an event or the deadline.
  void Hold(std::uint32_t deadline) {
    for (;;) {
      host_.DoEvents();
      if (module1_.QuitFlag == kTrue) return;
      if (TickPassed(host_.GetTickCount(), deadline)) return;
      host_.WaitForEventsUntil(deadline + 1);
    }
  }

  void RunTransition(std::int32_t effect_number) {
    if (effect_number == 0) {
      platform::PaintPicture(form_.Picture1, form_.NextPicture, 0, 0);
    } else if (effect_number >= EffectModule::kFirstEffect &&
               effect_number <= EffectModule::kLastEffect) {
      EffectModule::RunTransition(effect_number, effects_, host_, module1_.QuitFlag, form_.Picture1,
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
  Module1::State& module1_;
  const Module1::Package& package_;
  EffectModule::State& effects_;
  platform::ShowHost& host_;
  std::string mci_reply_;
};

void ReportFailure(platform::ShowHost& host, const std::string& description,
                   const std::string& source) {
  host.MessageBox(std::string(kFailureMessage) + "\r\n" + description + "\r\n" + source,
                  kFailureCaption, platform::MessageIcon::kWarning);
}

}  // namespace

void RunPresentation(State& form, Module1::State& module1, EffectModule::State& effects,
                     platform::ShowHost& host) {
  Input input(module1.QuitFlag, form.StartCursorPos, host);
  InputBinding binding(host, input);
  ScenePlayer player(form, module1, effects, host);
  std::string description;
  std::string source = kSource;
  try {
    player.Run();
    return;
  } catch (const Module1::RuntimeFailure& failure) {
    description = failure.Description();
    source = failure.Source();
  } catch (const std::bad_alloc&) {
    description = kOutOfMemory;
  } catch (const std::exception& failure) {
    description = failure.what();
  }
  // The cursor comes back first so that the message box can be answered.
  RestoreCursor(host);
  ReportFailure(host, description, source);
  player.AwaitPasswordAfterFailure();
  player.Finish();
}

void Form_Load(Module1::State& module1, EffectModule::State& effects, platform::ShowHost& host) {
  State form;
  RunPresentation(form, module1, effects, host);
}

void Form_Unload(const Module1::State& module1, platform::ExtractFolder& folder) {
  const Module1::Package& package = module1.PackageRecord;
  const auto delete_if_named = [&folder](const std::string& name) {
    if (!name.empty()) folder.DeleteFile(name);
  };
  // Scenes 0 to SceneCount - 1, skipping indexes that Scenes does not hold.
  const std::int64_t lower = package.ScenesLowerBound;
  const std::int64_t first = std::max<std::int64_t>(0, lower);
  const std::int64_t end = std::min<std::int64_t>(
      package.SceneCount, lower + static_cast<std::int64_t>(package.Scenes.size()));
  for (std::int64_t i = first; i < end; ++i) {
    const Module1::SceneRecord& scene = package.Scenes[static_cast<std::size_t>(i - lower)];
    delete_if_named(scene.PictureFileName);
    delete_if_named(scene.SoundFileName);
  }
  delete_if_named(package.MusicFileName);
  folder.RemoveFolder();
}

}  // namespace Form1
