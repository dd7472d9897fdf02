// getMessages: one account's inbox, newest message first, down to the position of the last scan.

#include <charconv>
#include <ctime>

#include "common/text.h"
#include "mailbox/bounce_rules.h"
#include "mailbox/neg_conta.h"
#include "mailbox/parsed_message.h"
#include "store/database.h"
#include "store/settings.h"
#include "validation/stage_hooks.h"

namespace quorvel {
namespace {

using Clock = std::chrono::system_clock;

int64_t numero(std::string_view s) {
  int64_t v = 0;
  auto [fim, erro] = std::from_chars(s.data(), s.data() + s.size(), v);
  return erro == std::errc() && fim == s.data() + s.size() ? v : -1;
}

std::tm local(Clock::time_point t) {
  std::time_t s = Clock::to_time_t(t);
  std::tm r{};
  localtime_r(&s, &r);
  return r;
}

// Local midnight of the day of `t`.
Clock::time_point meiaNoite(Clock::time_point t) {
  std::tm l = local(t);
  l.tm_hour = l.tm_min = l.tm_sec = 0;
  l.tm_isdst = -1;
  return Clock::from_time_t(std::mktime(&l));
}

std::string dataMensagem(Clock::time_point t) {
  std::tm l = local(t);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &l);
  return buf;
}

// The first `n` characters (code points) of a text.
std::string primeiros(std::string_view s, size_t n) {
  size_t i = 0;
  for (size_t k = 0; k < n && i < s.size(); ++k) nextCodePoint(s, i);
  return std::string(s.substr(0, i));
}

std::string semSinais(std::string s) {
  std::erase(s, '<');
  std::erase(s, '>');
  return s;
}

// The messages' date text when a message has none: "30/12/1899 00:00:00", the zero date.
constexpr const char* kDataZero = "30/12/1899 00:00:00";

// The addresses a scan stores are committed together, a few times a second, instead of one
// commit (and its disk syncs) per address, which would cost most of the scan's time. Anything
// that removes a message from the server commits first, so a message is never deleted while its
// address could still be lost.
class LoteGravacao {
 public:
  explicit LoteGravacao(SqliteDb& db) : db_(db) {}
  ~LoteGravacao() {
    try {
      confirmar();
    } catch (const std::exception&) {
    }
  }
  void antesDeGravar() {
    if (aberto_ || sqlite3_get_autocommit(db_.handle()) == 0) return;  // a caller's transaction
    db_.exec("BEGIN");
    aberto_ = true;
    inicio_ = std::chrono::steady_clock::now();
  }
  void talvezConfirmar() {
    if (aberto_ && std::chrono::steady_clock::now() - inicio_ > std::chrono::milliseconds(250))
      confirmar();
  }
  void confirmar() {
    if (!aberto_) return;
    aberto_ = false;
    db_.exec("COMMIT");
  }

 private:
  SqliteDb& db_;
  bool aberto_ = false;
  std::chrono::steady_clock::time_point inicio_;
};

}  // namespace

// The per-message values of one scan step.
struct Mensagem {
  std::string uid;
  std::optional<Clock::time_point> data;
  bool lida = false;  // the fetch and parsing got through
  ParsedMessage p;
  std::string texto;
  std::string remetentePadrao;
  std::string candidato;
  FraseEncontrada frase;
};

class NegConta::Scan {
 public:
  Scan(NegConta& n, ImapClient& imap, const CLContas& conta, const std::string& pasta)
      : n_(n), imap_(imap), conta_(conta), pasta_(pasta), lote_(n.banco_.db()) {}

  ListaMensagens executar(int64_t idInicial, int64_t idFinal);

 private:
  enum class Passo { seguir, proxima, parar };
  void log(const std::string& m, Cor c) {
    if (n_.observador) n_.observador->setLogGeral(m, c);
  }
  bool perguntarSeCompartilha();
  Passo ler(int64_t n, int64_t idFinal, Mensagem& m);
  void decidir(Mensagem& m);
  void apagar(const Mensagem& m);
  void enviarFila(bool durante);
  void finalizar(bool falhou);

  NegConta& n_;
  ImapClient& imap_;
  const CLContas& conta_;
  const std::string& pasta_;
  ListaMensagens resultado_;
  bool podeSincronizar_ = false;
  bool apagar_ = false;
  int64_t posicao_ = 0;
  // "Cancelar" cut a wait for the server: the connection is gone and the user wants no more of it.
  bool interrompido_ = false;
  Clock::time_point agora_;
  LoteGravacao lote_;
};

ListaMensagens NegConta::getMessages(ImapClient& aImap, const CLContas& aConta,
                                     const std::string& folderName, int64_t idInicial,
                                     int64_t idFinal) {
  Scan scan(*this, aImap, aConta, folderName);
  return scan.executar(idInicial, idFinal);
}

ListaMensagens NegConta::Scan::executar(int64_t idInicial, int64_t idFinal) {
  podeSincronizar_ = perguntarSeCompartilha();
  agora_ = n_.platform_.now();
  apagar_ = n_.config_.valor(kCheckDelete) == "-1";
  try {
    try {
      n_.getFolderQtd(imap_, pasta_);
      posicao_ = n_.opcoes.forcado ? 0 : numero(n_.config_.valor(maxUidKey(conta_.email)));
      if (posicao_ < 0) posicao_ = 0;
      if (n_.observador) n_.observador->mostrarProgresso(idFinal);
      int64_t k = 1;
      for (int64_t n = idFinal; n >= idInicial; --n, ++k) {
        if (n_.opcoes.maximo > 0 && k > n_.opcoes.maximo) {
          log("Limite de mensagens por conta: " + std::to_string(k), kMarrom);
          break;
        }
        n_.pump_.processEvents();
        if (n_.gCancelou) {
          n_.gCancelou = false;
          break;
        }
        if (n_.observador) n_.observador->avancarProgresso();
        Mensagem m;
        Passo p = ler(n, idFinal, m);
        if (p == Passo::parar) break;
        if (p == Passo::proxima) continue;
        decidir(m);
        apagar(m);
        lote_.talvezConfirmar();
      }
    } catch (const ImapCancelado&) {
      // "Cancelar" while the server was awaited stops the scan as it does between messages.
      n_.gCancelou = false;
      interrompido_ = true;
    }
  } catch (...) {
    finalizar(true);
    throw;
  }
  finalizar(false);
  return std::move(resultado_);
}

NegConta::Scan::Passo NegConta::Scan::ler(int64_t n, int64_t idFinal, Mensagem& m) {
  try {
    int64_t uid = -1;
    try {
      uid = imap_.fetchUid(n);
    } catch (const ImapError& e) {
      if (e.transporte()) throw;
      uid = -1;  // an unreadable UID skips the position tests
    }
    if (uid >= 0) {
      m.uid = std::to_string(uid);
      if (n == idFinal) {
        if (uid <= posicao_) {
          if (n_.gPularConta) n_.gPularConta->setValue(conta_.email, "1");
          log("Não há mensagens recentes", kMarrom);
          return Passo::parar;
        }
        n_.config_.setValor(maxUidKey(conta_.email), m.uid);
      }
      if (uid < posicao_) return Passo::parar;
    }

    std::string bruto;
    try {
      bruto = imap_.fetchMessage(n);
    } catch (const RespostaGrande& e) {
      // Read no further: the position has moved past it, and the next message connects again.
      log("IGNORADA: mensagem " + m.uid + " não pôde ser lida (" + e.what() + ")", kMarrom);
      return Passo::proxima;
    }
    try {
      m.p = parseMessage(bruto);
    } catch (const MensagemIlegivel& e) {
      log("IGNORADA: mensagem " + m.uid + " não pôde ser lida (" + e.what() + ")", kMarrom);
      return Passo::proxima;
    }
    m.data = m.p.data;

    if (n_.opcoes.limiteDias > 0) {
      Clock::time_point limite = meiaNoite(agora_) - std::chrono::days(n_.opcoes.limiteDias);
      if (!m.data || *m.data < limite) {
        log("Data limite da mensagem: " + dataTexto(limite) + " - [" +
                (m.data ? dataHoraTexto(*m.data) : std::string(kDataZero)) + "] -> " + m.p.assunto,
            kMarrom);
        return Passo::parar;
      }
    }

    if (toLower(trimView(m.p.assunto)) == "remover") {
      std::string remetente = toLower(trimView(m.p.remetente));
      // A request without a sender names nobody to unsubscribe.
      if (!remetente.empty()) {
        lote_.antesDeGravar();
        n_.banco_.inserirEmailInvalido(remetente, "pedido de remoção", conta_.email,
                                       diaLocal(agora_), kTipoDescadastro,
                                       std::max<int64_t>(uid, 0), true);
      }
      log("Pedido de remoção: " + m.p.remetente, kAzulMarinho);
      try {
        lote_.confirmar();
        n_.deleteByMsgID(imap_, m.uid);
      } catch (const std::exception&) {
      }
      return Passo::proxima;
    }

    m.remetentePadrao = remetenteDeRetorno(toLower(m.p.remetente));
    m.texto = !m.p.texto.empty() ? m.p.texto : m.p.corpoSimples;
    ClMsg msg(m.data ? dataMensagem(*m.data) : dataMensagem(agora_), conta_.email, m.p.assunto, "",
              m.p.nomeRemetente, m.p.remetente,
              !m.p.replyTo.empty() ? m.p.replyTo : semSinais(m.p.returnPath), m.texto, pasta_,
              m.p.cabecalho, false, m.uid, "");
    resultado_.emplace_back(m.uid, std::move(msg));
    n_.gTotalMensagens = static_cast<int64_t>(resultado_.size());
    n_.pump_.processEvents();
    m.lida = true;
  } catch (const ImapError& e) {
    // A connection that went silent or broke ends this account's scan: waiting out the time-out
    // again for every older message would hold the run for hours.
    if (e.transporte()) throw;
  } catch (const std::exception&) {
    // What was read so far goes on to the decision; the rest stays empty.
  }
  return Passo::seguir;
}

void NegConta::Scan::decidir(Mensagem& m) {
  std::string texto = toLower(m.texto);
  m.frase = classificarTexto(texto);
  EnderecosIgnorados ignorados{toLower(trimView(conta_.email)), toLower(trimView(m.p.remetente))};
  if (!m.p.destinatarioRelatorio.empty()) {
    // A standard delivery report names the failed recipient itself.
    m.candidato = limparCandidato(toLower(m.p.destinatarioRelatorio), ignorados);
    if (m.remetentePadrao.empty()) m.remetentePadrao = kPadraoRelatorioEntrega;
  } else if (m.p.relatorioDeSucesso) {
    // A notice that the mail was delivered: whoever sent it, nobody failed.
    m.remetentePadrao.clear();
  } else {
    m.candidato = enderecoDoRetorno(texto, ignorados);
  }

  const std::string assunto80 = primeiros(m.p.assunto, 80);
  if (!m.candidato.empty() && !m.remetentePadrao.empty()) {
    lote_.antesDeGravar();
    int novo =
        n_.banco_.inserirEmailInvalido(m.candidato, m.frase.frase, conta_.email, diaLocal(agora_),
                                       m.frase.tipo, std::max<int64_t>(numero(m.uid), 0), true);
    if (novo == 1) {
      log("ADICIONADO: " + m.candidato + " - " + m.remetentePadrao + " - " + m.frase.frase, kVerde);
      if (m.frase.tipo == kTipoPermanente && n_.gEmailsInvalidos)
        n_.gEmailsInvalidos->push_back(m.candidato);
      enviarFila(true);
    } else {
      log("IGNORADO: " + m.candidato + " - " + m.remetentePadrao + " - já existia no banco.",
          kLaranja);
    }
    if (n_.observador) n_.observador->baseNegativaMudou();
    n_.pump_.processEvents();
  } else if (m.remetentePadrao.empty()) {
    log("IGNORADO: (" + m.p.remetente + ") não é um retorno de erro -> " + assunto80, kMarrom);
  } else if (m.texto.empty()) {
    log("IGNORADO: (" + m.candidato + ") e-mail não identificado no retorno -> " + assunto80,
        kMarrom);
  }
}

void NegConta::Scan::apagar(const Mensagem& m) {
  const std::string assunto80 = primeiros(m.p.assunto, 80);
  if (!m.remetentePadrao.empty()) {
    if (apagar_) {
      lote_.confirmar();
      n_.deleteByMsgID(imap_, m.uid);
      log("Excluída: " + assunto80, kVermelho);
    }
    return;
  }
  auto regra = [&](const SortedStringList& regras, const std::string& alvo, const char* onde) {
    for (const auto& r : regras) {
      std::string t = toLower(trimView(r));
      if (t.empty() || alvo.find(t) == std::string::npos) continue;
      lote_.confirmar();
      n_.deleteByMsgID(imap_, m.uid);
      log("Excluída (contém \"" + t + "\" no " + onde + "): " + assunto80, kVermelho);
      return true;
    }
    return false;
  };
  if (!regra(n_.config_.gConfigSubject, toLower(m.p.assunto), "assunto"))
    regra(n_.config_.gConfigBody, toLower(m.texto), "corpo");
}

bool NegConta::Scan::perguntarSeCompartilha() {
  // Only a user who takes part in sharing is asked about; a service that cannot answer means
  // "not now": the scan goes on and shares nothing.
  if (!n_.sincronizacao || !n_.banco_.colaboracao().gCompartilha) return false;
  try {
    return n_.sincronizacao->podeSincronizar();
  } catch (const std::exception& e) {
    log(std::string("Serviço online indisponível, a checagem segue sem compartilhar: ") + e.what(),
        kMarrom);
    return false;
  }
}

void NegConta::Scan::enviarFila(bool durante) {
  auto* fila = n_.gEmailsInvalidos;
  if (!fila || fila->empty() || !n_.compartilhamento) return;
  std::string texto;
  for (const auto& e : *fila) texto += e + "\r\n";
  if (!durante) {
    if (n_.compartilhamento->sincronizarEmailsInValidos(texto)) fila->clear();
    return;
  }
  if (!podeSincronizar_ || !n_.banco_.colaboracao().gCompartilha || fila->size() < 20) return;
  if (n_.observador) n_.observador->mostrarSincronizando(true);
  n_.pump_.processEvents();
  if (fila->size() <= 250 && n_.compartilhamento->sincronizarEmailsInValidos(texto)) fila->clear();
  if (n_.observador) n_.observador->mostrarSincronizando(false);
}

void NegConta::Scan::finalizar(bool falhou) {
  try {
    lote_.confirmar();
  } catch (const std::exception&) {
    if (!falhou) throw;
  }
  // After a cancel that cut the connection the marks wait on the server for the next check.
  if (apagar_ && !interrompido_) {
    log(conta_.email + " - Consolidando mensagens excluídas... ", kFucsia);
    try {
      imap_.expunge();
      log(conta_.email + " - Concluído ", kFucsia);
    } catch (const std::exception&) {
    }
  }
  n_.config_.saveConfig();
  try {
    enviarFila(false);
  } catch (...) {
    // After a failed scan its own failure is the one reported.
    if (!falhou) {
      if (n_.observador) n_.observador->esconderProgresso();
      throw;
    }
  }
  if (n_.observador) n_.observador->esconderProgresso();
}

}  // namespace quorvel
