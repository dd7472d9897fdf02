#pragma once
// The program's database: dados/config/quorvel.bd, encrypted with SQLCipher. It holds the MX
// cache (tbmxvalidos, tbmxinvalidos), the negative base (tbemailsinvalidos), the mail accounts
// (tbContas) and the settings table (tbconfig).

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/ports.h"
#include "store/sharing_flags.h"
#include "store/sqlite_db.h"
#include "store/store_failure.h"

namespace quorvel {

// Opening failures, with the message the user sees. The file is never touched when one happens.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kTbMxValidos = "tbmxvalidos";
inline constexpr const char* kTbMxInvalidos = "tbmxinvalidos";
inline constexpr const char* kTbEmailsInvalidos = "tbemailsinvalidos";
// A domain with a mail server met this many times in the user's lists is one of their frequent
// domains (the count is kept in tbmxvalidos.hits).
inline constexpr uint32_t kMinimoOcorrencias = 10;

class Database {
 public:
  static constexpr const char* kSenha = "Qm4tRv8LkZ2pXn6HwB3";

  Database(std::string programFolder, SharingFlags& colaboracao);

  // Pause of the opening sequence (the desktop keeps it; batch runs and tests set 0).
  int esperaAberturaMs = 1500;
  // How long a statement waits for another program's lock on the file (setEsperaBloqueio also
  // changes it for an open file).
  int esperaBloqueioMs = 5000;
  void setEsperaBloqueio(int ms);
  EventPump* pump = nullptr;
  // Today's date (a fake clock in tests).
  std::function<std::chrono::year_month_day()> hoje;

  std::string caminho() const;
  // Opens (or creates) the file and its schema. Throws DatabaseError.
  void abrirBD();
  void fechar() { db_.close(); }
  bool aberto() const { return db_.isOpen(); }
  // "Manutenção no banco de dados": VACUUM and a fresh opening, with the progress box. Returns
  // the bytes given back (the store and its journal files, before less after).
  int64_t manutencao(Progress& progress);

  void apagarTabela(const std::string& nomeTabela);
  bool inserirMX(const std::string& nomeTabela, std::string_view dominio, std::string_view data,
                 bool seu);
  void inserirMXMass(const std::string& nomeTabela, std::string_view lista, bool seu);
  bool temDominioMX(const std::string& nomeTabela, std::string_view dominio);
  int inserirEmailInvalido(std::string_view email, std::string_view textoRetorno,
                           std::string_view contaEmail, std::chrono::year_month_day dataCadastro,
                           int tipoErro, int64_t uid, bool seu);
  void inserirEmailInvalidoMass(std::string_view lista);
  int temEmailInvalido(std::string_view email);
  // Every address of the negative base with a positive error type (own rows only unless sharing
  // is on), for a run that answers from memory.
  void lerEmailsInvalidos(const std::function<void(std::string_view email, int tipo)>& linha);
  int64_t qtdTabela(const std::string& nomeTabela, const std::string& nomeIndice = {});
  std::string qtdEmailsOnline();
  int64_t getNextId(const std::string& tableName, const std::string& nomeCampo);

  // Inspection and correction of what was learnt (the command line's db and negative commands).
  // Each domain of a cache table with its date and whether it was learnt here, in domain order;
  // `linha` is called once per row.
  void listarMX(
      const std::string& nomeTabela,
      const std::function<void(std::string_view dominio, std::string_view data, bool seu)>& linha);
  // Forgets a domain in both cache tables (the next run asks the DNS again); true when it was
  // known.
  bool esquecerMX(std::string_view dominio);
  // The domains with a mail server met at least kMinimoOcorrencias times in the user's lists,
  // most often met first, up to `limite` (own rows only unless sharing is on).
  void dominiosFrequentes(size_t limite,
                          const std::function<void(std::string_view dominio)>& dominio);
  // Adds what a run met of each domain to its count in tbmxvalidos (domains not there are left
  // alone).
  void somarOcorrencias(const std::vector<std::pair<std::string, uint32_t>>& contagem);
  // Takes an address (normalised first) out of the negative base; true when it was there.
  bool removerEmailInvalido(std::string_view email);

  // The standing queries the views show.
  Table consultaContas();
  Table consultaEmailsInvalidosProprios();

  SqliteDb& db() { return db_; }
  const SharingFlags& colaboracao() const { return colaboracao_; }

 private:
  // Runs an operation; a failure of SQLite becomes a StoreFailure with the user's words.
  template <class Body>
  auto guardado(Body body) -> decltype(body());
  void criarEsquema();
  void normalizarEmailsDigitados();
  std::string hojeTexto() const;

  std::string home_;
  SharingFlags& colaboracao_;
  SqliteDb db_;
};

// Table and column names are spliced into statements: only plain identifiers are accepted.
const std::string& identificador(const std::string& nome);

}  // namespace quorvel
