#include "ui/window_placement.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace quorvel::ui {

namespace {

// Set on the windows this layer placed: a window moved by its own code keeps its place.
constexpr const char* kPosicionada = "quorvel.posicionada";

// The frame the window manager adds around a window that has none yet (title bar and borders).
constexpr int kMolduraAltura = 32;
constexpr int kMolduraLargura = 8;

}  // namespace

void WindowPlacement::posicionar(QWidget* janela, const QWidget* sobre) {
  QScreen* tela = sobre ? sobre->screen() : nullptr;
  if (!tela) tela = janela->screen();
  if (!tela) tela = QGuiApplication::primaryScreen();
  if (!tela) return;
  const QRect area = tela->availableGeometry();
  // What the frame adds: known once the window was on screen, estimated before.
  const QSize moldura = janela->isVisible() && janela->frameGeometry() != janela->geometry()
                            ? janela->frameGeometry().size() - janela->size()
                            : QSize(kMolduraLargura, kMolduraAltura);
  const QSize cabe = area.size() - moldura;
  QSize tamanho = janela->size().boundedTo(cabe).expandedTo(janela->minimumSize());
  if (tamanho != janela->size()) janela->resize(tamanho);
  QRect r(QPoint(), tamanho + moldura);
  r.moveCenter(sobre ? sobre->frameGeometry().center() : area.center());
  // Never partly off the screen.
  r.moveLeft(std::clamp(r.left(), area.left(), std::max(area.left(), area.right() - r.width())));
  r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() - r.height())));
  janela->move(r.topLeft());
  janela->setProperty(kPosicionada, true);
}

bool WindowPlacement::eventFilter(QObject* o, QEvent* e) {
  // The show event comes before the window is mapped: it is placed before it appears.
  if (e->type() == QEvent::Show && o->isWidgetType()) {
    auto* janela = static_cast<QWidget*>(o);
    const Qt::WindowType tipo = janela->windowType();
    if (janela->isWindow() && tipo != Qt::Popup && tipo != Qt::ToolTip && tipo != Qt::Desktop &&
        tipo != Qt::SplashScreen) {
      const bool propria =
          janela->testAttribute(Qt::WA_Moved) && !janela->property(kPosicionada).toBool();
      if (!propria) {
        const QWidget* sobre = janela->parentWidget() ? janela->parentWidget()->window()
                                                      : QApplication::activeWindow();
        if (sobre == janela || (sobre && !sobre->isVisible())) sobre = nullptr;
        posicionar(janela, sobre);
      }
    }
  }
  return QObject::eventFilter(o, e);
}

}  // namespace quorvel::ui
