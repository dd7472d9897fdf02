// The settings files beside the program: loading, saving at every change, failures.
#include "store/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

constexpr const char* kBom = "\xEF\xBB\xBF";

TEST(Settings, FirstStartWithoutFilesReadsEveryKeyAsEmptyAndCreatesNothing) {
  TempFolder home;
  Settings c(home.str());
  ASSERT_TRUE(c.loadConfig().ok());
  EXPECT_EQ(c.valor(kCheckDefinition), "");
  EXPECT_EQ(c.valor(maxUidKey("contato@empresa.com.br")), "");
  EXPECT_TRUE(c.gConfigSubject.empty());
  EXPECT_TRUE(c.gConfigBody.empty());
  EXPECT_TRUE(fs::is_empty(home.path()));
}

TEST(Settings, ChangingASettingRewritesTheFilesAtOnce) {
  struct Caso {
    const char* what;
    const char* inicial;  // config.txt before, nullptr when absent
    std::string nome;
    const char* valor;
    std::string esperado;  // config.txt after, byte for byte
  };
  const std::vector<Caso> casos = {
      {"first start, check box ticked", nullptr, kCheckDefinition, "true",
       std::string(kBom) + "check_definition=true\r\n"},
      {"first matching line replaced in place, whatever its case; the rest kept",
       "check_max=500\r\nCHECK_DEFINITION=true\r\ncheck_definition=x\r\nmax_uid_a@b.com=17\r\n",
       kCheckDefinition, "false",
       std::string(kBom) + "check_max=500\r\ncheck_definition=false\r\ncheck_definition=x\r\n"
                           "max_uid_a@b.com=17\r\n"},
      {"an empty unsubscribe address removes its line",
       "check_unsubscribe=descadastro@empresa.com.br\r\ncheck_max=500\r\n", kCheckUnsubscribe, "",
       std::string(kBom) + "check_max=500\r\n"},
      {"a Windows-1252 file with LF comes back as UTF-8 with CR LF",
       "check_unsubscribe=jo\xE3o@empresa.com.br\n", maxUidKey("Conta@Provedor.com.br"), "4711",
       std::string(kBom) + "check_unsubscribe=jo\xC3\xA3o@empresa.com.br\r\n"
                           "max_uid_Conta@Provedor.com.br=4711\r\n"},
  };
  for (const auto& caso : casos) {
    TempFolder home;
    if (caso.inicial) home.write(kConfigFile, caso.inicial);
    Settings c(home.str());
    ASSERT_TRUE(c.loadConfig().ok()) << caso.what;

    SettingsResult r = c.setValor(caso.nome, caso.valor);
    EXPECT_TRUE(r.ok()) << caso.what << ": " << r.mensagem();
    EXPECT_EQ(home.bytes(kConfigFile), caso.esperado) << caso.what;
    // All three files are written together, the empty phrase lists too.
    EXPECT_EQ(home.bytes(kConfigSubjectFile), kBom) << caso.what;
    EXPECT_EQ(home.bytes(kConfigBodyFile), kBom) << caso.what;

    Settings depois(home.str());
    ASSERT_TRUE(depois.loadConfig().ok()) << caso.what;
    EXPECT_EQ(depois.valor(caso.nome), caso.valor) << caso.what;
  }
}

TEST(Settings, LoadingReplacesEachListAndDropsRepeatedPhrases) {
  TempFolder home;
  home.write(kConfigFile, "check_max=300\r\n");
  // Windows-1252, one phrase twice in different case: the first one read stays.
  home.write(kConfigSubjectFile,
             "Undeliverable\r\nMail delivery failed\r\nUNDELIVERABLE\r\nN\xE3o entregue\r\n");
  Settings c(home.str());
  c.gConfig.setValue("antiga", "1");
  c.gConfigSubject.add("frase antiga");
  c.gConfigBody.add("corpo antigo");  // config_body.txt is missing: this stays

  ASSERT_TRUE(c.loadConfig().ok());
  EXPECT_EQ(c.gConfig.lines(), std::vector<std::string>{"check_max=300"});
  EXPECT_EQ(c.gConfigSubject.items(),
            (std::vector<std::string>{"Mail delivery failed", "Não entregue", "Undeliverable"}));
  EXPECT_EQ(c.gConfigBody.items(), std::vector<std::string>{"corpo antigo"});

  ASSERT_TRUE(c.saveConfig().ok());
  EXPECT_EQ(home.bytes(kConfigSubjectFile),
            std::string(kBom) + "Mail delivery failed\r\nNão entregue\r\nUndeliverable\r\n");
  EXPECT_EQ(home.bytes(kConfigBodyFile), std::string(kBom) + "corpo antigo\r\n");
}

TEST(Settings, AFailedSaveIsReportedAndKeepsThePreviousFile) {
  struct Caso {
    const char* what;
    std::string obstaculo;  // a folder created here after loading
  };
  const std::vector<Caso> casos = {
      {"a folder where config.txt should be", kConfigFile},
      // The writer goes through a temporary file beside the target; blocking it makes the
      // write fail before config.txt is touched.
      {"the temporary file cannot be created",
       std::string(kConfigFile) + ".tmp-" + std::to_string(::getpid())},
  };
  for (const auto& caso : casos) {
    TempFolder home;
    const std::string antigo = std::string(kBom) + "check_definition=false\r\ncheck_max=500\r\n";
    home.write(kConfigFile, antigo);
    Settings c(home.str());
    ASSERT_TRUE(c.loadConfig().ok()) << caso.what;
    if (caso.obstaculo == kConfigFile) fs::remove(home / kConfigFile);
    fs::create_directory(home / caso.obstaculo);

    SettingsResult r = c.setValor(kCheckDefinition, "true");
    ASSERT_EQ(r.erros.size(), 1u) << caso.what;
    EXPECT_NE(r.erros[0].find((home / kConfigFile).string()), std::string::npos) << caso.what;
    EXPECT_NE(r.erros[0].find("O arquivo anterior foi mantido."), std::string::npos) << caso.what;
    if (caso.obstaculo == kConfigFile)
      EXPECT_TRUE(fs::is_directory(home / kConfigFile)) << caso.what;
    else
      EXPECT_EQ(home.bytes(kConfigFile), antigo) << caso.what;
    // The other files were still written, and the change is kept for the next save.
    EXPECT_EQ(home.bytes(kConfigSubjectFile), kBom) << caso.what;
    EXPECT_EQ(c.valor(kCheckDefinition), "true") << caso.what;

    fs::remove(home / caso.obstaculo);
    EXPECT_TRUE(c.saveConfig().ok()) << caso.what;
    EXPECT_EQ(home.bytes(kConfigFile),
              std::string(kBom) + "check_definition=true\r\ncheck_max=500\r\n")
        << caso.what;
    std::vector<std::string> nomes;
    for (const auto& e : fs::directory_iterator(home.path()))
      nomes.push_back(e.path().filename().string());
    std::sort(nomes.begin(), nomes.end());
    EXPECT_EQ(nomes, (std::vector<std::string>{kConfigFile, kConfigBodyFile, kConfigSubjectFile}))
        << caso.what << ": nothing but the three files is left behind";
  }
}

TEST(Settings, AFileThatCouldNotBeReadIsNeverOverwritten) {
  TempFolder home;
  // Opening succeeds but reading fails; a save must not replace what it may still hold.
  fs::create_directory(home / "pasta");
  fs::create_directory_symlink(home / "pasta", home / kConfigFile);
  home.write(kConfigBodyFile, "Returned mail\r\n");
  Settings c(home.str());

  SettingsResult lido = c.loadConfig();
  ASSERT_EQ(lido.erros.size(), 1u);
  EXPECT_NE(lido.mensagem().find((home / kConfigFile).string()), std::string::npos);
  EXPECT_EQ(c.gConfigBody.items(), std::vector<std::string>{"Returned mail"});

  SettingsResult gravado = c.setValor(kCheckDefinition, "true");
  ASSERT_EQ(gravado.erros.size(), 1u);
  EXPECT_NE(gravado.erros[0].find("não foi gravado"), std::string::npos) << gravado.mensagem();
  EXPECT_TRUE(fs::is_symlink(home / kConfigFile));
  EXPECT_EQ(home.bytes(kConfigBodyFile), std::string(kBom) + "Returned mail\r\n");

  // Once the file reads again, saving works again.
  fs::remove(home / kConfigFile);
  home.write(kConfigFile, "check_max=200\r\n");
  ASSERT_TRUE(c.loadConfig().ok());
  EXPECT_TRUE(c.setValor(kCheckDefinition, "true").ok());
  EXPECT_EQ(home.bytes(kConfigFile),
            std::string(kBom) + "check_max=200\r\ncheck_definition=true\r\n");
}

TEST(Settings, NamesAndValuesThatWouldBreakTheFileAreRefused) {
  struct Caso {
    std::string nome;
    std::string valor;
  };
  const std::vector<Caso> casos = {
      {"", "1"},
      {"check=max", "1"},
      {"check_max\r\ncheck_delete", "-1"},
      {kCheckUnsubscribe, "a@b.com.br\r\ncheck_delete=-1"},
      {kCheckMax, "500\n"},
      {kCheckMax, "500\r"},
  };
  for (const auto& caso : casos) {
    TempFolder home;
    const std::string antes = std::string(kBom) + "check_max=500\r\n";
    home.write(kConfigFile, antes);
    Settings c(home.str());
    ASSERT_TRUE(c.loadConfig().ok());

    SettingsResult r = c.setValor(caso.nome, caso.valor);
    EXPECT_FALSE(r.ok()) << caso.nome << " = " << caso.valor;
    EXPECT_EQ(c.gConfig.lines(), std::vector<std::string>{"check_max=500"}) << caso.nome;
    EXPECT_EQ(home.bytes(kConfigFile), antes) << caso.nome;
  }
}

}  // namespace
}  // namespace quorvel
