#include "validation/validator.h"

#include <algorithm>
#include <stdexcept>

#include "common/text.h"

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

Validator::Validator(Dialogs& dialogs, EventPump& pump)
    : chain(dialogs), larguraTexto(larguraPadrao), dialogs_(dialogs), pump_(pump) {
  notaDaCadeia_ = chain.notices.listen([this](const ChainNotice&) { avisarMudanca(); });
}

void Validator::mostrar() {
  if (visible) return;
  visible = true;
  chain.esquecerProcessados();
  gRodou = false;
  if (onFecharDefinicoes) onFecharDefinicoes();
  avisarMudanca();
}

bool Validator::fecharClicado() {
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

void Validator::opcaoMarcada(bool* opcao, bool marcada) {
  if (opcao) *opcao = marcada;
  if (marcada && (opcao == &chain.opcoes.ckbTesteMX || opcao == &chain.opcoes.ckbEmailsInvalidos))
    dialogs_.msgDica("260320213", kDicaMx, 250);
}

void Validator::mostrarAjuda(FilterHelp f) {
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

void Validator::zerarContadores() {
  chain.counters.reset();
  btnFecharHabilitado = true;
  if (!gRodando) btnIniciarHabilitado = true;
  barraProgressoVisivel = true;
  barraPos = 0;
  avisarMudanca();
}

void Validator::inicioValidacaoGrandes() {
  mostrar();
  zerarContadores();
  chain.counters.setUndefined(Counter::lbTotalOriginal);
  btnIniciarHabilitado = false;
  btnFecharHabilitado = false;
  barraProgressoVisivel = false;
  avisarMudanca();
}

void Validator::fimValidacaoGrandes() {
  btnFecharHabilitado = true;
  avisarMudanca();
}

void Validator::iniciarValidacao() {
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

int Validator::localizarColunaEmail(const TextGrid& grid) {
  for (int c = 0; c < grid.colCount(); ++c)
    if (grid.cell(c, 1).find('@') != std::string::npos) return c;
  for (int c = 0; c < grid.colCount(); ++c) {
    std::string h = toLower(grid.cell(c, 0));
    if (h.find("email") != std::string::npos || h.find("e-mail") != std::string::npos) return c;
  }
  std::vector<std::string> itens{"Selecione uma coluna"};
  for (auto& label : preencherListaColunas(grid)) itens.push_back(std::move(label));
  auto escolha = dialogs_.chooseItem("Selecionar uma coluna",
                                     "Selecione a coluna que contém os e-mails:", itens);
  if (escolha && *escolha >= 1 && *escolha <= grid.colCount()) return *escolha - 1;
  dialogs_.msgErro(kMsgSemColuna);
  return -1;
}

void Validator::anteciparMx(const TextGrid& grid, int coluna, int linha, int& proxima) {
  constexpr int kJanela = 2000;  // rows read ahead
  const int ate = std::min(grid.rowCount(), linha + kJanela);
  std::string email;
  for (; proxima < ate; ++proxima) {
    toLowerInto(grid.cell(coluna, proxima), email);
    chain.readAheadMxOf(trimView(email));
  }
}

void Validator::gridAddInvalido(TextGrid& grid, const std::string& email, const std::string& erro) {
  if (grid.rowCount() > 2 || grid.rowHasText(1)) grid.addRow();
  int linha = grid.rowCount() - 1;
  colunaSetValue(grid, linha, email, "E-mail");
  colunaSetValue(grid, linha, erro, "Erro");
}

void Validator::copiarLinhaGrid(int linhaOrigem, const TextGrid& gridOrigem,
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
  for (int c = 0; c < n; ++c)
    colunaSetValue(gridDestino, linha, gridOrigem.cell(c, linhaOrigem), gridOrigem.cell(c, 0));
  // From now on every header exists, so plain lookups give what colunaSetValue would find.
  mapaColunas_.assign(n, -1);
  for (int c = 0; c < n; ++c) {
    for (int d = 0; d < gridDestino.colCount(); ++d)
      if (equalsIgnoreCase(gridDestino.cell(d, 0), gridOrigem.cell(c, 0))) {
        mapaColunas_[c] = d;
        break;
      }
    if (mapaColunas_[c] < 0) {
      mapaColunas_.clear();
      return;
    }
  }
}

void Validator::executarValidacao() {
  if (!listas_) throw std::logic_error("validação sem lista de trabalho");
  TextGrid& principal = listas_->principal();
  TextGrid& validos = listas_->validos();
  TextGrid& invalidos = listas_->invalidos();
  mapaColunas_.clear();

  if (!chain.opcoes.ckbNaoZerar) chain.esquecerProcessados();
  zerarContadores();
  int coluna = localizarColunaEmail(principal);
  barraMax = principal.rowCount();
  barraPos = 0;
  chain.counters.set(Counter::lbTotalOriginal, principal.dataRowCount());
  try {
    podeSincronizarNestaExecucao = sync_->podeSincronizar();
  } catch (...) {
    fimDaExecucao();
    throw;
  }

  chain.stagesRunStarts();
  const bool antecipar = coluna >= 0 && chain.mxReadAheadOn();
  int proximaAntecipada = 1;

  {
    // The lists are told what changed once, when the run is over.
    TextGrid::Update u1(principal), u2(validos), u3(invalidos);
    std::string motivo;
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
        toLowerInto(principal.cell(coluna, linha), normalizado_);
        std::string_view e = trimView(normalizado_);
        if (e.empty()) continue;
        principal.setCell(coluna, linha, std::string(e));
        const std::string& email = principal.cell(coluna, linha);
        if (!chain.primeiraOcorrencia(email)) continue;
        if (chain.passaPelasEtapas(email, true, motivo))
          copiarLinhaGrid(linha, principal, validos);
        else
          gridAddInvalido(invalidos, email, motivo);
      } catch (const std::exception&) {
        // A failure inside one row skips that row.
      }
    }
  }
  fimDaExecucao();
}

void Validator::fimDaExecucao() {
  gRodou = true;
  dialogs_.msgInformacao(kMsgFinalizado);
  if (listas_) listas_->mostrarValidos(larguraTexto);
  barraPos = 0;
  avisarMudanca();
}

}  // namespace quorvel
