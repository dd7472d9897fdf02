#pragma once
// The message box's own icon set: six 80 × 80 images drawn by the program.

#include <QPixmap>

namespace quorvel::ui {

// Image 1..6: information, error, warning, question, tip, help.
QPixmap iconeMensagem(int indice);

}  // namespace quorvel::ui
