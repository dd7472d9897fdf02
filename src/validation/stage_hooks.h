#pragma once
// What the chain asks of other parts of the program: the MX test, the negative base and the
// sharing question. Until those parts are connected, the defaults let every address pass and
// answer that sharing is not allowed.

#include <string_view>

namespace quorvel {

class Validador;

// MX answers: 0 = no mail server, 1 = has one, 2 = no answer obtained.
class MxTeste {
 public:
  virtual ~MxTeste() = default;
  virtual int siteTemMX(std::string_view dominio, Validador& validador) = 0;
};

// Negative base: the error type of a known invalid address, 0 when it is not known.
class BaseNegativa {
 public:
  virtual ~BaseNegativa() = default;
  virtual int temEmailInvalido(std::string_view email) = 0;
};

// Whether the web service allows sharing now. May throw when the service cannot be reached.
class Sincronizacao {
 public:
  virtual ~Sincronizacao() = default;
  virtual bool podeSincronizar() = 0;
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

}  // namespace quorvel
