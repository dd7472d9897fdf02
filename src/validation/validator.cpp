#include "validation/validator.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "common/paths.h"
#include "common/text.h"
#include "validation/empirical.h"
#include "validation/syntax.h"

namespace quorvel {
namespace {

constexpr const char* kMsgCancelada = "A validação foi cancelada";
constexpr const char* kMsgFinalizado = "Processamento finalizado";
constexpr const char* kMsgSemColuna = "A coluna de e-mails não foi identificada";
constexpr const char* kMsgCancelar = "Quer cancelar a validação?";
constexpr const char* kMsgEstouro =
    "ATENÇÃO: a checagem de e-mails repetidos está comprometida, pois acabou de haver um estouro "
    "de memória e esse filtro precisou ser zerado nesse momento. A validação irá continuar, mas "
    "leve essa informação em consideração.";
constexpr const char* kDicaFinal =
    "Ao final da validação, a lista de e-mails válidos vai para a aba \"Válidos\", e os e-mails "
    "inválidos vão para a aba \"Inválidos\".\\n\\nOs dados da aba \"Principal\" não são alterados. "
    "Ficam conforme estavam originalmente antes da validação.\\n\\nPara salvar e exportar os "
    "e-mails válidos ou inválidos, vá para a respectiva aba e então use as funções do menu ou da "
    "barra de ferramentas. Elas irão agir na lista que estiver aberta na aba ativa";
constexpr const char* kDicaMx =
    "Esse filtro vai ficando mais rápido na medida em que você vai usando ele. No começo, sem ter "
    "uma base extensa de domínios analisados, a checagem pode ficar bem mais lenta";

// The last three characters (code points) of a text.
std::string_view ultimosTres(std::string_view s) {
  size_t pos = s.size();
  for (int k = 0; k < 3 && pos > 0; ++k) {
    --pos;
    while (pos > 0 && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80) --pos;
  }
  return s.substr(pos);
}

bool terminaCom(std::string_view s, std::string_view fim) {
  return s.size() >= fim.size() && s.substr(s.size() - fim.size()) == fim;
}

int larguraPadrao(const std::string& s) {
  return static_cast<int>(codePointCount(s)) * 7;
}

}  // namespace

bool* stageOptionByName(StageOptions& o, std::string_view nome) {
  if (nome == "sintaxe") return &o.ckbSintaxe;
  if (nome == "regras") return &o.ckbRegras;
  if (nome == "armadilhas") return &o.ckbArmadilhas;
  if (nome == "internacional") return &o.ckbInternacional;
  if (nome == "empirico") return &o.ckbEmpirico;
  if (nome == "nomesraros") return &o.ckbNomesRaros;
  if (nome == "testemx") return &o.ckbTesteMX;
  if (nome == "emailsinvalidos") return &o.ckbEmailsInvalidos;
  return nullptr;
}

Validator::Validator(Dialogs& dialogs, EventPump& pump)
    : gProcessados(std::make_unique<DuplicateMemory>()),
      larguraTexto(larguraPadrao),
      dialogs_(dialogs),
      pump_(pump) {}

void Validator::mostrar() {
  if (visible) return;
  visible = true;
  gProcessados = std::make_unique<DuplicateMemory>();
  gRodou = false;
  if (onFecharDefinicoes) onFecharDefinicoes();
  notify();
}

bool Validator::fecharClicado() {
  if (gRodando) {
    if (dialogs_.msgPergunta(kMsgCancelar) == kSim) gCancelou = true;
    return false;
  }
  if (gRodou) dialogs_.msgDica("160421", kDicaFinal, 350);
  visible = false;
  gProcessados = std::make_unique<DuplicateMemory>();
  zerarContadores();
  notify();
  return true;
}

void Validator::opcaoMarcada(bool* opcao, bool marcada) {
  if (opcao) *opcao = marcada;
  if (marcada && (opcao == &opcoes.ckbTesteMX || opcao == &opcoes.ckbEmailsInvalidos))
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
  counters.reset();
  btnFecharHabilitado = true;
  if (!gRodando) btnIniciarHabilitado = true;
  barraProgressoVisivel = true;
  barraPos = 0;
  notify();
}

void Validator::iniciarValidacao() {
  btnFecharCaption = "Cancelar";
  gRodando = true;
  btnIniciarHabilitado = false;
  gridsResultadoVisiveis = false;
  notify();
  auto depois = [this] {
    gRodando = false;
    btnFecharCaption = "Fechar";
    btnIniciarHabilitado = true;
    gridsResultadoVisiveis = true;
    notify();
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

void Validator::rejeitar(Counter c) {
  counters.incLabelNumber(Counter::lbTotalInvalidos);
  counters.incLabelNumber(c);
}

Validator::Etapa Validator::etapaQueRejeita(std::string_view email, bool empiricoCompleto,
                                            std::string& erro) const {
  if (opcoes.ckbSintaxe && !ValidateEmail(email)) return Etapa::sintaxe;
  if (opcoes.ckbRegras && gRegras) {
    erro.clear();
    if (casaLista(email, *gRegras, erro)) return Etapa::regras;
  }
  if (opcoes.ckbArmadilhas && gTraps && casaLista(email, *gTraps, erro)) return Etapa::armadilhas;
  if (opcoes.ckbInternacional && gFiltroPaises) {
    std::string_view fim = ultimosTres(email);
    if (fim.find('.') != std::string_view::npos && gFiltroPaises->contem(fim))
      return Etapa::internacional;
  }
  if (opcoes.ckbEmpirico && filtroEmpirico(email, empiricoCompleto, erro)) return Etapa::empirico;
  if (opcoes.ckbNomesRaros && gNomesRaros) {
    erro.clear();
    if (!terminaCom(email, ".br") && casaLista(email, *gNomesRaros, erro)) return Etapa::nomesRaros;
  }
  return Etapa::nenhuma;
}

Validator::Resultado Validator::etapas(std::string_view email, bool empiricoCompleto,
                                       std::string& motivo) {
  switch (etapaQueRejeita(email, empiricoCompleto, gErro)) {
    case Etapa::sintaxe:
      rejeitar(Counter::lbSintaxe);
      motivo = "Erro de sintaxe";
      return Resultado::invalido;
    case Etapa::regras:
      rejeitar(Counter::lbRegras);
      counters.incLabelNumber(Counter::lbBases);
      motivo = "Regra personalizada" + gErro;
      return Resultado::invalido;
    case Etapa::armadilhas:
      rejeitar(Counter::lbArmadilhas);
      motivo = "Armadilha";
      return Resultado::invalido;
    case Etapa::internacional:
      rejeitar(Counter::lbInternacional);
      motivo = "Filtro de países: ";
      motivo += ultimosTres(email);
      return Resultado::invalido;
    case Etapa::empirico:
      rejeitar(Counter::lbEmpirico);
      motivo = "Filtro empírico - " + gErro;
      return Resultado::invalido;
    case Etapa::nomesRaros:
      rejeitar(Counter::lbNomesRaros);
      motivo = "Nomes raros: " + gErro;
      return Resultado::invalido;
    case Etapa::nenhuma:
      break;
  }
  size_t arroba = email.find('@');
  std::string_view dominio =
      arroba == std::string_view::npos ? std::string_view() : email.substr(arroba + 1);
  if (opcoes.ckbTesteMX && mx_->siteTemMX(dominio, *this) == 0) {
    rejeitar(Counter::lbTesteMx);
    motivo = "Teste MX - ";
    motivo += dominio;
    return Resultado::invalido;
  }
  if (opcoes.ckbEmailsInvalidos) {
    int tipo = base_->temEmailInvalido(email);
    if (tipo > 0) {
      rejeitar(Counter::lbEmailsInvalidos);
      counters.incLabelNumber(Counter::lbBases);
      motivo = tipo == 1 ? "Base negativa: e-mail inexistente"
                         : "Base negativa: e-mail indisponível para recebimento";
      return Resultado::invalido;
    }
  }
  counters.incLabelNumber(Counter::lbTotalFinal);
  return Resultado::valido;
}

void Validator::anteciparMx(const TextGrid& grid, int coluna, int linha, int& proxima) {
  constexpr int kJanela = 2000;  // rows read ahead
  const int ate = std::min(grid.rowCount(), linha + kJanela);
  std::string email;
  for (; proxima < ate; ++proxima) {
    toLowerInto(grid.cell(coluna, proxima), email);
    readAheadMxOf(trimView(email));
  }
}

void Validator::readAheadMxOf(std::string_view e) {
  if (e.empty()) return;
  size_t arroba = e.find('@');
  std::string_view dominio =
      arroba == std::string_view::npos ? std::string_view() : e.substr(arroba + 1);
  // Most addresses share domains already answered: the cheap test goes first.
  if (mx_->answerKnown(dominio) || gProcessados->contains(e)) return;
  std::string erro;
  if (etapaQueRejeita(e, true, erro) != Etapa::nenhuma) return;
  mx_->antecipar(dominio, *this);
}

std::string Validator::validarEmail(std::string_view email, std::string& erro) {
  try {
    toLowerInto(email, normalizado_);
  } catch (...) {
    erro.clear();
    return {};
  }
  return std::string(validarNormalizado(trimView(normalizado_), erro));
}

void Validator::prefetchDuplicate(std::string_view normalizado) {
  if (gProcessados) gProcessados->prefetch(normalizado);
}

void Validator::stagesRunStarts() {
  mx_->runStarts();
  base_->runStarts();
}

std::string_view Validator::validarNormalizado(std::string_view e, std::string& erro) {
  erro.clear();
  try {
    if (e.empty()) return {};
    bool novo;
    try {
      novo = gProcessados->insert(e);
    } catch (const std::bad_alloc&) {
      gProcessados.reset();
      gProcessados = std::make_unique<DuplicateMemory>();
      dialogs_.msgAviso(kMsgEstouro);
      novo = true;
      // The fresh memory starts with this address, so its next occurrence is still caught.
      try {
        gProcessados->insert(e);
      } catch (const std::bad_alloc&) {
      }
    }
    if (!novo) {
      rejeitar(Counter::lbRepetidos);
      erro = "E-mail repetido";
      return {};
    }
    if (opcoes.ckbEmailsInvalidos) base_->prefetchLookup(e);
    std::string motivo;
    if (etapas(e, false, motivo) == Resultado::valido) return e;
    erro = std::move(motivo);
    return {};
  } catch (...) {
    erro.clear();
    return {};
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
  if (!editor_) throw std::logic_error("validação sem lista de trabalho");
  TextGrid& principal = editor_->gridMain;
  TextGrid& validos = editor_->gridValidos;
  TextGrid& invalidos = editor_->gridInvalidos;
  mapaColunas_.clear();

  if (!opcoes.ckbNaoZerar) gProcessados = std::make_unique<DuplicateMemory>();
  zerarContadores();
  int coluna = localizarColunaEmail(principal);
  barraMax = principal.rowCount();
  barraPos = 0;
  counters.set(Counter::lbTotalOriginal, principal.dataRowCount());
  try {
    podeSincronizarNestaExecucao = sync_->podeSincronizar();
  } catch (...) {
    fimDaExecucao();
    throw;
  }

  stagesRunStarts();
  const bool antecipar = coluna >= 0 && mxReadAheadOn();
  int proximaAntecipada = 1;

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
        notify();
        pump_.processEvents();
      }
      ++barraPos;
      counters.incLabelNumber(Counter::lbProcessados);
      if (coluna < 0) continue;
      toLowerInto(principal.cell(coluna, linha), normalizado_);
      std::string_view e = trimView(normalizado_);
      if (e.empty()) continue;
      principal.setCell(coluna, linha, std::string(e));
      const std::string& email = principal.cell(coluna, linha);
      if (!gProcessados->insert(email)) {
        rejeitar(Counter::lbRepetidos);
        continue;
      }
      if (etapas(email, true, motivo) == Resultado::valido)
        copiarLinhaGrid(linha, principal, validos);
      else
        gridAddInvalido(invalidos, email, motivo);
    } catch (const std::exception&) {
      // A failure inside one row skips that row.
    }
  }
  fimDaExecucao();
}

void Validator::fimDaExecucao() {
  gRodou = true;
  dialogs_.msgInformacao(kMsgFinalizado);
  if (editor_) {
    editor_->setAbaAtiva(kAbaValidos);
    editor_->AutoSizeGrid(editor_->gridValidos, larguraTexto);
    editor_->mudarGGrid(editor_->gridValidos);
    editor_->showStatus(editor_->gridValidos);
  }
  barraPos = 0;
  notify();
}

void carregarDefinicoes(Validator& v, const std::string& home) {
  std::string pasta = paths::dadosConfig(home);
  v.gRegras = loadFilterList(paths::join(pasta, kRulesFile));
  v.gTraps = loadFilterList(paths::join(pasta, kTrapsFile));
  v.gFiltroPaises = loadFilterList(paths::join(pasta, kCountriesFile));
  v.gNomesRaros = loadFilterList(paths::join(pasta, kRareNamesFile));
  v.gSitesIgnorados = loadFilterList(paths::join(pasta, kIgnoredSitesFile));
}

}  // namespace quorvel
