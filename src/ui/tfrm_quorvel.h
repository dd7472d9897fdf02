#pragma once
// The validation window ("Filtros de validação"), on top of the other windows: the stage boxes
// with their counters, help and edit icons, the totals, the progress bar and the buttons. A view
// over the Validator; during a run its counters repaint at most every 50 ms, and always at the
// run's end, so that the numbers shown are the exact ones once the run stops.

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "validation/validator.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quorvel::ui {

class TfrmQuorvel : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmQuorvel(Validator& validador);

  Validator& model() { return v_; }
  QPushButton* iniciar() const { return iniciar_; }
  QPushButton* fechar() const { return fechar_; }
  QProgressBar* barra() const { return barra_; }
  // The line of the run's warnings.
  QLabel* aviso() const { return aviso_; }
  QLabel* contador(Counter c) const { return contadores_[static_cast<size_t>(c)]; }
  // The stage box with this caption ("Teste MX").
  QCheckBox* opcao(const QString& caption) const;
  // The "(sem colaboração) - alterar" links, beside the MX row and the negative-base row.
  QPushButton* linkColaboracao(int i) const { return linksColaboracao_[i]; }
  // Counter repaints that reached the labels (the benchmarks look at them).
  int pinturasContadores = 0;
  // The shortest time between two repaints of the counters during a run (0: at every notice).
  int intervaloPinturaMs = 50;

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  struct LinhaFiltro;
  void criarLinha(QGridLayout* grade, int linha, const LinhaFiltro& f);
  QPushButton* link(const QString& texto, std::function<void()>* destino);
  void seguir();
  void pintarContadores();

  Validator& v_;
  std::array<QLabel*, kCounterCount> contadores_{};
  std::vector<std::pair<QCheckBox*, bool*>> opcoes_;
  std::array<QPushButton*, 2> linksColaboracao_{};
  std::vector<std::pair<QPushButton*, std::function<void()>*>> links_;
  QLabel* notaSincronizando_;
  QLabel* aviso_;
  QProgressBar* barra_;
  QPushButton* iniciar_;
  QPushButton* fechar_;
  QTimer* pinturaPendente_;
  QElapsedTimer ultimaPintura_;
  bool encostada_ = false;
  Notifier<ValidatorNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
