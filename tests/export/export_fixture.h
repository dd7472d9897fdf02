#pragma once
// The export window over scripted ports in a program folder of its own, and the readers the
// tests hand the written files to (the list loader, Python's HTML parser, openpyxl).

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "export/export_window.h"
#include "support/grid_builder.h"
#include "support/scripted_ports.h"
#include "support/temp_folder.h"

namespace quorvel::testing {

// The message kit of the tests, also keeping the file each save window was offered.
struct ExportDialogs : ScriptedDialogs {
  std::vector<std::string> sugestoes;
  std::string getFileSave(const std::string& pasta, const std::string& arquivo,
                          const std::string& extensao) override {
    sugestoes.push_back(arquivo);
    return ScriptedDialogs::getFileSave(pasta, arquivo, extensao);
  }
};

struct ExportFixture : ::testing::Test {
  ExportFixture() {
    plat.folder = home.str();
    plat.clock = std::chrono::system_clock::time_point(std::chrono::hours(24 * 365 * 56));
  }
  std::string arquivo(const std::string& nome) const { return (home / nome).string(); }

  TempFolder home;
  ExportDialogs d;
  RecordingProgress p;
  FakePlatform plat;
  ExportWindow w{d, p, plat};
};

// Runs one of this folder's Python readers over `arquivo` with Debian's Python (the one its
// python3-openpyxl is installed for); its standard output.
inline std::string lerCom(const std::string& script, const std::string& arquivo) {
  const std::string cmd = "/usr/bin/python3 '" + std::string(QUORVEL_EXPORT_SCRIPTS) + "/" +
                          script + "' '" + arquivo + "' 2>&1";
  FILE* f = ::popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  ::pclose(f);
  return out;
}

}  // namespace quorvel::testing
