#include "presentation/Form1.h"

namespace Form1 {

void Form_Load(Module1::State& /*module1*/, EffectModule::State& /*effects*/,
               platform::ShowHost& /*host*/) {}

void Form_Unload(const Module1::State& /*module1*/, platform::ExtractFolder& /*folder*/) {}

}  // namespace Form1
