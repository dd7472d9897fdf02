#include "app/tip_memory.h"

#include "common/name_value_list.h"
#include "common/paths.h"
#include "common/text_file.h"

namespace quorvel {

std::string TipMemory::caminho() const {
  return paths::join(home_, kTipFile);
}

bool TipMemory::exibir(const std::string& id) const {
  auto linhas = readTextLines(caminho());
  if (!linhas) return true;
  return NameValueList(std::move(*linhas)).value(id) != "true";
}

bool TipMemory::updateTip(const std::string& id, bool naoexibir) const {
  NameValueList lista;
  if (auto linhas = readTextLines(caminho())) lista = NameValueList(std::move(*linhas));
  lista.setValue(id, naoexibir ? "false" : "true");
  return writeTextLines(caminho(), lista.lines()).ok;
}

}  // namespace quorvel
