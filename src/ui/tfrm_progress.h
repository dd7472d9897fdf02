#pragma once
// The shared progress box's window: a view over the ProgressBox. While it shows, the other
// windows take no input (they still repaint), so nothing can start a second operation inside the
// running one; only its button answers.

#include <QPointer>
#include <QWidget>

#include "app/progress_box.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace quorvel::ui {

class TfrmProgress : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmProgress(ProgressBox& box);

  QPushButton* botao() const { return botao_; }
  QLabel* operacao() const { return operacao_; }
  QLabel* legenda(int i) const { return legendas_[i]; }
  QProgressBar* gauge() const { return gauge_; }
  // Repaints that reached the window (the benchmarks look at them).
  int pinturas = 0;

 protected:
  void paintEvent(QPaintEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void refresh();

  ProgressBox& box_;
  // The window that was active when the box appeared; it gets the keyboard back afterwards.
  QPointer<QWidget> anterior_;
  QLabel* operacao_;
  QLabel* legendas_[3];
  QProgressBar* gauge_;
  QPushButton* botao_;
  Notifier<ProgressNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
