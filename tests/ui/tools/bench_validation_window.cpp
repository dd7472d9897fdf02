// Benchmarks of the validation window and of the bulk page, against the command line in the same
// run (bench.sh times quorvel-cli on the same workspace and files):
//   quorvel-bench-validation-window prep HOME LIST BULK [--rows N]
//       a workspace with generated filter lists, LIST with N addresses (one per line), and every
//       domain of LIST and of BULK (a file made by quorvel-bench-bulk gen) in the MX cache, with a
//       negative base holding every 20th address of LIST
//   quorvel-bench-validation-window window HOME LIST [--repaint-always]
//       "Iniciar validação" over LIST, offscreen (with the counters repainted at every notice)
//   quorvel-bench-validation-window page HOME BULK     "Iniciar a validação dos e-mails" on BULK
//   quorvel-bench-validation-window page-core HOME BULK
//       the same bulk run through the program's objects without any window, in this process
// Both runs ask the DNS nothing (every domain is cached). Prints "name value unit" lines.

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "app/main_window.h"
#include "bench_util.h"
#include "common/line_reader.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/text_file.h"
#include "data_generator.h"
#include "extraction/tdtm_extrator.h"
#include "store/database.h"
#include "support/scripted_ports.h"
#include "ui/bulk_page.h"
#include "ui/desktop.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_msg.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_quorvel.h"

using namespace quorvel;
using namespace quorvel::ui;
namespace fs = std::filesystem;

namespace {

void escreverLinhas(const fs::path& arquivo, const std::vector<std::string>& linhas) {
  std::ofstream f(arquivo, std::ios::binary);
  for (const auto& l : linhas) f << l << "\r\n";
}

int preparar(const std::string& home, const std::string& lista, const std::string& grandes,
             size_t linhas) {
  const fs::path config = fs::path(home) / "dados" / "config";
  fs::create_directories(config);
  escreverLinhas(config / kRulesFile, bench::gerarRegras(100, 11));
  escreverLinhas(config / kTrapsFile, bench::gerarArmadilhas(20000, 12));
  escreverLinhas(config / kRareNamesFile, bench::gerarNomesRaros(5000, 13));
  escreverLinhas(config / kCountriesFile, bench::gerarPaises(250));
  escreverLinhas(config / kIgnoredSitesFile, {});

  // The list's addresses over a pool of 20,000 domains.
  std::vector<std::string> enderecos = bench::gerarEnderecos(linhas, 42);
  std::mt19937_64 rng(5);
  std::set<std::string> dominios;
  for (auto& e : enderecos) {
    const size_t at = e.find('@');
    if (at == std::string::npos || e.find('@', at + 1) != std::string::npos) continue;
    const uint64_t n = rng() % 20000;
    e = e.substr(0, at + 1) + "dominio" + std::to_string(n) + (n % 3 ? ".com.br" : ".com");
  }
  escreverLinhas(lista, enderecos);
  std::vector<std::string> negativos;
  for (size_t i = 0; i < enderecos.size(); ++i) {
    std::string m = toLower(enderecos[i]);
    const size_t at = m.find('@');
    if (at != std::string::npos) dominios.insert(m.substr(at + 1));
    if (i % 20 == 0) negativos.push_back(m);
  }
  LineReader reader;
  std::string erro, email;
  if (!reader.open(grandes, erro)) {
    std::fprintf(stderr, "%s: %s\n", grandes.c_str(), erro.c_str());
    return 1;
  }
  std::string_view l;
  while (reader.nextLine(l)) {
    if (!firstEmail(l, email)) continue;
    std::string m = toLower(email);
    dominios.insert(m.substr(m.find('@') + 1));
  }
  SharingFlags colaboracao;
  Database banco(home, colaboracao);
  banco.esperaAberturaMs = 0;
  banco.abrirBD();
  std::string cache;
  for (const auto& d : dominios) cache += d + "\n";
  // Learnt here (own rows), so that they count without sharing.
  banco.inserirMXMass(kTbMxValidos, cache, true);
  const auto hoje = std::chrono::year_month_day(
      std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
  for (const auto& n : negativos) banco.inserirEmailInvalido(n, "bench", "", hoje, 1, 0, true);
  std::printf("prep_domains_cached %zu domains\n", dominios.size());
  return 0;
}

// The desktop over HOME with its main window open and the filter lists loaded.
struct Programa {
  std::unique_ptr<Desktop> d;
  TfrmPrincipal* p = nullptr;
  explicit Programa(const std::string& home) {
    DesktopOptions o;
    o.esperaAberturaMs = 0;
    d = std::make_unique<Desktop>(home, o);
    d->app->dns.server = "127.0.0.1:9";  // nothing is asked: every domain is cached
    d->platform.abrir = [](const std::string&) {};
    d->start();
    d->launcher->abrirQuorvel();
    p = d->principal();
    p->resize(1280, 800);
    (void)QTest::qWaitForWindowExposed(p);
    d->app->carregarDefinicoes();
  }
};

// Closes each message box as soon as it shows, noting when the first one appeared. It watches
// the show events rather than polling the windows, which would cost the run time of its own.
struct Respondedor : QObject {
  QElapsedTimer* relogio;
  double primeiraEm = -1;
  explicit Respondedor(QElapsedTimer* r) : relogio(r) { qApp->installEventFilter(this); }
  ~Respondedor() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() != QEvent::Show) return false;
    auto* m = qobject_cast<TfrmMsg*>(o);
    if (!m) return false;
    if (primeiraEm < 0 && relogio) primeiraEm = static_cast<double>(relogio->nsecsElapsed()) / 1e9;
    QPointer<TfrmMsg> caixa(m);
    QTimer::singleShot(0, [caixa] {
      if (!caixa) return;
      for (QPushButton* b : caixa->findChildren<QPushButton*>())
        if (b->accessibleName() == QStringLiteral("Ok")) b->click();
    });
    return false;
  }
};

int janela(const std::string& home, const std::string& lista, int intervaloPinturaMs) {
  Programa prog(home);
  prog.d->frmQuorvel()->intervaloPinturaMs = intervaloPinturaMs;
  prog.p->model().soltarArquivos({lista});
  const int linhas = prog.d->app->editor.gridMain.dataRowCount();
  prog.p->model().validarEmails();
  TfrmQuorvel* v = prog.d->frmQuorvel();
  (void)QTest::qWaitForWindowExposed(v);
  QElapsedTimer relogio;
  Respondedor r(&relogio);
  relogio.start();
  // The run ends with "Processamento finalizado": the time up to that box is the run's.
  v->iniciar()->click();
  const double total = static_cast<double>(relogio.nsecsElapsed()) / 1e9;
  const double s = r.primeiraEm > 0 ? r.primeiraEm : total;
  const Counters& c = prog.d->app->validationWindow.chain.counters;
  std::printf("window_validation_rows %d rows\n", linhas);
  std::printf("window_validation_seconds %.3f s\n", s);
  std::printf("window_validation_rows_per_s %.0f rows/s\n", linhas / s);
  std::printf("window_validation_counter_repaints %d\n", v->pinturasContadores);
  std::printf("window_validation_valid %s\n", c.text(Counter::lbTotalFinal).c_str());
  std::printf("window_validation_negative_base %s\n", c.text(Counter::lbEmailsInvalidos).c_str());
  return 0;
}

int pagina(const std::string& home, const std::string& arquivo) {
  Programa prog(home);
  prog.p->model().grandes();
  prog.d->app->grandes.adicionarArquivos({arquivo});
  Respondedor r(nullptr);
  QElapsedTimer relogio;
  relogio.start();
  prog.p->grandes()->iniciar()->click();
  const double s = static_cast<double>(relogio.nsecsElapsed()) / 1e9;
  const BulkValidation& g = prog.d->app->grandes;
  std::printf("page_bulk_lines %lld lines\n", static_cast<long long>(g.totalLinhas));
  std::printf("page_bulk_seconds %.3f s\n", s);
  std::printf("page_bulk_lines_per_s %.0f lines/s\n", static_cast<double>(g.totalLinhas) / s);
  std::printf("page_bulk_counter_repaints %d\n", prog.d->frmQuorvel()->pinturasContadores);
  fs::remove(g.arquivoValidos);
  fs::remove(g.arquivoInvalidos);
  return 0;
}

// The same bulk run through the program's objects without windows, in this process.
int paginaSemJanelas(const std::string& home, const std::string& arquivo) {
  ScriptedDialogs dialogs;
  RecordingProgress progress;
  NoEventPump pump;
  FakePlatform platform;
  platform.folder = home;
  platform.online = true;
  Application a(AppPorts{dialogs, progress, pump, platform});
  a.dns.server = "127.0.0.1:9";
  a.abrirBD();
  a.carregarDefinicoes();
  a.grandes.adicionarArquivos({arquivo});
  QElapsedTimer relogio;
  relogio.start();
  a.grandes.iniciar();
  const double s = static_cast<double>(relogio.nsecsElapsed()) / 1e9;
  std::printf("core_bulk_seconds %.3f s\n", s);
  fs::remove(a.grandes.arquivoValidos);
  fs::remove(a.grandes.arquivoInvalidos);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QuorvelApplication app(argc, argv);
  const std::vector<std::string> a(argv + 1, argv + argc);
  if (a.size() >= 4 && a[0] == "prep") {
    size_t linhas = 100000;
    for (size_t i = 4; i + 1 < a.size(); ++i)
      if (a[i] == "--rows") linhas = std::stoul(a[i + 1]);
    return preparar(a[1], a[2], a[3], linhas);
  }
  if (a.size() == 3 && a[0] == "window") return janela(a[1], a[2], 50);
  // The counters repainted at every notice (every 50 rows), for comparison.
  if (a.size() == 4 && a[0] == "window" && a[3] == "--repaint-always") return janela(a[1], a[2], 0);
  if (a.size() == 3 && a[0] == "page") return pagina(a[1], a[2]);
  if (a.size() == 3 && a[0] == "page-core") return paginaSemJanelas(a[1], a[2]);
  std::fprintf(stderr,
               "uso: quorvel-bench-validation-window prep HOME LISTA GRANDES [--rows N] | window "
               "HOME LISTA | page HOME GRANDES\n");
  return 2;
}
