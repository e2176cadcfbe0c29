// A show run on the headless host: the module state a test fills, its scenes, and one run of
// the presentation on a fresh host. Extraction's record holds every stored name unless a test
// says otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "base/Numbers.h"
#include "package/ShowState.h"
#include "platform/headless/HeadlessHost.h"
#include "presentation/Form1.h"
#include "tests/unit/support/ExtractionRecord.h"

namespace scenesaver::testing_support {

class HeadlessShow {
 public:
  HeadlessShow() {
    module1.MusicEnabled = base::kTrue;
    module1.SoundEnabled = base::kTrue;
    module1.PackageRecord.ScenesPresent = true;
  }
  HeadlessShow(const HeadlessShow&) = delete;
  HeadlessShow& operator=(const HeadlessShow&) = delete;

  // Appends a scene; SceneCount follows the scenes unless a test sets it afterwards.
  void Add(package::SceneRecord scene) {
    module1.PackageRecord.Scenes.push_back(std::move(scene));
    module1.PackageRecord.SceneCount =
        static_cast<std::int32_t>(module1.PackageRecord.Scenes.size());
  }

  platform::HeadlessHost& Run() {
    if (record_every_name) RecordEveryName(module1);
    host = std::make_unique<platform::HeadlessHost>(options);
    presentation::RunPresentation(form, module1, effects, *host);
    return *host;
  }

  bool record_every_name = true;
  package::ShowState module1;
  effects::State effects;
  presentation::State form;
  platform::HeadlessOptions options;
  std::unique_ptr<platform::HeadlessHost> host;
};

}  // namespace scenesaver::testing_support
