#include "online/curl_http_client.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>

#include "common/text.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

// The error body kept for the message (the service answers short texts).
constexpr size_t kMaxCorpoErro = 512;

// "scheme://host:port" of an address, for messages; the address itself when it cannot be read.
std::string origemDe(const std::string& url) {
  std::string r = url;
  if (CURLU* u = curl_url()) {
    if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
      char *esquema = nullptr, *host = nullptr, *porta = nullptr;
      curl_url_get(u, CURLUPART_SCHEME, &esquema, 0);
      curl_url_get(u, CURLUPART_HOST, &host, 0);
      curl_url_get(u, CURLUPART_PORT, &porta, CURLU_DEFAULT_PORT);
      if (esquema && host)
        r = std::string(esquema) + "://" + host + (porta ? std::string(":") + porta : "");
      curl_free(esquema);
      curl_free(host);
      curl_free(porta);
    }
    curl_url_cleanup(u);
  }
  return r;
}

// One request's state, seen by libcurl's callbacks.
struct Transferencia {
  const HttpRequest& pedido;
  const std::function<void(std::string_view)>* corpo = nullptr;
  std::string* resposta = nullptr;  // the POST's answer
  CURL* h = nullptr;
  long status = 0;  // of the response whose headers are being read
  int64_t anunciado = -1;
  int64_t recebidos = 0;
  std::string corpoErro;
  std::exception_ptr falha;  // thrown by a callback of the caller
  bool cancelado = false;
  bool silencio = false;
  Clock::time_point ultimoMovimento = Clock::now();
  curl_off_t ultimoTotal = -1;
  char erro[CURL_ERROR_SIZE] = {};

  explicit Transferencia(const HttpRequest& p) : pedido(p) {}

  template <class F>
  bool guardado(F f) {
    try {
      f();
      return true;
    } catch (...) {
      if (!falha) falha = std::current_exception();
      return false;
    }
  }

  static size_t aoCabecalho(char* dados, size_t, size_t n, void* p) {
    auto& t = *static_cast<Transferencia*>(p);
    std::string_view linha(dados, n);
    if (linha.rfind("HTTP/", 0) == 0) {
      size_t sp = linha.find(' ');
      t.status = sp == std::string_view::npos
                     ? 0
                     : std::atol(std::string(linha.substr(sp + 1, 3)).c_str());
      return n;
    }
    if (trimView(linha).empty() && t.status >= 200 && t.status < 300) {
      // The final answer's headers are in: its body starts.
      curl_off_t tamanho = -1;
      curl_easy_getinfo(t.h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &tamanho);
      t.anunciado = tamanho;
      t.recebidos = 0;
      if (t.pedido.progresso && !t.guardado([&] { t.pedido.progresso(0, t.anunciado); })) return 0;
    }
    return n;
  }

  static size_t aoEscrever(char* dados, size_t, size_t n, void* p) {
    auto& t = *static_cast<Transferencia*>(p);
    long codigo = 0;
    curl_easy_getinfo(t.h, CURLINFO_RESPONSE_CODE, &codigo);
    if (codigo < 200 || codigo >= 300) {
      // An error answer: its text goes into the message, never to the caller's body.
      size_t cabe = kMaxCorpoErro - std::min(kMaxCorpoErro, t.corpoErro.size());
      t.corpoErro.append(dados, std::min(cabe, n));
      return n;
    }
    std::string_view bloco(dados, n);
    bool ok = t.guardado([&] {
      if (t.corpo) (*t.corpo)(bloco);
      if (t.resposta) t.resposta->append(bloco);
      t.recebidos += static_cast<int64_t>(n);
      if (t.pedido.progresso) t.pedido.progresso(t.recebidos, t.anunciado);
    });
    return ok ? n : 0;
  }

  static int aoProgredir(void* p, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t ulnow) {
    auto& t = *static_cast<Transferencia*>(p);
    const auto agora = Clock::now();
    curl_off_t conectado = 0;
    curl_easy_getinfo(t.h, CURLINFO_CONNECT_TIME_T, &conectado);
    const curl_off_t total = dlnow + ulnow;
    // The silence is counted from the connection on; before it the connect time-out rules.
    if (total != t.ultimoTotal || conectado == 0) {
      t.ultimoTotal = total;
      t.ultimoMovimento = agora;
    } else if (agora - t.ultimoMovimento >= std::chrono::seconds(t.pedido.timeouts.readSeconds)) {
      t.silencio = true;
      return 1;
    }
    if (t.pedido.continuar) {
      bool seguir = true;
      if (!t.guardado([&] { seguir = t.pedido.continuar(); })) return 1;
      if (!seguir) {
        t.cancelado = true;
        return 1;
      }
    }
    return 0;
  }
};

struct Handle {
  CURL* h = curl_easy_init();
  curl_slist* cabecalhos = nullptr;
  curl_mime* formulario = nullptr;
  ~Handle() {
    curl_mime_free(formulario);
    curl_slist_free_all(cabecalhos);
    curl_easy_cleanup(h);
  }
};

[[noreturn]] void falhar(CURLcode r, const Transferencia& t, const std::string& url) {
  const std::string origem = origemDe(url);
  const std::string detalhe = t.erro[0] ? t.erro : curl_easy_strerror(r);
  const std::string segundos = std::to_string(t.pedido.timeouts.readSeconds) + " s";
  if (t.silencio)
    throw HttpError(HttpError::Kind::timeout,
                    "o serviço em " + origem + " parou de responder por " + segundos);
  if (t.cancelado) throw HttpError(HttpError::Kind::cancelled, "transferência cancelada");
  curl_off_t conectado = 0;
  curl_easy_getinfo(t.h, CURLINFO_CONNECT_TIME_T, &conectado);
  switch (r) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      throw HttpError(HttpError::Kind::connection,
                      "o endereço do serviço não foi encontrado: " + origem);
    case CURLE_COULDNT_CONNECT:
      throw HttpError(HttpError::Kind::connection,
                      "não foi possível conectar ao serviço em " + origem);
    case CURLE_OPERATION_TIMEDOUT:
      if (conectado == 0)
        throw HttpError(HttpError::Kind::connection,
                        "o serviço em " + origem + " não atendeu em " +
                            std::to_string(t.pedido.timeouts.connectSeconds) + " s");
      throw HttpError(HttpError::Kind::timeout,
                      "o serviço em " + origem + " parou de responder por " + segundos);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      throw HttpError(HttpError::Kind::tls,
                      "o certificado de segurança de " + origem +
                          " não pôde ser verificado, e a conexão foi recusada para proteger os "
                          "seus dados (" +
                          detalhe + ")");
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
      throw HttpError(HttpError::Kind::tls, "não foi possível estabelecer uma conexão segura com " +
                                                origem + " (" + detalhe + ")");
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR: {
      std::string quanto = std::to_string(t.recebidos) + " bytes recebidos";
      if (t.anunciado >= 0)
        quanto =
            std::to_string(t.recebidos) + " de " + std::to_string(t.anunciado) + " bytes recebidos";
      throw HttpError(HttpError::Kind::truncated,
                      "a transferência de " + url + " foi interrompida (" + quanto + ")");
    }
    case CURLE_GOT_NOTHING:
      throw HttpError(HttpError::Kind::connection,
                      "o serviço em " + origem + " fechou a conexão sem responder");
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
      throw HttpError(HttpError::Kind::other, "endereço do serviço inválido: " + url);
    default:
      throw HttpError(HttpError::Kind::other,
                      "falha na comunicação com " + origem + " (" + detalhe + ")");
  }
}

}  // namespace

CurlHttpClient::CurlHttpClient() {
  static std::once_flag uma;
  std::call_once(uma, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void CurlHttpClient::get(const HttpRequest& pedido,
                         const std::function<void(std::string_view)>& corpo) {
  executar(pedido, nullptr, corpo);
}

std::string CurlHttpClient::postForm(const HttpRequest& pedido,
                                     const std::vector<FormField>& campos) {
  std::string resposta;
  executar(pedido, &campos, [&resposta](std::string_view b) { resposta.append(b); });
  return resposta;
}

void CurlHttpClient::executar(const HttpRequest& pedido, const std::vector<FormField>* campos,
                              const std::function<void(std::string_view)>& corpo) {
  Handle hd;
  if (!hd.h) throw HttpError(HttpError::Kind::other, "não foi possível iniciar a conexão HTTP");
  CURL* h = hd.h;
  Transferencia t(pedido);
  t.h = h;
  t.corpo = &corpo;
  curl_easy_setopt(h, CURLOPT_URL, pedido.url.c_str());
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, t.erro);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Transferencia::aoCabecalho);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Transferencia::aoEscrever);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Transferencia::aoProgredir);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(pedido.timeouts.connectSeconds));
  // aoProgredir ends a transfer that stays silent for readSeconds; libcurl's own low-speed
  // limit stands behind it.
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, static_cast<long>(pedido.timeouts.readSeconds) + 5);
  if (pedido.followRedirects) {
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
  }
  std::string ca = caFile;
  if (ca.empty())
    if (const char* env = std::getenv("QUORVEL_CA_FILE"); env && *env) ca = env;
  if (!ca.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, ca.c_str());
  for (const auto& c : pedido.headers) hd.cabecalhos = curl_slist_append(hd.cabecalhos, c.c_str());
  if (campos) {
    // The answer is awaited at once: no "Expect: 100-continue" round trip.
    hd.cabecalhos = curl_slist_append(hd.cabecalhos, "Expect:");
    hd.formulario = curl_mime_init(h);
    for (const auto& c : *campos) {
      curl_mimepart* parte = curl_mime_addpart(hd.formulario);
      curl_mime_name(parte, c.name.c_str());
      curl_mime_data(parte, c.value.data(), c.value.size());
      curl_mime_type(parte, "text/plain; charset=UTF-8");
    }
    curl_easy_setopt(h, CURLOPT_MIMEPOST, hd.formulario);
  }
  if (hd.cabecalhos) curl_easy_setopt(h, CURLOPT_HTTPHEADER, hd.cabecalhos);

  CURLcode r = curl_easy_perform(h);
  if (t.falha) std::rethrow_exception(t.falha);
  if (r != CURLE_OK) falhar(r, t, pedido.url);
  long codigo = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &codigo);
  if (codigo < 200 || codigo >= 300) {
    std::string texto = trim(t.corpoErro);
    if (texto.size() > 200 || texto.find_first_of("<\r\n") != std::string::npos) texto.clear();
    throw HttpError(HttpError::Kind::status,
                    "o serviço em " + origemDe(pedido.url) + " respondeu com o erro HTTP " +
                        std::to_string(codigo) + (texto.empty() ? "" : " (" + texto + ")"),
                    codigo);
  }
  if (t.anunciado >= 0 && t.recebidos != t.anunciado)
    throw HttpError(HttpError::Kind::truncated,
                    "a transferência de " + pedido.url + " foi interrompida (" +
                        std::to_string(t.recebidos) + " de " + std::to_string(t.anunciado) +
                        " bytes recebidos)");
}

}  // namespace quorvel
