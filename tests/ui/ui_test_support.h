#pragma once
// Helpers of the window tests: a program folder per test, the desktop built in it, and a script
// that answers the modal windows a click opens (the click itself blocks inside their loop).

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/desktop.h"
#include "ui/tfrm_get_value.h"
#include "ui/tfrm_msg.h"
#include "ui/tfrm_salvar_file.h"

namespace quorvel::testing {

// A fresh program folder with dados/; removed afterwards.
struct TestHome {
  QTemporaryDir dir;
  std::string str() const { return dir.path().toStdString(); }
  std::string path(const std::string& nome) const { return str() + "/" + nome; }
  std::string write(const std::string& nome, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(path(nome)).parent_path());
    std::ofstream(path(nome), std::ios::binary) << bytes;
    return path(nome);
  }
};

// The desktop over a test folder: no opening pause, the shell recorded instead of run.
struct TestDesktop {
  TestHome home;
  std::vector<std::string> abertos;
  std::unique_ptr<ui::Desktop> d;
  explicit TestDesktop(const std::string& configTxt = {}) {
    if (!configTxt.empty()) home.write("config.txt", configTxt);
    ui::DesktopOptions o;
    o.esperaAberturaMs = 0;
    d = std::make_unique<ui::Desktop>(home.str(), o);
    d->platform.abrir = [this](const std::string& alvo) { abertos.push_back(alvo); };
    d->progress.intervaloMs = 0;
  }
};

// The visible top-level windows of a kind.
template <class W>
std::vector<W*> visibleWindows() {
  std::vector<W*> out;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* x = qobject_cast<W*>(w); x && x->isVisible()) out.push_back(x);
  return out;
}

// Files dragged onto a window and dropped there, as a file manager does it.
inline void dropFiles(QWidget* janela, const std::vector<std::string>& caminhos) {
  QMimeData dados;
  QList<QUrl> urls;
  for (const auto& c : caminhos) urls << QUrl::fromLocalFile(QString::fromStdString(c));
  dados.setUrls(urls);
  const QPoint onde = janela->rect().center();
  QDragEnterEvent entrar(onde, Qt::CopyAction, &dados, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(janela, &entrar);
  QDropEvent soltar(QPointF(onde), Qt::CopyAction, &dados, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(janela, &soltar);
}

// An entry of a pop-up menu chosen as a click does it: the menu closes, then the entry runs.
inline void choose(QMenu* menu, int entrada) {
  QAction* a = menu->actions().at(entrada);
  menu->close();
  a->trigger();
}

// The child button with this caption (text or accessible name).
inline QAbstractButton* button(QWidget* janela, const QString& caption) {
  for (QAbstractButton* b : janela->findChildren<QAbstractButton*>())
    if (b->text() == caption || b->accessibleName() == caption) return b;
  return nullptr;
}

// The controls of a window a user acts on (buttons, text fields, lists and tables; with `barras`
// its progress bars too) that carry no accessible name, as "class objectName in window".
inline QStringList controlsWithoutName(QWidget* janela, bool barras = false) {
  QList<QWidget*> controles;
  for (auto* b : janela->findChildren<QAbstractButton*>()) controles << b;
  for (auto* e : janela->findChildren<QLineEdit*>()) controles << e;
  for (auto* v : janela->findChildren<QAbstractItemView*>()) controles << v;
  if (barras)
    for (auto* p : janela->findChildren<QProgressBar*>()) controles << p;
  QStringList semNome;
  for (QWidget* c : controles) {
    // Parts that Qt builds inside its own controls (tab scroll arrows, a combo box's editor and
    // list, a table's headers and corner, the menu bar's overflow arrow) speak through their
    // owner.
    if (qobject_cast<QTabBar*>(c->parentWidget()) || qobject_cast<QComboBox*>(c->parentWidget()) ||
        (c->parentWidget() && qobject_cast<QComboBox*>(c->parentWidget()->parentWidget())) ||
        qobject_cast<QHeaderView*>(c) || c->inherits("QTableCornerButton") ||
        c->objectName().startsWith(QLatin1String("qt_")))
      continue;
    if (c->accessibleName().isEmpty())
      semNome << QString::fromLatin1(c->metaObject()->className()) + QLatin1Char(' ') +
                     c->objectName() + QStringLiteral(" in ") + janela->objectName();
  }
  return semNome;
}

// Runs steps against windows as they appear: each step waits (polling) until its window is on
// screen, then acts on it outside the polling timer, so that an action may open another modal
// window that the next step handles.
class WindowScript {
 public:
  struct Step {
    std::function<QWidget*()> achar;
    std::function<void(QWidget*)> agir;
  };

  WindowScript() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
  }
  ~WindowScript() { timer_.stop(); }

  void then(std::function<QWidget*()> achar, std::function<void(QWidget*)> agir) {
    steps_.push_back({std::move(achar), std::move(agir)});
    timer_.start();
  }
  // A message box with exactly this text: its text is recorded and `botao` clicked (or, with
  // `tecla`, that key pressed).
  void answer(const QString& texto, const QString& botao, int tecla = 0) {
    then([texto] { return mensagem(texto); },
         [this, botao, tecla](QWidget* w) {
           mensagens.push_back(static_cast<ui::TfrmMsg*>(w)->texto()->text());
           if (tecla)
             QTest::keyClick(w, static_cast<Qt::Key>(tecla));
           else
             button(w, botao)->click();
         });
  }
  // Any message box: its text is recorded and it is closed with its first button.
  void answerAny() {
    then([] { return mensagem({}); },
         [this](QWidget* w) {
           mensagens.push_back(static_cast<ui::TfrmMsg*>(w)->texto()->text());
           w->findChildren<QPushButton*>().front()->click();
         });
  }
  bool done() const { return steps_.empty() && !pendente_; }
  // Waits until every step ran.
  bool wait(int ms = 10000) {
    return QTest::qWaitFor([this] { return done(); }, ms);
  }
  std::vector<QString> mensagens;

  static QWidget* mensagem(const QString& texto) {
    for (ui::TfrmMsg* m : visibleWindows<ui::TfrmMsg>())
      if (texto.isEmpty() || m->texto()->text() == texto) return m;
    return nullptr;
  }

 private:
  // A failed check inside a step would leave its modal window waiting for ever: every dialog is
  // closed and the remaining steps dropped.
  void abandonar() {
    steps_.clear();
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible()) d->reject();
  }
  void tick() {
    if (QTest::currentTestFailed()) {
      abandonar();
      return;
    }
    // One action at a time until it starts (it may then block in a modal loop of its own while
    // the next steps go on).
    if (steps_.empty() || pendente_) return;
    QWidget* w = steps_.front().achar();
    if (!w) return;
    Step s = std::move(steps_.front());
    steps_.pop_front();
    pendente_ = true;
    QTimer::singleShot(0, [this, s, w] {
      pendente_ = false;
      s.agir(w);
    });
  }
  QTimer timer_;
  std::deque<Step> steps_;
  bool pendente_ = false;
};

// Waits for the save window and confirms it with `nome` typed after the name it shows;
// `verificar` looks at it first.
inline void saveWithName(WindowScript& s, ui::TfrmSalvarFile& janela, const QString& nome,
                         std::function<void(ui::TfrmSalvarFile*)> verificar = {}) {
  s.then([&janela] { return janela.isVisible() ? static_cast<QWidget*>(&janela) : nullptr; },
         [nome, verificar](QWidget* w) {
           auto* salvar = static_cast<ui::TfrmSalvarFile*>(w);
           if (verificar) verificar(salvar);
           QTest::keyClicks(salvar->nome(), nome);
           button(salvar, QStringLiteral("&Ok"))->click();
         });
}

// Types a text key by key; letters beyond ASCII arrive as a keyboard layout sends them.
inline void typeText(QWidget* w, const QString& texto) {
  for (QChar c : texto) {
    if (c.unicode() < 128)
      QTest::keyClick(w, c.toLatin1());
    else
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

// Answers the value dialog with a typed text.
inline void typeValue(WindowScript& s, const QString& texto) {
  s.then(
      [] {
        auto v = visibleWindows<ui::TfrmGetValue>();
        return v.empty() ? nullptr : v[0];
      },
      [texto](QWidget* w) {
        typeText(static_cast<ui::TfrmGetValue*>(w)->caixaTexto(), texto);
        button(w, QStringLiteral("&Ok"))->click();
      });
}

}  // namespace quorvel::testing
