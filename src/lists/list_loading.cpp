#include "lists/list_loading.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include "common/format.h"
#include "common/paths.h"
#include "common/pause_point.h"
#include "common/text.h"
#include "common/text_file.h"
#include "lists/header_row.h"

namespace quorvel {
namespace {

constexpr size_t npos = std::string_view::npos;

inline bool fimDeLinha(char c) {
  return c == '\n' || c == '\r';
}
inline bool branco(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

// Position after the line break at `p` (CR LF, LF or CR); `p` itself when there is none.
inline size_t depoisDaQuebra(std::string_view t, size_t p) {
  if (p >= t.size()) return p;
  if (t[p] == '\r' && p + 1 < t.size() && t[p + 1] == '\n') return p + 2;
  return p + 1;
}

// The closing quote of a quoted field whose content starts at `p`: the first double quote that
// is not doubled. npos when the text ends first.
size_t fechamentoAspas(std::string_view t, size_t p) {
  while (p < t.size()) {
    const void* a = std::memchr(t.data() + p, '"', t.size() - p);
    if (!a) return npos;
    size_t k = static_cast<size_t>(static_cast<const char*>(a) - t.data());
    if (k + 1 < t.size() && t[k + 1] == '"') {
      p = k + 2;
      continue;
    }
    return k;
  }
  return npos;
}

// The separator of a file: tab, else ";", else "," as found in the first line. Text inside a
// quoted field (one that starts with a double quote) does not count, so a quoted name like
// "Silva, Ana" does not make a ";" file a "," file.
char separadorDoArquivo(std::string_view t) {
  bool tab = false, pontoEVirgula = false;
  bool inicioDeCampo = true;
  size_t p = 0;
  while (p < t.size() && !fimDeLinha(t[p])) {
    char c = t[p];
    if (inicioDeCampo && c == '"') {
      size_t f = fechamentoAspas(t, p + 1);
      inicioDeCampo = false;
      if (f != npos) {
        p = f + 1;
        continue;
      }
    }
    inicioDeCampo = false;
    if (c == '\t' || c == ';' || c == ',') {
      tab = tab || c == '\t';
      pontoEVirgula = pontoEVirgula || c == ';';
      inicioDeCampo = true;
      ++p;
      if (p < t.size() && t[p] == ' ') ++p;
      continue;
    }
    ++p;
  }
  return tab ? '\t' : pontoEVirgula ? ';' : ',';
}

// Reads the records of a file text. A record is one line, unless a quoted field carries line
// breaks. The reading is done in place over the text: each field is appended straight into its
// cell, one piece per run of text between removed quotes.
class FieldReader {
 public:
  FieldReader(std::string_view texto, char sep) : t_(texto), sep_(sep) {}

  // Starts over from the first record. An unclosed quote turns quoted fields off for the rest
  // of the text (the quote is then removed like any other), so every pass must start here to
  // see the same records.
  void reiniciar() { aspas_ = true; }

  // Reads the record starting at `p` (the start of a line) into `celulas` (fields beyond its
  // size are skipped; null: nothing is kept) and moves `p` past the record's line break.
  // Returns the number of fields; `citado` tells whether a field of the record was quoted.
  int lerRegistro(size_t& p, std::vector<std::string>* celulas, bool* citado = nullptr) {
    const char* s = t_.data();
    const size_t n = t_.size();
    while (p < n && branco(s[p]) && !fimDeLinha(s[p])) ++p;  // the line is trimmed
    const int limite = celulas ? static_cast<int>(celulas->size()) : 0;
    int campos = 0;
    bool linhaCitada = false;  // a field of this record was quoted
    size_t q = p;
    for (;;) {
      std::string* dst = campos < limite ? &(*celulas)[campos] : nullptr;
      size_t tamanho = 0;
      size_t inicio = q;  // start of the run of text not yet copied
      if (aspas_ && q < n && s[q] == '"') {
        size_t f = fechamentoAspas(t_, q + 1);
        if (f == npos) {
          aspas_ = false;
        } else {
          linhaCitada = true;
          size_t a = q + 1;
          while (a < f) {
            const void* aq = std::memchr(s + a, '"', f - a);
            size_t k = aq ? static_cast<size_t>(static_cast<const char*>(aq) - s) : f;
            size_t ate = aq ? k + 1 : f;  // a doubled quote keeps one
            if (dst) dst->append(s + a, ate - a);
            tamanho += ate - a;
            a = aq ? k + 2 : f;
          }
          q = f + 1;
          inicio = q;
        }
      }
      // Unquoted text (the whole field, or what follows a closing quote): quotes are removed.
      while (q < n) {
        char c = s[q];
        if (c == sep_ || fimDeLinha(c)) break;
        if (c == '"') {
          if (dst) dst->append(s + inicio, q - inicio);
          tamanho += q - inicio;
          inicio = q + 1;
        }
        ++q;
      }
      const bool ultimo = q >= n || s[q] != sep_;
      size_t fim = q;
      if (ultimo)  // the end of the line is trimmed; a closing quote stops it
        while (fim > inicio && branco(s[fim - 1])) --fim;
      if (dst) dst->append(s + inicio, fim - inicio);
      tamanho += fim - inicio;
      // A separator at the very end of the line (or a blank line) gives no field, unless the
      // line is quoted CSV: there it ends with an empty field, as the program's own files do
      // when their last column has no name.
      if (!ultimo || linhaCitada || tamanho > 0) ++campos;
      if (ultimo) break;
      ++q;                            // the separator
      if (q < n && s[q] == ' ') ++q;  // and one space after it
    }
    p = depoisDaQuebra(t_, q);
    if (citado) *citado = linhaCitada;
    return campos;
  }

  // Moves `p` past one record without keeping anything.
  void pularRegistro(size_t& p) {
    const char* s = t_.data();
    size_t q = p;
    while (q < t_.size() && !fimDeLinha(s[q])) {
      if (s[q] == '"' && aspas_) {
        lerRegistro(p, nullptr);
        return;
      }
      ++q;
    }
    p = depoisDaQuebra(t_, q);
  }

 private:
  std::string_view t_;
  char sep_;
  bool aspas_ = true;
};

// The next line of `t` from `p` (without its line break); moves `p` past the break.
std::string_view proximaLinha(std::string_view t, size_t& p) {
  size_t q = p;
  while (q < t.size() && !fimDeLinha(t[q])) ++q;
  std::string_view linha = t.substr(p, q - p);
  p = depoisDaQuebra(t, q);
  return linha;
}

// Lines of a text as splitLines counts them (a final line break starts no line).
int64_t contarLinhas(std::string_view t) {
  int64_t linhas = 0;
  for (size_t p = 0; p < t.size();) {
    proximaLinha(t, p);
    ++linhas;
  }
  return linhas;
}

// A file's text held in memory pages of its own, so that the part already turned into rows can
// be given back while a large file is read: the list and the whole file are never both in
// memory. Files without a byte-order mark are UTF-8 when valid, else Windows-1252; UTF-16 and
// Windows-1252 are decoded piece by piece into UTF-8, giving back the raw bytes behind them.
class FileText {
 public:
  FileText() = default;
  FileText(const FileText&) = delete;
  FileText& operator=(const FileText&) = delete;
  ~FileText() {
    soltar(bruto_);
    soltar(texto_);
  }

  enum class Leitura { ok, naoAbriu, mudou, linhaLonga };

  // naoAbriu: the file cannot be opened or read (missing, a folder, no permission); mudou: it
  // changed while it was read (cut short, grown, rewritten); linhaLonga: a line passes
  // kMaiorLinha (reading stops there, so memory stays small whatever the file holds).
  Leitura ler(const std::string& caminho) {
    int fd = ::open(caminho.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Leitura::naoAbriu;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      ::close(fd);
      return Leitura::naoAbriu;
    }
    if (!S_ISREG(st.st_mode)) {  // a pipe or a device: its size is unknown, read it plainly
      ::close(fd);
      auto bytes = readFileBytes(caminho);
      if (!bytes) return Leitura::naoAbriu;
      copia_ = decodeText(*bytes);
      vista_ = copia_;
      return Leitura::ok;
    }
    Leitura r = lerPaginas(fd, st, std::filesystem::path(caminho).filename().string());
    ::close(fd);
    if (r != Leitura::ok) return r;
    decodificar();
    return Leitura::ok;
  }

  // The line (counted from 1) that passed kMaiorLinha.
  int64_t linhaLonga() const { return linhaLonga_; }

  std::string_view texto() const { return vista_; }

  // Gives back the whole pages before `fim` (a position inside texto()); they are not read again.
  void devolverAte(const char* fim) {
    if (!texto_.p || fim <= devolvido_) return;
    const uintptr_t pagina = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    auto ate = reinterpret_cast<char*>(reinterpret_cast<uintptr_t>(fim) & ~(pagina - 1));
    // Given back in large steps: every call flushes the processor's address caches.
    if (ate - devolvido_ < kPassoDevolucao) return;
    ::madvise(devolvido_, static_cast<size_t>(ate - devolvido_), MADV_DONTNEED);
    devolvido_ = ate;
  }

 private:
  struct Pages {
    char* p = nullptr;
    size_t capacidade = 0, usado = 0;
  };

  static bool reservar(Pages& m, size_t capacidade) {
    void* p = ::mmap(nullptr, std::max<size_t>(capacidade, 1), PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return false;
    m = {static_cast<char*>(p), std::max<size_t>(capacidade, 1), 0};
    return true;
  }
  static void soltar(Pages& m) {
    if (m.p) ::munmap(m.p, m.capacidade);
    m = {};
  }

  Leitura lerPaginas(int fd, const struct stat& antes, const std::string& nome) {
    const auto tamanho = static_cast<size_t>(antes.st_size);
    if (!reservar(bruto_, tamanho)) return Leitura::naoAbriu;
    size_t corrida = 0;  // bytes since the last line break
    while (bruto_.usado < tamanho) {
      const size_t pedaco = std::min(kPedacoLeitura, tamanho - bruto_.usado);
      ssize_t n = ::read(fd, bruto_.p + bruto_.usado, pedaco);
      if (n == 0) return Leitura::mudou;  // cut short while it was read
      if (n < 0) {
        if (errno == EINTR) continue;
        soltar(bruto_);
        return Leitura::naoAbriu;
      }
      const std::string_view lido(bruto_.p + bruto_.usado, static_cast<size_t>(n));
      bruto_.usado += static_cast<size_t>(n);
      const auto* lf = static_cast<const char*>(::memrchr(lido.data(), '\n', lido.size()));
      const auto* cr = static_cast<const char*>(::memrchr(lido.data(), '\r', lido.size()));
      const char* quebra = std::max(lf, cr);
      corrida = quebra ? static_cast<size_t>(lido.data() + lido.size() - quebra - 1)
                       : corrida + lido.size();
      if (corrida > kMaiorLinha) {
        linhaLonga_ = contarLinhas(std::string_view(bruto_.p, bruto_.usado - corrida)) + 1;
        return Leitura::linhaLonga;
      }
      pausePoint("file-read", nome);
    }
    // Grown, rewritten or replaced meanwhile: what was read is not the file any more.
    char mais;
    struct stat depois {};
    if (::read(fd, &mais, 1) > 0 || ::fstat(fd, &depois) != 0 || depois.st_size != antes.st_size ||
        depois.st_mtim.tv_sec != antes.st_mtim.tv_sec ||
        depois.st_mtim.tv_nsec != antes.st_mtim.tv_nsec)
      return Leitura::mudou;
    return Leitura::ok;
  }

  void decodificar() {
    std::string_view bytes(bruto_.p, bruto_.usado);
    size_t bom = 0;
    TextEncoding codificacao = detectTextEncoding(bytes, bom);
    if (codificacao == TextEncoding::Utf8 || codificacao == TextEncoding::Utf8Bom) {
      if (!isValidUtf8(bytes.substr(bom))) {
        // Stray bytes in a UTF-8 file: each read alone as Windows-1252.
        copia_ = decodeText(bytes);
        vista_ = copia_;
        soltar(bruto_);
        return;
      }
      texto_ = bruto_;
      bruto_ = {};
      vista_ = bytes.substr(bom);
      devolvido_ = texto_.p;
      return;
    }
    // At most three UTF-8 bytes per Windows-1252 byte, per UTF-16 unit, or four per pair.
    const bool utf16 = codificacao != TextEncoding::Windows1252;
    if (!reservar(texto_, (utf16 ? bytes.size() * 3 / 2 : bytes.size() * 3) + 4)) {
      copia_ = decodeText(bytes);  // no room for pages of its own: decode in one piece
      vista_ = copia_;
      soltar(bruto_);
      return;
    }
    constexpr size_t kPedaco = 1 << 20;
    const char* devolvidoBruto = bruto_.p;
    for (size_t i = bom; i < bytes.size();) {
      size_t n = std::min(kPedaco, bytes.size() - i);
      std::string parte;
      if (utf16) {
        // Whole units, never a surrogate pair cut in two.
        if (n < bytes.size() - i) {
          auto alto = static_cast<unsigned char>(
              codificacao == TextEncoding::Utf16LE ? bytes[i + n - 1] : bytes[i + n - 2]);
          if (alto >= 0xD8 && alto <= 0xDB) n -= 2;
        }
        appendUtf16(parte, bytes.substr(i, n), codificacao == TextEncoding::Utf16BE);
      } else {
        parte = windows1252ToUtf8(bytes.substr(i, n));
      }
      std::memcpy(texto_.p + texto_.usado, parte.data(), parte.size());
      texto_.usado += parte.size();
      i += n;
      const uintptr_t pagina = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
      auto ate =
          reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(bruto_.p + i) & ~(pagina - 1));
      if (ate > devolvidoBruto) {
        ::madvise(const_cast<char*>(devolvidoBruto), static_cast<size_t>(ate - devolvidoBruto),
                  MADV_DONTNEED);
        devolvidoBruto = ate;
      }
    }
    soltar(bruto_);
    vista_ = std::string_view(texto_.p, texto_.usado);
    devolvido_ = texto_.p;
  }

  static constexpr size_t kPedacoLeitura = size_t{4} << 20;
  static constexpr ptrdiff_t kPassoDevolucao = ptrdiff_t{4} << 20;

  Pages bruto_, texto_;
  std::string copia_;
  std::string_view vista_;
  char* devolvido_ = nullptr;
  int64_t linhaLonga_ = 0;
};

// A pasted field: quotes removed, trimmed.
void campoColado(std::string_view campo, std::string& dst) {
  if (campo.find('"') == npos) {
    dst.assign(trimView(campo));
    return;
  }
  std::string semAspas;
  semAspas.reserve(campo.size());
  for (char c : campo)
    if (c != '"') semAspas.push_back(c);
  dst.assign(trimView(semAspas));
}

int larguraAproximada(const std::string& s) {
  return static_cast<int>(codePointCount(s)) * 7;
}

TextWidth medidaOuEstimativa(const TextWidth& larguraTexto) {
  return larguraTexto ? larguraTexto : TextWidth(larguraAproximada);
}

// Leading blank data rows go while more than two rows remain (one pass, not one per row).
void removerLinhasEmBrancoIniciais(TextGrid& g) {
  std::vector<char> remover(static_cast<size_t>(g.rowCount()), 0);
  int removidas = 0;
  for (int r = 1; r < g.rowCount() && g.rowCount() - removidas > 2 && !g.rowHasText(r); ++r) {
    remover[static_cast<size_t>(r)] = 1;
    ++removidas;
  }
  if (removidas > 0) g.removeRows(remover);
  if (g.rowCount() < 2) g.setRowCount(2);  // the header and one data row at least
}

bool ehArquivo(const std::string& caminho) {
  std::error_code ec;
  return std::filesystem::is_regular_file(caminho, ec);
}

void avisar(ListEditor& editor) {
  editor.changed();
}

}  // namespace

std::string msgArquivoMudou(const std::string& nome) {
  return "O arquivo " + nome +
         " mudou enquanto era lido, e nada dele foi carregado. Abra-o de novo quando ele não "
         "estiver mais sendo gravado.";
}

std::string msgLinhaLonga(const std::string& nome, int64_t linha) {
  return "O arquivo " + nome + " não foi carregado: a linha " + formatNumber(linha) +
         " passa de 16 MB, o que nenhuma lista tem (um arquivo que não é de texto, ou sem "
         "quebras de linha).";
}

std::string pastaDados(const ListEditor& editor) {
  std::string home = editor.programFolder;
  if (home.empty())
    home = editor.platform ? editor.platform->programFolder() : paths::programFolder();
  return paths::dados(home);
}

ReadResult abrirCSVTurbo(ListEditor& editor, const std::string& filename) {
  ListEditor::EditStep edicao(editor);
  TextGrid::Update atualizacao(*editor.gGrid);  // one notice for the whole operation
  Dialogs& dialogos = editor.dialogos();
  const std::string nome = std::filesystem::path(filename).filename().string();
  FileText arquivo;
  switch (arquivo.ler(filename)) {
    case FileText::Leitura::ok:
      break;
    case FileText::Leitura::naoAbriu:
      dialogos.msgErro("Não foi possível abrir o arquivo: " + filename);
      return ReadResult::erro;
    case FileText::Leitura::mudou:
      dialogos.msgErro(msgArquivoMudou(nome));
      return ReadResult::erro;
    case FileText::Leitura::linhaLonga:
      dialogos.msgErro(msgLinhaLonga(nome, arquivo.linhaLonga()));
      return ReadResult::erro;
  }
  std::string_view texto = arquivo.texto();
  texto = trimView(texto);
  if (texto.empty()) {
    dialogos.msgErro("O arquivo " + nome + " está vazio");
    return ReadResult::erro;
  }

  TextGrid& g = *editor.gGrid;
  const char separador = separadorDoArquivo(texto);
  // A list keeps the separator of the first file read into it.
  bool tinhaDados = false;
  for (int r = 1; r < g.rowCount() && !tinhaDados; ++r) tinhaDados = g.rowHasText(r);
  if (!tinhaDados) editor.setSeparador(g, separador);
  FieldReader leitor(texto, separador);
  size_t p = 0;
  int64_t total = 0;
  // A quoted field that runs over many lines can pass the bound too.
  for (size_t antes = 0; p < texto.size(); ++total, antes = p) {
    leitor.pularRegistro(p);
    if (p - antes > kMaiorLinha) {
      dialogos.msgErro(msgLinhaLonga(nome, contarLinhas(texto.substr(0, antes)) + 1));
      return ReadResult::erro;
    }
  }
  leitor.reiniciar();
  p = 0;
  int camposPrimeira = leitor.lerRegistro(p, nullptr);
  if (camposPrimeira > g.colCount()) g.setColCount(camposPrimeira);

  Progress& progresso = editor.progresso();
  progresso.setProgress("Carregando dados...", total / 1000, "Processados: 0",
                        "Total de linhas: " + formatNumberOrEmpty(total));
  editor.setGridVisivel(false);

  g.reserveRows(static_cast<int>(std::min<int64_t>(g.rowCount() + total, INT32_MAX)));
  const int colunas = g.colCount();
  ReadResult resultado = ReadResult::ok;
  int64_t lidas = 0;
  leitor.reiniciar();
  // One row of fields, read into and copied into the list line after line.
  std::vector<std::string> linha(static_cast<size_t>(colunas));
  for (p = 0; p < texto.size();) {
    if (progresso.cancelou()) {
      dialogos.msgInformacao("Procedimento cancelado");
      resultado = ReadResult::cancelado;
      break;
    }
    // Row assignment rule: an empty field is stored as one space, missing ones stay empty.
    // A quoted CSV record is taken as written instead, so that a file saved by the program
    // (empty cells written as nothing, a one-space cell as a quoted space) loads back into the
    // same cells.
    for (auto& campo : linha) campo.clear();
    bool citado = false;
    int campos = std::min(leitor.lerRegistro(p, &linha, &citado), colunas);
    if (!citado)
      for (int c = 0; c < campos; ++c)
        if (linha[static_cast<size_t>(c)].empty()) linha[static_cast<size_t>(c)] = " ";
    g.appendRow(linha);
    if (++lidas % 1000 == 0) {
      progresso.stepProgress("Processados: " + formatNumberOrEmpty(lidas));
      arquivo.devolverAte(texto.data() + p);
    }
  }

  g.moverCursor(std::min(g.cursorCol, g.colCount() - 1), 1);
  editor.setGridVisivel(true);
  progresso.hide();
  avisar(editor);
  return resultado;
}

void colarCheck(ListEditor& editor, const std::string& texto) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = *editor.gGrid;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  Progress& progresso = editor.progresso();
  if (!isBlank(texto)) {
    editor.setGridVisivel(false);
    const std::string_view t = texto;
    size_t p = 0;
    const std::string_view primeira = proximaLinha(t, p);
    char sep = 0;  // none: every line is one field
    for (char candidato : {';', '\t', ','})
      if (primeira.find(candidato) != npos) {
        sep = candidato;
        break;
      }
    bool tinhaDados = false;
    for (int r = 1; r < g.rowCount() && !tinhaDados; ++r) tinhaDados = g.rowHasText(r);
    if (!tinhaDados && sep != 0) editor.setSeparador(g, sep);
    const int64_t total = contarLinhas(t);
    progresso.setProgress("Carregando dados...", total / 10,
                          "Total de registros: " + formatNumberOrEmpty(total));
    g.reserveRows(static_cast<int>(std::min<int64_t>(g.rowCount() + total, INT32_MAX)));

    bool cancelado = false;
    int64_t lidas = 0;
    std::vector<std::string_view> campos;
    for (p = 0; p < t.size();) {
      if (progresso.cancelou()) {
        editor.dialogos().msgInformacao("Operação cancelada");
        progresso.clearCancel();
        cancelado = true;
        break;
      }
      std::string_view linha = proximaLinha(t, p);
      campos.clear();
      if (!linha.empty()) {
        if (sep == 0) {
          campos.push_back(linha);
        } else {
          // Every separator breaks, also one at the end of the line (an empty last field).
          size_t inicio = 0;
          for (size_t k; (k = linha.find(sep, inicio)) != npos; inicio = k + 1)
            campos.push_back(linha.substr(inicio, k - inicio));
          campos.push_back(linha.substr(inicio));
        }
      }
      if (lidas == 0) editor.setEditou(g, true);
      if (static_cast<int>(campos.size()) > g.colCount())
        g.setColCount(static_cast<int>(campos.size()));
      std::vector<std::string> celulas(static_cast<size_t>(g.colCount()));
      for (size_t c = 0; c < campos.size(); ++c) campoColado(campos[c], celulas[c]);
      g.appendRow(std::move(celulas));
      if (++lidas % 10 == 0) progresso.stepProgress("Processados: " + formatNumberOrEmpty(lidas));
    }
    if (!cancelado) {
      if (g.cell(0, 1).empty() && g.rowCount() > 2) g.deleteRow(1);
      g.moverCursor(std::min(g.cursorCol, g.colCount() - 1), 1);
    }
  }
  progresso.hide();
  editor.setGridVisivel(true);
  editor.setArquivo(g, "");
  editor.showStatus(g);
  eliminarColunasVazias(editor, g);
}

void executarColar(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  std::string texto = editor.platform ? editor.platform->clipboardText() : std::string();
  colarCheck(editor, trim(texto));
  editor.showStatus(*editor.gGrid);
  avisar(editor);
}

void btnAbrirClick(ListEditor& editor, const TextWidth& larguraTexto) {
  Dialogs& dialogos = editor.dialogos();
  if (editor.editouDaAba(kAbaPrincipal) == "1" &&
      dialogos.msgPergunta(kMsgPerguntaEditados) != kSim)
    return;
  std::string escolha = dialogos.getFileSelect(
      pastaDados(editor) + std::string(1, std::filesystem::path::preferred_separator), "*.*", "",
      true, true);
  std::vector<std::string> caminhos;
  for (auto& linha : splitLines(escolha))
    if (!isBlank(linha)) caminhos.push_back(std::move(linha));
  if (caminhos.empty()) return;
  editor.setAbaAtiva(kAbaPrincipal);
  abrirArquivos(editor, caminhos, larguraTexto);
}

int abrirArquivos(ListEditor& editor, const std::vector<std::string>& caminhos,
                  const TextWidth& larguraTexto) {
  ListEditor::EditStep edicao(editor);
  Dialogs& dialogos = editor.dialogos();
  TextGrid& g = *editor.gGrid;
  const bool tinhaArquivo = !editor.arquivoDe(g).empty();
  bool tinhaDados = false;
  for (int r = 1; r < g.rowCount() && !tinhaDados; ++r) tinhaDados = g.rowHasText(r);

  int lidos = 0, tentados = 0;
  std::string lido;
  for (const auto& bruto : caminhos) {
    std::string caminho = trim(bruto);
    if (caminho.empty()) continue;
    ++tentados;
    if (caminho.find(".xls") != std::string::npos) {
      dialogos.msgErro(kMsgPlanilhaSolta);
      break;
    }
    ReadResult r = abrirCSVTurbo(editor, caminho);
    if (r == ReadResult::cancelado) {
      dialogos.msgInformacao("Processamento cancelado");
      return lidos;
    }
    if (r == ReadResult::ok) {
      ++lidos;
      lido = caminho;
    }
  }

  g.moverCursor(0, 1);
  editor.AutoSizeGrid(g, medidaOuEstimativa(larguraTexto));
  removerLinhasEmBrancoIniciais(g);
  if (g.colCount() == 1 && isBlank(g.cell(0, 0))) g.setCell(0, 0, "e-mails");
  NomearColunasVazias(editor);

  // Header detection: a first row without any address is a row of column names. A blank row
  // (nothing was read) never replaces the names the list has.
  g.moverCursor(g.cursorCol, 1);
  bool temEndereco = false;
  for (const auto& celula : g.rowCells(1))
    if (celula.find('@') != std::string::npos) {
      temEndereco = true;
      break;
    }
  if (lidos > 0 && !temEndereco && g.rowHasText(1)) {
    setColunaPrimeiraLinha(editor, g, 1);
    // Blank lines after the file's header line (a CRM export's) go as well.
    removerLinhasEmBrancoIniciais(g);
  }
  g.moverCursor(g.cursorCol, 1);

  // The list is that file only when one file was read into a list that held nothing: a list
  // that holds other rows too is not the file, and "Salvar" must not write it there. A chosen
  // file that could not be read is no file opened.
  if (tentados == 1 && lidos == 1 && !tinhaArquivo && !tinhaDados) {
    editor.setArquivo(g, lido);
    editor.setEditou(g, false);
  } else if (lidos > 0) {
    editor.setArquivo(g, "");
    editor.setEditou(g, true);
  }
  editor.showStatus(g);
  avisar(editor);
  return lidos;
}

void soltarArquivos(ListEditor& editor, const std::vector<std::string>& caminhos,
                    bool paginaValidacao,
                    const std::function<void(const std::string&)>& paraValidacaoEmLote,
                    const TextWidth& larguraTexto) {
  // Paths that name no file are skipped; a workbook stops the drop.
  std::vector<std::string> arquivos;
  for (const auto& bruto : caminhos) {
    std::string caminho = trim(bruto);
    if (caminho.empty() || !ehArquivo(caminho)) continue;
    if (caminho.find(".xls") != std::string::npos) {
      editor.dialogos().msgErro(kMsgPlanilhaSolta);
      break;
    }
    arquivos.push_back(std::move(caminho));
  }
  if (paginaValidacao) {
    if (paraValidacaoEmLote)
      for (const auto& c : arquivos) paraValidacaoEmLote(c);
    return;
  }
  // Dropped (or named on the command line) files open as "Abrir lista" opens them.
  if (!arquivos.empty()) abrirArquivos(editor, arquivos, larguraTexto);
}

void inserirInput(ListEditor& editor) {
  ListEditor::EditStep edicao(editor);
  std::optional<std::string> texto =
      editor.dialogos().showInputMemo(kTituloInserirDados, "", "Ok", "");
  if (texto && !isBlank(*texto)) colarCheck(editor, trim(*texto));
}

bool extrairEmails(ListEditor& editor, const std::string& texto, bool extratorBruto) {
  ListEditor::EditStep edicao(editor);
  TextGrid& g = editor.gridMain;
  TextGrid::Update atualizacao(g);  // one notice for the whole operation
  if (g.rowCount() >= 3 && editor.dialogos().msgPergunta(kMsgPerguntaExtrator) != kSim)
    return false;
  editor.novaLista(g, true);

  auto tem = [&](char c) { return texto.find(c) != std::string::npos; };
  std::string colar;
  if (!extratorBruto && tem('<') && tem('>') && (tem(';') || tem(','))) {
    // An address book: entries "name <address>" separated by ";" or ",".
    std::string entradas;
    entradas.reserve(texto.size());
    for (char c : texto) {
      if (c == ';' || c == ',')
        entradas += "\r\n";
      else if (c != '>')
        entradas.push_back(c);
    }
    g.setColCount(2);
    g.setCell(0, 0, "nome");
    g.setCell(1, 0, "e-mails");
    for (const auto& linha : splitLines(trimView(entradas))) {
      size_t menor = linha.find('<');
      if (menor != std::string::npos) {
        colar += trimView(std::string_view(linha).substr(0, menor));
        colar += ';';
        colar += trimView(std::string_view(linha).substr(menor + 1));
      } else {
        colar += ';';
        colar += trimView(linha);
      }
      colar += "\r\n";
    }
  } else {
    if (editor.extratorEmails) colar = editor.extratorEmails(texto);
    g.setCell(0, 0, "e-mails");
  }
  if (editor.gGrid != &g) editor.setAbaAtiva(kAbaPrincipal);
  colarCheck(editor, trim(colar));
  return true;
}

}  // namespace quorvel
