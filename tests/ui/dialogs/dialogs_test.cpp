// The message box, tips, the progress box and the value dialog, as the user meets them.
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include "app/message_box.h"
#include "common/text_file.h"
#include "lists/grid_operations.h"
#include "ui/grid_view.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_get_value.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_progress.h"
#include "ui_test_support.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::testing::button;
using quorvel::testing::TestDesktop;
using quorvel::testing::visibleWindows;
using quorvel::testing::WindowScript;

class DialogsTest : public QObject {
  Q_OBJECT
 private slots:
  void messageBoxKindsButtonsAndResults();
  void keysAndTheTimeOutAnswer();
  void lineBreaksWheelAndTopmost();
  void aTipSilencedForGoodIsNotShownAgain();
  void cancelAsksAndStopsTheRunningLoad();
  void valueDialogTypedLineGoesToThatRow();
};

void DialogsTest::messageBoxKindsButtonsAndResults() {
  TestDesktop t;
  QtDialogs& d = t.d->dialogs;
  struct Case {
    std::function<int()> chamar;
    QString titulo;
    QStringList botoes;
    QString clicar;
    int esperado;
  } cases[] = {
      {[&] {
         d.msgInformacao("info");
         return 0;
       },
       "Informação",
       {"Ok"},
       "Ok",
       0},
      {[&] {
         d.msgErro("erro");
         return 0;
       },
       "Erro",
       {"Ok"},
       "Ok",
       0},
      {[&] {
         d.msgAviso("aviso");
         return 0;
       },
       "Aviso",
       {"Ok"},
       "Ok",
       0},
      {[&] { return d.msgPergunta("pergunta"); }, "Pergunta", {"&Sim", "&Não"}, "&Sim", 6},
      {[&] { return d.msgPergunta("pergunta"); }, "Pergunta", {"&Sim", "&Não"}, "&Não", 7},
      {[&] {
         d.msgAjuda("ajuda", 0, 400);
         return 0;
       },
       "Ajuda",
       {"Ok"},
       "Ok",
       0},
  };
  for (const auto& c : cases) {
    WindowScript s;
    QString titulo;
    QStringList botoes;
    QSize icone, tamanho;
    s.then([] { return WindowScript::mensagem({}); },
           [&](QWidget* w) {
             titulo = w->windowTitle();
             for (QPushButton* b : w->findChildren<QPushButton*>()) botoes << b->text();
             for (QLabel* l : w->findChildren<QLabel*>())
               if (!l->pixmap().isNull()) icone = l->pixmap().size();
             tamanho = w->size();
             button(w, c.clicar)->click();
           });
    QCOMPARE(c.chamar(), c.esperado);
    QVERIFY(s.wait());
    QCOMPARE(titulo, c.titulo);
    QCOMPARE(botoes, c.botoes);
    QCOMPARE(icone, QSize(80, 80));
    QCOMPARE(tamanho.width(), 740);
    QCOMPARE(tamanho.height(), c.titulo == "Ajuda" ? 400 : 249);
  }
}

void DialogsTest::keysAndTheTimeOutAnswer() {
  TestDesktop t;
  QtDialogs& d = t.d->dialogs;
  WindowScript s;
  s.answer(QStringLiteral("Continuar?"), {}, Qt::Key_Escape);
  QCOMPARE(d.msgPergunta("Continuar?"), kEsc);
  QVERIFY(s.wait());
  // Enter on a box with one button answers 1.
  TfrmMsg box(exibirMensagem("Pronto", TipoMsg::informacao, 0));
  s.answer(QStringLiteral("Pronto"), {}, Qt::Key_Return);
  QCOMPARE(box.executar(), kResultadoEnter);
  QVERIFY(s.wait());
  // Nobody answers: the box closes itself after its seconds with "no".
  QElapsedTimer relogio;
  relogio.start();
  QCOMPARE(d.msgPergunta("Ninguém responde", 1), kNao);
  QVERIFY(relogio.elapsed() >= 900);
}

void DialogsTest::lineBreaksWheelAndTopmost() {
  QString longo;
  for (int i = 1; i <= 80; ++i) longo += QString::fromLatin1("Linha %1\\n").arg(i);
  MessageBox box =
      exibirMensagem("Primeiro\\n\\nSegundo\\N" + longo.toStdString(), TipoMsg::aviso, 0);
  TfrmMsg janela(box);
  janela.show();
  QVERIFY(QTest::qWaitForWindowExposed(&janela));
  QVERIFY(janela.windowFlags() & Qt::WindowStaysOnTopHint);
  QVERIFY(!janela.parentWidget());
  QVERIFY(janela.texto()->text().startsWith(QStringLiteral("Primeiro\n\nSegundo\nLinha 1\n")));
  QVERIFY(janela.texto()->width() >= 550);
  auto* area = janela.findChild<QScrollArea*>();
  QScrollBar* barra = area->verticalScrollBar();
  QVERIFY(barra->maximum() > 50);
  QCOMPARE(barra->value(), 0);
  const QPointF meio(area->viewport()->rect().center());
  QWheelEvent abaixo(meio, area->viewport()->mapToGlobal(meio), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(area->viewport(), &abaixo);
  QCOMPARE(barra->value(), 12);  // a tenth of the wheel step
  QWheelEvent acima(meio, area->viewport()->mapToGlobal(meio), QPoint(), QPoint(0, 1200),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(area->viewport(), &acima);
  QCOMPARE(barra->value(), 0);  // clamped to the range
}

void DialogsTest::aTipSilencedForGoodIsNotShownAgain() {
  TestDesktop t;
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmLista* lista = t.d->principal()->lista();
  lista->abas()->setCurrentIndex(1);  // "Válidos": the new-list button warns first
  QAbstractButton* nova = lista->botaoBarra(
      QStringLiteral("Descarta a lista atual e inicia uma nova lista de trabalho"));
  QVERIFY(nova);

  WindowScript s;
  s.then([] { return WindowScript::mensagem({}); },
         [&](QWidget* w) {
           s.mensagens.push_back(static_cast<TfrmMsg*>(w)->texto()->text());
           QCOMPARE(w->windowTitle(), QStringLiteral("Dica"));
           QCOMPARE(w->height(), 250);
           auto* ck = static_cast<TfrmMsg*>(w)->naoExibirMais();
           QCOMPARE(ck->text(), QStringLiteral("Não exibir mais essa mensagem"));
           QTest::mouseClick(ck, Qt::LeftButton);
           button(w, QStringLiteral("Ok"))->click();
         });
  QTest::mouseClick(nova, Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(s.mensagens.size(), size_t(1));
  QVERIFY(
      s.mensagens[0].startsWith(QStringLiteral("Atenção: Você NÃO está na aba \"Principal\".")));
  QMenu* menu = lista->findChild<QMenu*>(QStringLiteral("menuNovaLista"));
  QVERIFY(menu);
  QCOMPARE(menu->actions().size(), 3);
  menu->close();
  QCOMPARE(readFileBytes(t.home.path("tipfile.txt")).value_or(""), std::string("\xEF\xBB\xBF"
                                                                               "230609=true\r\n"));

  // Pressed again: straight to the menu, no tip.
  QTRY_VERIFY(!lista->findChild<QMenu*>(QStringLiteral("menuNovaLista")));
  QTest::mouseClick(nova, Qt::LeftButton);
  QVERIFY(visibleWindows<TfrmMsg>().empty());
  menu = lista->findChild<QMenu*>(QStringLiteral("menuNovaLista"));
  QVERIFY(menu);
  QCOMPARE(menu->actions().at(2)->text(), QStringLiteral("Zerar todas as listas"));
  quorvel::testing::choose(menu, 2);
  QCOMPARE(lista->abas()->currentIndex(), 0);
}

void DialogsTest::cancelAsksAndStopsTheRunningLoad() {
  TestDesktop t;
  std::string conteudo;
  for (int i = 0; i < 200000; ++i) conteudo += "pessoa" + std::to_string(i) + "@exemplo.com.br\r\n";
  const std::string arquivo = t.home.write("dados/grande.txt", conteudo);
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmPrincipal* p = t.d->principal();
  TfrmProgress* progresso = t.d->frmProgress();

  WindowScript s;
  // While the file loads: "Cancelar", then yes to the question, then the loader's message.
  s.then([progresso] { return progresso->isVisible() ? progresso : nullptr; },
         [progresso](QWidget*) {
           QCOMPARE(progresso->windowTitle(), QStringLiteral("Aguarde..."));
           QCOMPARE(progresso->operacao()->text(), QStringLiteral("Carregando dados..."));
           QTest::mouseClick(progresso->botao(), Qt::LeftButton);
         });
  s.answer(QStringLiteral("Deseja cancelar esse processamento?"), QStringLiteral("&Sim"));
  s.answer(QStringLiteral("Procedimento cancelado"), QStringLiteral("Ok"));
  // A dropped file opens as with "Abrir lista", which says so too.
  s.answer(QStringLiteral("Processamento cancelado"), QStringLiteral("Ok"));
  quorvel::testing::dropFiles(p, {arquivo});
  QVERIFY(s.wait());
  QCOMPARE(s.mensagens, (std::vector<QString>{QStringLiteral("Deseja cancelar esse processamento?"),
                                              QStringLiteral("Procedimento cancelado"),
                                              QStringLiteral("Processamento cancelado")}));
  const int linhas = t.d->app->editor.gridMain.dataRowCount();
  QVERIFY2(linhas > 1 && linhas < 200000, qPrintable(QString::number(linhas)));
  QVERIFY(!progresso->isVisible());
  // The rows read so far stay and the grid shows them.
  QCOMPARE(p->lista()->grade(0)->model()->rowCount(), linhas);
  QVERIFY(p->lista()->grade(0)->isVisible());
}

void DialogsTest::valueDialogTypedLineGoesToThatRow() {
  TestDesktop t;
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmLista* lista = t.d->principal()->lista();
  t.d->platform.setClipboardText("a@x.com\nb@x.com\nc@x.com\nd@x.com");
  lista->entradaMenu(QStringLiteral("Editar"), QStringLiteral("Colar (CTRL + V)"))->trigger();
  QCOMPARE(t.d->app->editor.gridMain.dataRowCount(), 4);

  WindowScript s;
  s.then(
      [] {
        return visibleWindows<TfrmGetValue>().empty() ? nullptr : visibleWindows<TfrmGetValue>()[0];
      },
      [](QWidget* w) {
        auto* v = static_cast<TfrmGetValue*>(w);
        QCOMPARE(v->windowTitle(), QStringLiteral("Entrada de valor"));
        bool temPrompt = false;
        for (QLabel* l : v->findChildren<QLabel*>())
          temPrompt |= l->text() == QStringLiteral("Informe o número da linha para onde quer ir:");
        QVERIFY(temPrompt);
        QTest::keyClicks(v->caixaTexto(), QStringLiteral("3"));
        button(v, QStringLiteral("&Ok"))->click();
      });
  lista->entradaMenu(QStringLiteral("Editar"), QStringLiteral("Ir para linha..."))->trigger();
  QVERIFY(s.wait());
  QCOMPARE(t.d->app->editor.gridMain.cursorRow, 3);
  QCOMPARE(lista->grade(0)->currentIndex().row(), 2);
  QCOMPARE(lista->posicao()->text(), QStringLiteral("3"));
  // Esc gives an empty text, which is ignored.
  s.then(
      [] {
        return visibleWindows<TfrmGetValue>().empty() ? nullptr : visibleWindows<TfrmGetValue>()[0];
      },
      [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
  lista->entradaMenu(QStringLiteral("Editar"), QStringLiteral("Ir para linha..."))->trigger();
  QVERIFY(s.wait());
  QCOMPARE(t.d->app->editor.gridMain.cursorRow, 3);
}

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication app(argc, argv);
  DialogsTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "dialogs_test.moc"
