#include "options.h"

#include <cerrno>
#include <cstdlib>

namespace quorvel::service {
namespace {

long long number(const std::string& option, const std::string& text, long long min, long long max) {
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < min || value > max) {
    throw UsageError(option + " espera um número inteiro de " + std::to_string(min) + " a " +
                     std::to_string(max) + ", não \"" + text + "\"");
  }
  return value;
}

}  // namespace

std::string usageText() {
  return R"(Uso:
  quorvel-service --data PASTA [opções]               inicia o serviço
  quorvel-service --data PASTA [--database URL] user add EMAIL
                                                      cadastra um usuário e mostra a chave nova
  quorvel-service --data PASTA user disable EMAIL     bloqueia um usuário
  quorvel-service --data PASTA user enable EMAIL      desbloqueia um usuário
  quorvel-service --data PASTA user new-key EMAIL     troca a chave de um usuário
  quorvel-service --data PASTA user list              lista os usuários
  quorvel-service --data PASTA publish NOME ARQUIVO   publica um arquivo para download; NOME
                                                      armadilhas, paises, nomes_raros ou
                                                      sites_ignorados também data a definição
  quorvel-service --data PASTA build set ATUAL MINIMO publica as versões atual e mínima

Opções:
  --data PASTA            pasta de dados (obrigatória); os downloads ficam em PASTA/download
  --listen HOST:PORTA     endereço de escuta (padrão 127.0.0.1:8080; porta 0 escolhe uma livre)
  --database URL          postgresql://usuario@host:porta/banco (padrão: SQLite na pasta de
                          dados; também pela variável QUORVEL_SERVICE_DATABASE)
  --tls-cert ARQUIVO      certificado PEM: serve HTTPS (exige --tls-key)
  --tls-key ARQUIVO       chave privada PEM do certificado
  --min-senders K         usuários distintos que precisam enviar um domínio ou endereço antes
                          de ele ser oferecido nos downloads (padrão 2)
  --threads N             requisições processadas ao mesmo tempo (padrão 64); conexões
                          ociosas ou lentas não ocupam nenhuma
  --max-body BYTES        tamanho máximo de uma requisição (padrão 2097152)
  --request-timeout S     segundos para uma requisição chegar inteira (padrão 20)
  --header-timeout S      segundos para a linha de requisição e os cabeçalhos chegarem
                          (padrão 10)
  --max-connections N     conexões abertas ao mesmo tempo (padrão 10000, no máximo o limite
                          de descritores do processo); cheio, fecha a mais ociosa
  --max-connections-per-address N
                          conexões abertas por endereço de cliente, IPv6 por /64 (padrão 64;
                          0 desliga; atrás de um proxy reverso use 0)
  --user-daily-values N   itens que um usuário pode enviar por dia (UTC) nas ações 1, 4 e 8
                          (padrão 100000; 0 desliga); além disso a resposta é 429
  --pending-days N        dias que um item enviado por um só usuário espera por outro antes
                          de ser esquecido (padrão 30)
  --page-size N           linhas por página de download (padrão 500000)
  --seed PASTA            arquivos iniciais de uma pasta de dados nova
  -h, --help              mostra esta ajuda
  --version               mostra a versão

Códigos de saída: 0 sucesso, 1 erro de execução, 2 uso incorreto.
)";
}

Options parseOptions(const std::vector<std::string>& args) {
  Options o;
  if (const char* env = std::getenv("QUORVEL_SERVICE_DATABASE")) o.databaseUrl = env;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(a + " espera um valor");
      return args[++i];
    };
    if (a == "-h" || a == "--help") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "--data") {
      o.dataDir = value();
    } else if (a == "--listen") {
      const std::string& v = value();
      size_t colon = v.rfind(':');
      if (colon == std::string::npos || colon == 0) {
        throw UsageError("--listen espera HOST:PORTA, não \"" + v + "\"");
      }
      o.listenHost = v.substr(0, colon);
      if (o.listenHost.size() > 2 && o.listenHost.front() == '[' && o.listenHost.back() == ']') {
        o.listenHost = o.listenHost.substr(1, o.listenHost.size() - 2);
      }
      o.listenPort = static_cast<int>(number("--listen", v.substr(colon + 1), 0, 65535));
    } else if (a == "--database") {
      o.databaseUrl = value();
    } else if (a == "--tls-cert") {
      o.tlsCert = value();
    } else if (a == "--tls-key") {
      o.tlsKey = value();
    } else if (a == "--min-senders") {
      o.minSenders = static_cast<int>(number(a, value(), 1, 1000));
    } else if (a == "--threads") {
      o.threads = static_cast<int>(number(a, value(), 2, 4096));
    } else if (a == "--max-body") {
      o.maxBody = static_cast<size_t>(number(a, value(), 1024, 1LL << 32));
    } else if (a == "--request-timeout") {
      o.requestTimeoutSeconds = static_cast<int>(number(a, value(), 1, 3600));
    } else if (a == "--header-timeout") {
      o.headerTimeoutSeconds = static_cast<int>(number(a, value(), 1, 3600));
    } else if (a == "--max-connections") {
      o.maxConnections = static_cast<int>(number(a, value(), 16, 1000000));
    } else if (a == "--max-connections-per-address") {
      o.maxPerAddress = static_cast<int>(number(a, value(), 0, 1000000));
    } else if (a == "--user-daily-values") {
      o.userDailyValues = number(a, value(), 0, 1000000000);
    } else if (a == "--pending-days") {
      o.pendingDays = static_cast<int>(number(a, value(), 1, 3650));
    } else if (a == "--page-size") {
      o.pageSize = number(a, value(), 1, 100000000);
    } else if (a == "--seed") {
      o.seedDir = value();
    } else if (a.rfind("--", 0) == 0) {
      throw UsageError("opção desconhecida: " + a);
    } else {
      o.command.push_back(a);
    }
  }
  if (o.help || o.version) return o;
  if (o.dataDir.empty()) throw UsageError("falta --data PASTA");
  if (o.tlsCert.empty() != o.tlsKey.empty()) {
    throw UsageError("--tls-cert e --tls-key vão juntos");
  }
  return o;
}

}  // namespace quorvel::service
