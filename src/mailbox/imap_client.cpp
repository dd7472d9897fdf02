#include "mailbox/imap_client.h"

#include <curl/curl.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
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
  // Last sign of life from the server, and whether the read inactivity limit cut the connection.
  std::chrono::steady_clock::time_point ultimo;
  bool estourou = false;
  std::chrono::steady_clock::time_point ultimaEspera;

  ~Curl() {
    if (h) curl_easy_cleanup(h);  // sends LOGOUT on a live connection
    curl_slist_free_all(resolve);
  }
  static size_t aoCabecalho(char* p, size_t n, size_t m, void* self) {
    auto* c = static_cast<Curl*>(self);
    c->ultimo = std::chrono::steady_clock::now();
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
    c->saida->append(p, n * m);
    return n * m;
  }
  static int aoCriarSocket(void* self, curl_socket_t fd, curlsocktype) {
    static_cast<Curl*>(self)->socket = fd;
    return CURL_SOCKOPT_OK;
  }
  // A server that stops answering in the middle of a reply: the socket is cut, so that nothing
  // (not even the LOGOUT libcurl sends when it gives the connection up) waits for it any longer.
  static int aoProgredir(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* c = static_cast<Curl*>(self);
    c->esperar();
    auto limite = std::chrono::seconds(c->dono->readTimeoutS);
    if (c->socket == CURL_SOCKET_BAD || std::chrono::steady_clock::now() - c->ultimo <= limite)
      return 0;
    c->estourou = true;
    ::shutdown(c->socket, SHUT_RDWR);
    return 1;
  }
  void esperar() {
    const auto& f = dono->aoEsperar;
    if (!f) return;
    auto antes = std::chrono::steady_clock::now();
    if (antes - ultimaEspera < std::chrono::milliseconds(50)) return;
    f();
    ultimaEspera = std::chrono::steady_clock::now();
    ultimo += ultimaEspera - antes;
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

  if (autenticacao == Autenticacao::sasl) {
    curl_easy_setopt(h, CURLOPT_USERNAME, username.c_str());
    curl_easy_setopt(h, CURLOPT_PASSWORD, password.c_str());
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

void ImapClient::executar(const std::string& path, const std::string& comando, std::string& saida) {
  if (!curl_) throw ImapError("não conectado");
  CURL* h = curl_->h;
  curl_->dono = this;
  curl_->erro[0] = '\0';
  ultimaResposta_.clear();
  saida.clear();
  curl_easy_setopt(h, CURLOPT_URL, url(path).c_str());
  curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, comando.empty() ? nullptr : comando.c_str());
  curl_->saida = &saida;
  curl_->ultimo = std::chrono::steady_clock::now();
  curl_->estourou = false;
  CURLcode r = curl_easy_perform(h);
  if (r != CURLE_OK) {
    std::string detalhe = curl_->erro[0] ? curl_->erro : curl_easy_strerror(r);
    if (curl_->estourou) r = CURLE_OPERATION_TIMEDOUT;
    // The next command reconnects and logs in again.
    connected_ = false;
    falhar(r, detalhe);
  }
}

void ImapClient::loginComando() {
  std::string saida;
  executar("", "LOGIN " + imapQuoted(username) + " " + imapQuoted(password), saida);
}

void ImapClient::connect() {
  if (username.find_first_of("\r\n") != std::string::npos ||
      password.find_first_of("\r\n") != std::string::npos)
    throw ImapError("o nome do usuário ou a senha contém quebras de linha");
  disconnect();
  prepararHandle();
  std::string saida;
  if (autenticacao == Autenticacao::login)
    loginComando();
  else
    executar("", "NOOP", saida);
  connected_ = logado_ = true;
}

int64_t ImapClient::select(const std::string& folder) {
  voltarSeNecessario();
  std::string saida;
  executar("", "SELECT " + imapQuoted(folder), saida);
  selecionada_ = folder;
  std::smatch m;
  if (std::regex_search(saida, m, std::regex(R"(\* (\d+) EXISTS)"))) return std::stoll(m[1].str());
  throw ImapError("resposta inesperada ao selecionar a pasta " + folder);
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
  if (std::regex_search(saida, m, std::regex(R"(UID (\d+))"))) return std::stoll(m[1].str());
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
