#include "service_app.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <iostream>
#include <memory>
#include <thread>

#include "data_folder.h"
#include "dates.h"
#include "download_files.h"
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

// Connections the server may hold: the option, within the descriptors the process may open
// (raised to the hard limit first), less a reserve for the database and the files served.
size_t connectionCeiling(int wanted) {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    getrlimit(RLIMIT_NOFILE, &limit);
  }
  auto usable = limit.rlim_cur > 256 ? static_cast<size_t>(limit.rlim_cur) - 200 : 56;
  return std::min(static_cast<size_t>(wanted), usable);
}

// Users registered before addresses were folded like the desktop program folds them get the
// folded name, unless that name is taken (then both stay and the operator is told).
void foldStoredUsers(Storage& storage) {
  for (const User& u : storage.listUsers()) {
    std::string folded = foldCase(u.email);
    if (folded == u.email) continue;
    if (!storage.renameUser(u.email, folded)) {
      std::cerr << "quorvel-service: aviso: " << u.email << " e " << folded
                << " são o mesmo endereço cadastrado duas vezes; bloqueie um deles\n";
    }
  }
}

// The storage with its tables ready; the server also checks that it reads back whole first.
std::unique_ptr<Storage> openPrepared(const Options& options, const DataFolder& folder,
                                      bool check = false) {
  auto storage = openStorage(options.databaseUrl, folder.sqlitePath().string());
  if (check) storage->checkIntegrity();
  storage->prepare();
  foldStoredUsers(*storage);
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
  auto storage = openPrepared(options, folder, true);
  if (!storage->lockForServer()) {
    std::cerr << "quorvel-service: outro servidor já usa este banco de dados\n";
    return 1;
  }

  SharedBase base(*storage, options.minSenders, options.pageSize, options.pendingDays);
  base.start();
  Authenticator auth(*storage, std::chrono::seconds(2));
  DailyQuota quota(options.userDailyValues);
  SyncHandler sync(base, auth, *storage, quota);

  SSL_CTX* tls = nullptr;
  if (!options.tlsCert.empty()) tls = makeTlsContext(options.tlsCert, options.tlsKey);
  ServerLimits limits;
  limits.requestTimeout = std::chrono::seconds(options.requestTimeoutSeconds);
  limits.headerTimeout = std::chrono::seconds(options.headerTimeoutSeconds);
  limits.maxBody = options.maxBody;
  limits.maxConnections = connectionCeiling(options.maxConnections);
  limits.maxPerAddress = static_cast<size_t>(options.maxPerAddress);
  limits.workers = options.threads;

  const std::string syncPath = "/quorvel/bin/sync.php";
  const std::string downloadPrefix = "/quorvel/download/";
  fs::path downloads = folder.downloadDir();
  // Only the exchange goes to the workers; downloads and fixed answers never block the loop.
  auto placement = [&](const RequestHead& head, const std::string& path) {
    return path == syncPath && head.method == "POST";
  };
  auto handler = [&](const httplib::Request& req, Reply& reply) {
    httplib::Response& res = reply.res;
    if (req.path == syncPath) {
      if (req.method == "POST") {
        sync.handle(req, res);
      } else {
        res.set_header("Allow", "POST");
        answerText(res, 405, "Use POST com multipart/form-data.");
      }
    } else if (req.path.rfind(downloadPrefix, 0) == 0) {
      if (req.method == "GET" || req.method == "HEAD") {
        serveDownload(downloads, req.path.substr(downloadPrefix.size()),
                      req.get_header_value("Range"), req.method == "GET", reply);
      } else {
        res.set_header("Allow", "GET, HEAD");
        answerText(res, 405, "Método não permitido.");
      }
    } else {
      answerText(res, 404, "Não encontrado.");
    }
  };
  HttpServer server(limits, tls, placement, handler);

  int port = server.bind(options.listenHost, options.listenPort);
  if (port <= 0) {
    std::cerr << "quorvel-service: não foi possível escutar em " << options.listenHost << ":"
              << options.listenPort << "\n";
    return 1;
  }

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
  server.run();
  base.stop();
  ended = true;
  pthread_kill(signalWaiter.native_handle(), SIGTERM);  // wakes the signal thread
  signalWaiter.join();
  return 0;
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
    std::string email = foldCase(trimControl(c[2]));
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
