#pragma once
// Where windows appear: the one place that decides it. A top-level window that the program did
// not place itself is centred, each time it is shown, on the window it was opened over (its
// parent, else the active window), or on the screen when there is none; and every window is
// made to fit the screen it opens on, so that a 1024 × 768 screen shows all of it. The few
// windows placed by their own rule (a message box, the validation window, the progress box
// during a bulk run) are placed through the functions below.

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
  // Centres `janela` on the primary screen's available area: by its frame (`porMoldura`), or
  // by its own geometry before it has one.
  static void centreOnScreen(QWidget* janela, bool porMoldura = false);
  // Puts `janela` `distancia` pixels from the primary screen's left or right edge, at its
  // height.
  static void nearLeftEdge(QWidget* janela, int distancia);
  static void nearRightEdge(QWidget* janela, int distancia);
};

}  // namespace quorvel::ui
