#pragma once
// Bringing data into the current list: files (the file reader), pasted or typed text (the paste
// reader), dropped files and addresses extracted from a text.

#include <string>
#include <vector>

#include "lists/list_editor.h"

namespace quorvel {

enum class ResultadoLeitura { ok, cancelado, erro };

// The file reader: appends one row per line of the file to the current list.
ResultadoLeitura abrirCSVTurbo(ListEditor& editor, const std::string& filename);

// The paste reader: appends one row per line of `texto` to the current list.
void colarCheck(ListEditor& editor, const std::string& texto);

}  // namespace quorvel
