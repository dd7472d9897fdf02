#pragma once
// The program's objects over scripted ports in a fresh program folder, as the start order builds
// them (what the app tests share).

#include <memory>
#include <string>

#include "app/application.h"
#include "support/scripted_ports.h"
#include "support/temp_folder.h"

namespace quorvel::testing {

struct ProgramFixture {
  TempFolder pasta;
  ScriptedDialogs dialogs;
  RecordingProgress progress;
  NoEventPump pump;
  FakePlatform platform;
  std::unique_ptr<Application> app;

  // `configTxt`: the settings file the data module finds when it is created.
  explicit ProgramFixture(const std::string& configTxt = {}) {
    platform.folder = pasta.str();
    if (!configTxt.empty()) pasta.write("config.txt", configTxt);
    app = std::make_unique<Application>(AppPorts{dialogs, progress, pump, platform});
  }
};

}  // namespace quorvel::testing
