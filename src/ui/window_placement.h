#pragma once
// Where windows appear: the one place that decides it. A top-level window that the program did
// not place itself is centred, each time it is shown, on the window it was opened over (its
// parent, else the active window), or on the screen when there is none; and every window is
// made to fit the screen it opens on, so that a 1024 × 768 screen shows all of it.

#include <QObject>

class QWidget;

namespace quorvel::ui {

class WindowPlacement : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  bool eventFilter(QObject* o, QEvent* e) override;

  // Fits `janela` into its screen and centres it on `sobre` (or on the screen).
  static void posicionar(QWidget* janela, const QWidget* sobre);
};

}  // namespace quorvel::ui
