#include "cli/bulk_commands.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bulk/bulk_validation.h"
#include "cli/cli_failure.h"
#include "cli/stage_switches.h"
#include "cli/standard_output.h"
#include "cli/terminal_app.h"
#include "cli/terminal_ports.h"
#include "common/format.h"
#include "common/paths.h"

namespace quorvel::cli {
namespace {

struct BulkOptions {
  std::string home, pastaSaida;
  bool verbose = false;
  std::vector<std::string> disable;
  std::vector<std::string> arquivos;
};

std::string duracao(double segundos) {
  const auto s = static_cast<long>(segundos + 0.5);
  char b[32];
  if (s >= 3600)
    std::snprintf(b, sizeof b, "%ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
  else
    std::snprintf(b, sizeof b, "%ld:%02ld", s / 60, s % 60);
  return b;
}

// The progress box of a bulk run on a terminal: one line with the file, the share of all bytes
// read, the lines and lines per second and the time left, drawn whenever the run lets events
// through (every 100 lines).
class BulkProgress : public Progress, public EventPump {
 public:
  const BulkValidation* lote = nullptr;  // the run whose lines are counted

  void setProgress(const std::string&, int64_t, const std::string& legenda1, const std::string&,
                   const std::string&, int) override {
    if (!barra_) barra_ = std::make_unique<TerminalProgressBar>("");
    arquivo_ = legenda1;
  }
  void stepProgress(const std::string&, const std::string&, const std::string&, int) override {}
  void setConcluido(const std::string&) override {}
  void setLegend(int, const std::string&) override {}
  void setPosition(int64_t) override {}
  void hide() override { barra_.reset(); }
  bool cancelou() const override { return cancelRequestedByUser(); }
  void clearCancel() override {}
  void processEvents() override {
    if (!barra_ || !lote) return;
    const double passados = barra_->elapsedSeconds();
    std::string linha = arquivo_;
    if (lote->bytesTotais > 0) {
      const double fracao =
          std::min(1.0, static_cast<double>(lote->bytesLidos) / lote->bytesTotais);
      char pct[16];
      std::snprintf(pct, sizeof pct, "  %3.0f%%", fracao * 100);
      linha += pct;
      if (fracao > 0.001) linha += "  faltam " + duracao(passados * (1 - fracao) / fracao);
    }
    linha += "  " + formatNumber(lote->totalLinhas) + " linhas  " +
             formatNumber(static_cast<int64_t>(passados > 0 ? lote->totalLinhas / passados : 0)) +
             " linhas/s";
    barra_->show(linha);
  }

 private:
  std::unique_ptr<TerminalProgressBar> barra_;
  std::string arquivo_;
};

int validarGrandes(const BulkOptions& o) {
  installCancelHandler();
  BulkProgress progresso;
  TerminalApp t(o.home, o.verbose, &progresso, &progresso);
  t.prepararCadeia(o.disable);
  BulkValidation& grandes = t.app.grandes;
  progresso.lote = &grandes;
  if (!o.pastaSaida.empty()) {
    if (!paths::isFolder(o.pastaSaida))
      throw CliFailure("a pasta de saída não existe: " + o.pastaSaida);
    grandes.pastaSaida = o.pastaSaida;
  }
  std::vector<std::string> caminhos;
  for (const auto& a : o.arquivos) {
    if (a == "-") {
      caminhos.push_back("/dev/stdin");
      continue;
    }
    std::error_code ec;
    auto absoluto = std::filesystem::absolute(a, ec);
    caminhos.push_back(ec ? a : absoluto.string());
  }
  grandes.adicionarArquivos(caminhos);
  grandes.iniciar();
  progresso.hide();
  if (grandes.arquivoValidos.empty())
    throw CliFailure("nada foi validado; nenhum arquivo foi gravado", kSaidaFalha);
  out(grandes.arquivoValidos + "\n" + grandes.arquivoInvalidos + "\n");
  out(counterPanel(t.chain()));
  if (grandes.cancelado)
    throw CliFailure("cancelado; o que foi processado está nos arquivos acima", kSaidaCancelado);
  if (!grandes.falha.empty()) return kSaidaFalha;
  return t.dialogs.erros > 0 ? kSaidaFalha : kSaidaOk;
}

}  // namespace

void addBulkCommands(CLI::App& app, int& exitCode) {
  auto bo = std::make_shared<BulkOptions>();
  auto* bulk = app.add_subcommand(
      "bulk", "Valida arquivos grandes linha a linha e grava big_validos/big_invalidos em dados");
  bulk->add_option("--home", bo->home, "Pasta do programa (com dados/config)");
  bulk->add_option("--output-dir", bo->pastaSaida, "Pasta dos dois arquivos (padrão: dados)");
  bulk->add_option("--disable", bo->disable, kAjudaDisable)
      ->delimiter(',')
      ->allow_extra_args(false);
  bulk->add_flag("-v,--verbose", bo->verbose, "Mostra também as mensagens de informação");
  bulk->add_option("FILE", bo->arquivos, "Arquivos a validar, na ordem (- para a entrada padrão)")
      ->required();
  bulk->callback([bo, &exitCode] { exitCode = validarGrandes(*bo); });
}

}  // namespace quorvel::cli
