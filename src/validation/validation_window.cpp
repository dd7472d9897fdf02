#include "validation/validation_window.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

#include "common/text.h"
#include "store/store_failure.h"

namespace quorvel {
namespace {

constexpr const char* kMsgCancelada = "A validação foi cancelada";
constexpr const char* kMsgFinalizado = "Processamento finalizado";
constexpr const char* kMsgSemColuna = "A coluna de e-mails não foi identificada";
constexpr const char* kMsgCancelar = "Quer cancelar a validação?";
constexpr const char* kDicaFinal =
    "Ao final da validação, a lista de e-mails válidos vai para a aba \"Válidos\", e os e-mails "
    "inválidos vão para a aba \"Inválidos\".\\n\\nOs dados da aba \"Principal\" não são alterados. "
    "Ficam conforme estavam originalmente antes da validação.\\n\\nPara salvar e exportar os "
    "e-mails válidos ou inválidos, vá para a respectiva aba e então use as funções do menu ou da "
    "barra de ferramentas. Elas irão agir na lista que estiver aberta na aba ativa";
constexpr const char* kDicaMx =
    "Esse filtro vai ficando mais rápido na medida em que você vai usando ele. No começo, sem ter "
    "uma base extensa de domínios analisados, a checagem pode ficar bem mais lenta";

int larguraPadrao(const std::string& s) {
  return static_cast<int>(codePointCount(s)) * 7;
}

}  // namespace

ValidationWindow::ValidationWindow(ValidationChain& c, Dialogs& dialogs, EventPump& pump)
    : chain(c), larguraTexto(larguraPadrao), dialogs_(dialogs), pump_(pump) {
  notaDaCadeia_ = chain.notices.listen([this](const ChainNotice&) { avisarMudanca(); });
}

void ValidationWindow::mostrar() {
  if (visible) return;
  visible = true;
  encostarNaDireita = false;
  chain.esquecerProcessados();
  gRodou = false;
  notices.notify({ValidationWindowNotice::Kind::shown});
}

bool ValidationWindow::fecharClicado() {
  if (gRodando) {
    if (dialogs_.msgPergunta(kMsgCancelar) == kSim) gCancelou = true;
    return false;
  }
  if (gRodou) dialogs_.msgDica("160421", kDicaFinal, 350);
  visible = false;
  chain.esquecerProcessados();
  zerarContadores();
  avisarMudanca();
  return true;
}

void ValidationWindow::opcaoMarcada(bool* opcao, bool marcada) {
  if (opcao) *opcao = marcada;
  if (marcada && (opcao == &chain.opcoes.ckbTesteMX || opcao == &chain.opcoes.ckbEmailsInvalidos))
    dialogs_.msgDica("260320213", kDicaMx, 250);
}

void ValidationWindow::mostrarAjuda(FilterHelp f) {
  static constexpr const char* kAjudas[] = {
      "Remoção de e-mails repetidos\\n\\nCada endereço é considerado uma única vez. As demais "
      "ocorrências, com qualquer combinação de maiúsculas e minúsculas, são descartadas.",
      "Verificação de sintaxe\\n\\nElimina endereços mal formados: sem \"@\", com espaços, "
      "acentos, dois \"@\" ou sem um domínio completo.",
      "Regras personalizadas\\n\\nSuas próprias regras: e-mails que contêm, começam ou terminam "
      "com um determinado texto são eliminados.",
      "Armadilhas (SPAM traps)\\n\\nEndereços usados para identificar quem envia e-mails sem "
      "permissão. Enviar para eles prejudica a reputação do seu servidor.",
      "Filtro de países\\n\\nElimina e-mails de domínios de outros países, como .fr ou .jp.",
      "Validação empírica\\n\\nElimina endereços que parecem inventados: muitas consoantes ou "
      "números seguidos, símbolos em excesso, letras e números alternados.",
      "Nomes raros\\n\\nElimina endereços estrangeiros que contêm nomes raros no Brasil. "
      "Endereços terminados em .br não passam por esse filtro.",
      "Teste MX\\n\\nConsulta o DNS para saber se o domínio do e-mail tem um servidor de e-mail. "
      "Os resultados ficam guardados no seu banco de dados.",
      "Base negativa de e-mails\\n\\nEndereços que já retornaram como inexistentes ou pediram "
      "descadastramento, colhidos das suas caixas postais.",
      "Validação pelo seu banco de dados\\n\\nQuantos endereços foram decididos pelas bases "
      "acumuladas: regras personalizadas, base negativa e domínios já analisados."};
  dialogs_.msgAjuda(kAjudas[static_cast<int>(f)]);
}

void ValidationWindow::editarFiltro(FilterEditorKind k) {
  editFilter(k, chain, dialogs_, pump_, pastaPrograma);
}

void ValidationWindow::zerarContadores() {
  chain.counters.reset();
  btnFecharHabilitado = true;
  if (!gRodando) btnIniciarHabilitado = true;
  barraProgressoVisivel = true;
  barraPos = 0;
  avisarMudanca();
}

void ValidationWindow::inicioValidacaoGrandes() {
  mostrar();
  encostarNaDireita = true;
  zerarContadores();
  chain.counters.setUndefined(Counter::lbTotalOriginal);
  btnIniciarHabilitado = false;
  btnFecharHabilitado = false;
  barraProgressoVisivel = false;
  avisarMudanca();
}

void ValidationWindow::fimValidacaoGrandes() {
  btnFecharHabilitado = true;
  avisarMudanca();
}

void ValidationWindow::iniciarValidacao() {
  // The button is disabled while a run goes on; a click that slipped through starts nothing.
  if (gRodando || !btnIniciarHabilitado) return;
  btnFecharCaption = "Cancelar";
  gRodando = true;
  btnIniciarHabilitado = false;
  gridsResultadoVisiveis = false;
  avisarMudanca();
  auto depois = [this] {
    gRodando = false;
    btnFecharCaption = "Fechar";
    btnIniciarHabilitado = true;
    gridsResultadoVisiveis = true;
    avisarMudanca();
  };
  try {
    zerarContadores();
    executarValidacao();
  } catch (...) {
    depois();
    throw;
  }
  depois();
}

int colunaEmailProvavel(const TextGrid& grid) {
  for (int c = 0; c < grid.colCount(); ++c)
    if (grid.cell(c, 1).find('@') != std::string::npos) return c;
  // How many of the first rows hold an address, column by column: a header that names the
  // addresses is believed only when its column holds some (a list whose header line was read as
  // a data row has its names column titled "emails").
  constexpr int kAmostra = 1000;
  std::vector<int> enderecos(static_cast<size_t>(grid.colCount()), 0);
  for (int r = 1; r < grid.rowCount() && r <= kAmostra; ++r)
    for (int c = 0; c < grid.colCount(); ++c)
      if (grid.cell(c, r).find('@') != std::string::npos) ++enderecos[static_cast<size_t>(c)];
  const auto maior = std::max_element(enderecos.begin(), enderecos.end());
  const int maisEnderecos = *maior > 0 ? static_cast<int>(maior - enderecos.begin()) : -1;
  for (int c = 0; c < grid.colCount(); ++c)
    if (cabecalhoDeEmail(grid.cell(c, 0)))
      return enderecos[static_cast<size_t>(c)] > 0 || maisEnderecos < 0 ? c : maisEnderecos;
  return maisEnderecos;
}

bool cabecalhoDeEmail(std::string_view cabecalho) {
  const std::string h = toLower(cabecalho);
  return h.find("email") != std::string::npos || h.find("e-mail") != std::string::npos;
}

int ValidationWindow::localizarColunaEmail(const TextGrid& grid) {
  if (int c = colunaEmailProvavel(grid); c >= 0) return c;
  std::vector<std::string> itens{"Selecione uma coluna"};
  for (auto& label : preencherListaColunas(grid)) itens.push_back(std::move(label));
  auto escolha = dialogs_.chooseItem("Selecionar uma coluna",
                                     "Selecione a coluna que contém os e-mails:", itens);
  if (escolha && *escolha >= 1 && *escolha <= grid.colCount()) return *escolha - 1;
  dialogs_.msgErro(kMsgSemColuna);
  return -1;
}

void ValidationWindow::anteciparMx(const TextGrid& grid, int coluna, int linha, int& proxima) {
  constexpr int kJanela = 2000;  // rows read ahead
  const int ate = std::min(grid.rowCount(), linha + kJanela);
  std::string email;
  for (; proxima < ate; ++proxima) {
    toLowerInto(grid.cell(coluna, proxima), email);
    chain.readAheadMxOf(trimView(email));
  }
}

void ValidationWindow::gridAddInvalido(TextGrid& grid, const std::string& email,
                                       const std::string& erro, const std::string* sugestao) {
  if (grid.rowCount() > 2 || grid.rowHasText(1)) grid.addRow();
  int linha = grid.rowCount() - 1;
  colunaSetValue(grid, linha, email, "E-mail");
  colunaSetValue(grid, linha, erro, "Erro");
  if (sugestao) colunaSetValue(grid, linha, *sugestao, kColunaSugestao);
}

void copiarComCabecalhos(const TextGrid& origem, int linhaOrigem, TextGrid& destino,
                         int linhaDestino, std::vector<int>& mapa) {
  // What colunaSetValue does column by column (the first column whose header equals ignoring
  // case, else column 0 while it is entirely blank, else a new column at the right), with the
  // headers looked up in a table and the new columns added at once: a row of 40,000 fields
  // would otherwise cost 40,000 scans of a growing header row.
  const int n = origem.colCount();
  std::unordered_map<std::string, int> indice;
  for (int d = destino.colCount() - 1; d >= 0; --d) indice[toLower(destino.cell(d, 0))] = d;
  // Column 0 is taken while entirely blank: its other rows are fixed, its header and the cell of
  // this row change as the columns are placed.
  bool outrasBrancas = true;
  for (int r = 1; r < destino.rowCount() && outrasBrancas; ++r)
    outrasBrancas = r == linhaDestino || isBlank(destino.cell(0, r));
  std::string valor0 = destino.cell(0, linhaDestino);
  auto coluna0Branca = [&] {
    return outrasBrancas && isBlank(destino.cell(0, 0)) && isBlank(valor0);
  };
  int total = destino.colCount();
  std::vector<std::pair<int, std::string_view>> novas;  // column, header (in `origem`)
  mapa.assign(n, -1);
  for (int c = 0; c < n; ++c) {
    const std::string_view cabecalho = origem.cell(c, 0);
    const std::string chave = toLower(cabecalho);
    int col;
    if (auto it = indice.find(chave); it != indice.end()) {
      col = it->second;
    } else if (coluna0Branca()) {
      col = 0;
      const std::string antiga = toLower(destino.cell(0, 0));
      destino.setCell(0, 0, std::string(cabecalho));
      destino.setColWidth(0, 100);
      if (auto velha = indice.find(antiga); velha != indice.end() && velha->second == 0) {
        indice.erase(velha);
        // New columns never carry the old blank header (it was found before them).
        for (int d = 1; d < destino.colCount(); ++d) {
          if (toLower(destino.cell(d, 0)) == antiga) {
            indice.emplace(antiga, d);
            break;
          }
        }
      }
      indice[chave] = 0;
    } else {
      col = total++;
      novas.emplace_back(col, cabecalho);
      indice.emplace(chave, col);
    }
    mapa[c] = col;
    if (col == 0) valor0 = origem.cell(c, linhaOrigem);
  }
  if (total > destino.colCount()) {
    destino.setColCount(total);
    for (const auto& [col, cabecalho] : novas) {
      destino.setCell(col, 0, std::string(cabecalho));
      destino.setColWidth(col, 100);
    }
  }
  for (int c = 0; c < n; ++c) destino.setCell(mapa[c], linhaDestino, origem.cell(c, linhaOrigem));
}

void ValidationWindow::copiarLinhaGrid(int linhaOrigem, const TextGrid& gridOrigem,
                                       TextGrid& gridDestino) {
  if (gridDestino.rowCount() > 2 || gridDestino.rowHasText(1)) gridDestino.addRow();
  int linha = gridDestino.rowCount() - 1;
  const int n = gridOrigem.colCount();
  if (static_cast<int>(mapaColunas_.size()) == n) {
    // Every header was found or made by an earlier row: the same columns take the values.
    for (int c = 0; c < n; ++c)
      gridDestino.setCell(mapaColunas_[c], linha, gridOrigem.cell(c, linhaOrigem));
    return;
  }
  copiarComCabecalhos(gridOrigem, linhaOrigem, gridDestino, linha, mapaColunas_);
}

void ValidationWindow::executarValidacao() {
  if (!listas_) throw std::logic_error("validação sem lista de trabalho");
  TextGrid& principal = listas_->principal();
  TextGrid& validos = listas_->validos();
  TextGrid& invalidos = listas_->invalidos();
  mapaColunas_.clear();
  erroDaExecucao.clear();

  if (!chain.opcoes.ckbNaoZerar) chain.esquecerProcessados();
  zerarContadores();
  int coluna = localizarColunaEmail(principal);
  colunaDaExecucao = coluna;
  barraMax = std::max(principal.rowCount() - 1, 0);  // the data rows: the header is not validated
  barraPos = 0;
  chain.counters.set(Counter::lbTotalOriginal, principal.dataRowCount());
  podeSincronizarNestaExecucao = perguntarSeCompartilha();

  chain.stagesRunStarts();
  listas_->execucaoComeca();
  struct Fim {
    ValidationLists& l;
    ~Fim() { l.execucaoTermina(); }
  } fim{*listas_};
  const bool antecipar = coluna >= 0 && chain.mxReadAheadOn();
  int proximaAntecipada = 1;

  {
    // The lists are told what changed once, when the run is over.
    TextGrid::Update u1(principal), u2(validos), u3(invalidos);
    std::string motivo, email;
    for (int linha = 1; linha < principal.rowCount(); ++linha) {
      try {
        if (antecipar && proximaAntecipada <= linha + 500)
          anteciparMx(principal, coluna, linha, proximaAntecipada);
        if (gCancelou) {
          gCancelou = false;
          dialogs_.msgInformacao(kMsgCancelada);
          break;
        }
        if (linha % 50 == 0) {
          avisarMudanca();
          pump_.processEvents();
        }
        ++barraPos;
        chain.counters.incLabelNumber(Counter::lbProcessados);
        if (coluna < 0) continue;
        // The working list stays as the user left it: the address is normalised on the way
        // into the result lists only.
        toLowerInto(principal.cell(coluna, linha), normalizado_);
        std::string_view e = trimView(normalizado_);
        if (e.empty()) continue;
        email.assign(e);
        if (!chain.primeiraOcorrencia(email)) continue;
        if (chain.passaPelasEtapas(email, true, motivo)) {
          copiarLinhaGrid(linha, principal, validos);
          validos.setCell(mapaColunas_[static_cast<size_t>(coluna)], validos.rowCount() - 1, email);
        } else {
          gridAddInvalido(invalidos, email, motivo, chain.sugestaoDaRejeicao());
        }
      } catch (const StoreFailure& e) {
        // The store cannot answer: the run stops; what was done stays in the lists.
        erroDaExecucao = e.what();
        dialogs_.msgErro(erroDaExecucao + "\\nA validação foi interrompida.");
        break;
      } catch (const std::exception&) {
        // A failure inside one row skips that row.
      }
    }
  }
  fimDaExecucao();
}

bool ValidationWindow::perguntarSeCompartilha() {
  // Only a user who takes part in sharing is asked about; a service that cannot answer means
  // "not now": the run validates as usual and shares nothing.
  avisoCompartilhamento.clear();
  if (!colaboracaoLigada()) return false;
  try {
    return sync_->podeSincronizar();
  } catch (const std::exception& e) {
    avisoCompartilhamento = std::string(kAvisoSemCompartilhamento) + " (" + e.what() + ")";
    avisarMudanca();
    return false;
  }
}

void ValidationWindow::fimDaExecucao() {
  gRodou = true;
  chain.stagesRunEnds();
  avisarMudanca();  // the window shows the bar and counters as they end before the box covers them
  if (erroDaExecucao.empty()) dialogs_.msgInformacao(kMsgFinalizado);
  if (listas_) listas_->mostrarValidos(larguraTexto);
  barraPos = 0;
  avisarMudanca();
}

}  // namespace quorvel
