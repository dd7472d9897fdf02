#include "validation/filter_editors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/text_file.h"
#include "support/scripted_ports.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

class FilterEditors : public ::testing::Test {
 protected:
  fs::path home;
  ScriptedDialogs dialogs;
  NoEventPump pump;
  ValidationChain chain{dialogs};

  void SetUp() override {
    home = fs::temp_directory_path() /
           ("quorvel-editors-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(home);
    fs::create_directories(home);
  }
  void TearDown() override { fs::remove_all(home); }
  fs::path config(const char* arquivo) const { return home / "dados" / "config" / arquivo; }
};

TEST_F(FilterEditors, OkTrimsWritesAndReloadsTheList) {
  // The country editor creates the workspace folders itself.
  dialogs.memos = {std::string("\r\n  .FR\r\n.jp\r\n\r\n.de  \r\n\r\n")};
  ASSERT_TRUE(editarFiltroPaises(chain, dialogs, pump, home.string()));
  EXPECT_TRUE(fs::is_directory(home / "dados" / "listas"));
  auto bytes = readFileBytes(config("sys_paises.filter").string());
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, "\xEF\xBB\xBF.FR\r\n.jp\r\n\r\n.de\r\n");
  EXPECT_TRUE(chain.gFiltroPaises->contem(".fr"));
  EXPECT_TRUE(chain.gFiltroPaises->contem(".de"));
  EXPECT_EQ(pump.calls, 1);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].texto, "Domínios de outros países");
}

TEST_F(FilterEditors, TheEditorShowsTheFileAndEscSavesNothing) {
  fs::create_directories(home / "dados" / "config");
  std::ofstream(config("sys_nomesraros.filter"), std::ios::binary) << "reyansh\r\naarav\r\n";
  chain.gNomesRaros = filterListOf({"antigo"});
  dialogs.memos = {std::nullopt};
  EXPECT_FALSE(editarNomesRaros(chain, dialogs, pump, home.string()));
  EXPECT_EQ(chain.gNomesRaros->linhas()[0], "antigo");
  auto bytes = readFileBytes(config("sys_nomesraros.filter").string());
  EXPECT_EQ(*bytes, "reyansh\r\naarav\r\n");
}

TEST_F(FilterEditors, CustomRulesShowTheirTipFirst) {
  fs::create_directories(home / "dados" / "config");
  dialogs.memos = {std::string("teste*\n*.gov.br")};
  ASSERT_TRUE(editarRegrasPersonalizadas(chain, dialogs, pump, home.string()));
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[0].kind, "tip");
  EXPECT_EQ(dialogs.messages[0].id, "210323");
  EXPECT_EQ(dialogs.messages[0].altura, 450);
  std::string gErro;
  EXPECT_TRUE(casaLista("x@pref.gov.br", *chain.gRegras, gErro));
}

TEST_F(FilterEditors, AFailedWriteIsReportedAndKeepsTheList) {
  // A folder where the file should be: the rename over it fails.
  fs::create_directories(config("local_regras.filter") / "x");
  chain.gRegras = filterListOf({"velha"});
  dialogs.memos = {std::string("nova")};
  EXPECT_FALSE(editarRegrasPersonalizadas(chain, dialogs, pump, home.string()));
  ASSERT_EQ(dialogs.texts("error").size(), 1u);
  EXPECT_THAT(dialogs.texts("error")[0],
              ::testing::StartsWith("Não foi possível salvar o arquivo " +
                                    config("local_regras.filter").string() + ": "));
  EXPECT_EQ(chain.gRegras->linhas()[0], "velha");
  // No temporary file is left behind.
  int files = 0;
  for (const auto& e : fs::directory_iterator(home / "dados" / "config"))
    files += !e.is_directory();
  EXPECT_EQ(files, 0);
}

}  // namespace
}  // namespace quorvel
