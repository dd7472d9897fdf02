#pragma once
// Page "Eliminar coluna": every column with a tick box; the ticked ones are deleted by name.

#include "lists/column_operations.h"
#include "ui/pages/editor_page.h"

class QCheckBox;

namespace quorvel::ui {

class DeleteColumnsPage : public EditorPage {
  Q_OBJECT
 public:
  DeleteColumnsPage(ListEditor& editor, QWidget* parent);
  void abrir() override;
  QListWidget* lista() const { return lista_; }
  QCheckBox* todas() const { return todas_; }

 private:
  QListWidget* lista_;
  QCheckBox* todas_;
  quorvel::DeleteColumnsPage pagina_;
};

}  // namespace quorvel::ui
