#include "http_reply.h"

#include <unistd.h>

namespace quorvel::service {
namespace {

const char* reasonPhrase(int status) {
  switch (status) {
    case 100:
      return "Continue";
    case 200:
      return "OK";
    case 206:
      return "Partial Content";
    case 400:
      return "Bad Request";
    case 403:
      return "Forbidden";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 413:
      return "Content Too Large";
    case 414:
      return "URI Too Long";
    case 416:
      return "Range Not Satisfiable";
    case 417:
      return "Expectation Failed";
    case 429:
      return "Too Many Requests";
    case 431:
      return "Request Header Fields Too Large";
    case 500:
      return "Internal Server Error";
    case 501:
      return "Not Implemented";
    case 503:
      return "Service Unavailable";
    case 505:
      return "HTTP Version Not Supported";
    default:
      return "Unknown";
  }
}

}  // namespace

FileBody::~FileBody() {
  if (fd >= 0) ::close(fd);
}

uint64_t FileBody::size() const {
  uint64_t total = 0;
  for (const Piece& p : pieces) total += p.text.size() + p.length;
  return total;
}

std::string serializeReply(const Reply& reply, bool headOnly, bool close) {
  const httplib::Response& res = reply.res;
  int status = res.status >= 100 && res.status <= 999 ? res.status : 500;
  std::string out = "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) + "\r\n";
  for (const auto& [name, value] : res.headers) {
    if (name == "Content-Length" || name == "Connection" || name == "Keep-Alive") continue;
    out.append(name).append(": ").append(value).append("\r\n");
  }
  uint64_t length = reply.file ? reply.file->size() : res.body.size();
  out += "Content-Length: " + std::to_string(length) + "\r\n";
  if (close) out += "Connection: close\r\n";
  out += "\r\n";
  if (!headOnly && !reply.file) out += res.body;
  return out;
}

const char* defaultText(int status) {
  switch (status) {
    case 400:
      return "Requisição inválida.";
    case 404:
      return "Não encontrado.";
    case 405:
      return "Método não permitido.";
    case 408:
      return "Tempo esgotado: a requisição não chegou completa a tempo.";
    case 413:
      return "Requisição grande demais.";
    case 414:
      return "Endereço longo demais.";
    case 416:
      return "Intervalo fora do arquivo.";
    case 417:
      return "Expectativa não suportada.";
    case 431:
      return "Cabeçalhos grandes demais.";
    case 501:
      return "Codificação de transferência não suportada.";
    case 503:
      return "Serviço ocupado no momento; tente novamente.";
    case 505:
      return "Versão de HTTP não suportada.";
    default:
      return status >= 500 ? "Erro interno do serviço." : "Requisição recusada.";
  }
}

}  // namespace quorvel::service
