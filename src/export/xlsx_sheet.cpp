#include "export/xlsx_sheet.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "common/format.h"
#include "common/system_error.h"
#include "common/text.h"
#include "common/text_file.h"
#include "export/zip_level.h"

namespace quorvel {
namespace {

constexpr size_t kMaxCaracteresCelula = 32767;
constexpr double kLarguraMaxima = 255;  // the widest column a sheet has
constexpr size_t kBufferTemporario = size_t{1} << 20;

// The cell's text as the sheet takes it, in `out`; false when `celula` can go as it is.
bool ajustarTexto(const std::string& celula, std::string& out, bool& cortada) {
  const bool ascii = asciiPrefixLength(celula) == celula.size();
  const bool quebras = std::memchr(celula.data(), '\n', celula.size()) != nullptr ||
                       std::memchr(celula.data(), '\r', celula.size()) != nullptr;
  const bool utf8 = ascii || isValidUtf8(celula);
  const bool longa = celula.size() > kMaxCaracteresCelula;
  if (!quebras && utf8 && !longa) return false;
  std::string fonte;
  if (!utf8) appendUtf8Repaired(fonte, celula);
  std::string_view t = utf8 ? std::string_view(celula) : std::string_view(fonte);
  out.clear();
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\r' || t[i] == '\n') {
      if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
      out.push_back(' ');
    } else {
      out.push_back(t[i]);
    }
  }
  if (out.size() > kMaxCaracteresCelula) {
    // Cut at whole characters.
    size_t i = 0, n = 0;
    while (i < out.size() && n < kMaxCaracteresCelula) {
      nextCodePoint(out, i);
      ++n;
    }
    if (i < out.size()) {
      out.resize(i);
      cortada = true;
    }
  }
  return true;
}

}  // namespace

XlsxSheet::~XlsxSheet() {
  if (!livro_) return;
  ZipLevel rapido(kNivelCompressao);
  workbook_close(livro_);
}

double XlsxSheet::largura(double caracteres) {
  return std::min(kLarguraMaxima, std::max(3.0, caracteres + 2));
}

bool XlsxSheet::falhou(int codigo) {
  if (erro_.empty()) {
    const int sistema = errno;
    erro_ = sistema != 0 ? describeSystemError(sistema)
                         : std::string(lxw_strerror(static_cast<lxw_error>(codigo)));
  }
  return false;
}

bool XlsxSheet::open(const std::string& caminho, const std::string& pastaTemporaria) {
  // The file is made now, so that a place that cannot be written is told at once and in the
  // system's words; the workbook takes it over when it is closed.
  const int fd = ::open(caminho.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    erro_ = describeSystemError(errno);
    return false;
  }
  ::close(fd);
  lxw_workbook_options opcoes{};
  opcoes.constant_memory = LXW_TRUE;
  opcoes.tmpdir = const_cast<char*>(pastaTemporaria.c_str());
  errno = 0;
  livro_ = workbook_new_opt(caminho.c_str(), &opcoes);
  if (!livro_) return falhou(LXW_ERROR_MEMORY_MALLOC_FAILED);
  folha_ = workbook_add_worksheet(livro_, "Planilha1");
  corpo_ = workbook_add_format(livro_);
  cabecalho_ = workbook_add_format(livro_);
  if (!folha_ || !corpo_ || !cabecalho_) return falhou(LXW_ERROR_MEMORY_MALLOC_FAILED);
  // The rows go to the sheet's temporary file in pieces of a megabyte instead of the stream's
  // default 4 KB: a tenth of the system calls for a million rows. Nothing has been written to
  // it yet, which is when a stream's buffer may be set.
  if (folha_->optimize_tmpfile)
    std::setvbuf(folha_->optimize_tmpfile, nullptr, _IOFBF, kBufferTemporario);
  for (lxw_format* f : {corpo_, cabecalho_}) {
    format_set_border(f, LXW_BORDER_THIN);
    format_set_num_format(f, "@");
  }
  // The header's look is given by format() once every row is in, and a workbook is written
  // with the properties its formats have when it is closed; until then the header format must
  // stay a format of its own (the library merges formats that are alike when a cell first uses
  // them): a bottom alignment, which is what a cell shows anyway, keeps it apart.
  format_set_align(cabecalho_, LXW_ALIGN_VERTICAL_BOTTOM);
  return true;
}

bool XlsxSheet::writeRow(int linha, const std::vector<std::string>& celulas) {
  if (!folha_) return false;
  if (larguras_.size() < celulas.size()) larguras_.resize(celulas.size(), 0);
  lxw_format* f = linha == 0 ? cabecalho_ : corpo_;
  for (size_t c = 0; c < celulas.size(); ++c) {
    bool cortada = false;
    const std::string& texto = ajustarTexto(celulas[c], texto_, cortada) ? texto_ : celulas[c];
    if (cortada) ++cortadas_;
    double caracteres = static_cast<double>(
        asciiPrefixLength(texto) == texto.size() ? texto.size() : codePointCount(texto));
    if (linha == 0) caracteres *= 1.1;
    larguras_[c] = std::max(larguras_[c], caracteres);
    lxw_error e = worksheet_write_string(folha_, static_cast<lxw_row_t>(linha),
                                         static_cast<lxw_col_t>(c), texto.c_str(), f);
    if (e != LXW_NO_ERROR) return falhou(e);
  }
  return true;
}

void XlsxSheet::format() {
  if (!folha_) return;
  format_set_bold(cabecalho_);
  format_set_pattern(cabecalho_, LXW_PATTERN_SOLID);
  format_set_bg_color(cabecalho_, 0xF4F4F4);
  for (size_t c = 0; c < larguras_.size(); ++c)
    worksheet_set_column(folha_, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                         largura(larguras_[c]), nullptr);
}

bool XlsxSheet::close(int nivelCompressao) {
  if (!livro_) return erro_.empty();
  errno = 0;
  ZipLevel nivel(nivelCompressao);
  lxw_error e = workbook_close(livro_);
  livro_ = nullptr;
  folha_ = nullptr;
  if (e != LXW_NO_ERROR) return falhou(e);
  return erro_.empty();
}

SheetResult writeWorkbook(const TextGrid& grid, const std::string& caminho, Progress& p,
                          int nivelCompressao) {
  SheetResult r;
  const int linhas = grid.rowCount();
  if (linhas > kMaxLinhasPlanilha || grid.colCount() > kMaxColunasPlanilha) {
    r.erro = "uma planilha comporta até " + formatNumber(kMaxLinhasPlanilha) + " linhas e " +
             formatNumber(kMaxColunasPlanilha) + " colunas; a lista tem " + formatNumber(linhas) +
             " linhas e " + formatNumber(grid.colCount()) + " colunas";
    return r;
  }
  const size_t barra = caminho.rfind('/');
  XlsxSheet folha;
  if (!folha.open(caminho, barra == std::string::npos ? "." : caminho.substr(0, barra))) {
    r.erro = folha.error();
    return r;
  }
  p.setProgress("Exportando para o Excel...", linhas, "Total de linhas: " + std::to_string(linhas));
  bool escrita = true, cancelada = false;
  for (int l = 0; l < linhas && escrita && !cancelada; ++l) {
    escrita = folha.writeRow(l, grid.rowCells(l));
    if (l % kPassoLegendas == 0 || l == linhas - 1)
      p.stepProgress({}, "Processadas: " + std::to_string(l));
    else
      p.stepProgress();
    cancelada = p.cancelou();
  }
  if (escrita && !cancelada) folha.format();
  const bool fechada = folha.close(nivelCompressao);
  p.hide();
  r.cortadas = folha.cellsCut();
  if (!escrita || !fechada) {
    r.erro = folha.error();
    return r;
  }
  r.resultado = cancelada ? SheetOutcome::cancelada : SheetOutcome::gravada;
  return r;
}

}  // namespace quorvel
