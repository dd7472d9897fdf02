#include "service_app.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <memory>
#include <thread>

#include "data_folder.h"
#include "dates.h"
#include "http_server.h"
#include "log.h"
#include "shared_base.h"
#include "storage.h"
#include "sync_handler.h"
#include "text_checks.h"
#include "users.h"

namespace fs = std::filesystem;

namespace quorvel::service {
namespace {

std::string seedDirectory(const Options& options) {
  if (!options.seedDir.empty()) return options.seedDir;
#ifdef QUORVEL_SEED_INSTALL_DIR
  if (fs::exists(fs::path(QUORVEL_SEED_INSTALL_DIR) / "sys_paises.filter")) {
    return QUORVEL_SEED_INSTALL_DIR;
  }
#endif
#ifdef QUORVEL_SEED_BUILD_DIR
  if (fs::exists(fs::path(QUORVEL_SEED_BUILD_DIR) / "sys_paises.filter")) {
    return QUORVEL_SEED_BUILD_DIR;
  }
#endif
  return {};
}

std::string contentTypeOf(const std::string& name) {
  auto ends = [&](const char* suffix) {
    std::string s(suffix);
    return name.size() >= s.size() && name.compare(name.size() - s.size(), s.size(), s) == 0;
  };
  if (ends(".txt") || ends(".filter")) return "text/plain; charset=utf-8";
  if (ends(".htm") || ends(".html")) return "text/html; charset=utf-8";
  return "application/octet-stream";
}

// GET and HEAD of a file in the download folder, with Range. Only plain names of regular files
// directly in that folder are served: no "..", no sub-folders, no symbolic links.
void serveDownload(const fs::path& dir, const httplib::Request& req, httplib::Response& res) {
  std::string name = req.matches[1];
  if (!isPublicFileName(name)) {
    answerText(res, 404, "Arquivo não encontrado.");
    return;
  }
  int fd = ::open((dir / name).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    if (fd >= 0) ::close(fd);
    answerText(res, 404, "Arquivo não encontrado.");
    return;
  }
  auto size = static_cast<size_t>(st.st_size);
  for (const auto& [first, last] : req.ranges) {
    bool unsatisfiable = first >= 0 ? static_cast<size_t>(first) >= size : (last == 0 || size == 0);
    if (unsatisfiable || (first >= 0 && last >= 0 && last < first)) {
      ::close(fd);
      res.set_header("Content-Range", "bytes */" + std::to_string(size));
      answerText(res, 416, "Intervalo fora do arquivo.");
      return;
    }
  }
  res.set_header("Accept-Ranges", "bytes");
  if (size == 0) {  // a provider of length 0 would leave the length unannounced
    ::close(fd);
    res.set_content("", contentTypeOf(name));
    return;
  }
  auto file = std::shared_ptr<int>(new int(fd), [](int* p) {
    ::close(*p);
    delete p;
  });
  res.set_content_provider(
      size, contentTypeOf(name),
      [file](size_t offset, size_t length, httplib::DataSink& sink) {
        char buffer[65536];
        while (length > 0) {
          ssize_t n =
              ::pread(*file, buffer, std::min(length, sizeof buffer), static_cast<off_t>(offset));
          if (n <= 0) return false;
          if (!sink.write(buffer, static_cast<size_t>(n))) return false;
          offset += static_cast<size_t>(n);
          length -= static_cast<size_t>(n);
        }
        return true;
      },
      [file](bool) {});
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
    default:
      return status >= 500 ? "Erro interno do serviço." : "Requisição recusada.";
  }
}

std::unique_ptr<Storage> openPrepared(const Options& options, const DataFolder& folder) {
  auto storage = openStorage(options.databaseUrl, folder.sqlitePath().string());
  storage->prepare();
  return storage;
}

}  // namespace

int runServer(const Options& options) {
  // Signals go to one thread that stops the server; every other thread blocks them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  DataFolder folder(options.dataDir);
  std::string seed = seedDirectory(options);
  if (folder.prepare(seed)) logLine("pasta de dados nova: definições iniciais copiadas de " + seed);
  auto storage = openPrepared(options, folder);
  if (!storage->lockForServer()) {
    std::cerr << "quorvel-service: outro servidor já usa este banco de dados\n";
    return 1;
  }

  SharedBase base(*storage, options.minSenders, options.pageSize);
  base.start();
  Authenticator auth(*storage, std::chrono::seconds(2));
  SyncHandler sync(base, auth, *storage);

  SSL_CTX* tls = nullptr;
  if (!options.tlsCert.empty()) tls = makeTlsContext(options.tlsCert, options.tlsKey);
  ConnectionLimits limits;
  limits.requestTimeout = std::chrono::seconds(options.requestTimeoutSeconds);
  limits.maxRequestBytes = options.maxBody + 64 * 1024;
  GuardedServer server(limits, tls);
  int threads = options.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server.set_payload_max_length(options.maxBody);
  // Address reuse only: with the library's default SO_REUSEPORT a second server on the same
  // port would silently take half of the connections.
  server.set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });

  fs::path downloads = folder.downloadDir();
  server.Get(R"(/quorvel/download/([^/]+))",
             [&](const httplib::Request& req, httplib::Response& res) {
               serveDownload(downloads, req, res);
             });
  server.Post("/quorvel/bin/sync.php",
              [&](const httplib::Request& req, httplib::Response& res) { sync.handle(req, res); });
  server.Get("/quorvel/bin/sync.php", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Allow", "POST");
    answerText(res, 405, "Use POST com multipart/form-data.");
  });
  server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (GuardedServer::currentRequestTimedOut()) {
      res.status = 408;
      res.body.clear();
    } else if (GuardedServer::currentRequestTooLarge()) {
      res.status = 413;
      res.body.clear();
    }
    if (res.status == 408 || res.status == 413 || res.body.empty()) {
      res.set_header("Connection", "close");
    }
    if (res.body.empty()) {
      res.set_content(std::string(defaultText(res.status)) + "\n", "text/plain; charset=utf-8");
    }
  });
  server.set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        answerText(res, 503, "Serviço indisponível no momento; tente novamente.");
      });
  server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
    if (res.status >= 400 && res.status != 403) {
      logLine(std::to_string(res.status) + " " + req.remote_addr + " " + printable(req.method, 16) +
              " " + printable(req.path, 120));
    }
  });

  int port = options.listenPort;
  if (port == 0) {
    port = server.bind_to_any_port(options.listenHost);
    if (port <= 0) {
      std::cerr << "quorvel-service: não foi possível escutar em " << options.listenHost << "\n";
      return 1;
    }
  } else if (!server.bind_to_port(options.listenHost, port)) {
    std::cerr << "quorvel-service: não foi possível escutar em " << options.listenHost << ":"
              << port << "\n";
    return 1;
  }

  server.widenBacklog(1024);
  std::atomic<bool> ended{false};
  std::thread signalWaiter([&] {
    int sig = 0;
    sigwait(&signals, &sig);
    if (ended) return;  // woken up to leave
    logLine("sinal recebido: encerrando");
    server.stop();
  });

  std::cout << "quorvel-service: escutando em " << (tls ? "https" : "http") << "://"
            << options.listenHost << ":" << port << " (dados em " << options.dataDir << ", "
            << (options.databaseUrl.empty() ? "SQLite" : "PostgreSQL") << ")" << std::endl;
  bool ok = server.listen_after_bind();
  base.stop();
  ended = true;
  pthread_kill(signalWaiter.native_handle(), SIGTERM);  // wakes the signal thread
  signalWaiter.join();
  return ok ? 0 : 1;
}

int runCommand(const Options& options) {
  const auto& c = options.command;
  DataFolder folder(options.dataDir);
  auto expect = [&](size_t n, const char* form) {
    if (c.size() != n) throw UsageError(std::string("uso: quorvel-service --data PASTA ") + form);
  };
  if (c[0] == "user") {
    if (c.size() < 2)
      throw UsageError(
          "uso: quorvel-service --data PASTA user add|disable|enable|new-key|list ...");
    fs::create_directories(folder.root());
    auto storage = openPrepared(options, folder);
    const std::string& verb = c[1];
    if (verb == "list") {
      expect(2, "user list");
      for (const User& u : storage->listUsers()) {
        std::cout << u.email << "\t" << (u.active ? "ativo" : "bloqueado") << "\t"
                  << (u.compartilha ? "compartilha" : "não compartilha") << "\t" << u.createdOn
                  << "\n";
      }
      return 0;
    }
    expect(3, "user add|disable|enable|new-key EMAIL");
    std::string email = asciiLower(trimControl(c[2]));
    if (!isShareableAddress(email)) throw UsageError("e-mail inválido: " + c[2]);
    if (verb == "add" || verb == "new-key") {
      std::string key = newKey();
      User u;
      u.email = email;
      u.keySalt = newSalt();
      u.keyHash = hashKey(u.keySalt, key);
      u.createdOn = todayUtc();
      bool done =
          verb == "add" ? storage->addUser(u) : storage->setUserKey(email, u.keyHash, u.keySalt);
      if (!done) {
        std::cerr << "quorvel-service: "
                  << (verb == "add" ? "usuário já cadastrado (use user new-key): "
                                    : "usuário não cadastrado: ")
                  << email << "\n";
        return 1;
      }
      std::cout << key << std::endl;
      return 0;
    }
    if (verb == "disable" || verb == "enable") {
      if (!storage->setUserActive(email, verb == "enable")) {
        std::cerr << "quorvel-service: usuário não cadastrado: " << email << "\n";
        return 1;
      }
      std::cout << email << (verb == "enable" ? " desbloqueado" : " bloqueado") << std::endl;
      return 0;
    }
    throw UsageError("subcomando desconhecido: user " + verb);
  }
  if (c[0] == "publish") {
    expect(3, "publish NOME ARQUIVO");
    folder.publish(c[1], c[2]);
    std::cout << "publicado: " << c[1] << std::endl;
    return 0;
  }
  if (c[0] == "build") {
    expect(4, "build set ATUAL MINIMO");
    if (c[1] != "set") throw UsageError("subcomando desconhecido: build " + c[1]);
    auto parse = [](const std::string& t) {
      if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos) {
        throw UsageError("versão inválida: " + t);
      }
      return std::stol(t);
    };
    folder.setBuilds(parse(c[2]), parse(c[3]));
    std::cout << "versão atual " << c[2] << ", mínima " << c[3] << std::endl;
    return 0;
  }
  throw UsageError("comando desconhecido: " + c[0]);
}

}  // namespace quorvel::service
