#pragma once
// The save window ("Salvar..."): the folder, a name box, "&Ok", "&Cancelar" and "Prefiro salvar
// em outro local..." (the platform's save dialog). Its rules are the core's (initialSaveFields,
// saveResult).

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

namespace quorvel::ui {

class TfrmSalvarFile : public QDialog {
  Q_OBJECT
 public:
  TfrmSalvarFile();

  // getFileSave: folder + name (+ the extension when missing) after "&Ok"; empty otherwise.
  std::string getFileSave(const std::string& pastaPadrao, const std::string& filePath,
                          const std::string& extension);

  QLineEdit* pasta() const { return pasta_; }
  QLineEdit* nome() const { return nome_; }
  QPushButton* outroLocal() const { return outroLocal_; }

 private:
  void escolherOutroLocal();

  QLineEdit* pasta_;
  QLineEdit* nome_;
  QPushButton* outroLocal_;
};

}  // namespace quorvel::ui
