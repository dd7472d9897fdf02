#include "validation/teste_mx.h"

#include <algorithm>
#include <cstring>

#include "common/format.h"
#include "common/text.h"

namespace quorvel {

TesteMX::TesteMX(Database& banco, SharingFlags& colaboracao, MxResolver& resolver, EventPump& pump,
                 const Platform& platform)
    : banco_(banco),
      colaboracao_(colaboracao),
      resolver_(resolver),
      pump_(pump),
      platform_(platform) {}

void TesteMX::runStarts() {
  // What an earlier run counted and did not keep yet goes first.
  guardarContagem();
  esquecerRespostas();
}

void TesteMX::esquecerRespostas() {
  auto nova = novaMemoria();
  for (const auto& d : contados_) {
    bool novo;
    uint8_t* e = nova->bytesOrInsert(d, novo);
    std::memcpy(e + 1, memoria_->bytes(d) + 1, sizeof(uint32_t));
    e[0] = kSemResposta;
  }
  memoria_ = std::move(nova);
  cacheRecusado_ = false;
  semRespostaSeguidas_ = 0;
  dnsAvisado_ = false;
  semResposta_.clear();
  memoriaCompartilha_ = colaboracao_.gCompartilha;
  resolver_.forgetAnswers();
}

uint8_t* TesteMX::consultarCache(HashedText dominio) {
  // The answers depend on which rows count: they are looked up again when that changes.
  if (memoriaCompartilha_ != colaboracao_.gCompartilha) esquecerRespostas();
  uint8_t* e = memoria_->bytes(dominio);
  if (e && e[0] != kSemResposta) return e;
  int r = -1;
  if (banco_.temDominioMX(kTbMxValidos, dominio.texto))
    r = 1;
  else if (banco_.temDominioMX(kTbMxInvalidos, dominio.texto))
    r = 0;
  if (r < 0) return nullptr;
  bool novo;
  e = memoria_->bytesOrInsert(dominio, novo);
  e[0] = static_cast<uint8_t>(r);
  return e;
}

void TesteMX::contar(uint8_t* e, std::string_view dominio, MxContext& v) {
  uint32_t n;
  std::memcpy(&n, e + 1, sizeof n);
  if (n == 0) {
    if (contados_.size() >= kMaxContados) return;
    contados_.emplace_back(dominio);
  }
  if (n == UINT32_MAX) return;
  ++n;
  std::memcpy(e + 1, &n, sizeof n);
  if (n == kMinimoOcorrencias) v.metOften(dominio);
}

void TesteMX::guardarContagem() {
  if (contados_.empty()) return;
  std::vector<std::pair<std::string, uint32_t>> contagem;
  contagem.reserve(contados_.size());
  for (auto& d : contados_) {
    uint32_t n;
    std::memcpy(&n, memoria_->bytes(d) + 1, sizeof n);
    contagem.emplace_back(std::move(d), n);
  }
  contados_.clear();
  // The store keeps what sharpens later runs: the domains met most often.
  if (contagem.size() > kMaxGuardados) {
    std::nth_element(contagem.begin(), contagem.begin() + kMaxGuardados, contagem.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    contagem.resize(kMaxGuardados);
  }
  // In the order of the store's index: neighbouring updates touch neighbouring pages.
  std::sort(contagem.begin(), contagem.end());
  // The counts only sharpen later suggestions: a store that cannot take them now (locked by
  // another run, full) loses this run's, nothing else.
  try {
    banco_.somarOcorrencias(contagem);
  } catch (const StoreFailure&) {
  }
}

MxAnswer TesteMX::perguntarDns(const std::string& dominio) {
  // An answer fetched ahead is taken at once; otherwise the query is made (or finished) here,
  // letting events through while it waits.
  resolver_.start(dominio);
  for (;;) {
    if (auto r = resolver_.take(dominio)) return *r;
    resolver_.process(50);
    pump_.processEvents();
  }
}

int TesteMX::siteTemMX(HashedText chave, MxContext& v) {
  const std::string_view dominioView = chave.texto;
  if (!platform_.internetConnected()) {
    ultimaOrigem = Origem::semInternet;
    return 2;
  }
  if (v.exempt(dominioView)) {
    ultimaOrigem = Origem::isento;
    if (v.countsOccurrences()) {
      bool novo;
      uint8_t* e = memoria_->bytesOrInsert(chave, novo);
      if (novo) e[0] = kSemResposta;
      contar(e, dominioView, v);
    }
    return 1;
  }
  if (uint8_t* e = consultarCache(chave)) {
    ultimaOrigem = Origem::cache;
    v.answeredFromStore();
    if (e[0] == 1 && v.countsOccurrences()) contar(e, dominioView, v);
    return e[0];
  }
  if (dominioView.empty()) {
    // No domain at all (the syntax stage is off): no mail server, and nothing worth storing.
    ultimaOrigem = Origem::dns;
    return 0;
  }
  std::string dominio(dominioView);

  int resposta = 2;
  ultimaOrigem = Origem::falha;
  if (semResposta_.find(dominio) == semResposta_.end()) {
    MxAnswer r;
    try {
      r = perguntarDns(dominio);
    } catch (const std::exception&) {
      r = MxAnswer::noAnswer;  // the resolver itself failed
    }
    if (r == MxAnswer::noAnswer) {
      // Nothing definite: nothing is stored, and this run does not ask again.
      semResposta_.insert(dominio);
      if (++semRespostaSeguidas_ >= kSemRespostaParaAvisar && !dnsAvisado_) {
        dnsAvisado_ = true;
        v.dnsNotAnswering();
      }
    } else {
      semRespostaSeguidas_ = 0;
      const bool tem = r == MxAnswer::hasMx;
      guardar(v, dominio, tem);
      bool novo;
      // The copy: the caller's text may have gone while events were let through.
      uint8_t* e = memoria_->bytesOrInsert(HashedText(dominio, chave.hash), novo);
      e[0] = tem ? 1 : 0;
      if (colaboracao_.gSyncCheck) v.sharingQueue(tem).push_back(trim(dominio));
      resposta = tem ? 1 : 0;
      ultimaOrigem = Origem::dns;
      if (tem && v.countsOccurrences()) contar(e, dominio, v);
    }
  }
  pump_.processEvents();
  compartilhar(v);
  return resposta;
}

void TesteMX::compartilhar(MxContext& v) {
  if (!colaboracao_.gCompartilha) {
    v.sharingQueue(true).clear();
    v.sharingQueue(false).clear();
    return;
  }
  if (!colaboracao_.gPodeSincronizar || !colaboracao_.gSyncCheck) return;
  auto enviar = [&](std::vector<std::string>& fila, bool validos) {
    if (fila.size() < 50) return;
    v.sharingInProgress(true);
    pump_.processEvents();
    if (fila.size() <= 250) {
      std::string texto;
      for (const auto& d : fila) {
        texto += d;
        texto += "\r\n";
      }
      bool ok = validos ? compartilhamento_->sincronizarSitesValidos(texto)
                        : compartilhamento_->sincronizarSitesInValidos(texto);
      if (ok) fila.clear();
    }
    v.sharingInProgress(false);
  };
  enviar(v.sharingQueue(true), true);
  enviar(v.sharingQueue(false), false);
}

void TesteMX::guardar(MxContext& v, const std::string& dominio, bool tem) {
  // Once the store has refused a write, this run keeps its answers in memory only: waiting for a
  // locked or full store at every domain would cost seconds each.
  if (cacheRecusado_) return;
  try {
    banco_.inserirMX(tem ? kTbMxValidos : kTbMxInvalidos, dominio, getDataSQL(banco_.hoje()), true);
  } catch (const StoreFailure& e) {
    cacheRecusado_ = true;
    v.cacheRefused(e.what());
  }
}

void TesteMX::dominiosFrequentes(size_t limite,
                                 const std::function<void(std::string_view)>& dominio) {
  // Without them the suggestions still have the providers; the run meets a failing store in
  // its own lookups.
  try {
    banco_.dominiosFrequentes(limite, dominio);
  } catch (const StoreFailure&) {
  }
}

bool TesteMX::answerKnown(HashedText dominio) const {
  const int lembrada = memoria_->valor(dominio);
  return (lembrada >= 0 && lembrada != kSemResposta) ||
         semResposta_.find(dominio.texto) != semResposta_.end() || resolver_.pending(dominio.texto);
}

void TesteMX::prefetch(HashedText chave, MxContext& v) {
  if (!platform_.internetConnected()) return;
  const std::string_view dominioView = chave.texto;
  if (v.exempt(dominioView) || answerKnown(chave)) return;
  try {
    if (consultarCache(chave)) return;
  } catch (const std::exception&) {
    return;  // the chain will meet the same failure in its own time
  }
  resolver_.start(dominioView);
  // Keep the queries flowing while the chain works through cached rows.
  if (++antecipados_ % 64 == 0) resolver_.process(0);
}

}  // namespace quorvel
