#pragma once
// The bulk page ("Grandes"): the list of large files to validate line by line.

#include <QWidget>

#include "bulk/bulk_validation.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace quorvel::ui {

class BulkPage : public QWidget {
  Q_OBJECT
 public:
  BulkPage(BulkValidation& grandes, QWidget* parent);

  QTreeWidget* arquivos() const { return arquivos_; }
  QPushButton* iniciar() const { return iniciar_; }
  QLabel* aviso() const { return aviso_; }

 private:
  void seguir();

  BulkValidation& grandes_;
  QTreeWidget* arquivos_;
  QPushButton* iniciar_;
  QLabel* aviso_;
  Notifier<BulkNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
