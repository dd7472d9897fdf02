#pragma once
// The splash: on top while the program comes up, with the build and what is being done.

#include <QWidget>

#include "app/launcher_window.h"

class QLabel;

namespace quorvel::ui {

class TfrmSplash : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmSplash(LauncherWindow& launcher);
  QLabel* status() const { return status_; }

 private:
  void refresh();
  LauncherWindow& l_;
  QLabel* status_;
  Notifier<LauncherNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
