#include "common/paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace paths = quorvel::paths;

namespace {

// Sets or clears QUORVEL_HOME for one test and puts the previous value back.
class QuorvelHome {
 public:
  QuorvelHome() {
    if (const char* v = std::getenv("QUORVEL_HOME")) saved_ = v;
  }
  ~QuorvelHome() {
    if (saved_)
      ::setenv("QUORVEL_HOME", saved_->c_str(), 1);
    else
      ::unsetenv("QUORVEL_HOME");
  }

 private:
  std::optional<std::string> saved_;
};

TEST(Paths, QuorvelHomeOverridesTheExecutableFolder) {
  QuorvelHome guard;
  const std::string exeFolder =
      std::filesystem::read_symlink("/proc/self/exe").parent_path().string();

  ::setenv("QUORVEL_HOME", "/opt/quorvel portatil", 1);
  EXPECT_EQ(paths::programFolder(), "/opt/quorvel portatil");

  ::setenv("QUORVEL_HOME", "", 1);  // empty counts as unset
  EXPECT_EQ(paths::programFolder(), exeFolder);

  ::unsetenv("QUORVEL_HOME");
  EXPECT_EQ(paths::programFolder(), exeFolder);

  // Not the current directory: changing it does not move the program folder.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path("/");
  EXPECT_EQ(paths::programFolder(), exeFolder);
  std::filesystem::current_path(cwd);
}

TEST(Paths, WorkspaceFoldersLieBelowTheProgramFolder) {
  EXPECT_EQ(paths::dados("/home/ana/quorvel"), "/home/ana/quorvel/dados");
  EXPECT_EQ(paths::dadosConfig("/home/ana/quorvel"), "/home/ana/quorvel/dados/config");
  EXPECT_EQ(paths::dadosListas("/home/ana/quorvel"), "/home/ana/quorvel/dados/listas");
  EXPECT_EQ(paths::dadosArquivos("/home/ana/quorvel"), "/home/ana/quorvel/dados/arquivos");
  EXPECT_EQ(paths::dadosConfig("/home/ana/quorvel/"), "/home/ana/quorvel/dados/config");
  EXPECT_EQ(paths::join(paths::dadosConfig("/q"), "quorvel.bd"), "/q/dados/config/quorvel.bd");
}

}  // namespace
