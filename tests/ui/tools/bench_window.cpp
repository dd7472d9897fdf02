// Benchmarks of the list editor window over a large list, against the core alone in the same
// run (bench.sh runs each mode in its own process):
//   quorvel-bench-ui gen LIST.csv [--rows N]   a generated contact list (deterministic)
//   quorvel-bench-ui core LIST.csv             the list loaded as the `list` commands load it
//   quorvel-bench-ui window LIST.csv           the same list opened through "Abrir lista" in the
//                                              window, then page-downs
//   quorvel-bench-ui ops LIST.csv              sort, delete repeated and a column replace on it,
//                                              with the progress box's repaints
// Prints "name value unit" lines.

#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/progress_box.h"
#include "bench_util.h"
#include "data_generator.h"
#include "lists/column_operations.h"
#include "lists/list_loading.h"
#include "support/scripted_ports.h"
#include "support/temp_folder.h"
#include "ui/desktop.h"
#include "ui/grid_view.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_file_select.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_progress.h"

using namespace quorvel;
using namespace quorvel::ui;
namespace fs = std::filesystem;

namespace {

// Resident memory now, in MB.
double memoriaAtualMb() {
  long paginas = 0, residentes = 0;
  std::ifstream("/proc/self/statm") >> paginas >> residentes;
  return static_cast<double>(residentes) * static_cast<double>(::sysconf(_SC_PAGESIZE)) /
         (1024.0 * 1024.0);
}

int gerar(const std::string& arquivo, size_t linhas) {
  std::ofstream(arquivo, std::ios::binary) << bench::gerarListaCsv(linhas, 77);
  return 0;
}

int core(const std::string& arquivo) {
  ScriptedDialogs dialogs;
  RecordingProgress progress;
  FakePlatform platform;
  ListEditor editor;
  editor.dialogs = &dialogs;
  editor.progress = &progress;
  editor.platform = &platform;
  editor.programFolder = fs::temp_directory_path().string();
  const double antes = memoriaAtualMb();
  dialogs.values.push_back(arquivo);
  auto t = bench::Clock::now();
  btnAbrirClick(editor);  // as `quorvel-cli list` opens its input
  const double s = bench::segundosDesde(t);
  std::printf("core_rows %d rows\n", editor.gridMain.dataRowCount());
  std::printf("core_load_seconds %.3f s\n", s);
  std::printf("core_model_memory %.1f MB\n", memoriaAtualMb() - antes);
  return 0;
}

// The desktop with its main window open, its grid focused.
struct Programa {
  quorvel::testing::TempFolder home;
  std::unique_ptr<Desktop> d;
  TfrmPrincipal* p = nullptr;
  TfrmLista* lista = nullptr;

  Programa() {
    DesktopOptions o;
    o.esperaAberturaMs = 0;
    d = std::make_unique<Desktop>(home.str(), o);
    d->start();
    d->launcher->abrirQuorvel();
    p = d->principal();
    p->resize(1280, 800);
    (void)QTest::qWaitForWindowExposed(p);
    lista = p->lista();
  }
  GridView* grade() { return lista->gradeAtual(); }

  // "Abrir lista" with the file ticked in the file window; the seconds it took.
  double abrir(const std::string& arquivo) {
    FileSelection& sel = d->dialogs.selecaoArquivos();
    sel.caminho = fs::path(arquivo).parent_path().string();
    const std::string nome = fs::path(arquivo).filename().string();
    TfrmFileSelect& janela = d->dialogs.janelaArquivos();
    QTimer marcar;
    marcar.setInterval(5);
    QObject::connect(&marcar, &QTimer::timeout, [&] {
      if (!janela.isVisible()) return;
      marcar.stop();
      for (size_t i = 0; i < sel.linhas.size(); ++i)
        if (sel.linhas[i].nome == nome) sel.marcar(static_cast<int>(i), true);
      QMetaObject::invokeMethod(&janela, "accept", Qt::QueuedConnection);
    });
    marcar.start();
    auto t = bench::Clock::now();
    lista->botaoBarra(QStringLiteral("Abrir lista"))->click();
    const double s = bench::segundosDesde(t);
    return s;
  }
};

int janela(const std::string& arquivo) {
  Programa prog;
  const double antes = memoriaAtualMb();
  // The file window's own time (listing a folder, the user's click) is not the load: it is
  // measured from its OK.
  const double total = prog.abrir(arquivo);
  const double depois = memoriaAtualMb();
  GridView* g = prog.grade();
  std::printf("window_rows %d rows\n", g->model()->rowCount());
  std::printf("window_load_seconds %.3f s\n", total);
  std::printf("window_model_memory %.1f MB\n", depois - antes);

  g->setFocus();
  g->setCurrentIndex(g->model()->index(0, 0));
  QApplication::processEvents();
  QElapsedTimer t;
  t.start();
  for (int i = 0; i < 1000; ++i) {
    QTest::keyClick(g, Qt::Key_PageDown);
    g->viewport()->repaint();
  }
  std::printf("page_down_1000_seconds %.3f s (row %d)\n", t.elapsed() / 1000.0,
              g->currentIndex().row() + 1);
  // 1,000 pages spread from the top to the bottom of the list, each painted.
  QScrollBar* barra = g->verticalScrollBar();
  t.restart();
  for (int i = 0; i < 1000; ++i) {
    barra->setValue(static_cast<int>(static_cast<long long>(barra->maximum()) * i / 999));
    g->viewport()->repaint();
  }
  std::printf("page_jump_top_to_bottom_1000_seconds %.3f s\n", t.elapsed() / 1000.0);
  return 0;
}

// Counts the progress box's repaints and the longest time without one while the box shows.
class PaintWatch : public QObject {
 public:
  PaintWatch(QWidget* janela, QWidget* gauge) {
    janela->installEventFilter(this);
    gauge->installEventFilter(this);
    janela_ = janela;
  }
  void inicio() {
    pinturas = 0;
    maiorIntervaloMs = 0;
    relogio.start();
    ultimo = 0;
    escondida_ = -1;
  }
  void fim() {
    const qint64 ate = escondida_ >= 0 ? escondida_ : relogio.elapsed();
    maiorIntervaloMs = std::max(maiorIntervaloMs, ate - ultimo);
  }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (!relogio.isValid()) return false;
    if (o == janela_ && e->type() == QEvent::Hide) escondida_ = relogio.elapsed();
    if (o != janela_ && e->type() == QEvent::Paint) {
      ++pinturas;
      maiorIntervaloMs = std::max(maiorIntervaloMs, relogio.elapsed() - ultimo);
      ultimo = relogio.elapsed();
    }
    return false;
  }
  int pinturas = 0;
  qint64 maiorIntervaloMs = 0, ultimo = 0;
  QElapsedTimer relogio;

 private:
  QObject* janela_;
  qint64 escondida_ = -1;
};

int operacoes(const std::string& arquivo) {
  Programa prog;
  prog.abrir(arquivo);
  GridView* g = prog.grade();
  PaintWatch olho(prog.d->frmProgress(), prog.d->frmProgress()->gauge());
  // The progress box's refreshes (its window updated and pending events let through).
  QElapsedTimer relogio;
  qint64 ultimoRefresco = 0, maiorSemRefresco = 0;
  int refrescos = 0;
  auto sub = prog.d->progress.notices.listen([&](const ProgressNotice&) {
    if (!relogio.isValid() || !prog.d->progress.visivel) return;
    ++refrescos;
    maiorSemRefresco = std::max(maiorSemRefresco, relogio.elapsed() - ultimoRefresco);
    ultimoRefresco = relogio.elapsed();
  });
  auto medir = [&](const char* nome, const std::function<void()>& f) {
    const int reinicios = g->modelo()->reinicios;
    refrescos = 0;
    maiorSemRefresco = ultimoRefresco = 0;
    relogio.start();
    olho.inicio();
    QElapsedTimer t;
    t.start();
    f();
    olho.fim();
    std::printf("%s_seconds %.3f s\n", nome, t.elapsed() / 1000.0);
    std::printf("%s_progress_paints %d\n", nome, olho.pinturas);
    std::printf("%s_longest_without_progress_paint_ms %lld ms\n", nome, olho.maiorIntervaloMs);
    std::printf("%s_progress_refreshes %d\n", nome, refrescos);
    std::printf("%s_longest_without_events_let_through_ms %lld ms\n", nome, maiorSemRefresco);
    std::printf("%s_model_resets %d\n", nome, g->modelo()->reinicios - reinicios);
  };
  std::printf("ops_rows %d rows\n", g->model()->rowCount());
  QHeaderView* h = g->horizontalHeader();
  const QPoint titulo(h->sectionViewportPosition(2) + 10, h->height() / 2);
  medir("sort", [&] { QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, titulo); });
  medir("delete_repeated", [&] {
    QTest::mouseClick(h->viewport(), Qt::RightButton, {},
                      QPoint(h->sectionViewportPosition(1) + 10, h->height() / 2));
    QMenu* menu = prog.lista->findChild<QMenu*>(QStringLiteral("menuColuna"));
    QAction* repetidos = menu->actions().at(4);  // "Excluir linhas se o valor for repetido"
    menu->close();
    repetidos->trigger();
  });
  std::printf("rows_after_delete_repeated %d rows\n", g->model()->rowCount());
  medir("column_replace",
        [&] { aplicarAcaoColuna(prog.d->app->editor, 3, ColumnAction::adicionarFim, "-BR"); });
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "uso: quorvel-bench-ui gen|core|window|ops LISTA [--rows N]\n");
    return 2;
  }
  const std::string modo = argv[1], arquivo = argv[2];
  if (modo == "gen") {
    size_t linhas = 1'000'000;
    if (argc >= 5 && std::string(argv[3]) == "--rows") linhas = std::stoul(argv[4]);
    return gerar(arquivo, linhas);
  }
  if (modo == "core") return core(arquivo);
  QuorvelApplication app(argc, argv);
  if (modo == "window") return janela(arquivo);
  if (modo == "ops") return operacoes(arquivo);
  return 2;
}
