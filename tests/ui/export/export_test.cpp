// The export window pressed as a user would: a copy of a list sorted, cleaned and cut down
// through its pages, then written as text and shown as a listing, over the desktop's real
// dialogs; the list it came from stays as it was.
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/cl_neg_office.h"
#include "support/grid_builder.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_export.h"
#include "ui/tfrm_input.h"
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

namespace {

TextGrid listaDeContatos() {
  TextGrid g;
  g.setColCount(3);
  g.setRowCount(6);
  const char* linhas[6][3] = {{"Nome", "E-mail", "Cidade"},
                              {"Rita", "rita@uol.com.br", "Recife"},
                              {"Ana", "ana@gmail.com", "São Paulo"},
                              {"Ana Maria", "ANA@gmail.com", "Santos"},
                              {"Caio", "", "Belém"},
                              {"Bia", "bia@bol.com.br", "Natal"}};
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 3; ++c) g.setCell(c, r, linhas[r][c]);
  return g;
}

std::string celula(TfrmExport& w, int linha, int coluna) {
  return w.grade()->model()->index(linha - 1, coluna).data().toString().toStdString();
}

void clicarCabecalho(TfrmExport& w, int coluna, Qt::MouseButton b) {
  QHeaderView* h = w.grade()->horizontalHeader();
  QTest::mouseClick(
      h->viewport(), b, {},
      QPoint(h->sectionViewportPosition(coluna) + h->sectionSize(coluna) / 2, h->height() / 2));
}

// The export window over a copy of `g`, shown (it goes when closed).
TfrmExport* abrirSobre(TestDesktop& t, const TextGrid& g) {
  auto* w = new TfrmExport(t.d->dialogs, t.d->progress, t.d->platform);
  w->modelo().carregarGrid(g, false);
  w->show();
  return w;
}

TfrmExport* abrirSobreContatos(TestDesktop& t) {
  return abrirSobre(t, listaDeContatos());
}

// The first visible window of a kind, or none.
template <class W>
QWidget* primeira() {
  const std::vector<W*> janelas = visibleWindows<W>();
  return janelas.empty() ? nullptr : janelas.front();
}

// `linhas` contacts, "c0@x.com" ... in column 0, every other one repeating the one before it.
TextGrid listaGrande(int linhas) {
  TextGrid g;
  g.setColCount(2);
  g.setRowCount(linhas + 1);
  g.assignRow(0, {"email", "nome"});
  for (int i = 0; i < linhas; ++i)
    g.assignRow(i + 1, {"c" + std::to_string(i / 2) + "@x.com", "Nome"});
  return g;
}

// Presses the progress box's "Cancelar" as soon as the running operation reports its row
// `linha` (the press goes through the events the operation lets through right after).
[[nodiscard]] Notifier<ProgressNotice>::Subscription cancelarNaLinha(TestDesktop& t, int linha) {
  ProgressBox& caixa = t.d->progress;
  TfrmProgress* janela = t.d->frmProgress();
  auto pedido = std::make_shared<bool>(false);
  return caixa.notices.listen([&caixa, janela, linha, pedido](const ProgressNotice&) {
    if (*pedido || !caixa.visivel || caixa.posicao < linha) return;
    *pedido = true;
    QMetaObject::invokeMethod(
        janela, [janela] { QTest::mouseClick(janela->botao(), Qt::LeftButton); },
        Qt::QueuedConnection);
  });
}

// Presses `botao` and then, at the operation's row 1,000, the progress box's "Cancelar", with a
// yes to the question that follows; true once the question was answered.
bool pressionarECancelar(TestDesktop& t, QWidget* janela, const QString& botao) {
  const auto cancelar = cancelarNaLinha(t, 1000);
  WindowScript s;
  s.answer(QStringLiteral("Deseja cancelar esse processamento?"), QStringLiteral("&Sim"));
  QTest::mouseClick(button(janela, botao), Qt::LeftButton);
  return s.wait();
}

// What openpyxl reads in a workbook (tests/export/read_xlsx.py).
std::string lerPlanilha(const std::string& caminho) {
  const std::string cmd = "/usr/bin/python3 '" + std::string(QUORVEL_EXPORT_SCRIPTS) +
                          "/read_xlsx.py' '" + caminho + "' 2>&1";
  std::string out;
  if (FILE* f = ::popen(cmd.c_str(), "r")) {
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    ::pclose(f);
  }
  return out;
}

std::string lerArquivo(const std::string& caminho) {
  std::ifstream in(caminho, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

class ExportWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void aCopyIsSortedCleanedAndCutDownThroughItsPages();
  void theHeaderMenuOpensTheUtilitiesOnItsColumn();
  void writtenAsTextThenShownAsAListing();
  void everyButtonCarriesItsCaptionForScreenReaders();
  void theListEditorsMenuOpensItOverTheListAfterItsTip();
  void cancelStopsAWriterAndLeavesTheFileThatWasThere();
  void cancelStopsTheSpreadsheetWithTheRowsWrittenSoFar();
  void cancelStopsAUtilityAsItsPassAllows();
};

void ExportWindowTest::aCopyIsSortedCleanedAndCutDownThroughItsPages() {
  TestDesktop t;
  const TextGrid origem = listaDeContatos();
  auto* w = new TfrmExport(t.d->dialogs, t.d->progress, t.d->platform);
  w->modelo().carregarGrid(origem, false);
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  QCOMPARE(w->windowTitle(), QStringLiteral("Exportação"));
  QCOMPARE(w->grade()->model()->rowCount(), 5);
  QCOMPARE(w->grade()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("E-mail"));
  QCOMPARE(w->quantidade()->text(), QStringLiteral("qtd.:5"));

  // A click on a title sorts by that column, each click the other way round (the first one
  // descending, as the direction is turned before every sort).
  clicarCabecalho(*w, 1, Qt::LeftButton);
  QCOMPARE(celula(*w, 1, 0), std::string("Rita"));
  QCOMPARE(celula(*w, 5, 0), std::string("Caio"));  // the blank address last
  clicarCabecalho(*w, 1, Qt::LeftButton);
  QCOMPARE(celula(*w, 1, 0), std::string("Caio"));

  QTest::mouseClick(button(w, QStringLiteral("Utilitários")), Qt::LeftButton);
  QCOMPARE(w->paginas()->currentIndex(), 2);
  QCOMPARE(w->colunaBase()->count(), 3);
  w->colunaBase()->setCurrentText(QStringLiteral("E-mail"));
  QTest::mouseClick(
      button(w, QStringLiteral("Eliminar repetidos, com base no valor da coluna selecionada")),
      Qt::LeftButton);
  QCOMPARE(w->modelo().gridDados.dataRowCount(), 4);  // "ANA@gmail.com" repeated "ana@…"
  QTest::mouseClick(
      button(w, QStringLiteral("Excluir linha quando o valor dessa coluna estiver vazio")),
      Qt::LeftButton);
  QCOMPARE(w->modelo().gridDados.dataRowCount(), 3);
  QTest::keyClicks(w->substituir(), QStringLiteral("gmail"));
  QTest::keyClicks(w->por(), QStringLiteral("GMAIL"));
  QTest::mouseClick(button(w, QStringLiteral("Substituir na coluna selecionada")), Qt::LeftButton);
  QTest::mouseClick(button(w, QStringLiteral("Voltar para a lista de dados")), Qt::LeftButton);
  QCOMPARE(w->paginas()->currentIndex(), 0);
  QCOMPARE(w->grade()->model()->rowCount(), 3);
  bool trocou = false;
  for (int r = 1; r <= 3; ++r) trocou = trocou || celula(*w, r, 1) == "ana@GMAIL.com";
  QVERIFY(trocou);

  QTest::mouseClick(button(w, QStringLiteral("Excluir colunas")), Qt::LeftButton);
  QCOMPARE(w->paginas()->currentIndex(), 1);
  QCOMPARE(w->colunas()->count(), 3);
  QCOMPARE(w->colunas()->item(2)->text(), QStringLiteral("Cidade"));
  w->colunas()->item(2)->setCheckState(Qt::Checked);
  QTest::mouseClick(button(w, QStringLiteral("Excluir colunas selecionadas")), Qt::LeftButton);
  QCOMPARE(w->paginas()->currentIndex(), 0);
  QCOMPARE(w->grade()->model()->columnCount(), 2);
  w->modelo().atualizarStatus();  // what the status bar's second does
  QCOMPARE(w->quantidade()->text(), QStringLiteral("qtd.:3"));

  // The list the data came from is as it was.
  QCOMPARE(origem.dataRowCount(), 5);
  QCOMPARE(origem.colCount(), 3);
  QCOMPARE(origem.cell(1, 3), std::string("ANA@gmail.com"));
  w->close();
}

void ExportWindowTest::theHeaderMenuOpensTheUtilitiesOnItsColumn() {
  TestDesktop t;
  TfrmExport* w = abrirSobreContatos(t);
  QVERIFY(QTest::qWaitForWindowExposed(w));
  WindowScript s;
  QStringList entradas;
  s.then(primeira<QMenu>, [&entradas](QWidget* m) {
    auto* menu = static_cast<QMenu*>(m);
    for (QAction* a : menu->actions()) entradas << a->text();
    quorvel::testing::choose(menu, 2);
  });
  clicarCabecalho(*w, 2, Qt::RightButton);
  QVERIFY(s.wait());
  QCOMPARE(entradas, (QStringList{"Copiar dados dessa coluna", "Ajustar largura das colunas",
                                  "Utilitários", "Ordenar esta coluna"}));
  QCOMPARE(w->paginas()->currentIndex(), 2);
  QCOMPARE(w->colunaBase()->currentText(), QStringLiteral("Cidade"));
  QCOMPARE(celula(*w, 1, 0), std::string("Rita"));  // a right button does not sort
  w->close();
}

void ExportWindowTest::writtenAsTextThenShownAsAListing() {
  TestDesktop t;
  TfrmExport* w = abrirSobreContatos(t);
  QVERIFY(QTest::qWaitForWindowExposed(w));
  WindowScript s;
  quorvel::testing::saveWithName(s, t.d->dialogs.janelaSalvar(), QStringLiteral("contatos"));
  QTest::mouseClick(button(w, QStringLiteral("Salvar em texto")), Qt::LeftButton);
  QVERIFY(s.wait());
  const std::string arquivo = t.home.path("dados/arquivos/contatos.txt");
  QVERIFY(std::filesystem::exists(arquivo));
  const std::string texto = lerArquivo(arquivo);
  QVERIFY(texto.find("Nome;E-mail;Cidade\r\n") != std::string::npos);
  QVERIFY(texto.find("Ana Maria;ANA@gmail.com;Santos\r\n") != std::string::npos);
  QCOMPARE(t.abertos.size(), size_t{1});  // the folder shown once the dialog was used
  QVERIFY(w->grade()->isVisible());       // shown again after the writer

  QString listagem;
  s.answer(QStringLiteral("Os dados foram copiados para a área de transferência. Para colar, "
                          "pressione CTRL + V dentro de qualquer editor de texto."),
           QStringLiteral("Ok"));
  s.then(primeira<TfrmInput>, [&listagem](QWidget* janela) {
    auto* i = static_cast<TfrmInput*>(janela);
    QCOMPARE(i->windowTitle(), QStringLiteral("Listagem dos dados"));
    listagem = i->caixaTexto()->toPlainText();
    i->reject();
  });
  QTest::mouseClick(button(w, QStringLiteral("Exibir como texto")), Qt::LeftButton);
  QVERIFY(s.wait());
  QVERIFY(listagem.startsWith(QStringLiteral("Nome\tE-mail\tCidade\t")));
  QCOMPARE(QString::fromStdString(t.d->platform.clipboardText()).left(10),
           QStringLiteral("Nome\tE-mai"));
  w->close();
}

void ExportWindowTest::everyButtonCarriesItsCaptionForScreenReaders() {
  TestDesktop t;
  TfrmExport w(t.d->dialogs, t.d->progress, t.d->platform);
  w.setAttribute(Qt::WA_DeleteOnClose, false);
  for (QPushButton* b : w.findChildren<QPushButton*>())
    QVERIFY2(!b->accessibleName().isEmpty(), qPrintable(b->text()));
  QVERIFY(!w.colunaBase()->accessibleName().isEmpty());
  QVERIFY(!w.substituir()->accessibleName().isEmpty());
  QVERIFY(!w.colunas()->accessibleName().isEmpty());
}

void ExportWindowTest::theListEditorsMenuOpensItOverTheListAfterItsTip() {
  TestDesktop t;
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmLista* lista = t.d->principal()->lista();
  t.d->platform.setClipboardText("ana@gmail.com\nbia@bol.com.br\ncaio@uol.com.br");
  QTest::mouseClick(lista->botaoBarra(QStringLiteral("Colar")), Qt::LeftButton);
  TextGrid& g = *t.d->app->editor.gGrid;
  QCOMPARE(g.dataRowCount(), 3);
  QAction* exportar = lista->entradaMenu(QStringLiteral("Salvar / Exportar..."),
                                         QStringLiteral("Exportar + utilitários"));
  QVERIFY(exportar && exportar->isEnabled());
  WindowScript s;
  s.answer(QString::fromUtf8(kDicaExportar), QStringLiteral("Ok"));
  exportar->trigger();
  QVERIFY(s.wait());
  std::vector<TfrmExport*> janelas;
  QVERIFY(QTest::qWaitFor([&] { return !(janelas = visibleWindows<TfrmExport>()).empty(); }));
  TfrmExport* w = janelas.front();
  QCOMPARE(w->grade()->model()->rowCount(), 3);
  QCOMPARE(celula(*w, 2, 0), std::string("bia@bol.com.br"));
  // What is done there stays there: the list is as it was, and still saved or not as before.
  const std::string salvo = t.d->app->editor.editouDaAba(t.d->app->editor.abaAtiva());
  QTest::mouseClick(button(w, QStringLiteral("Utilitários")), Qt::LeftButton);
  w->colunaBase()->setCurrentText(QString::fromStdString(g.cell(0, 0)));
  QTest::keyClicks(w->substituir(), QStringLiteral("gmail"));
  QTest::keyClicks(w->por(), QStringLiteral("hotmail"));
  QTest::mouseClick(button(w, QStringLiteral("Substituir na coluna selecionada")), Qt::LeftButton);
  QCOMPARE(w->modelo().gridDados.cell(0, 1), std::string("ana@hotmail.com"));
  QCOMPARE(g.cell(0, 1), std::string("ana@gmail.com"));
  QCOMPARE(t.d->app->editor.editouDaAba(t.d->app->editor.abaAtiva()), salvo);
  w->close();
}

void ExportWindowTest::cancelStopsAWriterAndLeavesTheFileThatWasThere() {
  TestDesktop t;
  const std::string arquivo = t.home.write("dados/arquivos/contatos.txt", "a versão boa\r\n");
  TfrmExport* w = abrirSobre(t, listaGrande(5000));
  QVERIFY(QTest::qWaitForWindowExposed(w));
  const auto cancelar = cancelarNaLinha(t, 1000);
  WindowScript s;
  quorvel::testing::saveWithName(s, t.d->dialogs.janelaSalvar(), QStringLiteral("contatos"));
  s.answer(QStringLiteral("O arquivo já existe. Deseja sobrepor?"), QStringLiteral("&Sim"));
  s.answer(QStringLiteral("Deseja cancelar esse processamento?"), QStringLiteral("&Sim"));
  s.answer(QStringLiteral("Procedimento cancelado"), QStringLiteral("Ok"));
  QTest::mouseClick(button(w, QStringLiteral("Salvar em texto")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(s.mensagens,
           (std::vector<QString>{QStringLiteral("O arquivo já existe. Deseja sobrepor?"),
                                 QStringLiteral("Deseja cancelar esse processamento?"),
                                 QStringLiteral("Procedimento cancelado")}));
  // The file that was there is untouched and nothing half-written lies beside it.
  QCOMPARE(lerArquivo(arquivo), std::string("a versão boa\r\n"));
  QCOMPARE(std::distance(std::filesystem::directory_iterator(t.home.path("dados/arquivos")),
                         std::filesystem::directory_iterator()),
           1);
  QVERIFY(t.abertos.empty());
  QVERIFY(!t.d->frmProgress()->isVisible());
  QVERIFY(w->grade()->isVisible());
  QCOMPARE(w->grade()->model()->rowCount(), 5000);
  // The next save asks for a name again: the cancelled one was not remembered.
  QVERIFY(w->modelo().gArquivoTexto.empty());
  w->close();
}

void ExportWindowTest::cancelStopsTheSpreadsheetWithTheRowsWrittenSoFar() {
  TestDesktop t;
  TfrmExport* w = abrirSobre(t, listaGrande(5000));
  QVERIFY(QTest::qWaitForWindowExposed(w));
  const auto cancelar = cancelarNaLinha(t, 1000);
  WindowScript s;
  s.answer(QString::fromUtf8(kDicaExcel), QStringLiteral("Ok"));
  s.then([&t] { return t.d->frmProgress()->isVisible() ? t.d->frmProgress() : nullptr; },
         [](QWidget* p) {
           QCOMPARE(static_cast<TfrmProgress*>(p)->operacao()->text(),
                    QStringLiteral("Exportando para o Excel..."));
         });
  s.answer(QStringLiteral("Deseja cancelar esse processamento?"), QStringLiteral("&Sim"));
  s.answer(QString::fromUtf8(kMsgInterrompido), QStringLiteral("Ok"));
  QTest::mouseClick(button(w, QStringLiteral("Salvar para Excel")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(s.mensagens.back(), QStringLiteral("O processamento foi interrompido"));
  QVERIFY(!t.d->frmProgress()->isVisible());
  QVERIFY(w->grade()->isVisible());
  // The workbook keeps the header and the 999 rows written before the press, unformatted, and
  // is opened.
  QCOMPARE(t.abertos.size(), size_t{1});
  const std::string lido = lerPlanilha(t.abertos[0]);
  std::istringstream linhas(lido);
  std::string linha, ultima;
  int escritas = 0;
  while (std::getline(linhas, linha))
    if (linha.rfind("row\t", 0) == 0) {
      ++escritas;
      ultima = linha;
    }
  QCOMPARE(escritas, 1000);
  QCOMPARE(ultima, std::string("row\tc499@x.com|Nome"));
  QVERIFY(lido.find("header_bold\t0,0\n") != std::string::npos);
  QVERIFY(lido.find("width\t") == std::string::npos);
  w->close();
}

void ExportWindowTest::cancelStopsAUtilityAsItsPassAllows() {
  TestDesktop t;
  TfrmExport* w = abrirSobre(t, listaGrande(5000));
  QVERIFY(QTest::qWaitForWindowExposed(w));
  QTest::mouseClick(button(w, QStringLiteral("Utilitários")), Qt::LeftButton);
  w->colunaBase()->setCurrentText(QStringLiteral("email"));
  const TextGrid& g = w->modelo().gridDados;
  {
    // Dropping repeated rows decides first which rows go: a cancel then changes nothing.
    QVERIFY(pressionarECancelar(
        t, w, QStringLiteral("Eliminar repetidos, com base no valor da coluna selecionada")));
    QCOMPARE(g.dataRowCount(), 5000);
    QCOMPARE(g.cell(0, 2), std::string("c0@x.com"));
    QVERIFY(!t.d->frmProgress()->isVisible());
  }
  {
    // The replacement changes row by row: the rows done before the cancel stay changed.
    QTest::keyClicks(w->substituir(), QStringLiteral("@x.com"));
    QTest::keyClicks(w->por(), QStringLiteral("@y.com"));
    QVERIFY(pressionarECancelar(t, w, QStringLiteral("Substituir na coluna selecionada")));
    QCOMPARE(g.cell(0, 1), std::string("c0@y.com"));
    QCOMPARE(g.cell(0, 1000), std::string("c499@y.com"));
    QCOMPARE(g.cell(0, 1001), std::string("c500@x.com"));
    QCOMPARE(g.cell(0, 5000), std::string("c2499@x.com"));
    QVERIFY(!t.d->frmProgress()->isVisible());
  }
  QCOMPARE(w->modelo().gridDados.dataRowCount(), 5000);
  w->close();
}

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication app(argc, argv);
  ExportWindowTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "export_test.moc"
