#include "store/sqlite_db.h"

namespace quorvel {
namespace {

[[noreturn]] void fail(sqlite3* db, int rc) {
  throw SqliteError(db ? sqlite3_extended_errcode(db) : rc,
                    db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

}  // namespace

int Statement::index(const char* name) const {
  int i = sqlite3_bind_parameter_index(stmt_, name);
  if (i == 0) throw SqliteError(SQLITE_RANGE, std::string("parâmetro desconhecido: ") + name);
  return i;
}

Statement& Statement::bind(const char* name, std::string_view text) {
  int rc = sqlite3_bind_text(stmt_, index(name), text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) fail(db_, rc);
  return *this;
}

Statement& Statement::bind(const char* name, int64_t value) {
  int rc = sqlite3_bind_int64(stmt_, index(name), value);
  if (rc != SQLITE_OK) fail(db_, rc);
  return *this;
}

Statement& Statement::bindNull(const char* name) {
  int rc = sqlite3_bind_null(stmt_, index(name));
  if (rc != SQLITE_OK) fail(db_, rc);
  return *this;
}

bool Statement::step() {
  int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(stmt_);
  fail(db_, rc);
}

int Statement::exec() {
  while (step()) {
  }
  int n = sqlite3_changes(db_);
  sqlite3_reset(stmt_);
  return n;
}

std::string Statement::columnText(int i) const {
  const auto* p = sqlite3_column_text(stmt_, i);
  if (!p) return {};
  return std::string(reinterpret_cast<const char*>(p),
                     static_cast<size_t>(sqlite3_column_bytes(stmt_, i)));
}

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

void SqliteDb::open(const std::string& path, bool create) {
  close();
  int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string msg = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    throw SqliteError(rc, msg);
  }
  sqlite3_extended_result_codes(db, 1);
  db_ = db;
}

void SqliteDb::close() {
  cache_.clear();
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
}

Statement SqliteDb::prepare(const std::string& sql) {
  auto it = cache_.find(sql);
  if (it == cache_.end()) {
    sqlite3_stmt* s = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr);
    if (rc != SQLITE_OK) fail(db_, rc);
    it = cache_.emplace(sql, std::unique_ptr<sqlite3_stmt, Finalizer>(s)).first;
  }
  Statement st(db_, it->second.get());
  st.reset();
  return st;
}

void SqliteDb::exec(const std::string& sql) {
  char* err = nullptr;
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    std::string msg = err ? err : sqlite3_errstr(rc);
    sqlite3_free(err);
    throw SqliteError(sqlite3_extended_errcode(db_), msg);
  }
}

Table SqliteDb::query(const std::string& sql) {
  Statement st = prepare(sql);
  Table t;
  for (int i = 0; i < st.columnCount(); ++i) t.colunas.push_back(st.columnName(i));
  while (st.step()) {
    std::vector<std::optional<std::string>> row;
    for (int i = 0; i < st.columnCount(); ++i)
      row.push_back(st.columnIsNull(i) ? std::nullopt : std::optional(st.columnText(i)));
    t.linhas.push_back(std::move(row));
  }
  st.reset();
  return t;
}

}  // namespace quorvel
