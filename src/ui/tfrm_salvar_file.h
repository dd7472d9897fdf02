#pragma once
// The save window ("Salvar..."): the folder, a name box, "&Ok", "&Cancelar" and "Prefiro salvar
// em outro local..." (the platform's save dialog). Its rules are the core's (initialSaveFields,
// saveResult).

#include <QDialog>
#include <string>

class QComboBox;
class QLabel;
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
  // The same for a list, with the field separator offered ("Ponto e vírgula", "Vírgula",
  // "Tabulação"): `separador` is the one shown first and becomes the one chosen.
  std::string getFileSave(const std::string& pastaPadrao, const std::string& filePath,
                          const std::string& extension, char& separador);
  QComboBox* separador() const { return separador_; }

  QLineEdit* pasta() const { return pasta_; }
  QLineEdit* nome() const { return nome_; }
  QPushButton* outroLocal() const { return outroLocal_; }

 private:
  void escolherOutroLocal();

  QLineEdit* pasta_;
  QLineEdit* nome_;
  QPushButton* outroLocal_;
  QLabel* rotuloSeparador_;
  QComboBox* separador_;
};

}  // namespace quorvel::ui
