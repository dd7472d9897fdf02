// The definitions shipped with the program, installed where a program folder lacks them.
#include "online/shipped_definitions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace quorvel {
namespace {

using ::testing::ElementsAre;

struct Embarcadas {
  testing::TempFolder origem, home;
  Embarcadas() {
    origem.write("sys_paises.filter", ".fr\n.jp\n");
    origem.write("sys_armadilhas.filter", "*@lixo.com\n");
    origem.write("definitions.txt", "paises=2026-12-01\r\narmadilhas=2026-12-02\r\n");
  }
  std::vector<std::string> instalar() {
    return instalarDefinicoesIniciais(home.str(), origem.str());
  }
};

TEST(InstalarDefinicoesIniciais, ANewProgramFolderGetsTheFilesAndTheirDates) {
  Embarcadas e;
  EXPECT_THAT(e.instalar(), ElementsAre("sys_armadilhas.filter", "sys_paises.filter"));
  EXPECT_EQ(e.home.bytes("dados/config/sys_paises.filter"), ".fr\n.jp\n");
  EXPECT_EQ(e.home.bytes("dados/config/sys_armadilhas.filter"), "*@lixo.com\n");
  EXPECT_EQ(e.home.bytes("definitions.txt"), "armadilhas=2026-12-02\r\npaises=2026-12-01\r\n");
  // A second start finds them there: nothing changes.
  e.origem.write("sys_paises.filter", ".de\n");
  EXPECT_TRUE(e.instalar().empty());
  EXPECT_EQ(e.home.bytes("dados/config/sys_paises.filter"), ".fr\n.jp\n");
}

TEST(InstalarDefinicoesIniciais, TheUsersOwnFilesAndDatesStayAsTheyAre) {
  Embarcadas e;
  std::filesystem::create_directories(e.home / "dados/config");
  e.home.write("dados/config/sys_paises.filter", ".zz\r\n");
  EXPECT_THAT(e.instalar(), ElementsAre("sys_armadilhas.filter"));
  EXPECT_EQ(e.home.bytes("dados/config/sys_paises.filter"), ".zz\r\n");
  EXPECT_EQ(e.home.bytes("definitions.txt"), "armadilhas=2026-12-02\r\n");

  Embarcadas f;
  f.home.write("definitions.txt", "armadilhas=2027-01-01\r\n");
  EXPECT_EQ(f.instalar().size(), 2u);
  EXPECT_EQ(f.home.bytes("definitions.txt"), "armadilhas=2027-01-01\r\n");
  EXPECT_TRUE(instalarDefinicoesIniciais(f.home.str(), "").empty());
}

}  // namespace
}  // namespace quorvel
