#include "validation/teste_mx.h"

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
  memoria_ = std::make_unique<DuplicateMemory>();
  cacheRecusado_ = false;
  semRespostaSeguidas_ = 0;
  dnsAvisado_ = false;
  semResposta_.clear();
  memoriaCompartilha_ = colaboracao_.gCompartilha;
  resolver_.forgetAnswers();
}

int TesteMX::consultarCache(std::string_view dominio) {
  if (memoriaCompartilha_ != colaboracao_.gCompartilha) runStarts();
  int lembrada = memoria_->valor(dominio);
  if (lembrada >= 0) return lembrada;
  int r = -1;
  if (banco_.temDominioMX(kTbMxValidos, dominio))
    r = 1;
  else if (banco_.temDominioMX(kTbMxInvalidos, dominio))
    r = 0;
  if (r >= 0) memoria_->insert(dominio, static_cast<uint8_t>(r));
  return r;
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

int TesteMX::siteTemMX(std::string_view dominioView, MxContext& v) {
  if (!platform_.internetConnected()) {
    ultimaOrigem = Origem::semInternet;
    return 2;
  }
  if (v.exempt(dominioView)) {
    ultimaOrigem = Origem::isento;
    return 1;
  }
  int cache = consultarCache(dominioView);
  if (cache >= 0) {
    ultimaOrigem = Origem::cache;
    v.answeredFromStore();
    return cache;
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
      memoria_->insert(dominio, tem ? 1 : 0);
      if (colaboracao_.gSyncCheck) v.sharingQueue(tem).push_back(trim(dominio));
      resposta = tem ? 1 : 0;
      ultimaOrigem = Origem::dns;
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

void TesteMX::somarOcorrencias(const std::vector<std::pair<std::string, uint32_t>>& contagem) {
  // The counts only sharpen later suggestions: a store that cannot take them now (locked by
  // another run, full) loses this run's, nothing else.
  try {
    banco_.somarOcorrencias(contagem);
  } catch (const StoreFailure&) {
  }
}

bool TesteMX::answerKnown(std::string_view dominio) const {
  return memoria_->valor(dominio) >= 0 || semResposta_.find(dominio) != semResposta_.end() ||
         resolver_.pending(dominio);
}

void TesteMX::prefetch(std::string_view dominioView, MxContext& v) {
  if (!platform_.internetConnected()) return;
  if (v.exempt(dominioView) || answerKnown(dominioView)) return;
  try {
    if (consultarCache(dominioView) >= 0) return;
  } catch (const std::exception&) {
    return;  // the chain will meet the same failure in its own time
  }
  resolver_.start(dominioView);
  // Keep the queries flowing while the chain works through cached rows.
  if (++antecipados_ % 64 == 0) resolver_.process(0);
}

}  // namespace quorvel
