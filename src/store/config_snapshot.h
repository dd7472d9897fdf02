#pragma once
// config.db, beside the program: a saved copy of the rows of the settings table tbconfig, used
// to fill an empty table. It is plain text so it can be read, diffed and edited by hand:
//
//   - UTF-8 (a leading byte-order mark is skipped); lines end in CR LF, LF or CR.
//   - The first non-blank line is the header: column names separated by TAB. The writer puts
//     categoria, nome, valor, tipo, descricao, in that order.
//   - Every further non-empty line is one row, its fields separated by TAB, matched to the
//     header by position. Inside a field, "\t", "\n", "\r" and "\\" stand for TAB, LF, CR and
//     a backslash, so any text survives the trip.
//
// The reader copies columns by their header name (case and surrounding blanks ignored), so
// another order works and unknown columns (id_config, say) are ignored. A row with fewer fields
// than the header gets the missing ones empty; a row with more fields is skipped, since its
// fields can no longer be matched to the header. A field with an unknown escape or a lone final
// backslash is left empty. A field that is not valid UTF-8 is read as Windows-1252 (a file
// touched by an old editor).
//
// The writer produces UTF-8 with a byte-order mark and CR LF, like the program's other files,
// and replaces the file atomically.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_file.h"

namespace quorvel {

inline constexpr const char* kConfigSnapshotFile = "config.db";

// One row of tbconfig without its key (SQLite assigns id_config). The defaults let a row be
// written with only its first columns.
struct ConfigRow {
  std::string categoria = {};
  std::string nome = {};
  std::string valor = {};
  std::string tipo = {};
  std::string descricao = {};
  bool operator==(const ConfigRow&) const = default;
};

struct ConfigSnapshot {
  std::vector<ConfigRow> linhas;
  std::vector<size_t> linhasIgnoradas;  // line numbers (from 1) of rows skipped as malformed
  size_t camposVazios = 0;              // fields left empty because they could not be decoded
  std::string erro;                     // the file could not be used at all; linhas is empty
  bool ok() const { return erro.empty(); }
};

ConfigSnapshot parseConfigSnapshot(std::string_view bytes);
ConfigSnapshot readConfigSnapshot(const std::string& path);
WriteResult writeConfigSnapshot(const std::string& path, const std::vector<ConfigRow>& linhas);

}  // namespace quorvel
