#include "validation/filter_editors.h"

#include <chrono>
#include <thread>

#include "common/paths.h"
#include "common/text.h"
#include "common/text_file.h"

namespace quorvel {
namespace {

constexpr const char* kDicaRegras =
    "As regras personalizadas eliminam e-mails conforme o seu conteúdo. Escreva uma regra por "
    "linha:\\n\\n- um texto sem asterisco elimina os e-mails que contêm esse texto (exemplo: "
    "spam);\\n- um \"*\" no início elimina os e-mails que terminam com o texto (exemplo: *.fr);\\n"
    "- um \"*\" no fim elimina os e-mails que começam com o texto (exemplo: teste*).\\n\\n"
    "Esse filtro é relativamente pesado: cada regra é testada em todos os e-mails. Para eliminar "
    "endereços isolados, use a lista de exclusão, e não esta lista.";

FilterListPtr& listaDoEditor(FilterEditorKind e, ValidationChain& v) {
  switch (e) {
    case FilterEditorKind::paises:
      return v.gFiltroPaises;
    case FilterEditorKind::nomesRaros:
      return v.gNomesRaros;
    default:
      return v.gRegras;
  }
}

}  // namespace

FilterEditorTexts filterEditorTexts(FilterEditorKind e) {
  switch (e) {
    case FilterEditorKind::paises:
      return {"sys_paises.filter", "Domínios de outros países",
              "E-mails com essas extensões serão considerados inválidos"};
    case FilterEditorKind::nomesRaros:
      return {"sys_nomesraros.filter", "Lista de nomes raros",
              "E-mails contendo esses nomes serão considerados inválidos"};
    default:
      return {"local_regras.filter", "Regras personalizadas",
              "É possível definir regras para e-mails que contém, começam ou terminam com "
              "determinado conteúdo"};
  }
}

bool editFilter(FilterEditorKind e, ValidationChain& validador, Dialogs& dialogs, EventPump& pump,
                const std::string& home) {
  FilterEditorTexts d = filterEditorTexts(e);
  if (e == FilterEditorKind::paises) {
    paths::createFolder(paths::dados(home));
    paths::createFolder(paths::dadosConfig(home));
    paths::createFolder(paths::dadosListas(home));
  }
  std::string caminho = paths::join(paths::dadosConfig(home), d.arquivo);
  if (e == FilterEditorKind::regrasPersonalizadas) dialogs.msgDica("210323", kDicaRegras, 450);

  std::string inicial;
  if (auto linhas = readTextLines(caminho)) {
    for (size_t i = 0; i < linhas->size(); ++i) {
      if (i) inicial += "\r\n";
      inicial += (*linhas)[i];
    }
  }
  auto texto = dialogs.showInputMemo(d.titulo, inicial, "Ok", d.descricao);
  if (!texto) return false;  // Esc: nothing saved

  auto resultado = writeTextLines(caminho, splitLines(trimView(*texto)));
  if (!resultado.ok) {
    dialogs.msgErro("Não foi possível salvar o arquivo " + caminho + ": " + resultado.error);
    return false;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  pump.processEvents();
  listaDoEditor(e, validador) = loadFilterList(caminho);
  return true;
}

}  // namespace quorvel
