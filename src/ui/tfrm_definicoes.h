#pragma once
// The definitions window ("Definições de checagem"), on top while open: one row per definition
// with its loading or done icon, its count and the update indicator when the service has a newer
// one, ticked every 10 ms through the loading sequence; the line about the service when it is
// not there, and the bottom panel with the update's two bars, its size label and "Atualizar
// definições". A view over the DefinitionsWindow; it is made when the definitions open and goes
// when they close.

#include <QWidget>
#include <array>

#include "online/definitions_window.h"

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

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
  QLabel* indicador(Definicao d) const { return indicadores_[static_cast<size_t>(d)]; }
  QLabel* avisoServico() const { return aviso_; }
  QFrame* painel() const { return painel_; }
  QPushButton* atualizar() const { return atualizar_; }
  QLabel* atualizando() const { return atualizando_; }
  QLabel* tamanho() const { return tamanho_; }
  QProgressBar* barraDownload() const { return barraDownload_; }
  QProgressBar* barraLinhas() const { return barraLinhas_; }
  QPushButton* link(size_t i) const { return links_[i]; }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void buildBottomPanel(QVBoxLayout* lay);
  void refresh();

  DefinitionsWindow& d_;
  QLabel* titulo_;
  std::array<QWidget*, kDefinicoes> linhas_{};
  std::array<QLabel*, kDefinicoes> icones_{};
  std::array<QLabel*, kDefinicoes> itens_{};
  std::array<QLabel*, kDefinicoes> indicadores_{};
  std::array<QPushButton*, 3> links_{};
  QPushButton* fechar_;
  QPushButton* forcar_;
  QLabel* aviso_;
  QFrame* painel_;
  QLabel* atualizando_;
  QProgressBar* barraDownload_;
  QProgressBar* barraLinhas_;
  QLabel* tamanho_;
  QPushButton* atualizar_;
  Notifier<DefinitionsNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
