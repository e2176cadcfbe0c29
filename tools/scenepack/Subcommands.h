// The subcommands of scenepack; each registers its own options on the shared CLI11 app.
#pragma once

#include <functional>
#include <vector>

namespace CLI {
class App;
}

namespace scenesaver::scenepack {

// Adds a subcommand to `app`; the callback it installs sets the process exit code in `exit_code`.
using Registrar = void (*)(CLI::App& app, int& exit_code);

void RegisterBuild(CLI::App& app, int& exit_code);
void RegisterInspect(CLI::App& app, int& exit_code);
void RegisterExtract(CLI::App& app, int& exit_code);
void RegisterRender(CLI::App& app, int& exit_code);
void RegisterPlay(CLI::App& app, int& exit_code);
void RegisterInit(CLI::App& app, int& exit_code);
void RegisterExport(CLI::App& app, int& exit_code);

}  // namespace scenesaver::scenepack
