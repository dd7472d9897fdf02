#pragma once
// A thin RAII layer over the SQLCipher C API: one connection, prepared statements kept per
// statement text, values always bound as parameters.

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class SqliteError : public std::runtime_error {
 public:
  SqliteError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
  int code() const { return code_; }
  // The primary result code (SQLITE_CONSTRAINT, SQLITE_BUSY, ...).
  int primary() const { return code_ & 0xFF; }

 private:
  int code_;
};

class Statement {
 public:
  Statement(sqlite3* db, sqlite3_stmt* stmt) : db_(db), stmt_(stmt) {}
  // Named parameters (":adominio"); an unknown name is a programming error.
  Statement& bind(const char* name, std::string_view text);
  Statement& bind(const char* name, int64_t value);
  Statement& bindNull(const char* name);
  // true while a row is available; throws SqliteError on failure.
  bool step();
  // Runs to completion; returns the number of rows changed.
  int exec();
  bool columnIsNull(int i) const { return sqlite3_column_type(stmt_, i) == SQLITE_NULL; }
  int64_t columnInt(int i) const { return sqlite3_column_int64(stmt_, i); }
  std::string columnText(int i) const;
  int columnCount() const { return sqlite3_column_count(stmt_); }
  std::string columnName(int i) const { return sqlite3_column_name(stmt_, i); }
  sqlite3_stmt* handle() const { return stmt_; }
  // Ready for the next use: rows discarded, bindings cleared.
  void reset();

 private:
  int index(const char* name) const;
  sqlite3* db_;
  sqlite3_stmt* stmt_;
};

// A query result as text: column names and rows.
struct Table {
  std::vector<std::string> colunas;
  std::vector<std::vector<std::optional<std::string>>> linhas;
};

class SqliteDb {
 public:
  SqliteDb() = default;
  ~SqliteDb() { close(); }
  SqliteDb(const SqliteDb&) = delete;
  SqliteDb& operator=(const SqliteDb&) = delete;

  // Opens an existing file (create = false) or creates it. Throws SqliteError.
  void open(const std::string& path, bool create);
  void close();
  bool isOpen() const { return db_ != nullptr; }
  sqlite3* handle() const { return db_; }

  // The statement for this text, prepared once and reset before it is handed out.
  Statement prepare(const std::string& sql);
  void exec(const std::string& sql);  // one or more statements, no parameters
  Table query(const std::string& sql);
  int changes() const { return sqlite3_changes(db_); }

  // Runs `body` inside one transaction: committed when it returns, rolled back when it throws.
  template <class Body>
  void transacao(Body body) {
    exec("BEGIN");
    try {
      body();
      exec("COMMIT");
    } catch (...) {
      try {
        exec("ROLLBACK");
      } catch (const SqliteError&) {
      }
      throw;
    }
  }

 private:
  struct Finalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
  };
  sqlite3* db_ = nullptr;
  std::map<std::string, std::unique_ptr<sqlite3_stmt, Finalizer>> cache_;
};

}  // namespace quorvel
