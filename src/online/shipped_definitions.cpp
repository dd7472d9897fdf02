#include "online/shipped_definitions.h"

#include <filesystem>

#include "common/paths.h"
#include "common/text_file.h"
#include "online/definition_dates.h"
#include "validation/filter_list.h"

namespace quorvel {
namespace {

struct Embarcado {
  const char* arquivo;  // in the shipped folder, as the service names it
  const char* local;    // in dados/config
  const char* nomeData;
};

constexpr Embarcado kEmbarcados[] = {
    {kTrapsFile, kTrapsFile, kDataArmadilhas},
    {kCountriesFile, kCountriesFile, kDataPaises},
    {kRareNamesFile, kRareNamesFile, kDataNomesRaros},
    {"sys_sitesignorados.filter", kIgnoredSitesFile, kDataSitesIgnorados},
    {kProvidersFile, kProvidersFile, kDataProvedores},
};

}  // namespace

std::string pastaDefinicoesEmbarcadas() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  const std::filesystem::path bin = exe.parent_path();
  for (const auto& p : {bin / kPastaDefinicoesEmbarcadas,
                        bin.parent_path() / "share" / "quorvel" / kPastaDefinicoesEmbarcadas})
    if (std::filesystem::is_directory(p, ec)) return p.string();
  return {};
}

std::vector<std::string> instalarDefinicoesIniciais(const std::string& home,
                                                    const std::string& origem) {
  std::vector<std::string> instalados;
  if (origem.empty() || !paths::isFolder(origem)) return instalados;
  const std::string config = paths::dadosConfig(home);
  const NameValueList datasEmbarcadas = lerDatas(paths::join(origem, kArquivoDatas));
  NameValueList datas;
  for (const Embarcado& e : kEmbarcados) {
    const std::string destino = paths::join(config, e.local);
    if (paths::exists(destino)) continue;
    auto bytes = readFileBytes(paths::join(origem, e.arquivo));
    if (!bytes) continue;
    paths::createFolder(paths::dados(home));
    paths::createFolder(config);
    if (!writeFileAtomic(destino, *bytes).ok) continue;
    instalados.push_back(e.local);
    if (datasEmbarcadas.has(e.nomeData))
      datas.setValue(e.nomeData, datasEmbarcadas.value(e.nomeData));
  }
  const std::string arquivoDatas = paths::join(home, kArquivoDatas);
  std::string erro;
  if (!instalados.empty() && !paths::exists(arquivoDatas) && !datas.lines().empty())
    gravarDatas(arquivoDatas, datas, erro);
  return instalados;
}

}  // namespace quorvel
