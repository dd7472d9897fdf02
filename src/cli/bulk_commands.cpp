#include "cli/bulk_commands.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bulk/bulk_validation.h"
#include "cli/stage_switches.h"
#include "cli/terminal_app.h"
#include "cli/terminal_ports.h"
#include "common/text_file.h"
#include "extraction/tdtm_extrator.h"

namespace quorvel::cli {
namespace {

constexpr int kSaidaCancelado = 130;

struct ExtractOptions {
  bool primeiro = false;
  std::string arquivo;
};

struct BulkOptions {
  std::string home;
  bool verbose = false;
  std::vector<std::string> disable;
  std::vector<std::string> arquivos;
};

int extrair(const ExtractOptions& o) {
  // A file is mapped, and used as it stands when it is UTF-8: no copy of a large text.
  std::string lidos;
  MappedFile mapa;
  std::string_view bytes;
  if (o.arquivo.empty()) {
    if (!readAll(STDIN_FILENO, lidos)) {
      std::fprintf(stderr, "quorvel-cli: não foi possível ler a entrada padrão\n");
      return 2;
    }
    bytes = lidos;
  } else if (mapa.open(o.arquivo)) {
    bytes = mapa.bytes();
  } else {
    std::fprintf(stderr, "quorvel-cli: não foi possível abrir o arquivo: %s\n", o.arquivo.c_str());
    return 2;
  }
  std::string decodificado;
  const std::string_view texto = utf8View(bytes, decodificado);
  installCancelHandler();
  TerminalDialogs dialogs;
  TerminalProgress progress;
  NullPump pump;
  TdtmExtrator extrator(&dialogs, &progress, &pump);
  std::string emails = extrator.getEmails(texto, !o.primeiro, true);
  std::fwrite(emails.data(), 1, emails.size(), stdout);
  return cancelRequestedByUser() ? kSaidaCancelado : 0;
}

// The progress box of a bulk run on a terminal: one bar per file with the lines read and the
// lines per second, drawn whenever the run lets events through (every 100 lines).
class BulkProgress : public Progress, public EventPump {
 public:
  const BulkValidation* lote = nullptr;  // the run whose lines are counted

  void setProgress(const std::string&, int64_t, const std::string& legenda1, const std::string&,
                   const std::string&, int) override {
    cli::clearCancel();
    barra_ = std::make_unique<TerminalProgressBar>(legenda1);
  }
  void stepProgress(const std::string&, const std::string&, const std::string&, int) override {}
  void setConcluido(const std::string&) override {}
  void setLegend(int, const std::string&) override {}
  void setPosition(int64_t) override {}
  void hide() override { barra_.reset(); }
  bool cancelou() const override { return cancelRequestedByUser(); }
  void clearCancel() override { cli::clearCancel(); }
  void processEvents() override {
    if (barra_ && lote) barra_->update(lote->linhasLidas, 0);
  }

 private:
  std::unique_ptr<TerminalProgressBar> barra_;
};

int validarGrandes(const BulkOptions& o) {
  BulkProgress progresso;
  std::optional<TerminalApp> t;
  try {
    t.emplace(o.home, o.verbose, &progresso, &progresso);
    t->carregarDefinicoes();
    if (!switchStagesOff(t->chain(), o.disable)) return 2;
    t->abrirBancoSeUsado();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvel-cli: %s\n", e.what());
    return 2;
  }
  installCancelHandler();
  BulkValidation& grandes = t->app.grandes;
  progresso.lote = &grandes;
  std::vector<std::string> caminhos;
  for (const auto& a : o.arquivos) {
    std::error_code ec;
    auto absoluto = std::filesystem::absolute(a, ec);
    caminhos.push_back(ec ? a : absoluto.string());
  }
  grandes.adicionarArquivos(caminhos);
  grandes.iniciar();
  progresso.hide();
  if (grandes.arquivoValidos.empty()) return 2;  // the run did not start
  std::string saida = grandes.arquivoValidos + "\n" + grandes.arquivoInvalidos + "\n";
  printCounters(t->chain(), saida);
  std::fwrite(saida.data(), 1, saida.size(), stdout);
  if (grandes.cancelado) {
    std::fprintf(stderr, "quorvel-cli: cancelado; o que foi processado está nos arquivos acima\n");
    return kSaidaCancelado;
  }
  return t->dialogs.erros > 0 ? 1 : 0;
}

}  // namespace

void addBulkCommands(CLI::App& app, int& exitCode) {
  auto eo = std::make_shared<ExtractOptions>();
  auto* ext = app.add_subcommand("extract", "Extrai os endereços de e-mail de um texto");
  ext->add_flag("--first", eo->primeiro, "Só o primeiro endereço encontrado");
  ext->add_option("FILE", eo->arquivo, "Arquivo de texto; sem ele, a entrada padrão");
  ext->callback([eo, &exitCode] { exitCode = extrair(*eo); });

  auto bo = std::make_shared<BulkOptions>();
  auto* bulk = app.add_subcommand(
      "bulk", "Valida arquivos grandes linha a linha e grava big_validos/big_invalidos em dados");
  bulk->add_option("--home", bo->home, "Pasta do programa (com dados/config)");
  bulk->add_option("--disable", bo->disable, kAjudaDisable)
      ->delimiter(',')
      ->allow_extra_args(false);
  bulk->add_flag("-v,--verbose", bo->verbose, "Mostra também as mensagens de informação");
  bulk->add_option("FILE", bo->arquivos, "Arquivos a validar, na ordem")->required();
  bulk->callback([bo, &exitCode] { exitCode = validarGrandes(*bo); });
}

}  // namespace quorvel::cli
