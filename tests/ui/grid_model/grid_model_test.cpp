// The grid's table model follows every kind of change notice without rebuilding cell by cell.
#include <QAbstractItemModelTester>
#include <QTest>

#include "lists/column_operations.h"
#include "lists/column_sort.h"
#include "lists/grid_operations.h"
#include "lists/header_row.h"
#include "lists/list_cleaning.h"
#include "lists/list_loading.h"
#include "support/grid_builder.h"
#include "ui/grid_table_model.h"
#include "ui/grid_view.h"
#include "ui/quorvel_application.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::testing::EditorWithPorts;
using quorvel::testing::fill;

namespace {

// The model shows exactly the grid: counts, header and every cell.
void compararComGrade(const GridTableModel& m, const TextGrid& g) {
  QCOMPARE(m.rowCount(), g.dataRowCount());
  QCOMPARE(m.columnCount(), g.colCount());
  for (int c = 0; c < g.colCount(); ++c) {
    QCOMPARE(m.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(),
             g.cell(c, 0));
    for (int r = 1; r < g.rowCount(); ++r)
      QCOMPARE(m.data(m.index(r - 1, c), Qt::DisplayRole).toString().toStdString(), g.cell(c, r));
  }
}

}  // namespace

class GridModelTest : public QObject {
  Q_OBJECT
 private slots:
  void followsEveryOperation();
  void scatteredRemovalsOfManyRowsBecomeOneReset();
  void aSortKeepsTheViewsSelectionOnItsRows();
};

void GridModelTest::followsEveryOperation() {
  EditorWithPorts w;
  GridTableModel m(w.e, w.e.gridMain);
  QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
  fill(w.g(), {{"emails", "nome"},
               {"b@x.com", "Bia"},
               {"a@x.com", ""},
               {"b@x.com", "Bia Souza"},
               {"c@y.com", "Caio"},
               {"a@x.com", "Ana"}});
  compararComGrade(m, w.g());

  struct Step {
    const char* nome;
    std::function<void()> fazer;
  } steps[] = {
      {"sort", [&] { SortStringGrid(w.e, w.g(), 0, false); }},
      {"sort desc", [&] { SortStringGrid(w.e, w.g(), 1, true); }},
      {"dedupe", [&] { excluirRepetidos(w.e, 0); }},
      {"paste", [&] { colarCheck(w.e, "d@z.com;Davi;SP\ne@z.com;Eva;RJ"); }},
      {"insert column", [&] { w.g().insertColumn(1); }},
      {"delete column", [&] { eliminarColuna(w.e, 1); }},
      {"header row", [&] { setColunaPrimeiraLinha(w.e, w.g(), 1); }},
      {"replace", [&] { aplicarAcaoColuna(w.e, 0, ColumnAction::adicionarFim, ".br"); }},
      {"new row", [&] { novalinha(w.e, true); }},
      {"delete selected rows",
       [&] {
         w.g().setSelection({0, 1, 0, 2});
         deletarSelecionados(w.e);
       }},
      {"blank rows by column", [&] { excluirLinhaSeColunaBranco(w.e, 1); }},
      {"new list keeping columns", [&] { w.e.novaLista(w.g(), false); }},
      {"new list", [&] { w.e.novaLista(w.g(), true); }},
  };
  for (const auto& s : steps) {
    s.fazer();
    compararComGrade(m, w.g());
    if (QTest::currentTestFailed()) qFatal("depois de %s", s.nome);
  }
}

void GridModelTest::scatteredRemovalsOfManyRowsBecomeOneReset() {
  EditorWithPorts w;
  GridTableModel m(w.e, w.e.gridMain);
  QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
  std::string texto;
  for (int i = 0; i < 2000; ++i) texto += "x" + std::to_string(i % 500) + "@a.com\n";
  colarCheck(w.e, texto);
  const int reiniciosAntes = m.reinicios;
  excluirRepetidos(w.e, 0);  // 1,500 scattered rows go
  compararComGrade(m, w.g());
  QCOMPARE(w.g().dataRowCount(), 500);
  QVERIFY(m.reinicios - reiniciosAntes <= 2);
  // Two separate blocks: told as two removals, no reset.
  const int reinicios = m.reinicios;
  std::vector<char> remover(w.g().rowCount(), 0);
  remover[3] = remover[4] = remover[100] = 1;
  w.g().removeRows(remover);
  compararComGrade(m, w.g());
  QCOMPARE(m.reinicios, reinicios);
}

void GridModelTest::aSortKeepsTheViewsSelectionOnItsRows() {
  EditorWithPorts w;
  fill(w.g(), {{"emails"}, {"c@x.com"}, {"a@x.com"}, {"b@x.com"}});
  GridView v(w.e, w.g(), nullptr);
  v.show();
  w.g().moverCursor(0, 1);  // "c@x.com"
  QCOMPARE(v.currentIndex().row(), 0);
  const int reinicios = v.modelo()->reinicios;
  SortStringGrid(w.e, w.g(), 0, false);
  QCOMPARE(v.modelo()->reinicios, reinicios);  // a reorder is not a reset
  QCOMPARE(v.model()->data(v.model()->index(2, 0)).toString(), QStringLiteral("c@x.com"));
  // The user moves the cursor: the grid follows the view.
  v.setCurrentIndex(v.model()->index(1, 0));
  QCOMPARE(w.g().cursorRow, 2);
  QCOMPARE(w.e.status.position, "2");
}

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication app(argc, argv);
  GridModelTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "grid_model_test.moc"
