// A new user's first session, pressed as a user would: a CRM export (";", Windows-1252, header
// "E-mail") opened by every path, cleaned, validated, an operation undone, the list saved for a
// spreadsheet and the program closed, without a lost edit or a box that was not needed.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "common/text_file.h"
#include "lists/grid_operations.h"
#include "support/dns_peer.h"
#include "ui/grid_view.h"
#include "ui/pages/names_page.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_definicoes.h"
#include "ui/tfrm_file_select.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_mensagens.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_quorvel.h"
#include "ui/tfrm_salvar_file.h"
#include "ui_test_support.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::testing::button;
using quorvel::testing::DnsPeer;
using quorvel::testing::dropFiles;
using quorvel::testing::TestHome;
using quorvel::testing::visibleWindows;
using quorvel::testing::WindowScript;
namespace fs = std::filesystem;

namespace {

const QString kSalvarAlteracoes = QStringLiteral("Deseja salvar as alterações da lista?");

// A CRM export as such programs write it: ";", Windows-1252, CR LF, a blank line after the header,
// a quoted name holding ";", addresses typed with capitals, one repeated.
std::string exportacaoCrm() {
  const std::string utf8 =
      "Nome;E-mail;Cidade;UF;Telefone\r\n"
      "\r\n"
      "José Silva;JOSE@Good.Test;São Paulo;SP;(11) 99999-0000\r\n"
      "\"Tânia Souza; Ltda\";tania@good.test;Recife;PE;(81) 98888-0000\r\n"
      "Bia Lima;bia@good.test;Natal;RN;\r\n"
      "Bia L.;BIA@GOOD.TEST;Natal;RN;(84) 97777-0000\r\n"
      "Caio Brandão;caio@semservidor.test;Belém;PA;(91) 96666-0000\r\n";
  std::string cp1252;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      cp1252.push_back(static_cast<char>(c));
    } else {  // two-byte UTF-8 of a Latin-1 letter
      cp1252.push_back(static_cast<char>(((c & 0x1F) << 6) | (utf8[++i] & 0x3F)));
    }
  }
  return cp1252;
}

// The program over a test folder, started as from a terminal with `listas` named on its command
// line, its MX questions going to `dns` (or to nothing when empty).
struct Sessao {
  TestHome home;
  std::unique_ptr<Desktop> d;
  TfrmPrincipal* p = nullptr;
  std::string crm;
  explicit Sessao(const std::string& dns, bool peloTerminal = false) {
    home.write("dados/config/sys_paises.filter", ".fr\r\n");
    home.write("dados/config/sys_armadilhas.filter", "armadilha@\r\n");
    crm = home.write("dados/crm.csv", exportacaoCrm());
    DesktopOptions o;
    o.esperaAberturaMs = 0;
    if (peloTerminal) o.listas = {crm};
    d = std::make_unique<Desktop>(home.str(), o);
    d->platform.abrir = [](const std::string&) {};
    d->progress.intervaloMs = 0;
    if (!dns.empty()) d->app->dns.server = dns;
    d->start();
    if (!peloTerminal) QTest::mouseClick(d->frmMain()->abrir(), Qt::LeftButton);
    p = d->principal();
  }
  ListEditor& editor() { return d->app->editor; }
  TfrmLista* lista() { return p->lista(); }
  GridView* grade() { return lista()->gradeAtual(); }
  QString cabecalho(int col) {
    return grade()->model()->headerData(col, Qt::Horizontal).toString();
  }
  QString celula(int linha, int col) {
    return grade()->model()->data(grade()->model()->index(linha - 1, col)).toString();
  }
  QAction* menu(const char* m, const char* entrada) {
    return lista()->entradaMenu(QString::fromUtf8(m), QString::fromUtf8(entrada));
  }
  void soltarCrm() { dropFiles(p, {crm}); }
  // "Validar e-mails", then "Iniciar validação": the messages until the run's end.
  std::vector<QString> validar() {
    QTest::mouseClick(p->botaoLateral(BotaoLateral::validarEmails), Qt::LeftButton);
    if (!d->frmQuorvel()->isVisible()) return {QStringLiteral("<janela de validação fechada>")};
    WindowScript s;
    s.answer(QStringLiteral("Processamento finalizado"), QStringLiteral("Ok"));
    QTest::mouseClick(d->frmQuorvel()->iniciar(), Qt::LeftButton);
    (void)s.wait(60000);
    return s.mensagens;
  }
};

}  // namespace

class FirstUseTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { dns_ = std::make_unique<DnsPeer>(); }
  void aCrmExportOpensWithItsHeaderByEveryPathAndValidatesWithoutABox();
  void aValidationLeavesPrincipalAsItWasAndFitsTheInvalidColumns();
  void everyChangeLeavesTheListUnsavedAndCtrlZTakesItBackFromAnywhere();
  void unsavedListsAreOfferedASaveWhenTheWindowCloses();
  void aWidthDragOnAColumnTitleNeitherSortsNorDeletes();
  void closingTheMainWindowDuringARunAsksToCancelIt();
  void aRunsWarningsAreLinesAndTheRunGoesOn();
  void maintenanceSaysWhatItFreed();
  void theMainWindowFitsA1024By768ScreenAndTitlesNameTheProgramOnce();
  void windowsOpenCentred();
  void saveAsOffersTheSeparatorTheListWasReadWith();
  void textsReadRight();

 private:
  std::unique_ptr<DnsPeer> dns_;
};

void FirstUseTest::aCrmExportOpensWithItsHeaderByEveryPathAndValidatesWithoutABox() {
  const auto verificar = [](Sessao& s, const char* caminho) {
    QVERIFY2(s.p, caminho);
    QCOMPARE(s.cabecalho(0), QStringLiteral("Nome"));
    QCOMPARE(s.cabecalho(1), QStringLiteral("E-mail"));
    QCOMPARE(s.cabecalho(4), QStringLiteral("Telefone"));
    // The blank line after the header went; the quoted name kept its ";".
    QCOMPARE(s.celula(1, 0), QStringLiteral("José Silva"));
    QCOMPARE(s.celula(2, 0), QStringLiteral("Tânia Souza; Ltda"));
    QCOMPARE(s.lista()->itens()->text(), QStringLiteral("5"));
    QCOMPARE(s.lista()->salvo()->text(), QStringLiteral("Sim"));
  };
  {
    Sessao s(dns_->server(), true);  // named on the command line
    verificar(s, "linha de comando");
    // "Validar e-mails" before the lists were loaded, a header spelled "E-mail": straight to the
    // window, the addresses' column validated, no box but the run's own.
    QCOMPARE(s.validar(), (std::vector<QString>{QStringLiteral("Processamento finalizado")}));
    QCOMPARE(s.d->app->validator.colunaDaExecucao, 1);
    QCOMPARE(s.d->app->validator.chain.counters.text(Counter::lbTotalFinal), std::string("3"));
  }
  {
    Sessao s(dns_->server());
    s.soltarCrm();
    verificar(s, "arrastado");
  }
  {
    Sessao s(dns_->server());
    WindowScript w;
    w.then(
        [&s] {
          return s.d->dialogs.janelaArquivos().isVisible() ? &s.d->dialogs.janelaArquivos()
                                                           : nullptr;
        },
        [&s](QWidget*) {
          // The file ticked in the file window, then "OK".
          TfrmFileSelect& j = s.d->dialogs.janelaArquivos();
          auto* m = j.tabela()->model();
          int linha = -1;
          for (int r = 0; r < m->rowCount(); ++r)
            if (m->data(m->index(r, 0)).toString() == QStringLiteral("crm.csv")) linha = r;
          QVERIFY(linha >= 0);
          const QRect r = j.tabela()->visualRect(m->index(linha, 0));
          QTest::mouseClick(j.tabela()->viewport(), Qt::LeftButton, {},
                            QPoint(r.left() + 8, r.center().y()));
          QTest::mouseClick(button(&j, QStringLiteral("OK")), Qt::LeftButton);
        });
    QTest::mouseClick(s.lista()->botaoBarra(QStringLiteral("Abrir lista")), Qt::LeftButton);
    QVERIFY(w.wait());
    verificar(s, "Abrir lista");
  }
}

void FirstUseTest::aValidationLeavesPrincipalAsItWasAndFitsTheInvalidColumns() {
  Sessao s(dns_->server());
  s.soltarCrm();
  s.validar();
  // "Os dados da aba Principal não são alterados": the address typed with capitals stays so, and
  // the list is still the saved file.
  QCOMPARE(s.editor().gridMain.cell(1, 1), std::string("JOSE@Good.Test"));
  s.editor().setAbaAtiva(kAbaPrincipal);
  QCOMPARE(s.lista()->salvo()->text(), QStringLiteral("Sim"));
  QCOMPARE(s.editor().gridValidos.cell(1, 1), std::string("jose@good.test"));
  // "Inválidos" fits its columns to the addresses and reasons it holds.
  s.editor().setAbaAtiva(kAbaInvalidos);
  const TextGrid& inv = s.editor().gridInvalidos;
  QCOMPARE(inv.cell(0, 1), std::string("caio@semservidor.test"));
  const QFontMetrics fm(s.grade()->font());
  for (int c = 0; c < inv.colCount(); ++c)
    QVERIFY2(
        s.grade()->columnWidth(c) >= fm.horizontalAdvance(QString::fromStdString(inv.cell(c, 1))),
        qPrintable(QString::number(c)));
}

void FirstUseTest::everyChangeLeavesTheListUnsavedAndCtrlZTakesItBackFromAnywhere() {
  Sessao s(dns_->server());
  s.soltarCrm();
  const TextGrid antes = s.editor().gridMain;
  QAction* desfazer = s.menu("Editar", "Desfazer (Ctrl+Z)");
  QVERIFY(desfazer);
  // Opening is a step too: the menu entry is live.
  QVERIFY(desfazer->isEnabled());
  // An address retyped, then "Excluir linhas se o valor for repetido" on its column.
  celulaEditada(s.editor(), 1, 4, "bia@good.test");
  QCOMPARE(s.lista()->salvo()->text(), QStringLiteral("Não"));
  s.editor().setAbaAtiva(kAbaPrincipal);
  QHeaderView* h = s.grade()->horizontalHeader();
  QTest::mouseClick(h->viewport(), Qt::RightButton, {},
                    QPoint(h->sectionViewportPosition(1) + h->sectionSize(1) / 2, h->height() / 2));
  QMenu* m = s.lista()->findChild<QMenu*>(QStringLiteral("menuColuna"));
  QVERIFY(m);
  quorvel::testing::choose(m, 4);
  QCOMPARE(s.lista()->itens()->text(), QStringLiteral("4"));
  QCOMPARE(s.lista()->salvo()->text(), QStringLiteral("Não"));
  // Ctrl+Z with the focus on a side button: the removal goes back, then the typed cell, and the
  // list is the saved file again.
  QPushButton* lateral = s.p->botaoLateral(BotaoLateral::ajuda);
  s.p->activateWindow();
  QTRY_VERIFY(QApplication::activeWindow() == s.p);
  lateral->setFocus();
  QTest::keyClick(lateral, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(s.lista()->itens()->text(), QStringLiteral("5"));
  QTest::keyClick(lateral, Qt::Key_Z, Qt::ControlModifier);
  for (int r = 0; r < antes.rowCount(); ++r)
    QVERIFY(s.editor().gridMain.rowCells(r) == antes.rowCells(r));
  QCOMPARE(s.lista()->salvo()->text(), QStringLiteral("Sim"));
  // Ctrl+Y does it again; F2 saves wherever the focus is.
  QTest::keyClick(lateral, Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(s.lista()->salvo()->text(), QStringLiteral("Não"));
  QTest::keyClick(lateral, Qt::Key_F2);
  QCOMPARE(s.lista()->salvo()->text(), QStringLiteral("Sim"));
  // Del with the focus on the lists' tabs empties the selected cell (the saving's progress box
  // took the activation for a moment: it comes back as the window manager gives it back).
  s.editor().gridMain.moverCursor(2, 1);
  s.p->activateWindow();
  QTRY_VERIFY(QApplication::activeWindow() == s.p);
  s.lista()->abas()->tabBar()->setFocus();
  QTest::keyClick(s.lista()->abas()->tabBar(), Qt::Key_Delete);
  QCOMPARE(s.editor().gridMain.cell(2, 1), std::string());
  // A text field keeps its own keys: Ctrl+Z in the find box undoes the typing, not the list.
  QTest::keyClicks(s.lista()->localizar(), QStringLiteral("Ana"));
  QTest::keyClick(s.lista()->localizar(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(s.editor().gridMain.cell(2, 1), std::string());
}

void FirstUseTest::unsavedListsAreOfferedASaveWhenTheWindowCloses() {
  Sessao s(dns_->server());
  s.soltarCrm();
  s.editor().gridMain.moverCursor(0, 1);
  celulaEditada(s.editor(), 0, 1, "José da Silva");
  QPointer<TfrmPrincipal> principal(s.p);
  // "Cancelar": the window stays, the edit too.
  {
    WindowScript w;
    w.answer(kSalvarAlteracoes, QStringLiteral("&Cancelar"));
    QTest::mouseClick(s.p->botao(QStringLiteral("Fechar")), Qt::LeftButton);
    QVERIFY(w.wait());
    QVERIFY(principal && principal->isVisible());
    QCOMPARE(s.editor().gridMain.cell(0, 1), std::string("José da Silva"));
  }
  // "Sim": saved into its file, then the window closes.
  {
    WindowScript w;
    w.answer(kSalvarAlteracoes, QStringLiteral("&Sim"));
    QTest::mouseClick(s.p->botao(QStringLiteral("Fechar")), Qt::LeftButton);
    QVERIFY(w.wait());
    QTRY_VERIFY(principal.isNull());
    QVERIFY(readFileBytes(s.crm).value_or("").find("José da Silva") != std::string::npos);
    QVERIFY(s.d->frmMain()->isVisible());
  }
  // Reopened: the saved list is there. Changed again and closed with "Não": it goes.
  QTest::mouseClick(s.d->frmMain()->abrir(), Qt::LeftButton);
  s.p = s.d->principal();
  QCOMPARE(s.celula(1, 0), QStringLiteral("José da Silva"));
  celulaEditada(s.editor(), 0, 1, "Outro Nome");
  {
    WindowScript w;
    w.answer(kSalvarAlteracoes, QStringLiteral("&Não"));
    s.p->close();
    QVERIFY(w.wait());
    QTRY_VERIFY(!s.d->principal());
    QVERIFY(readFileBytes(s.crm).value_or("").find("Outro Nome") == std::string::npos);
  }
  // "Sair" with nothing unsaved asks only whether to end the program.
  WindowScript w;
  w.answer(QStringLiteral("Deseja encerrar o Quorvel?"), QStringLiteral("&Não"));
  QTest::mouseClick(s.d->frmMain()->sair(), Qt::LeftButton);
  QVERIFY(w.wait());
  QCOMPARE(w.mensagens.size(), size_t(1));
}

void FirstUseTest::aWidthDragOnAColumnTitleNeitherSortsNorDeletes() {
  Sessao s(dns_->server());
  s.soltarCrm();
  QHeaderView* h = s.grade()->horizontalHeader();
  const int y = h->height() / 2;
  const std::vector<std::string> ordem = {s.editor().gridMain.cell(0, 1),
                                          s.editor().gridMain.cell(0, 2)};
  auto arrastarBorda = [&] {
    // The border between the address column and the next, where the cursor becomes a splitter.
    const int borda = h->sectionViewportPosition(1) + h->sectionSize(1) - 1;
    QTest::mousePress(h->viewport(), Qt::LeftButton, {}, QPoint(borda, y));
    QTest::mouseMove(h->viewport(), QPoint(borda + 60, y));
    QTest::mouseRelease(h->viewport(), Qt::LeftButton, {}, QPoint(borda + 60, y));
  };
  const int largura = h->sectionSize(1);
  arrastarBorda();
  QVERIFY(h->sectionSize(1) > largura);                // the drag widened the column
  QCOMPARE(s.editor().gridMain.cell(0, 1), ordem[0]);  // and sorted nothing
  QCOMPARE(s.editor().gridMain.cell(0, 2), ordem[1]);
  // In quick column deletion mode the column stays as well.
  s.editor().exclusaoRapidaColunas = true;
  arrastarBorda();
  QCOMPARE(s.editor().gridMain.colCount(), 5);
  QCOMPARE(s.cabecalho(1), QStringLiteral("E-mail"));
  // A plain click on the title still sorts.
  s.editor().exclusaoRapidaColunas = false;
  QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                    QPoint(h->sectionViewportPosition(2) + 10, y));
  QCOMPARE(s.editor().gridMain.cell(2, 1), std::string("Belém"));
}

void FirstUseTest::closingTheMainWindowDuringARunAsksToCancelIt() {
  Sessao s(dns_->server());
  std::string lista = "emails\r\n";
  for (int i = 0; i < 3000; ++i) lista += "p" + std::to_string(i) + "@good.test\r\n";
  dropFiles(s.p, {s.home.write("dados/grande.txt", lista)});
  QTest::mouseClick(s.p->botaoLateral(BotaoLateral::validarEmails), Qt::LeftButton);
  QPointer<TfrmPrincipal> principal(s.p);
  WindowScript w;
  // The first time the run lets events through, the window manager's close button is pressed.
  bool fechou = false;
  auto fechar = s.d->app->validator.notices.listen([&](const ValidatorNotice&) {
    if (fechou || !s.d->app->validator.gRodando || s.d->app->validator.barraPos < 100) return;
    fechou = true;
    QTimer::singleShot(0, [principal] {
      if (principal) principal->close();
    });
  });
  w.answer(QStringLiteral("Quer cancelar a validação?"), QStringLiteral("&Sim"));
  w.answer(QStringLiteral("A validação foi cancelada"), QStringLiteral("Ok"));
  w.answer(QStringLiteral("Processamento finalizado"), QStringLiteral("Ok"));
  QTest::mouseClick(s.d->frmQuorvel()->iniciar(), Qt::LeftButton);
  QVERIFY(w.wait(60000));
  // The run stopped where it was; the main window never went and the launcher never came back.
  QVERIFY(principal && principal->isVisible());
  QVERIFY(!s.d->frmMain()->isVisible());
  QVERIFY(s.editor().gridValidos.dataRowCount() < 3000);
}

void FirstUseTest::aRunsWarningsAreLinesAndTheRunGoesOn() {
  // No DNS server answers: the run says so in a line and goes on to its end.
  Sessao s("127.0.0.1:9");
  std::string lista = "emails\r\n";
  for (int i = 0; i < 20; ++i) lista += "p@dominio" + std::to_string(i) + ".test\r\n";
  dropFiles(s.p, {s.home.write("dados/sem-dns.txt", lista)});
  QCOMPARE(s.validar(), (std::vector<QString>{QStringLiteral("Processamento finalizado")}));
  QLabel* aviso = s.d->frmQuorvel()->aviso();
  QVERIFY(aviso->isVisible());
  QVERIFY(aviso->text().startsWith(QStringLiteral("O servidor DNS não está respondendo.")));
  QCOMPARE(s.d->app->validator.chain.counters.text(Counter::lbTotalFinal), std::string("20"));
}

void FirstUseTest::maintenanceSaysWhatItFreed() {
  Sessao s(dns_->server());
  QTest::mouseClick(s.p->botaoLateral(BotaoLateral::configuracoes), Qt::LeftButton);
  WindowScript w;
  w.answerAny();
  QTest::mouseClick(s.p->botao(QStringLiteral("Manutenção no banco de dados")), Qt::LeftButton);
  QVERIFY(w.wait());
  QCOMPARE(w.mensagens.size(), size_t(1));
  QVERIFY2(w.mensagens[0].startsWith(QStringLiteral("Manutenção concluída: ")) &&
               w.mensagens[0].endsWith(QStringLiteral(" liberados.")),
           qPrintable(w.mensagens[0]));
}

void FirstUseTest::theMainWindowFitsA1024By768ScreenAndTitlesNameTheProgramOnce() {
  Sessao s(dns_->server());
  s.soltarCrm();
  // A 1024 × 768 screen less a window manager's frame.
  const QSize tela(1024 - 8, 768 - 32);
  const QSize minimo = s.p->minimumSizeHint();
  QVERIFY2(minimo.width() <= tela.width() && minimo.height() <= tela.height(),
           qPrintable(QStringLiteral("%1x%2").arg(minimo.width()).arg(minimo.height())));
  s.p->resize(tela);
  QApplication::processEvents();
  // Every control of the list page is inside the window, none cut off.
  const QRect janela = s.p->rect();
  for (QWidget* w : s.p->lista()->findChildren<QWidget*>()) {
    if (!w->isVisible() || !(qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w)))
      continue;
    const QRect r(w->mapTo(s.p, QPoint(0, 0)), w->size());
    QVERIFY2(janela.contains(r), qPrintable(w->accessibleName()));
  }
  QVERIFY(janela.contains(
      QRect(s.lista()->salvo()->mapTo(s.p, QPoint(0, 0)), s.lista()->salvo()->size())));
  // The window manager shows each title as it is: no application name added to it.
  QVERIFY(QGuiApplication::applicationDisplayName().isEmpty() ||
          QGuiApplication::applicationDisplayName() == QCoreApplication::applicationName());
  QCOMPARE(s.p->windowTitle(), QStringLiteral("Quorvel - Build: 651"));
}

void FirstUseTest::windowsOpenCentred() {
  Sessao s(dns_->server());
  QScreen* tela = QGuiApplication::primaryScreen();
  const QPoint meio = tela->availableGeometry().center();
  auto centrada = [](QWidget* w, QPoint centro) {
    return (w->frameGeometry().center() - centro).manhattanLength() <= 40;
  };
  // The launcher shown a second time is where it was the first: in the middle of the screen.
  s.p->close();
  QTRY_VERIFY(s.d->frmMain()->isVisible());
  QVERIFY2(centrada(s.d->frmMain(), meio),
           qPrintable(QStringLiteral("%1,%2").arg(s.d->frmMain()->x()).arg(s.d->frmMain()->y())));
  QTest::mouseClick(s.d->frmMain()->abrir(), Qt::LeftButton);
  s.p = s.d->principal();
  s.p->activateWindow();
  QTRY_VERIFY(QApplication::activeWindow() == s.p);
  // A window opened from the main window opens over its middle.
  QTest::mouseClick(s.p->botaoLateral(BotaoLateral::definicoes), Qt::LeftButton);
  TfrmDefinicoes* defs = s.d->frmDefinicoes();
  QVERIFY(defs && defs->isVisible());
  QVERIFY(centrada(defs, s.p->frameGeometry().center()));
}

void FirstUseTest::saveAsOffersTheSeparatorTheListWasReadWith() {
  Sessao s(dns_->server());
  s.soltarCrm();
  WindowScript w;
  w.then(
      [&s] {
        return s.d->dialogs.janelaSalvar().isVisible() ? &s.d->dialogs.janelaSalvar() : nullptr;
      },
      [](QWidget* j) {
        auto* salvar = static_cast<TfrmSalvarFile*>(j);
        QVERIFY(salvar->separador()->isVisible());
        QCOMPARE(salvar->separador()->currentText(), QStringLiteral("Ponto e vírgula"));
        QTest::keyClicks(salvar->nome(), QStringLiteral("limpa"));
        button(salvar, QStringLiteral("&Ok"))->click();
      });
  s.menu("Salvar / Exportar...", "Salvar como...")->trigger();
  QVERIFY(w.wait());
  const std::string salvo = readFileBytes(s.home.path("dados/limpa.csv")).value_or("");
  // What a pt-BR spreadsheet opens in columns: ";", only the cell holding ";" quoted.
  QVERIFY(salvo.rfind("\xEF\xBB\xBFNome;E-mail;Cidade;UF;Telefone\r\n", 0) == 0);
  QVERIFY(salvo.find("\r\n\"Tânia Souza; Ltda\";tania@good.test;Recife;PE;(81) 98888-0000\r\n") !=
          std::string::npos);
  // "Vírgula" chosen: that file with ",".
  w.then(
      [&s] {
        return s.d->dialogs.janelaSalvar().isVisible() ? &s.d->dialogs.janelaSalvar() : nullptr;
      },
      [](QWidget* j) {
        auto* salvar = static_cast<TfrmSalvarFile*>(j);
        salvar->separador()->setCurrentIndex(1);
        QTest::keyClicks(salvar->nome(), QStringLiteral("virgulas"));
        button(salvar, QStringLiteral("&Ok"))->click();
      });
  s.menu("Salvar / Exportar...", "Salvar como...")->trigger();
  QVERIFY(w.wait());
  QVERIFY(readFileBytes(s.home.path("dados/virgulas.csv"))
              .value_or("")
              .rfind("\xEF\xBB\xBFNome,E-mail,Cidade,UF,Telefone\r\n", 0) == 0);
  QCOMPARE(s.d->dialogs.janelaSalvar().separador()->isVisible(), false);
}

void FirstUseTest::textsReadRight() {
  Sessao s(dns_->server());
  TfrmFileSelect& arquivos = s.d->dialogs.janelaArquivos();
  QVERIFY(
      button(&arquivos,
             QStringLiteral("Abrir o local dessa pasta selecionada no gerenciador de arquivos")));
  s.menu("Utilitários", "Identificar nomes")->trigger();
  bool achou = false;
  for (QLabel* l : s.lista()->findChildren<QLabel*>())
    achou = achou || l->text().contains(QStringLiteral("mensagens personalizadas têm até 80%"));
  QVERIFY(achou);
  QVERIFY(s.d->frmMensagens());
  bool rolar = false;
  for (QCheckBox* c : s.d->frmMensagens()->findChildren<QCheckBox*>())
    rolar = rolar || c->text() == QStringLiteral("Rolar a lista para baixo a cada nova mensagem");
  QVERIFY(rolar);
}

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication app(argc, argv);
  FirstUseTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "first_use_test.moc"
