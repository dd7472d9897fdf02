#pragma once
// The message box: a view over a prepared MessageBox (kind, title, icon, buttons, text).

#include <QDialog>
#include <QScrollArea>

#include "app/message_box.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace quorvel {
class TipMemory;
}

namespace quorvel::ui {

// The scrollable text area: the wheel scrolls a tenth of its step, and the mouse entering it
// gives it the focus.
class MessageScrollArea : public QScrollArea {
 public:
  using QScrollArea::QScrollArea;

 protected:
  void wheelEvent(QWheelEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
};

class TfrmMsg : public QDialog {
  Q_OBJECT
 public:
  // `memoria` is needed only for tips (their check box writes tipfile.txt at once).
  explicit TfrmMsg(const MessageBox& box, const TipMemory* memoria = nullptr);

  // Shows the box modally; the result of the button, key or time-out that closed it.
  int executar();

  QLabel* texto() const { return texto_; }
  QCheckBox* naoExibirMais() const { return naoExibirMais_; }

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void showEvent(QShowEvent* e) override;
  // Esc and the title bar's close button.
  void reject() override;

 private:
  MessageBox box_;
  const TipMemory* memoria_;
  QLabel* texto_ = nullptr;
  QCheckBox* naoExibirMais_ = nullptr;
  std::vector<QPushButton*> botoes_;
  bool erguida_ = false;
};

}  // namespace quorvel::ui
