#include "validation/validation_chain.h"

#include <new>

#include "common/paths.h"
#include "common/text.h"
#include "store/store_failure.h"
#include "validation/empirical.h"
#include "validation/syntax.h"

namespace quorvel {
namespace {

constexpr const char* kMsgEstouro =
    "ATENÇÃO: a checagem de e-mails repetidos está comprometida, pois acabou de haver um estouro "
    "de memória e esse filtro precisou ser zerado nesse momento. A validação irá continuar, mas "
    "leve essa informação em consideração.";

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

// Stages 2 to 7 over the options and lists given (the chain's own, or a copy of them).
FilterStage filterStageRejecting(const StageOptions& o, const FilterList* regras,
                                 const FilterList* traps, const FilterList* paises,
                                 const FilterList* nomesRaros, std::string_view email,
                                 bool empiricoCompleto, std::string& erro) {
  if (o.ckbSintaxe && !ValidateEmail(email)) return FilterStage::sintaxe;
  if (o.ckbRegras && regras) {
    erro.clear();
    if (casaLista(email, *regras, erro)) return FilterStage::regras;
  }
  if (o.ckbArmadilhas && traps && casaLista(email, *traps, erro)) return FilterStage::armadilhas;
  if (o.ckbInternacional && paises) {
    std::string_view fim = ultimosTres(email);
    if (fim.find('.') != std::string_view::npos && paises->contem(fim))
      return FilterStage::internacional;
  }
  if (o.ckbEmpirico && filtroEmpirico(email, empiricoCompleto, erro)) return FilterStage::empirico;
  if (o.ckbNomesRaros && nomesRaros) {
    erro.clear();
    if (!terminaCom(email, ".br") && casaLista(email, *nomesRaros, erro))
      return FilterStage::nomesRaros;
  }
  return FilterStage::nenhuma;
}

}  // namespace

std::string_view dominioDe(std::string_view email) {
  size_t arroba = email.find('@');
  return arroba == std::string_view::npos ? std::string_view() : email.substr(arroba + 1);
}

FilterStages::FilterStages(const ValidationChain& c)
    : opcoes_(c.opcoes),
      regras_(c.gRegras),
      traps_(c.gTraps),
      paises_(c.gFiltroPaises),
      nomesRaros_(c.gNomesRaros) {}

bool FilterStages::sameAs(const ValidationChain& c) const {
  const StageOptions& o = c.opcoes;
  return o.ckbSintaxe == opcoes_.ckbSintaxe && o.ckbRegras == opcoes_.ckbRegras &&
         o.ckbArmadilhas == opcoes_.ckbArmadilhas &&
         o.ckbInternacional == opcoes_.ckbInternacional && o.ckbEmpirico == opcoes_.ckbEmpirico &&
         o.ckbNomesRaros == opcoes_.ckbNomesRaros && c.gRegras == regras_ && c.gTraps == traps_ &&
         c.gFiltroPaises == paises_ && c.gNomesRaros == nomesRaros_;
}

FilterStage FilterStages::rejeita(std::string_view email, bool empiricoCompleto,
                                  std::string& erro) const {
  return filterStageRejecting(opcoes_, regras_.get(), traps_.get(), paises_.get(),
                              nomesRaros_.get(), email, empiricoCompleto, erro);
}

bool* stageOptionByName(StageOptions& o, std::string_view nome) {
  if (nome == "sintaxe") return &o.ckbSintaxe;
  if (nome == "regras") return &o.ckbRegras;
  if (nome == "armadilhas") return &o.ckbArmadilhas;
  if (nome == "internacional") return &o.ckbInternacional;
  if (nome == "empirico") return &o.ckbEmpirico;
  if (nome == "nomesraros") return &o.ckbNomesRaros;
  if (nome == "testemx") return &o.ckbTesteMX;
  if (nome == "emailsinvalidos") return &o.ckbEmailsInvalidos;
  if (nome == "sugestoes") return &o.sugestoes;
  return nullptr;
}

ValidationChain::ValidationChain(Dialogs& dialogs)
    : gProcessados(std::make_unique<DuplicateMemory>()), dialogs_(dialogs) {}

bool ValidationChain::exempt(std::string_view dominio) const {
  return gSitesIgnorados && gSitesIgnorados->contem(dominio);
}

void ValidationChain::sharingInProgress(bool ligado) {
  notaSincronizando = ligado;
  notices.notify({ChainNotice::Kind::sharingNote});
}

void ValidationChain::avisar(const std::string& texto) {
  aviso = texto;
  notices.notify({ChainNotice::Kind::warning});
  if (!avisosNaJanela) dialogs_.msgAviso(texto);
}

void ValidationChain::cacheRefused(const std::string& motivo) {
  avisar("As respostas do teste MX desta validação não puderam ser guardadas no banco de dados: " +
         motivo +
         "\\nElas continuam valendo nesta validação, mas os domínios serão consultados de novo na "
         "próxima.");
}

void ValidationChain::dnsNotAnswering() {
  avisar(
      "O servidor DNS não está respondendo. Os domínios sem resposta passam pelo teste MX e não "
      "ficam guardados; confira a conexão com a internet ou o servidor DNS.");
}

void ValidationChain::rejeitar(Counter c) {
  counters.incLabelNumber(Counter::lbTotalInvalidos);
  counters.incLabelNumber(c);
}

ValidationChain::Etapa ValidationChain::etapaQueRejeita(std::string_view email,
                                                        bool empiricoCompleto,
                                                        std::string& erro) const {
  return filterStageRejecting(opcoes, gRegras.get(), gTraps.get(), gFiltroPaises.get(),
                              gNomesRaros.get(), email, empiricoCompleto, erro);
}

RejectionStage ValidationChain::rejeicao(std::string_view email, bool empiricoCompleto,
                                         std::string& motivo, const PreparedAddress* pronto) {
  Etapa etapa;
  // The verdict found ahead holds while the lists and check boxes are the ones it was found with.
  if (pronto && pronto->etapas && !empiricoCompleto && pronto->etapas->sameAs(*this)) {
    etapa = pronto->etapa;
    if (etapa != Etapa::nenhuma) gErro.assign(pronto->detalhe);
  } else {
    etapa = etapaQueRejeita(email, empiricoCompleto, gErro);
  }
  switch (etapa) {
    case Etapa::sintaxe:
      rejeitar(Counter::lbSintaxe);
      motivo = "Erro de sintaxe";
      return RejectionStage::syntax;
    case Etapa::regras:
      rejeitar(Counter::lbRegras);
      counters.incLabelNumber(Counter::lbBases);
      motivo = "Regra personalizada" + gErro;
      return RejectionStage::beforeMx;
    case Etapa::armadilhas:
      rejeitar(Counter::lbArmadilhas);
      motivo = "Armadilha";
      return RejectionStage::beforeMx;
    case Etapa::internacional:
      rejeitar(Counter::lbInternacional);
      motivo = "Filtro de países: ";
      motivo += ultimosTres(email);
      return RejectionStage::beforeMx;
    case Etapa::empirico:
      rejeitar(Counter::lbEmpirico);
      motivo = "Filtro empírico - " + gErro;
      return RejectionStage::beforeMx;
    case Etapa::nomesRaros:
      rejeitar(Counter::lbNomesRaros);
      motivo = "Nomes raros: " + gErro;
      return RejectionStage::beforeMx;
    case Etapa::nenhuma:
      break;
  }
  std::string_view dominio = pronto ? pronto->dominio.texto : dominioDe(email);
  if (opcoes.ckbTesteMX) {
    const int mx = pronto ? mx_->siteTemMX(pronto->dominio, *this) : mx_->siteTemMX(dominio, *this);
    if (mx == 0) {
      rejeitar(Counter::lbTesteMx);
      motivo = "Teste MX - ";
      motivo += dominio;
      return RejectionStage::mx;
    }
  }
  if (opcoes.ckbEmailsInvalidos) {
    int tipo = pronto ? base_->temEmailInvalido(pronto->email) : base_->temEmailInvalido(email);
    if (tipo > 0) {
      rejeitar(Counter::lbEmailsInvalidos);
      counters.incLabelNumber(Counter::lbBases);
      motivo = tipo == 1 ? "Base negativa: e-mail inexistente"
                         : "Base negativa: e-mail indisponível para recebimento";
      return RejectionStage::afterMx;
    }
  }
  return RejectionStage::none;
}

bool ValidationChain::passaPelasEtapas(std::string_view email, bool empiricoCompleto,
                                       std::string& motivo, const PreparedAddress* pronto) {
  sugestao.clear();
  const RejectionStage onde = rejeicao(email, empiricoCompleto, motivo, pronto);
  if (onde == RejectionStage::none) {
    counters.incLabelNumber(Counter::lbTotalFinal);
    return true;
  }
  if (sugestoesLigadas()) anotarSugestao(email, onde, empiricoCompleto);
  return false;
}

// The MX stage's questions about a domain a suggestion needs: the same cache, DNS and sharing
// queues, but no "decided by the bases" on the panel for an address nobody validated.
class ValidationChain::MxSemContagem : public MxContext {
 public:
  explicit MxSemContagem(ValidationChain& c) : c_(c) {}
  bool exempt(std::string_view d) const override { return c_.exempt(d); }
  void answeredFromStore() override {}
  std::vector<std::string>& sharingQueue(bool v) override { return c_.sharingQueue(v); }
  void sharingInProgress(bool ligado) override { c_.sharingInProgress(ligado); }
  void cacheRefused(const std::string& motivo) override { c_.cacheRefused(motivo); }
  void dnsNotAnswering() override { c_.dnsNotAnswering(); }

 private:
  ValidationChain& c_;
};

int ValidationChain::respostaMx(std::string_view dominio) {
  MxSemContagem contexto(*this);
  return mx_->siteTemMX(dominio, contexto);
}

bool ValidationChain::aceitaria(std::string_view email) {
  // A suggestion is a proper address even while the syntax stage is off.
  if (!opcoes.ckbSintaxe && !ValidateEmail(email)) return false;
  std::string erro;
  if (etapaQueRejeita(email, empiricoCompletoDaSugestao_, erro) != Etapa::nenhuma) return false;
  return !opcoes.ckbEmailsInvalidos || base_->temEmailInvalido(email) <= 0;
}

void ValidationChain::anotarSugestao(std::string_view email, RejectionStage onde,
                                     bool empiricoCompleto) {
  sugestoes_.usarProvedores(gProvedores);
  empiricoCompletoDaSugestao_ = empiricoCompleto;
  try {
    sugestao = sugestoes_.sugerir(email, onde, *this);
  } catch (const StoreFailure&) {
    throw;  // the store cannot answer: the run stops, as the row's own lookups would stop it
  } catch (const std::exception&) {
    sugestao.clear();  // the row keeps its reason, without a suggestion
  }
}

bool ValidationChain::primeiraOcorrencia(const std::string& email) {
  if (gProcessados->insert(email)) return true;
  rejeitar(Counter::lbRepetidos);
  return false;
}

void ValidationChain::readAheadMxOf(std::string_view e) {
  PreparedAddress a;
  a.email = HashedText(e);
  a.dominio = HashedText(dominioDe(e));
  readAheadMxOf(a);
}

std::string ValidationChain::validarEmail(std::string_view email, std::string& erro) {
  try {
    toLowerInto(email, normalizado_);
  } catch (...) {
    erro.clear();
    return {};
  }
  return std::string(validarNormalizado(trimView(normalizado_), erro));
}

void ValidationChain::prefetchDuplicate(std::string_view normalizado) {
  if (gProcessados) gProcessados->prefetch(normalizado);
}

void ValidationChain::prefetchLookups(const PreparedAddress& a) {
  if (gProcessados) gProcessados->prefetch(a.email.hash);
  if (opcoes.ckbTesteMX) mx_->prefetchEntry(a.dominio.hash);
  if (opcoes.ckbEmailsInvalidos) base_->prefetchLookup(a.email.hash);
}

bool ValidationChain::readAheadMxOf(const PreparedAddress& a) {
  if (a.email.texto.empty()) return false;
  // Most addresses share domains already answered: the cheap test goes first.
  if (mx_->answerKnown(a.dominio)) return true;
  if (gProcessados->contains(a.email)) return false;
  std::string erro;
  if (etapaQueRejeita(a.email.texto, true, erro) != Etapa::nenhuma) return false;
  mx_->prefetch(a.dominio, *this);
  return false;
}

void ValidationChain::stagesRunStarts() {
  if (!aviso.empty()) {
    aviso.clear();
    notices.notify({ChainNotice::Kind::warning});
  }
  mx_->runStarts();
  base_->runStarts();
  if (sugestoesLigadas()) {
    sugestoes_.usarProvedores(gProvedores);
    sugestoes_.runStarts(*mx_, *this);
  }
}

void ValidationChain::stagesExpect(size_t n) {
  if (opcoes.ckbEmailsInvalidos) base_->expectLookups(n);
}

void ValidationChain::stagesRunEnds() {
  mx_->runEnds();
}

std::string_view ValidationChain::validarNormalizado(std::string_view e, std::string& erro) {
  return validar(e, nullptr, erro);
}

std::string_view ValidationChain::validarPreparado(const PreparedAddress& a, std::string& erro) {
  return validar(a.email.texto, &a, erro);
}

std::string_view ValidationChain::validar(std::string_view e, const PreparedAddress* pronto,
                                          std::string& erro) {
  erro.clear();
  sugestao.clear();
  try {
    if (e.empty()) return {};
    bool novo;
    try {
      novo = pronto ? gProcessados->insert(pronto->email) : gProcessados->insert(e);
    } catch (const std::bad_alloc&) {
      gProcessados.reset();
      gProcessados = std::make_unique<DuplicateMemory>();
      avisar(kMsgEstouro);
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
    // A prepared address had its lookups prefetched lines ahead.
    if (opcoes.ckbEmailsInvalidos && !pronto) base_->prefetchLookup(e);
    std::string motivo;
    if (passaPelasEtapas(e, false, motivo, pronto)) return e;
    erro = std::move(motivo);
    return {};
  } catch (const StoreFailure&) {
    throw;  // the store cannot answer: the run stops, this is not about the address
  } catch (...) {
    erro.clear();
    return {};
  }
}

const FilterList& carregarDefinicao(ValidationChain& chain, const std::string& home,
                                    const DefinitionFile& arquivo) {
  FilterListPtr& lista = chain.*arquivo.lista;
  lista = loadFilterList(paths::join(paths::dadosConfig(home), arquivo.arquivo));
  return *lista;
}

void carregarDefinicoes(ValidationChain& chain, const std::string& home) {
  for (const DefinitionFile& arquivo : kArquivosDefinicao) carregarDefinicao(chain, home, arquivo);
  carregarProvedores(chain, home);
}

void carregarProvedores(ValidationChain& chain, const std::string& home) {
  chain.gProvedores = loadFilterList(paths::join(paths::dadosConfig(home), kProvidersFile));
}

}  // namespace quorvel
