#include "presentation/ShowSound.h"

namespace scenesaver::presentation {

namespace {

bool MusicWanted(const package::ShowState& module1) {
  return !module1.PackageRecord.MusicFileName.empty() && module1.MusicEnabled != 0;
}

}  // namespace

void StartMusic(const package::ShowState& module1, platform::ShowHost& host, std::string& reply) {
  if (!MusicWanted(module1)) return;
  // A name extraction did not write is not opened; nor is one that would end the quoted name
  // early and add words to the command. The commands after it then find no "bgm", as with a
  // file that cannot be opened.
  const std::string* path = package::ExtractedPath(module1, module1.PackageRecord.MusicFileName);
  if (path != nullptr && path->find('"') == std::string::npos) {
    host.MciSendString("open \"" + *path + "\" alias bgm", reply);
  }
  host.MciSendString("play bgm", reply);
}

void KeepMusicAlive(const package::ShowState& module1, platform::ShowHost& host,
                    std::string& reply) {
  if (!MusicWanted(module1)) return;
  host.MciSendString("status bgm mode", reply);
  if (reply.compare(0, 7, "stopped") == 0 && reply.size() >= 7) {
    host.MciSendString("seek bgm to start", reply);
    host.MciSendString("play bgm", reply);
  }
}

void PlaySceneSound(const package::ShowState& module1, const package::SceneRecord& scene,
                    platform::ShowHost& host) {
  if (scene.SoundFileName.empty() || module1.SoundEnabled == 0) return;
  // A sound extraction did not write plays nothing, as a missing file would.
  const std::string* path = package::ExtractedPath(module1, scene.SoundFileName);
  if (path == nullptr) return;
  host.PlaySound(*path, platform::kSndFilename | platform::kSndNoDefault | platform::kSndAsync);
}

void StopMusicAndSounds(const package::ShowState& module1, platform::ShowHost& host,
                        std::string& reply) {
  if (!module1.PackageRecord.MusicFileName.empty()) host.MciSendString("close bgm", reply);
  host.PlaySound("", platform::kSndPurge);
}

}  // namespace scenesaver::presentation
