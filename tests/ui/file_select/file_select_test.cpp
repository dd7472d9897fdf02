// The file selection window through "Abrir lista": folders, search, sorting, ticks, second use.
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "ui/quorvel_application.h"
#include "ui/tfrm_file_select.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_principal.h"
#include "ui_test_support.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::testing::button;
using quorvel::testing::TestDesktop;
using quorvel::testing::WindowScript;

namespace {

QStringList nomes(TfrmFileSelect& w) {
  QStringList out;
  auto* m = w.tabela()->model();
  for (int r = 0; r < m->rowCount(); ++r) out << m->data(m->index(r, 0)).toString();
  return out;
}

void clicarLinha(TfrmFileSelect& w, int linha, bool naCaixa) {
  auto* t = w.tabela();
  const QRect r = t->visualRect(t->model()->index(linha, 0));
  QTest::mouseClick(t->viewport(), Qt::LeftButton, {},
                    QPoint(naCaixa ? r.left() + 8 : r.center().x(), r.center().y()));
}

}  // namespace

class FileSelectTest : public QObject {
  Q_OBJECT
 private slots:
  void theSecondUseStartsInTheFolderTheUserLeft();
  void searchWaitsForAPauseAndColumnsSort();
};

void FileSelectTest::theSecondUseStartsInTheFolderTheUserLeft() {
  TestDesktop t;
  t.home.write("dados/a.csv", "ana@x.com\r\n");
  t.home.write("outra/b.txt", "bia@y.com\r\ncaio@z.com\r\n");
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmLista* lista = t.d->principal()->lista();
  TfrmFileSelect& janela = t.d->dialogs.janelaArquivos();
  auto aberta = [&janela]() -> QWidget* { return janela.isVisible() ? &janela : nullptr; };

  WindowScript s;
  s.then(aberta, [&](QWidget*) {
    QVERIFY(QTest::qWaitForWindowExposed(&janela));
    QCOMPARE(janela.windowTitle(), QStringLiteral("Selecionar arquivo"));
    QCOMPARE(janela.caminho()->text(), QString::fromStdString(t.home.path("dados/")));
    QVERIFY(nomes(janela).contains(QStringLiteral("a.csv")));
    QVERIFY(!janela.selecionado()->isVisible());  // several files: tick boxes instead
    // Another folder typed into the path box.
    janela.caminho()->clear();
    QTest::keyClicks(janela.caminho(), QString::fromStdString(t.home.path("outra")));
    QTest::keyClick(janela.caminho(), Qt::Key_Return);
    QCOMPARE(nomes(janela), QStringList{QStringLiteral("b.txt")});
    clicarLinha(janela, 0, true);
    QTest::mouseClick(button(&janela, QStringLiteral("OK")), Qt::LeftButton);
  });
  QTest::mouseClick(lista->botaoBarra(QStringLiteral("Abrir lista")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(t.d->app->editor.gridMain.dataRowCount(), 2);
  QCOMPARE(t.d->app->editor.arquivoDaAba(0), t.home.path("outra/b.txt"));

  // The second use shows the folder left last time, not dados/.
  s.then(aberta, [&](QWidget*) {
    QCOMPARE(janela.caminho()->text(), QString::fromStdString(t.home.path("outra/")));
    // "Subir uma pasta" and a double click on a folder move around; Cancelar returns nothing.
    QTest::mouseClick(button(&janela, QStringLiteral("Subir uma pasta")), Qt::LeftButton);
    QCOMPARE(janela.caminho()->text(), QString::fromStdString(t.home.str() + "/"));
    const int dados = nomes(janela).indexOf(QStringLiteral("dados"));
    QVERIFY(dados >= 0);
    const QRect r = janela.tabela()->visualRect(janela.tabela()->model()->index(dados, 1));
    // A real double click starts with a press.
    QTest::mousePress(janela.tabela()->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(janela.tabela()->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(janela.caminho()->text(), QString::fromStdString(t.home.path("dados/")));
    QTest::mouseClick(button(&janela, QStringLiteral("Cancelar")), Qt::LeftButton);
  });
  QTest::mouseClick(lista->botaoBarra(QStringLiteral("Abrir lista")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(t.d->app->editor.gridMain.dataRowCount(), 2);
  // A bad folder typed into the path box is refused with a message.
  s.then(aberta, [&](QWidget*) {
    janela.caminho()->setText(QStringLiteral("/nao/existe"));
    QTest::keyClick(janela.caminho(), Qt::Key_Return);
  });
  s.answer(QStringLiteral("Assim fica meio difícil... É necessário colocar um caminho de pasta "
                          "válido"),
           QStringLiteral("Ok"));
  s.then(aberta, [&](QWidget*) {
    QCOMPARE(t.d->dialogs.selecaoArquivos().gPath, t.home.path("dados/"));
    QTest::mouseClick(button(&janela, QStringLiteral("Cancelar")), Qt::LeftButton);
  });
  QTest::mouseClick(lista->botaoBarra(QStringLiteral("Abrir lista")), Qt::LeftButton);
  QVERIFY(s.wait());
}

void FileSelectTest::searchWaitsForAPauseAndColumnsSort() {
  TestDesktop t;
  t.home.write("dados/campanha-marco.csv", std::string(3000, 'x'));
  t.home.write("dados/campanha-abril.txt", std::string(500, 'x'));
  t.home.write("dados/clientes.txt", std::string(1200, 'x'));
  TfrmFileSelect& janela = t.d->dialogs.janelaArquivos();
  std::string escolha;
  WindowScript s;
  s.then([&janela]() -> QWidget* { return janela.isVisible() ? &janela : nullptr; },
         [&](QWidget*) {
           QVERIFY(janela.selecionado()->isVisible());  // one file: the selected name box
           QTest::keyClicks(janela.busca(), QStringLiteral("CAMP"));
           QVERIFY(janela.timerBusca()->isActive());
           QCOMPARE(janela.timerBusca()->interval(), 500);
           // Not yet: the timer waits for a pause in the typing.
           QVERIFY(nomes(janela).contains(QStringLiteral("clientes.txt")));
           QTRY_VERIFY(!nomes(janela).contains(QStringLiteral("clientes.txt")));
           // Without the extension filter; folders always show.
           QCOMPARE(nomes(janela).size(), 3);
           QVERIFY(nomes(janela).contains(QStringLiteral("campanha-marco.csv")));
           QVERIFY(!janela.selecionado()->isVisible());  // a search allows several files
           QHeaderView* h = janela.tabela()->horizontalHeader();
           auto clicarTitulo = [h](int c) {
             QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                               QPoint(h->sectionViewportPosition(c) + 5, h->height() / 2));
           };
           clicarTitulo(2);  // size, ascending
           QCOMPARE(nomes(janela),
                    (QStringList{"listas", "campanha-abril.txt", "campanha-marco.csv"}));
           QCOMPARE(
               janela.tabela()->model()->data(janela.tabela()->model()->index(1, 2)).toString(),
               QStringLiteral("1 KB"));
           clicarTitulo(2);  // again: descending
           QCOMPARE(nomes(janela),
                    (QStringList{"campanha-marco.csv", "campanha-abril.txt", "listas"}));
           // Selecting rows toggles the row left and the row taken.
           clicarLinha(janela, 0, false);
           clicarLinha(janela, 1, false);
           QTest::mouseClick(button(&janela, QStringLiteral("OK")), Qt::LeftButton);
         });
  escolha = t.d->dialogs.getFileSelect(t.home.path("dados/"), ".txt", "", false, true);
  QVERIFY(s.wait());
  QCOMPARE(escolha, t.home.path("dados/campanha-abril.txt"));
}

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication app(argc, argv);
  FileSelectTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "file_select_test.moc"
