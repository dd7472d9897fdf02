#pragma once
// The three small editors of the country, rare-name and custom-rule lists: the file's lines in a
// text box, saved and reloaded on "Ok".

#include <string>

#include "common/ports.h"
#include "validation/validador.h"

namespace quorvel {

enum class EditorFiltro { paises, nomesRaros, regrasPersonalizadas };

struct DescricaoEditor {
  const char* arquivo;
  const char* titulo;
  const char* descricao;
};
DescricaoEditor descricaoEditor(EditorFiltro e);

// Opens the editor through the dialogs; on "Ok" writes the file and reloads the list into the
// validation object. True when the file was written.
bool editarFiltro(EditorFiltro e, Validador& validador, Dialogs& dialogs, EventPump& pump,
                  const std::string& home);

inline bool editarFiltroPaises(Validador& v, Dialogs& d, EventPump& p, const std::string& h) {
  return editarFiltro(EditorFiltro::paises, v, d, p, h);
}
inline bool editarNomesRaros(Validador& v, Dialogs& d, EventPump& p, const std::string& h) {
  return editarFiltro(EditorFiltro::nomesRaros, v, d, p, h);
}
inline bool editarRegrasPersonalizadas(Validador& v, Dialogs& d, EventPump& p,
                                       const std::string& h) {
  return editarFiltro(EditorFiltro::regrasPersonalizadas, v, d, p, h);
}

}  // namespace quorvel
