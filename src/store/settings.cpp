#include "store/settings.h"

#include "common/paths.h"
#include "common/text_file.h"

namespace quorvel {
namespace {

constexpr const char* kArquivos[3] = {kConfigFile, kConfigSubjectFile, kConfigBodyFile};

bool temQuebraDeLinha(std::string_view s) {
  return s.find_first_of("\r\n") != s.npos;
}

}  // namespace

std::string maxUidKey(std::string_view endereco) {
  return std::string(kMaxUidPrefix) + std::string(endereco);
}

std::string SettingsResult::mensagem() const {
  std::string out;
  for (const auto& e : erros) {
    if (!out.empty()) out += '\n';
    out += e;
  }
  return out;
}

Settings::Settings(std::string programFolder) : home_(std::move(programFolder)) {}

std::string Settings::caminho(const char* arquivo) const {
  return paths::join(home_, arquivo);
}

SettingsResult Settings::loadConfig() {
  SettingsResult r;
  for (int i = 0; i < 3; ++i) {
    const std::string path = caminho(kArquivos[i]);
    if (!paths::exists(path)) continue;
    auto linhas = readTextLines(path);
    naoLido_[i] = !linhas.has_value();
    if (!linhas) {
      r.erros.push_back("Não foi possível ler o arquivo de configurações " + path +
                        ". As configurações dele não foram carregadas e o arquivo não será "
                        "regravado até que possa ser lido.");
      continue;
    }
    if (i == 0) {
      gConfig.lines() = std::move(*linhas);
    } else {
      SortedStringList& lista = i == 1 ? gConfigSubject : gConfigBody;
      lista.clear();
      lista.addAll(*linhas);
    }
  }
  return r;
}

SettingsResult Settings::saveConfig() {
  SettingsResult r;
  const std::vector<std::string>* conteudo[3] = {&gConfig.lines(), &gConfigSubject.items(),
                                                 &gConfigBody.items()};
  for (int i = 0; i < 3; ++i) {
    const std::string path = caminho(kArquivos[i]);
    if (naoLido_[i]) {
      r.erros.push_back("O arquivo de configurações " + path +
                        " não foi gravado porque não pôde ser lido ao carregar as configurações; "
                        "gravá-lo agora apagaria o que ele contém.");
      continue;
    }
    WriteResult w = writeTextLines(path, *conteudo[i]);
    if (!w.ok)
      r.erros.push_back("Não foi possível gravar o arquivo de configurações " + path + " (" +
                        w.error + "). O arquivo anterior foi mantido.");
  }
  return r;
}

SettingsResult Settings::setValor(std::string_view nome, std::string_view valor) {
  if (nome.empty() || nome.find('=') != nome.npos || temQuebraDeLinha(nome))
    return {{"Nome de configuração inválido: \"" + std::string(nome) + "\"."}};
  if (temQuebraDeLinha(valor))
    return {{"O valor da configuração " + std::string(nome) +
             " não pode ter quebras de linha; a configuração não foi alterada."}};
  gConfig.setValue(nome, valor);
  return saveConfig();
}

}  // namespace quorvel
