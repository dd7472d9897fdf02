#pragma once
// The three small editors of the country, rare-name and custom-rule lists: the file's lines in a
// text box, saved and reloaded on "Ok".

#include <string>

#include "common/ports.h"
#include "validation/validation_chain.h"

namespace quorvel {

enum class FilterEditorKind { paises, nomesRaros, regrasPersonalizadas };

struct FilterEditorTexts {
  const char* arquivo;
  const char* titulo;
  const char* descricao;
};
FilterEditorTexts filterEditorTexts(FilterEditorKind e);

// Opens the editor through the dialogs; on "Ok" writes the file and reloads the list into the
// validation object. True when the file was written.
bool editFilter(FilterEditorKind e, ValidationChain& validador, Dialogs& dialogs, EventPump& pump,
                const std::string& home);

inline bool editarFiltroPaises(ValidationChain& v, Dialogs& d, EventPump& p, const std::string& h) {
  return editFilter(FilterEditorKind::paises, v, d, p, h);
}
inline bool editarNomesRaros(ValidationChain& v, Dialogs& d, EventPump& p, const std::string& h) {
  return editFilter(FilterEditorKind::nomesRaros, v, d, p, h);
}
inline bool editarRegrasPersonalizadas(ValidationChain& v, Dialogs& d, EventPump& p,
                                       const std::string& h) {
  return editFilter(FilterEditorKind::regrasPersonalizadas, v, d, p, h);
}

}  // namespace quorvel
