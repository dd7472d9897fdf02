#pragma once
// What the chain asks of other parts of the program: the MX test, the negative base and the
// sharing question. Until those parts are connected, the defaults let every address pass and
// answer that sharing is not allowed.

#include <string>
#include <string_view>

namespace quorvel {

class Validador;

// MX answers: 0 = no mail server, 1 = has one, 2 = no answer obtained.
class MxTeste {
 public:
  virtual ~MxTeste() = default;
  virtual int siteTemMX(std::string_view dominio, Validador& validador) = 0;
  // A run (grid or bulk) starts: answers remembered from the database are dropped.
  virtual void inicioExecucao() {}
  // Whether lookups of domains further down the list may be started ahead of time.
  virtual bool querAntecipar() const { return false; }
  // A domain the chain will ask about soon; its lookup may start now.
  virtual void antecipar(std::string_view dominio, Validador& validador) {}
  // True when this run already has the domain's answer (or is fetching it): nothing to start.
  virtual bool respostaConhecida(std::string_view dominio) const { return true; }
};

// Negative base: the error type of a known invalid address, 0 when it is not known.
class BaseNegativa {
 public:
  virtual ~BaseNegativa() = default;
  virtual int temEmailInvalido(std::string_view email) = 0;
  virtual void inicioExecucao() {}
  // The address will be asked about shortly (after the cheaper stages).
  virtual void anteciparConsulta(std::string_view email) {}
};

// Whether the web service allows sharing now. May throw when the service cannot be reached.
class Sincronizacao {
 public:
  virtual ~Sincronizacao() = default;
  virtual bool podeSincronizar() = 0;
};

// Sending learnt domains to the web service; true when the service accepted the text (domains
// separated by line breaks).
class CompartilhamentoDominios {
 public:
  virtual ~CompartilhamentoDominios() = default;
  virtual bool sincronizarSitesValidos(const std::string& texto) = 0;
  virtual bool sincronizarSitesInValidos(const std::string& texto) = 0;
};

class MxSempreResponde : public MxTeste {
 public:
  int siteTemMX(std::string_view, Validador&) override { return 1; }
};
class BaseNegativaVazia : public BaseNegativa {
 public:
  int temEmailInvalido(std::string_view) override { return 0; }
};
class SemSincronizacao : public Sincronizacao {
 public:
  bool podeSincronizar() override { return false; }
};
// Until the exchange with the service exists, every send fails and the queues keep their domains.
class CompartilhamentoIndisponivel : public CompartilhamentoDominios {
 public:
  bool sincronizarSitesValidos(const std::string&) override { return false; }
  bool sincronizarSitesInValidos(const std::string&) override { return false; }
};

}  // namespace quorvel
