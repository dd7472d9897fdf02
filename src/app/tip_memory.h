#pragma once
// Tips the user silenced for good: tipfile.txt in the program folder, one "id=value" line per
// tip; "true" means the tip is not shown again, "false" that it is.

#include <string>

namespace quorvel {

inline constexpr const char* kTipFile = "tipfile.txt";

class TipMemory {
 public:
  explicit TipMemory(std::string programFolder) : home_(std::move(programFolder)) {}

  // False only when tipfile.txt holds `id`="true".
  bool exibir(const std::string& id) const;
  // Stores "false" for `id` when `naoexibir` is true and "true" when it is false: the check box
  // calls it with the opposite of its tick, so a ticked box stores "true". Other lines stay.
  // False when the file could not be written.
  bool updateTip(const std::string& id, bool naoexibir) const;

  std::string caminho() const;

 private:
  std::string home_;
};

}  // namespace quorvel
