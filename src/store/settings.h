#pragma once
// The user's settings: config.txt (name=value lines) and the two phrase lists of the mailbox
// check, config_subject.txt and config_body.txt, all beside the program. They live in memory for
// the whole run and are written back whenever a setting changes.

#include <string>
#include <string_view>
#include <vector>

#include "common/name_value_list.h"
#include "common/sorted_string_list.h"

namespace quorvel {

inline constexpr const char* kConfigFile = "config.txt";
inline constexpr const char* kConfigSubjectFile = "config_subject.txt";
inline constexpr const char* kConfigBodyFile = "config_body.txt";

// Keys of config.txt.
inline constexpr const char* kCheckDefinition = "check_definition";    // "true" / "false"
inline constexpr const char* kCheckMinutes = "check_minutes";          // index of the interval
inline constexpr const char* kCheckDelete = "check_delete";            // "-1" delete, "0" keep
inline constexpr const char* kCheckMax = "check_max";                  // messages per account
inline constexpr const char* kCheckDays = "check_days";                // index of the day limit
inline constexpr const char* kCheckUnsubscribe = "check_unsubscribe";  // unsubscribe address
inline constexpr const char* kMaxUidPrefix = "max_uid_";               // + account address

// "max_uid_" + address: the last IMAP UID examined for that account.
std::string maxUidKey(std::string_view endereco);

// Outcome of loading or saving: one Portuguese sentence per file that failed.
struct SettingsResult {
  std::vector<std::string> erros;
  bool ok() const { return erros.empty(); }
  // The sentences one per line, ready for a message box.
  std::string mensagem() const;
};

class Settings {
 public:
  explicit Settings(std::string programFolder);

  NameValueList gConfig;            // unsorted, duplicates allowed
  SortedStringList gConfigSubject;  // sorted, case-insensitive, no duplicates
  SortedStringList gConfigBody;

  // Replaces each list with its file's lines; a missing file leaves its list as it is. A file
  // that exists but cannot be read is reported and is then never overwritten by saveConfig, so
  // a passing read error cannot turn into the loss of every setting in it.
  SettingsResult loadConfig();
  // Writes the three lists (UTF-8 with BOM, CR LF). Each file is replaced atomically: on failure
  // the previous file stays whole. A failure of one file does not stop the other two.
  SettingsResult saveConfig();

  // Empty when the key is absent.
  std::string valor(std::string_view nome) const { return gConfig.value(nome); }
  // Changes one setting and saves at once; an empty value removes the line. Names with "=" or
  // line breaks and values with line breaks would corrupt config.txt: they are refused and
  // nothing changes.
  SettingsResult setValor(std::string_view nome, std::string_view valor);

  std::string caminho(const char* arquivo) const;

 private:
  std::string home_;
  // Per file (config, subject, body): it exists but could not be read at the last load.
  bool naoLido_[3] = {false, false, false};
};

}  // namespace quorvel
