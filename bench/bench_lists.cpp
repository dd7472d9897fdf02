// Benchmarks of the list editor on a generated contact list.
//   quorvel-bench-lists gen LIST.csv EXCL.txt [--rows N]   writes the data (deterministic)
//   quorvel-bench-lists run LIST.csv EXCL.txt              load, sort, dedupe, exclusion, save
// Prints "name value unit" lines; peak memory is reported against the file size.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench_util.h"
#include "data_generator.h"
#include "lists/column_sort.h"
#include "lists/list_cleaning.h"
#include "lists/list_loading.h"
#include "lists/list_saving.h"
#include "support/scripted_ports.h"

using namespace quorvel;
using bench::Clock;
namespace fs = std::filesystem;

namespace {

int gerar(const std::string& lista, const std::string& exclusao, size_t linhas) {
  std::string csv = bench::gerarListaCsv(linhas, 77);
  std::ofstream(lista, std::ios::binary) << csv;
  // The exclusion file: 200,000 addresses, half of them taken from the list.
  auto outros = bench::gerarEnderecos(100000, 99);
  std::mt19937_64 rng(3);
  std::ofstream ex(exclusao, std::ios::binary);
  size_t pos = 0, achados = 0;
  while (achados < 100000 && (pos = csv.find('\n', pos)) != std::string::npos) {
    ++pos;
    if (rng() % 5 != 0) continue;
    size_t a = csv.find(',', pos), b = a == std::string::npos ? a : csv.find(',', a + 1);
    if (b == std::string::npos) break;
    ex << csv.substr(a + 1, b - a - 1) << "\r\n";
    ++achados;
  }
  for (const auto& e : outros) ex << e << "\r\n";
  return 0;
}

int rodar(const std::string& lista, const std::string& exclusao) {
  ScriptedDialogs dialogs;
  RecordingProgress progress;
  ListEditor editor;
  editor.dialogs = &dialogs;
  editor.progress = &progress;
  editor.programFolder = fs::temp_directory_path().string();
  double tamanhoMb = static_cast<double>(fs::file_size(lista)) / (1024.0 * 1024.0);

  auto t = Clock::now();
  abrirCSVTurbo(editor, lista);
  double tLoad = bench::segundosDesde(t);
  int linhas = editor.gGrid->dataRowCount();
  std::printf("list_rows %d rows\n", linhas);
  std::printf("list_file_size %.1f MB\n", tamanhoMb);
  std::printf("load_seconds %.2f s\n", tLoad);
  std::printf("load_rows_per_s %.0f rows/s\n", linhas / tLoad);
  std::printf("peak_rss_after_load %.1f MB (%.2f x file)\n", bench::picoMemoriaMb(),
              bench::picoMemoriaMb() / tamanhoMb);

  t = Clock::now();
  SortStringGrid(editor, *editor.gGrid, 2, false);  // by city: many equal values
  std::printf("sort_seconds %.2f s\n", bench::segundosDesde(t));
  std::printf("peak_rss_after_sort %.1f MB\n", bench::picoMemoriaMb());

  t = Clock::now();
  int removidas = excluirRepetidos(editor, 1);  // by address
  std::printf("dedupe_seconds %.2f s (%d rows removed)\n", bench::segundosDesde(t), removidas);
  std::printf("peak_rss_after_dedupe %.1f MB\n", bench::picoMemoriaMb());

  t = Clock::now();
  dialogs.values.push_back(exclusao);
  exclusaoAvancada(editor, 1);
  std::printf("exclusion_200k_seconds %.2f s (%d rows left)\n", bench::segundosDesde(t),
              editor.gGrid->dataRowCount());
  std::printf("peak_rss_after_exclusion %.1f MB\n", bench::picoMemoriaMb());

  std::string saida = lista + ".saida.csv";
  t = Clock::now();
  int n = editor.gGrid->dataRowCount();
  salvarComo(editor, saida, true);
  double tSave = bench::segundosDesde(t);
  std::printf("save_seconds %.2f s\n", tSave);
  std::printf("save_rows_per_s %.0f rows/s\n", n / tSave);
  std::printf("peak_rss %.1f MB (%.2f x file)\n", bench::picoMemoriaMb(),
              bench::picoMemoriaMb() / tamanhoMb);
  fs::remove(saida);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "uso: quorvel-bench-lists gen|run LISTA.csv EXCLUSAO.txt [--rows N]\n");
    return 2;
  }
  std::string modo = argv[1];
  size_t linhas = 1'000'000;
  if (argc >= 6 && std::string(argv[4]) == "--rows") linhas = std::stoul(argv[5]);
  if (modo == "gen") return gerar(argv[2], argv[3], linhas);
  return rodar(argv[2], argv[3]);
}
