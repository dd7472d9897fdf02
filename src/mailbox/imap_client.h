#pragma once
// An IMAP4rev1 client for the few commands the bounce harvest needs, over libcurl (one easy
// handle, so one connection and one log-in serve every command of an account's check).
//
// The plain LOGIN command is sent as a custom request on a handle without a user name: libcurl
// itself only logs in with SASL AUTHENTICATE (or LOGIN when the server offers no mechanism).
// Network waits are bounded: a connect time-out, a read inactivity limit, an overall deadline
// for each command (a server that trickles its reply is never silent) and a cap on the size of
// one reply, checked before its bytes arrive when the server announces them. A wait can also be
// cancelled by the caller.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace quorvel {

// A failure of the connection or of a command, with the text shown to the user.
class ImapError : public std::runtime_error {
 public:
  explicit ImapError(const std::string& texto, bool transporte = false)
      : std::runtime_error(texto), transporte_(transporte) {}
  // The connection itself failed (time-out, reset, TLS): the next command cannot succeed either.
  bool transporte() const { return transporte_; }

 private:
  bool transporte_;
};

// One reply (a message) larger than the cap: it was not read. The connection was cut; the next
// command connects again.
class RespostaGrande : public ImapError {
 public:
  explicit RespostaGrande(const std::string& texto) : ImapError(texto, false) {}
};

// The caller asked to stop while the server was awaited: the connection was cut.
class ImapCancelado : public ImapError {
 public:
  ImapCancelado() : ImapError("checagem cancelada", true) {}
};

// The largest reply read (a whole message, with its attachments).
inline constexpr int64_t kMaiorResposta = int64_t{50} << 20;

enum class UsoTLS { nenhum, implicito, explicito, requerido };
enum class Autenticacao { login, sasl };
enum class VersaoIp { qualquer, ipv4, ipv6 };
// The TLS role of the handler. libcurl is always the client of the handshake; the role is kept
// for the account's record only.
enum class ModoSSL { naoDefinido, clienteServidor, cliente, servidor };
// The TLS protocol version asked for: the lowest version accepted (see imap_client.cpp).
enum class MetodoSSL { padrao, tlsv1, tlsv1_1, tlsv1_2, sslv2, sslv3, sslv23 };

// The TLS layer of a connection: IP version, role and protocol version.
struct TlsHandler {
  VersaoIp versaoIp = VersaoIp::qualquer;
  ModoSSL modo = ModoSSL::naoDefinido;
  MetodoSSL metodo = MetodoSSL::padrao;
};

class ImapClient {
 public:
  ImapClient();
  ~ImapClient();
  ImapClient(const ImapClient&) = delete;
  ImapClient& operator=(const ImapClient&) = delete;
  ImapClient(ImapClient&&) noexcept;

  std::string host;
  std::string username;
  std::string password;
  Autenticacao autenticacao = Autenticacao::login;
  TlsHandler* ioHandler = nullptr;  // attached TLS layer; none: library defaults

  int port() const { return port_; }
  void setPort(int p) { port_ = p; }
  UsoTLS useTLS() const { return useTLS_; }
  // Changing the TLS use moves a standard IMAP port: implicit TLS turns 143 into 993, STARTTLS
  // turns 993 into 143; any other port stays.
  void setUseTLS(UsoTLS uso);

  // Time-outs in seconds: connecting (TCP and TLS handshake), silence while a reply is due, and
  // the whole of one command (connecting and logging in count as one).
  int connectTimeoutS = 30;
  int readTimeoutS = 60;
  int prazoComandoS = 120;
  // Replies larger than this are not read (RespostaGrande).
  int64_t maiorResposta = kMaiorResposta;
  // Local address the connection leaves from (empty: the system's choice).
  std::string origem;
  // Trusted certificates (PEM); empty: QUORVEL_CA_FILE when set, else the system's store.
  std::string caFile;
  // Called now and then while a command waits for the network (connecting, a reply due), so
  // that a desktop window keeps answering; the time it takes does not count as server silence.
  std::function<void()> aoEsperar;
  // Asked right after each aoEsperar and before each command: true stops the wait at once
  // (ImapCancelado).
  std::function<bool()> cancelado;
  // Told what the user must know before it happens: with "TLS explícito" and a server that does
  // not offer STARTTLS, that the password is about to be sent without encryption.
  std::function<void(const std::string&)> aoAvisar;

  // Connects, negotiates TLS as configured and logs in. Throws ImapError with the failure's text.
  void connect();
  bool connected() const { return connected_; }
  // SELECT: the number of messages in the folder. Throws when the client never connected.
  int64_t select(const std::string& folder);
  // FETCH n (UID): the UID of message n; -1 when the answer names none or one that is not a
  // 64-bit number.
  int64_t fetchUid(int64_t n);
  // FETCH n BODY[]: the raw message (not a PEEK: the server marks it \Seen). RespostaGrande past
  // maiorResposta.
  std::string fetchMessage(int64_t n);
  // UID STORE uid +FLAGS (\Deleted). Throws when the server refuses it.
  void uidStoreDeleted(const std::string& uid);
  void expunge();
  // LOGOUT and close; never throws.
  void disconnect();

  // The server's last tagged reply line (for tests and messages).
  const std::string& ultimaResposta() const { return ultimaResposta_; }

 private:
  struct Curl;
  std::string url(const std::string& path) const;
  // Runs one request on the connection; the untagged lines (or the literal) land in `saida`.
  void executar(const std::string& path, const std::string& comando, std::string& saida);
  [[noreturn]] void falhar(int codigo, const std::string& detalhe);
  void prepararHandle();
  void loginComando();
  // "TLS explícito": finds out on a connection without credentials whether the server offers
  // STARTTLS, and warns when it does not, before any password is sent.
  void sondarStartTls();
  // After a lost connection the next command connects and logs in again.
  void voltarSeNecessario();

  int port_ = 143;
  UsoTLS useTLS_ = UsoTLS::nenhum;
  bool connected_ = false;
  bool logado_ = false;      // logged in once: a lost connection is made again by the next command
  std::string selecionada_;  // folder selected on this connection
  std::string ultimaResposta_;
  std::unique_ptr<Curl> curl_;
};

// "user" → "\"user\"" with backslashes and quotes escaped (an IMAP quoted string).
std::string imapQuoted(const std::string& s);

}  // namespace quorvel
