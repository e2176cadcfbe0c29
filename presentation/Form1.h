// The full-screen presentation window: set-up, the scene player, input, the exit sequence and
// the clean-up of the extracted files.
#pragma once

#include "effects/EffectModule.h"
#include "platform/Host.h"
#include "platform/posix/ExtractFolder.h"
#include "startup/Module1.h"

namespace Form1 {

// The whole presentation; returns when the user has ended the show or after a failure message.
void Form_Load(Module1::State& module1, EffectModule::State& effects, platform::ShowHost& host);

// Deletes the extracted files and removes the temporary folder.
void Form_Unload(const Module1::State& module1, platform::ExtractFolder& folder);

}  // namespace Form1
