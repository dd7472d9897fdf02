#include "online/sync_protocol.h"

#include <algorithm>

#include "common/text.h"
#include "common/text_file.h"

namespace quorvel {

ServiceNotConfigured::ServiceNotConfigured()
    : std::runtime_error("nenhum serviço online foi configurado para este programa") {}

std::string dadosDoLote(std::string_view linhas) {
  std::string r;
  r.reserve(linhas.size());
  for (size_t i = 0; i < linhas.size(); ++i) {
    const char c = linhas[i];
    if (c == '\r' || c == '\n') {
      r.push_back(';');
      if (c == '\r' && i + 1 < linhas.size() && linhas[i + 1] == '\n') ++i;
    } else {
      r.push_back(c);
    }
  }
  return windows1252ToUtf8(trim(r));
}

int64_t contarLinhas(std::string_view texto) {
  if (texto.empty()) return 0;
  int64_t n = 0;
  for (size_t i = 0; i < texto.size(); ++i) {
    if (texto[i] == '\n') {
      ++n;
    } else if (texto[i] == '\r') {
      ++n;
      if (i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
    }
  }
  const char ultimo = texto.back();
  return ultimo == '\n' || ultimo == '\r' ? n : n + 1;
}

SyncProtocol::SyncProtocol(HttpClient& http, SharingFlags& flags) : http_(http), flags_(flags) {}

std::vector<FormField> SyncProtocol::campos(
    std::vector<std::pair<std::string, std::string>> proprios, int action) const {
  std::vector<std::pair<std::string, std::string>> todos;
  todos.reserve(proprios.size() + 3);
  todos.emplace_back("email", credenciais.email);
  todos.emplace_back("chave", credenciais.chave);
  // The batches carry their data after the action; every other action's fields come before it.
  const bool dadosDepois = action == 1 || action == 4 || action == 8;
  if (dadosDepois) todos.emplace_back("action", std::to_string(action));
  for (auto& p : proprios) todos.push_back(std::move(p));
  if (!dadosDepois) todos.emplace_back("action", std::to_string(action));
  std::vector<FormField> r;
  for (auto& [nome, valor] : todos) {
    std::string v = trim(valor);
    if (v.empty()) continue;
    r.push_back({trim(nome), std::move(v)});
  }
  return r;
}

std::string SyncProtocol::enviar(const std::vector<FormField>& c) {
  if (!configurado()) throw ServiceNotConfigured();
  HttpRequest pedido;
  pedido.url = baseUrl + kSyncScript;
  pedido.timeouts = timeouts;
  return trim(http_.postForm(pedido, c));
}

bool SyncProtocol::podeSincronizar() {
  flags_.gPodeSincronizar = false;
  flags_.gPodeSincronizar = enviar(campos({}, 2)) == "sim";
  return flags_.gPodeSincronizar;
}

bool SyncProtocol::enviarLote(int action, const std::string& linhas) {
  try {
    return enviar(campos({{"dados", dadosDoLote(linhas)}}, action)) == kRespostaInseriu;
  } catch (const std::exception&) {
    return false;
  }
}

bool SyncProtocol::sincronizarSitesValidos(const std::string& dominios) {
  return enviarLote(1, dominios);
}

bool SyncProtocol::sincronizarSitesInValidos(const std::string& dominios) {
  return enviarLote(4, dominios);
}

bool SyncProtocol::sincronizarEmailsInValidos(const std::string& emails) {
  if (!flags_.gCompartilha) return false;
  return enviarLote(8, emails);
}

std::string SyncProtocol::baixarPaginas(int action, const std::string& data) {
  if (!configurado()) throw ServiceNotConfigured();
  std::string resultado;
  for (int pagina = 0; pagina < kMaxPaginas; ++pagina) {
    HttpRequest pedido;
    pedido.url = baseUrl + kSyncScript;
    pedido.timeouts = timeouts;
    pedido.progresso = progressoDownload;
    pedido.continuar = continuarDownload;
    std::string resposta =
        http_.postForm(pedido, campos({{"page", std::to_string(pagina)}, {"date", data}}, action));
    const int64_t linhas = contarLinhas(resposta);
    resultado += resposta;
    if (!resposta.empty() && resposta.back() != '\n' && resposta.back() != '\r') resultado += '\n';
    if (linhas < kLinhasPorPagina) break;
  }
  return resultado;
}

std::string SyncProtocol::getSitesMXValidos(const std::string& mySqlDate) {
  return baixarPaginas(3, mySqlDate);
}

std::string SyncProtocol::getSitesMXInValidos(const std::string& mySqlDate) {
  return baixarPaginas(5, mySqlDate);
}

std::string SyncProtocol::getOnlineEmailsInvalidos(const std::string& mySqlDate) {
  return baixarPaginas(9, mySqlDate);
}

std::vector<std::string> SyncProtocol::getSitesMXDatas() {
  return splitLines(enviar(campos({}, 6)));
}

std::string SyncProtocol::getOnlineEmailData() {
  return enviar(campos({}, 10));
}

void SyncProtocol::setCompartilha(bool valor) {
  std::string resposta = enviar(campos({{"compartilha", valor ? "true" : "false"}}, 7));
  bool ligado = false;
  for (const auto& linha : splitLines(resposta)) {
    std::string_view l = trimView(linha);
    size_t igual = l.find('=');
    if (igual != std::string_view::npos && trimView(l.substr(0, igual)) == "compartilha") {
      ligado = trimView(l.substr(igual + 1)) == "1";
      break;
    }
  }
  flags_.gCompartilha = ligado;
}

}  // namespace quorvel
