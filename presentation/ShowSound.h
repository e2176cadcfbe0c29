// The background music under the alias "bgm" and the one scene-sound channel, as the show
// drives them: the command strings, their moments and the reply test.
#pragma once

#include <string>

#include "platform/ShowHost.h"
#include "package/ShowState.h"

namespace scenesaver::presentation {

// Opens and plays the music when the package has one and the setting allows it.
void StartMusic(const package::ShowState& module1, platform::ShowHost& host, std::string& reply);
// Restarts the music from the beginning when its device reports that it has stopped.
void KeepMusicAlive(const package::ShowState& module1, platform::ShowHost& host, std::string& reply);
// Starts the arriving scene's sound, asynchronously, when it has one and the setting allows it.
void PlaySceneSound(const package::ShowState& module1, const package::SceneRecord& scene,
                    platform::ShowHost& host);
// Closes the music device (whenever the package names music) and purges the scene sound.
void StopMusicAndSounds(const package::ShowState& module1, platform::ShowHost& host,
                        std::string& reply);

}  // namespace scenesaver::presentation
