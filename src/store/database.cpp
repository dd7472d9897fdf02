#include "store/database.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <chrono>
#include <thread>

#include "common/format.h"
#include "common/paths.h"
#include "common/text.h"

namespace quorvel {
namespace {

constexpr const char* kEsquema[] = {
    "CREATE TABLE IF NOT EXISTS tbconfig(id_config INTEGER PRIMARY KEY,  categoria VARCHAR,  "
    "nome VARCHAR,  valor VARCHAR,  tipo VARCHAR,  descricao VARCHAR)",
    "CREATE TABLE IF NOT EXISTS tbmxvalidos(dominio VARCHAR PRIMARY KEY NOT NULL,  data_cadastro "
    "date,  seu BOOLEAN,  hits integer)",
    "CREATE INDEX data_cadastro_index ON tbmxvalidos (data_cadastro ASC)",
    "CREATE TABLE IF NOT EXISTS tbmxinvalidos(dominio VARCHAR PRIMARY KEY NOT NULL,  "
    "data_cadastro date,  seu BOOLEAN,  hits integer)",
    "CREATE TABLE IF NOT EXISTS tbemailsinvalidos(email VARCHAR PRIMARY KEY NOT NULL,  "
    "data_cadastro date,  seu BOOLEAN,  tipo_erro integer,  uid integer,  texto_retorno VARCHAR,  "
    "conta_email VARCHAR,  hits integer )",
    "CREATE TABLE IF NOT EXISTS tbContas (id_conta INTEGER PRIMARY KEY,  email VARCHAR(250),  "
    "senha VARCHAR(250),  servidor VARCHAR(250),  nome_usuario VARCHAR(250),  tipo_autenticacao "
    "VARCHAR(50),  usar_tls VARCHAR(50),  versao_ip VARCHAR(50),  modo_ssl VARCHAR(50),  "
    "metodo_ssl VARCHAR(50),  usar_ehlo BOOLEAN,  porta VARCHAR(50),  descricao VARCHAR(250),  "
    "conta_ativa BOOLEAN,  inbox_folder VARCHAR(50),  mailbox_separator VARCHAR(2) )",
    // Only the frequent domains are indexed: the few rows a run start reads, not the millions of
    // shared domains.
    "CREATE INDEX IF NOT EXISTS hits_frequentes_index ON tbmxvalidos (hits) WHERE hits >= 10"};
static_assert(kMinimoOcorrencias == 10, "the partial index and its query name the same bound");

std::string sqlQuote(std::string_view s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

bool isConstraint(const SqliteError& e) {
  return e.primary() == SQLITE_CONSTRAINT;
}

std::chrono::year_month_day hojeDoSistema() {
  auto now = std::chrono::system_clock::now();
  std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&t, &local);
  return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                     std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                     std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

// The user's words for what SQLite reported about the file at `caminho`.
std::string descreverFalha(const SqliteError& e, const std::string& caminho) {
  switch (e.primary()) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return "O banco de dados está danificado (" + caminho +
             "). Faça uma cópia do arquivo e use \"Manutenção no banco de dados\"; se o erro "
             "continuar, apague o arquivo para que o Quorvel crie um novo.";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return "O banco de dados está bloqueado por outro programa (" + caminho + ").";
    case SQLITE_FULL:
      return "Não há espaço livre no disco para o banco de dados (" + caminho + ").";
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
      return "O banco de dados não pode ser gravado (" + caminho + "): acesso negado.";
    case SQLITE_IOERR:
      return "Erro de leitura ou gravação no banco de dados (" + caminho + ").";
    default:
      return "Erro no banco de dados (" + caminho + "): " + e.what();
  }
}

// The store holds the mail passwords: it, its journals and its folder are its owner's alone. A
// file made by an older version (readable by everyone) is tightened when it is opened.
void soDoDono(const std::string& caminho) {
  struct stat st {};
  if (::stat(caminho.c_str(), &st) == 0 && (st.st_mode & 077) != 0)
    ::chmod(caminho.c_str(), st.st_mode & 0700);
}

void protegerArquivos(const std::string& pasta, const std::string& caminho) {
  soDoDono(pasta);
  for (const char* sufixo : {"", "-wal", "-shm", "-journal"}) soDoDono(caminho + sufixo);
}

// An exclusive lock on the folder of the file while it is opened (released on leaving).
class AberturaExclusiva {
 public:
  explicit AberturaExclusiva(const std::string& pasta)
      : fd_(::open(pasta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0)
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~AberturaExclusiva() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  AberturaExclusiva(const AberturaExclusiva&) = delete;
  AberturaExclusiva& operator=(const AberturaExclusiva&) = delete;

 private:
  int fd_;
};

}  // namespace

template <class Body>
auto Database::guardado(Body body) -> decltype(body()) {
  try {
    return body();
  } catch (const SqliteError& e) {
    throw StoreFailure(descreverFalha(e, caminho()));
  }
}

const std::string& identificador(const std::string& nome) {
  bool ok = !nome.empty();
  for (char c : nome)
    ok = ok &&
         ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_');
  if (!ok) throw SqliteError(SQLITE_MISUSE, "nome de tabela ou coluna inválido: " + nome);
  return nome;
}

Database::Database(std::string programFolder, SharingFlags& colaboracao)
    : hoje(hojeDoSistema), home_(std::move(programFolder)), colaboracao_(colaboracao) {}

std::string Database::caminho() const {
  return paths::join(paths::dadosConfig(home_), "quorvel.bd");
}

std::string Database::hojeTexto() const {
  return getDataSQL(hoje());
}

void Database::abrirBD() {
  paths::createFolder(paths::dados(home_));
  paths::createFolder(paths::dadosConfig(home_));
  if (pump) pump->processEvents();
  if (esperaAberturaMs > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(esperaAberturaMs));
  if (pump) pump->processEvents();

  const std::string path = caminho();
  const std::string prefixo = "Não foi possível abrir o banco de dados " + path + ": ";
  // Two programs opening one workspace at once take turns: a file being created by one would
  // otherwise be keyed by the other with a salt of its own and look damaged to it.
  AberturaExclusiva vez(paths::dadosConfig(home_));
  bool existia = paths::exists(path);
  if (!existia) {
    // Made here for its owner alone; SQLite gives its journal files the same permissions.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
  }
  protegerArquivos(paths::dadosConfig(home_), path);
  try {
    db_.open(path, !existia);
  } catch (const SqliteError& e) {
    throw DatabaseError(prefixo + e.what());
  }
  try {
    db_.exec(std::string("PRAGMA key = ") + sqlQuote(kSenha) + ";");
    // Without SQLCipher behind sqlite3.h the key pragma does nothing and the file would be
    // written in clear text.
    if (db_.query("PRAGMA cipher_version;").linhas.empty()) {
      db_.close();
      throw DatabaseError(prefixo +
                          "a criptografia do banco de dados (SQLCipher) não está "
                          "disponível neste programa.");
    }
    sqlite3_busy_timeout(db_.handle(), esperaBloqueioMs);
    // The first read tells a wrong key or a damaged file apart from a good one; nothing has been
    // written yet.
    db_.query("SELECT count(*) FROM sqlite_master;");
    // Readers pass a writer in the write-ahead log, so a file another program keeps locked for
    // writing is found here, before anything is asked of it.
    db_.exec("BEGIN IMMEDIATE; COMMIT;");
  } catch (const SqliteError& e) {
    db_.close();
    if (e.primary() == SQLITE_BUSY || e.primary() == SQLITE_LOCKED)
      throw DatabaseError(prefixo +
                          "o arquivo está bloqueado por outro programa. O arquivo não "
                          "foi alterado.");
    throw DatabaseError(prefixo + "o arquivo está danificado ou não foi criado pelo Quorvel (" +
                        e.what() + "). O arquivo não foi alterado.");
  }
  try {
    // Write-ahead log, synced at checkpoints: every answer is one short commit that costs no
    // disk flush and survives the program being killed, and a reader never waits for a writer
    // (two runs over one workspace).
    db_.exec("PRAGMA journal_mode = WAL;");
    db_.exec("PRAGMA synchronous = NORMAL;");
    criarEsquema();
    normalizarEmailsDigitados();
  } catch (const SqliteError& e) {
    db_.close();
    throw DatabaseError(prefixo + e.what());
  }
}

// Addresses typed by hand into the negative base by older versions kept their capitals and
// spaces and so never matched a normalised address: they are stored normalised. When the
// normalised address is there already, the own row of the two is kept.
void Database::normalizarEmailsDigitados() {
  Table suspeitos = db_.query(
      "SELECT email, seu FROM tbemailsinvalidos WHERE email GLOB '*[A-Z]*' OR email GLOB "
      "'*[^ -~]*' OR substr(email, 1, 1) <= ' ' OR substr(email, -1, 1) <= ' '");
  std::vector<std::pair<std::string, bool>> mudar;
  for (const auto& l : suspeitos.linhas) {
    if (!l[0]) continue;
    std::string normal = toLower(trimView(*l[0]));
    if (normal != *l[0]) mudar.emplace_back(*l[0], l[1].value_or("0") == "1");
  }
  if (mudar.empty()) return;
  db_.transacao([&] {
    for (const auto& [email, seu] : mudar) {
      const std::string normal = toLower(trimView(email));
      Statement existente = db_.prepare("SELECT seu FROM tbemailsinvalidos WHERE email = :e");
      existente.bind(":e", normal);
      const bool ha = existente.step();
      const bool haProprio = ha && !existente.columnIsNull(0) && existente.columnInt(0) == 1;
      existente.reset();
      if (ha && (haProprio || !seu)) {
        db_.prepare("DELETE FROM tbemailsinvalidos WHERE email = :e").bind(":e", email).exec();
        continue;
      }
      if (ha)
        db_.prepare("DELETE FROM tbemailsinvalidos WHERE email = :e").bind(":e", normal).exec();
      db_.prepare("UPDATE tbemailsinvalidos SET email = :n WHERE email = :e")
          .bind(":n", normal)
          .bind(":e", email)
          .exec();
    }
  });
}

void Database::setEsperaBloqueio(int ms) {
  esperaBloqueioMs = ms;
  if (db_.isOpen()) sqlite3_busy_timeout(db_.handle(), ms);
}

void Database::criarEsquema() {
  for (int i = 0; i < 7; ++i) {
    try {
      db_.exec(kEsquema[i]);
    } catch (const SqliteError&) {
      // The index exists after the first opening; the frequent domains can do without theirs.
      if (i != 2 && i != 4 && i != 6) throw;
    }
  }
}

int64_t Database::manutencao(Progress& progress) {
  progress.setProgress("Fazendo manutenção no banco...", 0, "Aguarde...");
  // The store and its journal files, before and after.
  auto tamanho = [this] {
    int64_t total = 0;
    for (const char* sufixo : {"", "-wal", "-shm"})
      total += std::max<int64_t>(paths::getTamanhoArquivo(caminho() + sufixo), 0);
    return total;
  };
  const int64_t antes = tamanho();
  struct HideOnExit {
    Progress& p;
    ~HideOnExit() { p.hide(); }
  } hide{progress};
  db_.close();
  SqliteDb vacuum;
  vacuum.open(caminho(), false);
  vacuum.exec(std::string("PRAGMA key = ") + sqlQuote(kSenha) + ";");
  vacuum.exec("VACUUM;");
  vacuum.close();
  int espera = esperaAberturaMs;
  esperaAberturaMs = 0;
  try {
    abrirBD();
  } catch (...) {
    esperaAberturaMs = espera;
    throw;
  }
  esperaAberturaMs = espera;
  return antes - tamanho();
}

void Database::apagarTabela(const std::string& nomeTabela) {
  guardado([&] { db_.exec("delete from " + identificador(nomeTabela)); });
}

bool Database::inserirMX(const std::string& nomeTabela, std::string_view dominio,
                         std::string_view data, bool seu) {
  return guardado([&] {
    const std::string& t = identificador(nomeTabela);
    try {
      return db_.prepare(
                    "INSERT INTO " + t +
                    " (dominio, data_cadastro, seu) VALUES (:adominio, :adata_cadastro, :aseu)")
                 .bind(":adominio", dominio)
                 .bind(":adata_cadastro", data)
                 .bind(":aseu", seu ? 1 : 0)
                 .exec() > 0;
    } catch (const SqliteError& e) {
      if (!isConstraint(e)) throw;  // only an existing domain turns into an update
    }
    if (!seu) return false;
    return db_.prepare("UPDATE OR IGNORE " + t + " SET seu = :aseu WHERE (dominio = :adominio)")
               .bind(":aseu", 1)
               .bind(":adominio", dominio)
               .exec() > 0;
  });
}

void Database::inserirMXMass(const std::string& nomeTabela, std::string_view lista, bool seu) {
  guardado([&] {
    const std::string& t = identificador(nomeTabela);
    const std::string data = hojeTexto();
    db_.transacao([&] {
      Statement st = db_.prepare("INSERT OR IGNORE INTO " + t +
                                 " (dominio, data_cadastro, seu) VALUES (:adominio, "
                                 ":adata_cadastro, :aseu)");
      for (const auto& linha : splitLines(lista)) {
        std::string_view dominio = trimView(linha);
        if (dominio.empty()) continue;
        st.bind(":adominio", dominio).bind(":adata_cadastro", data).bind(":aseu", seu ? 1 : 0);
        st.exec();
      }
    });
  });
}

bool Database::temDominioMX(const std::string& nomeTabela, std::string_view dominio) {
  return guardado([&] {
    const std::string& t = identificador(nomeTabela);
    std::string sql =
        colaboracao_.gCompartilha
            ? "SELECT dominio from " + t + " where (dominio = :adominio) LIMIT 1"
            : "SELECT dominio from " + t + " where (dominio = :adominio) and (seu = 1) LIMIT 1";
    Statement st = db_.prepare(sql);
    st.bind(":adominio", dominio);
    bool found = st.step();
    st.reset();
    return found;
  });
}

int Database::inserirEmailInvalido(std::string_view email, std::string_view textoRetorno,
                                   std::string_view contaEmail,
                                   std::chrono::year_month_day dataCadastro, int tipoErro,
                                   int64_t uid, bool seu) {
  return guardado([&] {
    const std::string data = getDataSQL(dataCadastro);
    auto bindAll = [&](Statement& st) {
      st.bind(":aemail", email)
          .bind(":adata_cadastro", data)
          .bind(":atexto_retorno", textoRetorno)
          .bind(":aconta_email", contaEmail)
          .bind(":atipo_erro", tipoErro)
          .bind(":auid", uid)
          .bind(":aseu", seu ? 1 : 0);
    };
    try {
      Statement st = db_.prepare(
          "INSERT INTO tbemailsinvalidos (email, data_cadastro, texto_retorno, conta_email, "
          "tipo_erro, uid, seu) VALUES (:aemail, :adata_cadastro, :atexto_retorno, :aconta_email, "
          ":atipo_erro, :auid, :aseu)");
      bindAll(st);
      return st.exec() > 0 ? 1 : 0;
    } catch (const SqliteError& e) {
      if (!isConstraint(e)) throw;
    }
    if (seu) {
      Statement st = db_.prepare(
          "UPDATE OR IGNORE tbemailsinvalidos SET seu = :aseu, data_cadastro = :adata_cadastro, "
          "texto_retorno = :atexto_retorno, conta_email = :aconta_email, tipo_erro = :atipo_erro, "
          "uid = :auid WHERE (email = :aemail)");
      bindAll(st);
      st.exec();
    }
    return 0;
  });
}

void Database::inserirEmailInvalidoMass(std::string_view lista) {
  guardado([&] {
    const std::string data = hojeTexto();
    db_.transacao([&] {
      Statement st = db_.prepare(
          "INSERT OR IGNORE INTO tbemailsinvalidos (email, data_cadastro, seu, tipo_erro) VALUES "
          "(:aemail, :adata_cadastro, :aseu, :atipo_erro)");
      for (const auto& linha : splitLines(lista)) {
        std::string_view email = trimView(linha);
        if (email.empty()) continue;
        st.bind(":aemail", email).bind(":adata_cadastro", data).bind(":aseu", 0);
        st.bind(":atipo_erro", 1);
        st.exec();
      }
    });
  });
}

int Database::temEmailInvalido(std::string_view email) {
  return guardado([&] {
    Statement st = db_.prepare(
        colaboracao_.gCompartilha
            ? "SELECT email, tipo_erro from tbemailsinvalidos where (email = :aemail) LIMIT 1"
            : "SELECT email, tipo_erro from tbemailsinvalidos where (email = :aemail) and (seu = "
              "1) "
              "LIMIT 1");
    st.bind(":aemail", email);
    int tipo = 0;
    if (st.step() && !st.columnIsNull(1)) tipo = static_cast<int>(st.columnInt(1));
    st.reset();
    return tipo;
  });
}

void Database::lerEmailsInvalidos(
    const std::function<void(std::string_view email, int tipo)>& linha) {
  guardado([&] {
    Statement st = db_.prepare(
        colaboracao_.gCompartilha
            ? "SELECT email, tipo_erro FROM tbemailsinvalidos WHERE tipo_erro > 0"
            : "SELECT email, tipo_erro FROM tbemailsinvalidos WHERE tipo_erro > 0 AND seu = 1");
    while (st.step()) {
      const auto* texto = sqlite3_column_text(st.handle(), 0);
      if (!texto) continue;
      const int n = sqlite3_column_bytes(st.handle(), 0);
      const int64_t tipo = st.columnInt(1);
      linha(std::string_view(reinterpret_cast<const char*>(texto), static_cast<size_t>(n)),
            tipo > 255 ? 255 : static_cast<int>(tipo));
    }
    st.reset();
  });
}

int64_t Database::qtdTabela(const std::string& nomeTabela, const std::string& nomeIndice) {
  return guardado([&] {
    std::string sql = "SELECT count(*) as qtd from " + identificador(nomeTabela);
    if (!nomeIndice.empty()) sql += " INDEXED BY " + identificador(nomeIndice);
    Statement st = db_.prepare(sql);
    int64_t n = st.step() ? st.columnInt(0) : 0;
    st.reset();
    return n;
  });
}

void Database::listarMX(
    const std::string& nomeTabela,
    const std::function<void(std::string_view, std::string_view, bool)>& linha) {
  guardado([&] {
    Statement st = db_.prepare("SELECT dominio, data_cadastro, seu FROM " +
                               identificador(nomeTabela) + " ORDER BY dominio");
    while (st.step()) linha(st.columnText(0), st.columnText(1), st.columnInt(2) == 1);
    st.reset();
  });
}

void Database::dominiosFrequentes(size_t limite,
                                  const std::function<void(std::string_view dominio)>& dominio) {
  guardado([&] {
    // The condition is the partial index's, word for word, so that the index answers.
    Statement st = db_.prepare(std::string("SELECT dominio FROM tbmxvalidos WHERE hits >= 10") +
                               (colaboracao_.gCompartilha ? "" : " AND seu = 1") +
                               " ORDER BY hits DESC, dominio LIMIT :alimite");
    st.bind(":alimite", static_cast<int64_t>(limite));
    while (st.step()) dominio(st.columnText(0));
    st.reset();
  });
}

void Database::somarOcorrencias(const std::vector<std::pair<std::string, uint32_t>>& contagem) {
  if (contagem.empty()) return;
  guardado([&] {
    db_.transacao([&] {
      Statement st = db_.prepare(
          "UPDATE tbmxvalidos SET hits = coalesce(hits, 0) + :aqtd WHERE dominio = :adominio");
      for (const auto& [d, n] : contagem) {
        st.bind(":aqtd", static_cast<int64_t>(n)).bind(":adominio", d);
        st.exec();
      }
    });
  });
}

bool Database::esquecerMX(std::string_view dominio) {
  return guardado([&] {
    int n = 0;
    db_.transacao([&] {
      for (const char* t : {kTbMxValidos, kTbMxInvalidos})
        n += db_.prepare(std::string("DELETE FROM ") + t + " WHERE dominio = :adominio")
                 .bind(":adominio", dominio)
                 .exec();
    });
    return n > 0;
  });
}

bool Database::removerEmailInvalido(std::string_view email) {
  return guardado([&] {
    return db_.prepare("DELETE FROM tbemailsinvalidos WHERE email = :aemail")
               .bind(":aemail", toLower(trimView(email)))
               .exec() > 0;
  });
}

std::string Database::qtdEmailsOnline() {
  return guardado([&] {
    auto contar = [&](const char* sql) {
      Statement st = db_.prepare(sql);
      int64_t n = st.step() ? st.columnInt(0) : 0;
      st.reset();
      return n;
    };
    int64_t seu = contar("SELECT count(*) as total from tbemailsinvalidos where seu = 1");
    int64_t online = contar("SELECT count(*) as total from tbemailsinvalidos where seu <> 1");
    return "seu=" + std::to_string(seu) + "\r\nonline=" + std::to_string(online) + "\r\n";
  });
}

int64_t Database::getNextId(const std::string& tableName, const std::string& nomeCampo) {
  return guardado([&] {
    Statement st = db_.prepare("SELECT MAX(" + identificador(nomeCampo) + ") FROM " +
                               identificador(tableName));
    int64_t next = 1;
    if (st.step() && !st.columnIsNull(0)) next = st.columnInt(0) + 1;
    st.reset();
    return next;
  });
}

Table Database::consultaContas() {
  return guardado([&] { return db_.query("SELECT * FROM tbcontas order by email"); });
}

Table Database::consultaEmailsInvalidosProprios() {
  return guardado([&] {
    return db_.query("SELECT * FROM tbemailsinvalidos where seu = 1 order by data_cadastro");
  });
}

}  // namespace quorvel
