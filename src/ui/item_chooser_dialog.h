#pragma once
// The column chooser: a title, a label and a list of entries; the index of the chosen one.

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

class QListWidget;

namespace quorvel::ui {

class ItemChooserDialog : public QDialog {
  Q_OBJECT
 public:
  ItemChooserDialog(const std::string& tituloTexto, const std::string& rotuloTexto,
                    const std::vector<std::string>& itens);
  std::optional<int> escolher();
  QListWidget* lista() const { return lista_; }

 private:
  QListWidget* lista_;
};

}  // namespace quorvel::ui
