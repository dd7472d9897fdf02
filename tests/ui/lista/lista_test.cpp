// The list editor window: drops, the grid's mouse and keys, find, the pages and saving, pressed
// and typed like a user would.
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "common/text_file.h"
#include "ui/grid_view.h"
#include "ui/pages/define_columns_page.h"
#include "ui/pages/extractor_page.h"
#include "ui/pages/generate_page.h"
#include "ui/pages/names_page.h"
#include "ui/pages/optimization_page.h"
#include "ui/pages/repeated_page.h"
#include "ui/pages/replace_page.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_file_select.h"
#include "ui/tfrm_get_value.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_salvar_file.h"
#include "ui_test_support.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::testing::button;
using quorvel::testing::dropFiles;
using quorvel::testing::TestDesktop;
using quorvel::testing::visibleWindows;
using quorvel::testing::WindowScript;

namespace {

// The desktop with its main window open on the list editor.
struct Janela {
  TestDesktop t;
  TfrmPrincipal* p = nullptr;
  TfrmLista* lista = nullptr;
  Janela() {
    t.d->start();
    QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
    p = t.d->principal();
    lista = p->lista();
    focar();
  }
  // The main window active and the grid focused (activation comes back asynchronously after a
  // window that blocked it).
  void focar() {
    p->activateWindow();
    (void)QTest::qWaitFor([this] { return QApplication::activeWindow() == p; }, 2000);
    grade()->setFocus();
  }
  // Types into the cell under the cursor (the first key opens the cell editor).
  void digitar(const QString& texto) {
    QTest::keyClick(grade(), texto.at(0).toLatin1());
    QTest::keyClicks(QApplication::focusWidget(), texto.mid(1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  }
  TextGrid& g() { return *t.d->app->editor.gGrid; }
  GridView* grade() { return lista->gradeAtual(); }
  QString celula(int linha, int col) {
    return grade()->model()->data(grade()->model()->index(linha - 1, col)).toString();
  }
  void colar(const std::string& texto) {
    t.d->platform.setClipboardText(texto);
    QTest::mouseClick(lista->botaoBarra(QStringLiteral("Colar")), Qt::LeftButton);
    focar();
  }
  // Pasted rows whose first one names the columns, made the header with the data cell's menu.
  void colarComCabecalho(const std::string& texto) {
    colar(texto);
    clicar(1, 0, Qt::RightButton);
    QMenu* m = lista->findChild<QMenu*>(QStringLiteral("menuPrimeiraLinha"));
    quorvel::testing::choose(m, 0);
    focar();
  }
  void menu(const char* m, const char* entrada) {
    QAction* a = lista->entradaMenu(QString::fromUtf8(m), QString::fromUtf8(entrada));
    QVERIFY2(a, entrada);
    a->trigger();
  }
  // Clicks a data cell (row counted as the grid counts it).
  void clicar(int linha, int col, Qt::MouseButton b = Qt::LeftButton) {
    const QRect r = grade()->visualRect(grade()->model()->index(linha - 1, col));
    QTest::mouseClick(grade()->viewport(), b, {}, r.center());
  }
  void clicarCabecalho(int col, Qt::MouseButton b = Qt::LeftButton) {
    QHeaderView* h = grade()->horizontalHeader();
    QTest::mouseClick(
        h->viewport(), b, {},
        QPoint(h->sectionViewportPosition(col) + h->sectionSize(col) / 2, h->height() / 2));
  }
  void salvarComNome(WindowScript& s, const QString& nome,
                     std::function<void(TfrmSalvarFile*)> verificar = {}) {
    quorvel::testing::saveWithName(s, t.d->dialogs.janelaSalvar(), nome, std::move(verificar));
  }
  static void digitarValor(WindowScript& s, const QString& texto) {
    quorvel::testing::typeValue(s, texto);
  }
};

}  // namespace

class ListaTest : public QObject {
  Q_OBJECT
 private slots:
  void aDropOfTwoFilesOpensBothAsAbrirListaDoes();
  void aSpreadsheetInTheDropIsRefused();
  void headerClicksSortAndTheRightButtonOpensTheColumnMenu();
  void keysOnTheGrid();
  void findHighlightsAndOkMovesToTheNextHit();
  void pagesRunTheirOperations();
  void saveAsWritesTheFileWhereTheWindowSaid();
  void aSaveThatFailsShowsItsErrorAndChangesNothing();
  void aMillionRowListLoadsIntoTheWindow();
};

void ListaTest::aDropOfTwoFilesOpensBothAsAbrirListaDoes() {
  Janela j;
  const std::string a =
      j.t.home.write("dados/a.csv", "nome;email\r\nAna;ana@x.com\r\nBia;bia@y.com\r\n");
  const std::string b = j.t.home.write("dados/b.txt", "Caio;caio@z.com\r\n");
  dropFiles(j.p, {a, b});
  // The first file's header line is the header, as with "Abrir lista".
  QCOMPARE(j.grade()->model()->rowCount(), 3);
  QCOMPARE(j.celula(1, 0), QStringLiteral("Ana"));
  QCOMPARE(j.celula(3, 1), QStringLiteral("caio@z.com"));
  QCOMPARE(j.lista->itens()->text(), QStringLiteral("3"));
  QCOMPARE(j.lista->salvo()->text(), QStringLiteral("Não"));
  QCOMPARE(j.grade()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("email"));
  // One file alone into a new list: the list is that file, saved. The unsaved list is offered a
  // save first.
  WindowScript s;
  s.answer(QStringLiteral("Deseja salvar as alterações da lista?"), QStringLiteral("&Não"));
  j.menu("Abrir / Inserir", "Nova lista");
  QMenu* m = j.lista->findChild<QMenu*>(QStringLiteral("menuNovaLista"));
  quorvel::testing::choose(m, 1);
  QVERIFY(s.wait());
  dropFiles(j.p, {b});
  QCOMPARE(j.lista->salvo()->text(), QStringLiteral("Sim"));
  QCOMPARE(j.lista->rotuloArquivo()->text(), QString::fromStdString("Arquivo: " + b));
}

void ListaTest::aSpreadsheetInTheDropIsRefused() {
  Janela j;
  const std::string a = j.t.home.write("dados/a.txt", "ana@x.com\r\n");
  const std::string xls = j.t.home.write("dados/clientes.xls", "PK\x03\x04");
  const std::string c = j.t.home.write("dados/c.txt", "caio@z.com\r\n");
  WindowScript s;
  s.answerAny();
  dropFiles(j.p, {a, xls, c});
  QVERIFY(s.wait());
  QCOMPARE(s.mensagens,
           (std::vector<QString>{QStringLiteral(
               "Opa, opa opa... Por favor primeiro abra a planilha do Excel e copie os dados. "
               "Depois basta você colar aqui usando CTRL + V ou então pelo menu \"Editar /  "
               "Colar\"")}));
  // The file before it was read and opened as usual; nothing after it.
  QCOMPARE(j.g().dataRowCount(), 1);
  QCOMPARE(j.celula(1, 0), QStringLiteral("ana@x.com"));
}

void ListaTest::headerClicksSortAndTheRightButtonOpensTheColumnMenu() {
  Janela j;
  j.colarComCabecalho("email;cidade\nb@x.com;Rio\nC@x.com;Belém\na@x.com;Acre");
  QCOMPARE(j.grade()->model()->rowCount(), 3);
  j.clicar(2, 1);  // a data cell of column 1: the next click on its header sorts descending
  j.clicarCabecalho(0);
  QCOMPARE(j.celula(1, 0), QStringLiteral("a@x.com"));
  QCOMPARE(j.celula(3, 0), QStringLiteral("C@x.com"));
  j.clicarCabecalho(0);
  QCOMPARE(j.celula(1, 0), QStringLiteral("C@x.com"));
  j.clicarCabecalho(1);
  QCOMPARE(j.celula(1, 1), QStringLiteral("Acre"));

  j.clicarCabecalho(1, Qt::RightButton);
  QMenu* menu = j.lista->findChild<QMenu*>(QStringLiteral("menuColuna"));
  QVERIFY(menu);
  QStringList entradas;
  for (QAction* a : menu->actions()) entradas << a->text();
  QCOMPARE(
      entradas,
      (QStringList{"Renomear", "Copiar dados desta coluna", "Excluir dados desta coluna",
                   "Excluir linhas se o valor for vazio", "Excluir linhas se o valor for repetido",
                   "Excluir coluna", "Ativar exclusão rápida de colunas..."}));
  WindowScript s;
  s.answer(QStringLiteral("Deseja excluir a coluna cidade?"), QStringLiteral("&Sim"));
  quorvel::testing::choose(menu, 5);
  QVERIFY(s.wait());
  QCOMPARE(j.grade()->model()->columnCount(), 1);

  // A data cell's menu makes row 1 the header.
  j.clicar(1, 0, Qt::RightButton);
  menu = j.lista->findChild<QMenu*>(QStringLiteral("menuPrimeiraLinha"));
  QVERIFY(menu);
  QCOMPARE(menu->actions().front()->text(),
           QStringLiteral("A primeira linha tem o nome das colunas"));
  quorvel::testing::choose(menu, 0);
  QCOMPARE(j.grade()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("a@x.com"));
}

void ListaTest::keysOnTheGrid() {
  Janela j;
  j.colarComCabecalho("email;nome\na@x.com;Ana\nb@x.com;Bia\nc@x.com;Caio");
  GridView* g = j.grade();
  j.clicar(1, 1);
  QTest::keyClick(g, Qt::Key_Delete);
  QCOMPARE(j.celula(1, 1), QString());
  QCOMPARE(j.g().dataRowCount(), 3);
  QTest::keyClick(g, Qt::Key_Delete, Qt::ShiftModifier);
  QCOMPARE(j.g().dataRowCount(), 2);
  QCOMPARE(j.celula(1, 0), QStringLiteral("b@x.com"));
  // Down on the last row appends a row and moves there.
  j.clicar(2, 0);
  QTest::keyClick(g, Qt::Key_Down);
  QCOMPARE(j.g().dataRowCount(), 3);
  QCOMPARE(g->currentIndex().row(), 2);
  // Typing edits the cell in place; Esc drops an edit.
  QTest::keyClick(g, Qt::Key_X);
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("yz"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QCOMPARE(QString::fromStdString(j.g().cell(0, 3)), QString());
  QVERIFY(g->hasFocus());
  j.digitar(QStringLiteral("novo@x.com"));
  QCOMPARE(QString::fromStdString(j.g().cell(0, 3)), QStringLiteral("novo@x.com"));
  QCOMPARE(j.lista->salvo()->text(), QStringLiteral("Não"));
  // F4 on a named column appends a column with the normalised name.
  WindowScript s;
  Janela::digitarValor(s, QStringLiteral("Nome Completo"));
  QTest::keyClick(g, Qt::Key_F4);
  QVERIFY(s.wait());
  QCOMPARE(j.grade()->model()->headerData(2, Qt::Horizontal).toString(),
           QStringLiteral("nome-completo"));
  // Ctrl+C copies the selection.
  j.clicar(1, 0);
  QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(j.t.d->platform.clipboardText(), std::string("b@x.com\r\n"));
}

void ListaTest::findHighlightsAndOkMovesToTheNextHit() {
  Janela j;
  j.colarComCabecalho("emails\nana@x.com\nbia@gmail.com\ncaio@x.com\ndavi@GMAIL.com");
  QLineEdit* busca = j.lista->localizar();
  QCOMPARE(busca->toolTip(), QStringLiteral("Localizar texto"));
  QTest::keyClicks(busca, QStringLiteral("gmail"));
  auto* delegado = static_cast<HighlightDelegate*>(j.grade()->itemDelegate());
  QCOMPARE(delegado->termo, QStringLiteral("gmail"));
  j.clicar(1, 0);
  QTest::keyClick(busca, Qt::Key_Return);
  QCOMPARE(j.g().cursorRow, 4);  // rows are searched from two below the cursor
  QCOMPARE(j.lista->posicao()->text(), QStringLiteral("4"));
  QTest::mouseClick(j.lista->botaoBarra(QStringLiteral("OK")), Qt::LeftButton);
  QCOMPARE(j.g().cursorRow, 2);  // from the last row the search starts again below row 1
  // The highlight is painted: the hit's pixels carry the light green.
  QImage imagem = j.grade()->viewport()->grab().toImage();
  const QRect r = j.grade()->visualRect(j.grade()->model()->index(1, 0));
  bool verde = false;
  for (int x = r.left(); x < r.right() && !verde; ++x)
    verde = imagem.pixelColor(x, r.center().y()) == QColor(192, 220, 192);
  QVERIFY(verde);
}

void ListaTest::pagesRunTheirOperations() {
  Janela j;
  j.colarComCabecalho(
      "emails;nome\nb@x.com;\nb@x.com;Bia Souza\njoana.silva@loja.com.br;\nc@y.com;Caio");
  auto pagina = [&] { return j.lista->paginas()->currentWidget(); };

  // "Eliminar repetidos": the column, "Aplicar", back to the data page.
  j.menu("Utilitários", "Eliminar repetidos");
  auto* rep = qobject_cast<RepeatedPage*>(pagina());
  QVERIFY(rep);
  rep->colunas()->setCurrentRow(0);
  QTest::mouseClick(button(rep, QStringLiteral("Aplicar")), Qt::LeftButton);
  QCOMPARE(j.lista->paginaAtual(), int(TfrmLista::pgDados));
  QCOMPARE(j.g().dataRowCount(), 3);

  // "Substituir / alterar dados...": column, action, text.
  j.menu("Utilitários", "Substituir / alterar dados...");
  auto* sub = qobject_cast<ReplacePage*>(pagina());
  QVERIFY(!sub->acoes()->isVisible());
  sub->colunas()->setCurrentRow(1);
  QVERIFY(sub->acoes()->isVisible());
  QVERIFY(!sub->aplicar()->isVisible());
  sub->acoes()->setCurrentRow(3);
  QVERIFY(sub->substituir()->isVisible());
  QTest::keyClicks(sub->substituir(), QStringLiteral("SOUZA"));
  QTest::keyClicks(sub->texto(), QStringLiteral("Santos"));
  QTest::mouseClick(sub->aplicar(), Qt::LeftButton);
  QCOMPARE(j.lista->paginaAtual(), int(TfrmLista::pgSubstituir));  // the page stays
  bool achou = false;
  for (int r = 1; r < j.g().rowCount(); ++r) achou |= j.g().cell(1, r) == "Bia Santos";
  QVERIFY(achou);
  j.focar();
  sub->texto()->setFocus();
  QTest::keyClick(sub->texto(), Qt::Key_Escape);
  QCOMPARE(j.lista->paginaAtual(), int(TfrmLista::pgDados));

  // "Identificar nomes" with the friendly format.
  j.t.home.write("dados/config/sys_nomes.txt", "Joana\r\nAna\r\n");
  j.menu("Utilitários", "Identificar nomes");
  auto* nomes = qobject_cast<NamesPage*>(pagina());
  nomes->amigavel()->setChecked(true);
  QTest::mouseClick(button(nomes, QStringLiteral("Aplicar")), Qt::LeftButton);
  const int colNome = j.grade()->model()->columnCount() - 1;
  QCOMPARE(j.grade()->model()->headerData(colNome, Qt::Horizontal).toString(),
           QStringLiteral("#nome"));
  QStringList nomesAchados;
  for (int r = 1; r < j.g().rowCount(); ++r)
    nomesAchados << QString::fromStdString(j.g().cell(colNome, r));
  QVERIFY(nomesAchados.contains(QStringLiteral("Joana")));
  QVERIFY(nomesAchados.contains(QStringLiteral("@c")));

  // "Renomear colunas": a new name for column 1.
  j.menu("Colunas", "Renomear colunas");
  auto* def = qobject_cast<DefineColumnsPage*>(pagina());
  def->tabela()->item(1, 1)->setText(QStringLiteral("Nome Completo"));
  QTest::mouseClick(button(def, QStringLiteral("Salvar")), Qt::LeftButton);
  QCOMPARE(j.grade()->model()->headerData(1, Qt::Horizontal).toString(),
           QStringLiteral("nome-completo"));

  // "Gerar e-mails": standard and prefixed addresses for every domain.
  const int antes = j.g().dataRowCount();
  j.menu("Utilitários", "Gerar e-mails");
  auto* gerar = qobject_cast<GeneratePage*>(pagina());
  gerar->prefixos()->setPlainText(QStringLiteral("contato"));
  QTest::mouseClick(button(gerar, QStringLiteral("Gerar e-mails")), Qt::LeftButton);
  QCOMPARE(j.g().dataRowCount(), antes + 3 * 2);

  // "Otimizar quantidade de e-mails": the first column must be "emails"; a bad quantity is
  // reported and changes nothing.
  j.menu("Utilitários", "Otimizar quantidade de e-mails");
  auto* otim = qobject_cast<OptimizationPage*>(pagina());
  otim->quantidade()->setText(QStringLiteral("dois"));
  WindowScript s;
  s.answerAny();
  QTest::mouseClick(button(otim, QStringLiteral("Executar otimização seletiva")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(j.g().dataRowCount(), antes + 6);

  // "Extrator": the addresses of a text replace the list after the question.
  j.menu("Abrir / Inserir", "Extrair e-mails de um texto...");
  auto* ext = qobject_cast<ExtractorPage*>(pagina());
  ext->texto()->setPlainText(QStringLiteral("Fale com vendas@loja.com.br ou sac@loja.co hoje"));
  s.answer(QStringLiteral("Ao usar o extrator, dados que já estiverem carregados na seção "
                          "principal serão descartados. Deseja continuar?"),
           QStringLiteral("&Sim"));
  QTest::mouseClick(button(ext, QStringLiteral("Rodar o extrator")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(j.lista->paginaAtual(), int(TfrmLista::pgDados));
  QCOMPARE(j.grade()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("e-mails"));
  QCOMPARE(j.celula(1, 0), QStringLiteral("vendas@loja.com.br"));
  QCOMPARE(j.celula(2, 0), QStringLiteral("sac@loja.com"));
  QVERIFY(ext->texto()->toPlainText().isEmpty());
}

void ListaTest::saveAsWritesTheFileWhereTheWindowSaid() {
  Janela j;
  j.colarComCabecalho("emails;nome\nana@x.com;Ana \"A\"\nbia@y.com;");
  WindowScript s;
  j.salvarComNome(s, QStringLiteral("limpa"), [&](TfrmSalvarFile* salvar) {
    QCOMPARE(salvar->windowTitle(), QStringLiteral("Salvar..."));
    QCOMPARE(salvar->pasta()->text(), QString::fromStdString(j.t.home.path("dados/")));
  });
  j.menu("Salvar / Exportar...", "Salvar como...");
  QVERIFY(s.wait());
  const std::string arquivo = j.t.home.path("dados/limpa.csv");
  // Pasted with ";", saved with ";" (the save window offered it), only what needs it quoted.
  QCOMPARE(readFileBytes(arquivo).value_or("<nada>"),
           std::string("\xEF\xBB\xBF"
                       "emails;nome\r\nana@x.com;Ana A\r\nbia@y.com;\r\n"));
  QCOMPARE(j.lista->salvo()->text(), QStringLiteral("Sim"));
  QCOMPARE(j.lista->rotuloArquivo()->text(), QString::fromStdString("Arquivo: " + arquivo));
  // F2 rewrites the same file without a question.
  j.focar();
  j.clicar(2, 1);
  j.digitar(QStringLiteral("Bia"));
  QCOMPARE(j.lista->salvo()->text(), QStringLiteral("Não"));
  QTest::keyClick(j.grade(), Qt::Key_F2);
  QCOMPARE(j.lista->salvo()->text(), QStringLiteral("Sim"));
  QVERIFY(readFileBytes(arquivo).value_or("").find("bia@y.com;Bia\r\n") != std::string::npos);
  // The file path label copies the path and shows it.
  s.then(
      [] {
        auto v = visibleWindows<TfrmGetValue>();
        return v.empty() ? nullptr : v[0];
      },
      [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
  QTest::mouseClick(j.lista->rotuloArquivo(), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(j.t.d->platform.clipboardText(), arquivo);
}

void ListaTest::aSaveThatFailsShowsItsErrorAndChangesNothing() {
  Janela j;
  j.colarComCabecalho("emails\nana@x.com");
  // "dados" is a file, not a folder: nothing can be written below it (even by root).
  std::filesystem::remove_all(j.t.home.path("dados"));
  j.t.home.write("dados", "não sou uma pasta");
  WindowScript s;
  j.salvarComNome(s, QStringLiteral("lista"));
  s.answerAny();
  QTest::keyClick(j.grade(), Qt::Key_F2);  // no file yet: the save window
  QVERIFY(s.wait());
  QCOMPARE(s.mensagens.size(), size_t(1));
  const QString esperado = QString::fromStdString("Não foi possível salvar o arquivo " +
                                                  j.t.home.path("dados/lista.csv"));
  QVERIFY2(s.mensagens[0].startsWith(esperado), qPrintable(s.mensagens[0]));
  QCOMPARE(j.lista->salvo()->text(), QStringLiteral("Não"));
  QCOMPARE(j.lista->rotuloArquivo()->text(), QStringLiteral("Arquivo: "));
  QVERIFY(j.grade()->isVisible());
  QCOMPARE(readFileBytes(j.t.home.path("dados")).value_or(""), std::string("não sou uma pasta"));
}

void ListaTest::aMillionRowListLoadsIntoTheWindow() {
  Janela j;
  std::string csv = "email;nome;cidade;uf;telefone\r\n";
  csv.reserve(60'000'000);
  for (int i = 0; i < 1'000'000; ++i)
    csv += "pessoa" + std::to_string(i) + "@exemplo.com.br;Pessoa " + std::to_string(i) +
           ";Cidade " + std::to_string(i % 5000) + ";SP;(11) 9" + std::to_string(10000000 + i) +
           "\r\n";
  const std::string arquivo = j.t.home.write("dados/milhao.csv", csv);
  std::string().swap(csv);
  WindowScript s;
  s.then(
      [&] {
        auto& w = j.t.d->dialogs.janelaArquivos();
        return w.isVisible() ? static_cast<QWidget*>(&w) : nullptr;
      },
      [&](QWidget* w) {
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto* t = j.t.d->dialogs.janelaArquivos().tabela();
        const QRect r = t->visualRect(t->model()->index(0, 0));  // the newest file
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 8, r.center().y()));
        button(w, QStringLiteral("OK"))->click();
      });
  QTest::mouseClick(j.lista->botaoBarra(QStringLiteral("Abrir lista")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(j.grade()->model()->rowCount(), 1'000'000);
  QCOMPARE(j.grade()->model()->columnCount(), 5);
  QCOMPARE(j.lista->itens()->text(), QStringLiteral("1.000.000"));
  QCOMPARE(j.grade()->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("cidade"));
  QCOMPARE(j.lista->salvo()->text(), QStringLiteral("Sim"));
  // The end of the list is one key away.
  QTest::keyClick(j.grade(), Qt::Key_End, Qt::ControlModifier);
  QCOMPARE(j.grade()->currentIndex().row(), 999'999);
  QCOMPARE(j.celula(1'000'000, 0), QStringLiteral("pessoa999999@exemplo.com.br"));
  QCOMPARE(j.lista->posicao()->text(), QStringLiteral("1.000.000"));
}

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication app(argc, argv);
  ListaTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "lista_test.moc"
