// Benchmarks of the export writers on a generated contact list held in the export window.
//   quorvel-bench-export gen ROWS.tsv [--rows N]          the same rows as tab-separated lines
//                                                         (the input of the baseline)
//   quorvel-bench-export text|html|xlsx DIR [--rows N] [--reps R] [--zip-level L]
//                                                         (L: zlib's level of the workbook)
// Prints "name value unit" lines: the median rows per second of the writer and, for the
// workbook, the peak memory beyond the grid itself.

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench_util.h"
#include "data_generator.h"
#include "export/export_window.h"
#include "export/xlsx_sheet.h"
#include "support/scripted_ports.h"

using namespace quorvel;
using bench::Clock;
namespace fs = std::filesystem;

namespace {

// 1,000,000 rows × 5 columns by default: name, address, city, state, phone; about one name in
// fifty holds a ";", a quote or markup, as real lists do.
TextGrid gerarGrade(size_t linhas) {
  static const char* kCidades[] = {"São Paulo",    "Rio de Janeiro", "Belo Horizonte", "Recife",
                                   "Porto Alegre", "Salvador",       "Curitiba",       "Fortaleza",
                                   "Manaus",       "Goiânia"};
  static const char* kUfs[] = {"SP", "RJ", "MG", "PE", "RS", "BA", "PR", "CE", "AM", "GO"};
  static const char* kEstranhos[] = {"; Ltda", " \"Júnior\"", " <Vendas>", " & Cia"};
  std::mt19937_64 rng(2311);
  auto enderecos = bench::gerarEnderecos(linhas, 0xe4, bench::AddressMix{0.05, 0.0});
  TextGrid g;
  g.setColCount(5);
  g.reserveRows(static_cast<int>(linhas) + 1);
  g.assignRow(0, {"nome", "email", "cidade", "uf", "telefone"});
  for (size_t i = 0; i < linhas; ++i) {
    const std::string& e = enderecos[i];
    std::string nome = e.substr(0, e.find('@'));
    for (char& c : nome)
      if (c == '.' || c == '_') c = ' ';
    if (rng() % 50 == 0) nome += kEstranhos[rng() % 4];
    const size_t k = rng() % 10;
    g.appendRow(
        {std::move(nome), e, kCidades[k], kUfs[k],
         "(" + std::to_string(11 + k * 7) + ") 9" + std::to_string(10000000 + rng() % 89999999)});
  }
  return g;
}

// The process's resident memory now, in MB.
double memoriaAtualMb() {
  long paginas = 0, residentes = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &paginas, &residentes) != 2) residentes = 0;
    std::fclose(f);
  }
  return static_cast<double>(residentes) * static_cast<double>(::sysconf(_SC_PAGESIZE)) /
         (1024.0 * 1024.0);
}

int gerar(const std::string& arquivo, size_t linhas) {
  TextGrid g = gerarGrade(linhas);
  std::ofstream out(arquivo, std::ios::binary);
  std::string linha;
  for (int r = 0; r < g.rowCount(); ++r) {
    linha.clear();
    for (int c = 0; c < g.colCount(); ++c) {
      if (c > 0) linha += '\t';
      linha += g.cell(c, r);
    }
    linha += "\r\n";
    out << linha;
  }
  return 0;
}

int rodar(const std::string& modo, const std::string& pasta, size_t linhas, int reps,
          int nivelZip) {
  fs::create_directories(pasta);
  ScriptedDialogs dialogos;
  RecordingProgress progresso;
  FakePlatform plataforma;
  plataforma.folder = pasta;
  ExportWindow janela(dialogos, progresso, plataforma);
  janela.carregarGrid(gerarGrade(linhas));
  const double gradeMb = memoriaAtualMb();
  std::printf("export_rows %zu rows x %d columns\n", linhas, janela.gridDados.colCount());
  std::printf("export_grid_memory %.1f MB\n", gradeMb);

  std::vector<double> tempos, processador;
  for (int i = 0; i < reps; ++i) {
    const std::string saida = pasta + "/saida." + modo;
    auto t = Clock::now();
    const double cpu = bench::tempoDeProcessador();
    bool ok = true;
    if (modo == "text") {
      ok = janela.saveToText(saida, true) == WriteOutcome::gravado;
    } else if (modo == "html") {
      ok = janela.saveToHtml(saida, true) == WriteOutcome::gravado;
    } else {
      SheetResult r = writeWorkbook(janela.gridDados, saida, progresso, nivelZip);
      ok = r.resultado == SheetOutcome::gravada;
      if (!ok) std::fprintf(stderr, "%s\n", r.erro.c_str());
    }
    tempos.push_back(bench::segundosDesde(t));
    processador.push_back(bench::tempoDeProcessador() - cpu);
    if (!ok) {
      std::fprintf(stderr, "quorvel-bench-export: %s não foi gravado\n", saida.c_str());
      return 1;
    }
    std::printf("export_%s_file_size %.1f MB\n", modo.c_str(),
                static_cast<double>(fs::file_size(saida)) / (1024.0 * 1024.0));
    fs::remove(saida);
  }
  const double s = bench::mediana(tempos);
  std::printf("export_%s_seconds %.2f s (median of %d)\n", modo.c_str(), s, reps);
  std::printf("export_%s_rows_per_s %.0f rows/s\n", modo.c_str(), static_cast<double>(linhas) / s);
  // On a machine shared with other work the wall time includes waiting for the processor.
  std::printf("export_%s_cpu_seconds %.2f s (median of %d)\n", modo.c_str(),
              bench::mediana(processador), reps);
  std::printf("export_%s_peak_memory_beyond_grid %.1f MB\n", modo.c_str(),
              bench::picoMemoriaMb() - gradeMb);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "uso: quorvel-bench-export gen LINHAS.tsv [--rows N]\n"
                 "     quorvel-bench-export text|html|xlsx PASTA [--rows N] [--reps R]\n");
    return 2;
  }
  const std::string modo = argv[1];
  size_t linhas = 1'000'000;
  int reps = 3;
  int nivelZip = kNivelCompressao;
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string opcao = argv[i];
    if (opcao == "--rows") linhas = std::stoul(argv[i + 1]);
    if (opcao == "--reps") reps = std::stoi(argv[i + 1]);
    if (opcao == "--zip-level") nivelZip = std::stoi(argv[i + 1]);
  }
  if (modo == "gen") return gerar(argv[2], linhas);
  if (modo != "text" && modo != "html" && modo != "xlsx") return 2;
  return rodar(modo, argv[2], linhas, reps, nivelZip);
}
