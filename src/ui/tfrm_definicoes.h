#pragma once
// The definitions window ("Definições de checagem"), on top while open: one row per definition
// with its loading or done icon and its count, ticked every 10 ms through the loading sequence.
// A view over the DefinitionsWindow; it is made when the definitions open and goes when they close.

#include <QWidget>
#include <array>

#include "online/definitions_window.h"

class QLabel;
class QPushButton;
class QTimer;

namespace quorvel::ui {

class TfrmDefinicoes : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmDefinicoes(DefinitionsWindow& definicoes);

  QLabel* tituloAtual() const { return titulo_; }
  QLabel* itens(Definicao d) const { return itens_[static_cast<size_t>(d)]; }
  QLabel* icone(Definicao d) const { return icones_[static_cast<size_t>(d)]; }
  QPushButton* fechar() const { return fechar_; }
  QPushButton* forcar() const { return forcar_; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void refresh();

  DefinitionsWindow& d_;
  QLabel* titulo_;
  std::array<QWidget*, kDefinicoes> linhas_{};
  std::array<QLabel*, kDefinicoes> icones_{};
  std::array<QLabel*, kDefinicoes> itens_{};
  std::array<QPushButton*, 3> links_{};
  QPushButton* fechar_;
  QPushButton* forcar_;
  QTimer* timer_;
  Notifier<DefinitionsNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
