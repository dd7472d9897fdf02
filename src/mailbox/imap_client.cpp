#include "mailbox/imap_client.h"

#include <curl/curl.h>
#include <sys/socket.h>

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <regex>

#include "mailbox/dns_lookup.h"

namespace quorvel {
namespace {

void iniciarCurl() {
  static std::once_flag uma;
  std::call_once(uma, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A tagged reply line of the server ("A002 NO [AUTHENTICATIONFAILED] ...").
bool ehRespostaMarcada(const std::string& linha) {
  size_t i = 0;
  while (i < linha.size() && linha[i] >= 'A' && linha[i] <= 'Z') ++i;
  size_t letras = i;
  while (i < linha.size() && linha[i] >= '0' && linha[i] <= '9') ++i;
  return letras > 0 && i > letras && i < linha.size() && linha[i] == ' ';
}

bool soDigitos(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool ehEnderecoIp(const std::string& host) {
  return host.find(':') != std::string::npos ||
         std::regex_match(host, std::regex(R"(\d{1,3}(\.\d{1,3}){3})"));
}

// The text after the tag and the status word: "[AUTHENTICATIONFAILED] Authentication failed.".
std::string textoDaResposta(const std::string& linha) {
  size_t a = linha.find(' ');
  if (a == std::string::npos) return linha;
  size_t b = linha.find(' ', a + 1);
  return b == std::string::npos ? linha.substr(a + 1) : linha.substr(b + 1);
}

// "A002 NO [AUTHENTICATIONFAILED] ..." → "NO".
std::string statusDaResposta(const std::string& linha) {
  size_t a = linha.find(' ');
  size_t b = linha.find(' ', a + 1);
  return linha.substr(a + 1, b == std::string::npos ? std::string::npos : b - a - 1);
}

}  // namespace

struct ImapClient::Curl {
  CURL* h = nullptr;
  curl_slist* resolve = nullptr;
  char erro[CURL_ERROR_SIZE] = {};
  ImapClient* dono = nullptr;
  std::string* saida = nullptr;
  curl_socket_t socket = CURL_SOCKET_BAD;
  // Last sign of life from the server, the start of the command, and why a wait was cut short:
  // the read inactivity limit, the command's deadline, the caller's cancel, or a reply too large.
  std::chrono::steady_clock::time_point ultimo, inicio;
  bool estourou = false, prazoEsgotado = false, cancelou = false, grande = false;
  int64_t anunciado = 0;  // bytes a literal announced
  // TLS was seen on the connection of this command.
  bool tls = false;
  std::chrono::steady_clock::time_point ultimaEspera;

  ~Curl() {
    if (h) curl_easy_cleanup(h);  // sends LOGOUT on a live connection
    curl_slist_free_all(resolve);
  }
  void verTls() {
    curl_tlssessioninfo* info = nullptr;
    if (!tls && curl_easy_getinfo(h, CURLINFO_TLS_SSL_PTR, &info) == CURLE_OK && info &&
        info->internals)
      tls = true;
  }
  // Cuts the connection so that nothing (not even the LOGOUT libcurl sends when it gives the
  // connection up) waits for the server any longer.
  void cortar() {
    if (socket != CURL_SOCKET_BAD) ::shutdown(socket, SHUT_RDWR);
  }
  static size_t aoCabecalho(char* p, size_t n, size_t m, void* self) {
    auto* c = static_cast<Curl*>(self);
    c->ultimo = std::chrono::steady_clock::now();
    c->verTls();
    std::string linha(p, n * m);
    while (!linha.empty() && (linha.back() == '\n' || linha.back() == '\r')) linha.pop_back();
    // The LOGOUT that libcurl sends after an error must not hide the refusal before it.
    if (ehRespostaMarcada(linha) && statusDaResposta(linha) != "OK")
      c->dono->ultimaResposta_ = linha;
    return n * m;
  }
  static size_t aoEscrever(char* p, size_t n, size_t m, void* self) {
    auto* c = static_cast<Curl*>(self);
    c->ultimo = std::chrono::steady_clock::now();
    c->verTls();
    if (static_cast<int64_t>(c->saida->size() + n * m) > c->dono->maiorResposta) {
      c->grande = true;
      c->cortar();
      return 0;
    }
    c->saida->append(p, n * m);
    return n * m;
  }
  static int aoCriarSocket(void* self, curl_socket_t fd, curlsocktype) {
    static_cast<Curl*>(self)->socket = fd;
    return CURL_SOCKOPT_OK;
  }
  static int aoProgredir(void* self, curl_off_t dltotal, curl_off_t, curl_off_t, curl_off_t) {
    auto* c = static_cast<Curl*>(self);
    c->esperar();
    c->verTls();
    const ImapClient& d = *c->dono;
    const auto agora = std::chrono::steady_clock::now();
    if (d.cancelado && d.cancelado()) {
      c->cancelou = true;
    } else if (dltotal > d.maiorResposta) {
      // A literal announced larger than the cap is not read at all.
      c->grande = true;
      c->anunciado = dltotal;
    } else if (agora - c->inicio > std::chrono::seconds(d.prazoComandoS)) {
      c->prazoEsgotado = true;
    } else if (c->socket != CURL_SOCKET_BAD &&
               agora - c->ultimo > std::chrono::seconds(d.readTimeoutS)) {
      c->estourou = true;
    } else {
      return 0;
    }
    c->cortar();
    return 1;
  }
  void esperar() {
    const auto& f = dono->aoEsperar;
    if (!f) return;
    auto antes = std::chrono::steady_clock::now();
    if (antes - ultimaEspera < std::chrono::milliseconds(50)) return;
    f();
    ultimaEspera = std::chrono::steady_clock::now();
    // The time the hook took (a dialog left open) is the user's, not the server's.
    ultimo += ultimaEspera - antes;
    inicio += ultimaEspera - antes;
  }
};

ImapClient::ImapClient() {
  iniciarCurl();
}

ImapClient::~ImapClient() = default;
ImapClient::ImapClient(ImapClient&&) noexcept = default;

void ImapClient::setUseTLS(UsoTLS uso) {
  if (uso == useTLS_) return;
  if (uso == UsoTLS::implicito && port_ == 143) port_ = 993;
  if ((uso == UsoTLS::explicito || uso == UsoTLS::requerido) && port_ == 993) port_ = 143;
  useTLS_ = uso;
}

std::string ImapClient::url(const std::string& path) const {
  std::string h = host.find(':') != std::string::npos ? "[" + host + "]" : host;
  return std::string(useTLS_ == UsoTLS::implicito ? "imaps://" : "imap://") + h + ":" +
         std::to_string(port_) + "/" + path;
}

void ImapClient::prepararHandle() {
  curl_ = std::make_unique<Curl>();
  curl_->dono = this;
  CURL* h = curl_->h = curl_easy_init();
  if (!h) throw ImapError("não foi possível iniciar a conexão IMAP");
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, curl_->erro);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Curl::aoCabecalho);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, curl_.get());
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Curl::aoEscrever);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, curl_.get());
  curl_easy_setopt(h, CURLOPT_SOCKOPTFUNCTION, &Curl::aoCriarSocket);
  curl_easy_setopt(h, CURLOPT_SOCKOPTDATA, curl_.get());
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Curl::aoProgredir);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, curl_.get());
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(connectTimeoutS));
  // A reply that stalls for readTimeoutS seconds ends the request (aoProgredir); libcurl's own
  // low-speed limit stays behind it as a second guard.
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(readTimeoutS) + 5);
  // Each reply (the LOGOUT at the end too) is waited for at most as long; libcurl's own default
  // is two minutes.
  curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(readTimeoutS));
  curl_easy_setopt(h, CURLOPT_TCP_KEEPALIVE, 1L);
  if (!origem.empty()) curl_easy_setopt(h, CURLOPT_INTERFACE, ("host!" + origem).c_str());

  std::string ca = caFile;
  if (ca.empty())
    if (const char* env = std::getenv("QUORVEL_CA_FILE"); env && *env) ca = env;
  if (!ca.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, ca.c_str());

  if (useTLS_ == UsoTLS::explicito) curl_easy_setopt(h, CURLOPT_USE_SSL, (long)CURLUSESSL_TRY);
  if (useTLS_ == UsoTLS::requerido) curl_easy_setopt(h, CURLOPT_USE_SSL, (long)CURLUSESSL_ALL);

  if (ioHandler) {
    long ip = ioHandler->versaoIp == VersaoIp::ipv4   ? CURL_IPRESOLVE_V4
              : ioHandler->versaoIp == VersaoIp::ipv6 ? CURL_IPRESOLVE_V6
                                                      : CURL_IPRESOLVE_WHATEVER;
    curl_easy_setopt(h, CURLOPT_IPRESOLVE, ip);
    // libcurl takes a version as the lowest one accepted: pinning TLS 1.0 alone would fail with
    // every current server and with OpenSSL's default security level.
    long v = CURL_SSLVERSION_DEFAULT;
    switch (ioHandler->metodo) {
      case MetodoSSL::tlsv1:
        v = CURL_SSLVERSION_TLSv1;
        break;
      case MetodoSSL::tlsv1_1:
        v = CURL_SSLVERSION_TLSv1_1;
        break;
      case MetodoSSL::tlsv1_2:
        v = CURL_SSLVERSION_TLSv1_2;
        break;
      case MetodoSSL::sslv2:
        v = CURL_SSLVERSION_SSLv2;
        break;
      case MetodoSSL::sslv3:
        v = CURL_SSLVERSION_SSLv3;
        break;
      default:
        break;
    }
    curl_easy_setopt(h, CURLOPT_SSLVERSION, v);
  }

  // With a DNS server named for this run, host names are looked up there, never through the
  // system's resolver.
  if (!host.empty() && !ehEnderecoIp(host) && host != "localhost" && dnsServidorConfigurado()) {
    VersaoIp versao = ioHandler ? ioHandler->versaoIp : VersaoIp::qualquer;
    std::string endereco = resolverHost(host, versao == VersaoIp::ipv6);
    if (endereco.empty()) throw ImapError("servidor não encontrado: " + host, true);
    if (endereco.find(':') != std::string::npos) endereco = "[" + endereco + "]";
    curl_->resolve =
        curl_slist_append(nullptr, (host + ":" + std::to_string(port_) + ":" + endereco).c_str());
    curl_easy_setopt(h, CURLOPT_RESOLVE, curl_->resolve);
  }
}

void ImapClient::falhar(int codigo, const std::string& detalhe) {
  auto c = static_cast<CURLcode>(codigo);
  std::string alvo = host + ":" + std::to_string(port_);
  std::string servidor = ultimaResposta_.empty() ? "" : textoDaResposta(ultimaResposta_);
  std::string m;
  switch (c) {
    case CURLE_LOGIN_DENIED:
    case CURLE_QUOTE_ERROR:
      m = servidor.empty() ? std::string("o servidor recusou o comando") : servidor;
      break;
    case CURLE_PEER_FAILED_VERIFICATION:
      m = "certificado do servidor não é confiável";
      break;
    case CURLE_COULDNT_RESOLVE_HOST:
      m = "servidor não encontrado: " + host;
      break;
    case CURLE_COULDNT_CONNECT:
      m = "não foi possível conectar a " + alvo;
      break;
    case CURLE_OPERATION_TIMEDOUT:
      m = "tempo esgotado aguardando o servidor " + alvo;
      break;
    case CURLE_USE_SSL_FAILED:
      m = "o servidor " + alvo + " não oferece TLS (STARTTLS)";
      break;
    case CURLE_SSL_CONNECT_ERROR:
      m = "não foi possível estabelecer TLS com " + alvo + " (" + detalhe + ")";
      break;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_NOT_BUILT_IN:
      m = "versão de SSL/TLS não suportada (" + detalhe + ")";
      break;
    default:
      m = "falha na comunicação com " + alvo + " (" + (detalhe.empty() ? servidor : detalhe) + ")";
  }
  bool transporte = c != CURLE_LOGIN_DENIED && c != CURLE_QUOTE_ERROR &&
                    c != CURLE_REMOTE_FILE_NOT_FOUND && c != CURLE_WEIRD_SERVER_REPLY;
  throw ImapError(m, transporte);
}

namespace {
std::string megabytes(int64_t bytes) {
  return std::to_string((bytes + (int64_t{1} << 20) - 1) >> 20) + " MB";
}
}  // namespace

void ImapClient::executar(const std::string& path, const std::string& comando, std::string& saida) {
  if (!curl_) throw ImapError("não conectado");
  if (cancelado && cancelado()) throw ImapCancelado();
  CURL* h = curl_->h;
  Curl& c = *curl_;
  c.dono = this;
  c.erro[0] = '\0';
  ultimaResposta_.clear();
  saida.clear();
  curl_easy_setopt(h, CURLOPT_URL, url(path).c_str());
  curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, comando.empty() ? nullptr : comando.c_str());
  c.saida = &saida;
  c.ultimo = c.inicio = std::chrono::steady_clock::now();
  c.estourou = c.prazoEsgotado = c.cancelou = c.grande = c.tls = false;
  c.anunciado = 0;
  CURLcode r = curl_easy_perform(h);
  if (r == CURLE_OK) return;
  std::string detalhe = c.erro[0] ? c.erro : curl_easy_strerror(r);
  // Any failure closes the connection: the next command reconnects and logs in again.
  connected_ = false;
  if (c.cancelou) throw ImapCancelado();
  if (c.grande)
    throw RespostaGrande("a resposta do servidor passa de " + megabytes(maiorResposta) +
                         (c.anunciado > 0 ? "; " + megabytes(c.anunciado) + " anunciados" : ""));
  if (c.prazoEsgotado)
    throw ImapError("o servidor " + host + ":" + std::to_string(port_) +
                        " não completou a resposta em " + std::to_string(prazoComandoS) + " s",
                    true);
  if (c.estourou) r = CURLE_OPERATION_TIMEDOUT;
  falhar(r, detalhe);
}

void ImapClient::loginComando() {
  std::string saida;
  executar("", "LOGIN " + imapQuoted(username) + " " + imapQuoted(password), saida);
}

void ImapClient::sondarStartTls() {
  std::string saida;
  executar("", "CAPABILITY", saida);
  if (curl_->tls) {
    // The log-in of a SASL account goes on a connection of its own: it must not go without TLS
    // where this one had it.
    curl_easy_setopt(curl_->h, CURLOPT_USE_SSL, (long)CURLUSESSL_ALL);
    return;
  }
  if (aoAvisar)
    aoAvisar("Atenção: o servidor " + host + ":" + std::to_string(port_) +
             " não oferece TLS (STARTTLS); a senha de " + username +
             " vai sem criptografia. Escolha \"TLS requerido\" ou \"TLS implícito\" para exigir a "
             "criptografia.");
}

void ImapClient::connect() {
  if (username.find_first_of("\r\n") != std::string::npos ||
      password.find_first_of("\r\n") != std::string::npos)
    throw ImapError("o nome do usuário ou a senha contém quebras de linha");
  disconnect();
  prepararHandle();
  if (useTLS_ == UsoTLS::explicito) sondarStartTls();
  std::string saida;
  if (autenticacao == Autenticacao::login) {
    loginComando();
  } else {
    curl_easy_setopt(curl_->h, CURLOPT_USERNAME, username.c_str());
    curl_easy_setopt(curl_->h, CURLOPT_PASSWORD, password.c_str());
    executar("", "NOOP", saida);
  }
  connected_ = logado_ = true;
}

namespace {
// The digits as a number; none when they do not fit in 64 bits.
std::optional<int64_t> numero64(const std::string& digitos) {
  int64_t v = 0;
  auto [fim, erro] = std::from_chars(digitos.data(), digitos.data() + digitos.size(), v);
  if (erro != std::errc() || fim != digitos.data() + digitos.size()) return std::nullopt;
  return v;
}
}  // namespace

int64_t ImapClient::select(const std::string& folder) {
  voltarSeNecessario();
  std::string saida;
  executar("", "SELECT " + imapQuoted(folder), saida);
  selecionada_ = folder;
  std::smatch m;
  if (!std::regex_search(saida, m, std::regex(R"(\* (\d+) EXISTS)")))
    throw ImapError("resposta inesperada ao selecionar a pasta " + folder);
  if (auto n = numero64(m[1].str())) return *n;
  throw ImapError("o servidor informou um número de mensagens inválido (" + m[1].str() +
                  ") ao selecionar a pasta " + folder);
}

namespace {
// The folder as a URL path segment.
std::string caminhoPasta(const std::string& pasta) {
  std::string r;
  static const char* hex = "0123456789ABCDEF";
  for (unsigned char c : pasta) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '-' || c == '_') {
      r += static_cast<char>(c);
    } else {
      r += '%';
      r += hex[c >> 4];
      r += hex[c & 15];
    }
  }
  return r;
}
}  // namespace

void ImapClient::voltarSeNecessario() {
  if (connected_) return;
  if (!logado_) throw ImapError("não conectado");
  connect();
}

int64_t ImapClient::fetchUid(int64_t n) {
  voltarSeNecessario();
  std::string saida;
  executar(caminhoPasta(selecionada_), "FETCH " + std::to_string(n) + " (UID)", saida);
  std::smatch m;
  if (std::regex_search(saida, m, std::regex(R"(UID (\d+))")))
    return numero64(m[1].str()).value_or(-1);
  return -1;
}

std::string ImapClient::fetchMessage(int64_t n) {
  voltarSeNecessario();
  std::string saida;
  executar(caminhoPasta(selecionada_) + ";MAILINDEX=" + std::to_string(n), "", saida);
  return saida;
}

void ImapClient::uidStoreDeleted(const std::string& uid) {
  if (!soDigitos(uid)) throw ImapError("UID inválido: " + uid);
  voltarSeNecessario();
  std::string saida;
  executar(caminhoPasta(selecionada_), "UID STORE " + uid + " +FLAGS (\\Deleted)", saida);
}

void ImapClient::expunge() {
  voltarSeNecessario();
  std::string saida;
  executar(caminhoPasta(selecionada_), "EXPUNGE", saida);
}

void ImapClient::disconnect() {
  // The LOGOUT libcurl sends on a live connection waits a few seconds at most.
  if (curl_ && curl_->h) curl_easy_setopt(curl_->h, CURLOPT_SERVER_RESPONSE_TIMEOUT, 5L);
  curl_.reset();
  connected_ = logado_ = false;
}

std::string imapQuoted(const std::string& s) {
  std::string r = "\"";
  for (char c : s) {
    if (c == '\\' || c == '"') r += '\\';
    r += c;
  }
  return r + "\"";
}

}  // namespace quorvel
