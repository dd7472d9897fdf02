// Suggestions for mistyped addresses in the desktop: a CRM export validated through the real
// buttons shows "Sugestão" in "Inválidos"; "Aplicar sugestões" (menu bar or the rows' right-button
// menu) moves the corrected contacts to "Válidos" and one "Desfazer" brings both lists back.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "support/dns_peer.h"
#include "ui/grid_view.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_quorvel.h"
#include "ui_test_support.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::testing::DnsPeer;
using quorvel::testing::TestDesktop;
using quorvel::testing::WindowScript;

namespace {

const char* const kCrm =
    "Nome,E-mail,Cidade\r\n"
    "José Silva,jose@gmail.com,São Paulo\r\n"
    "Joana Lima,Joana@Gmial.com,Recife\r\n"
    "Pedro Souza,pedro@hotmail.con,Natal\r\n"
    "Caio Brandão,caio@semservidor.test,Belém\r\n"
    "Rita Reis,rita@uol.com,Salvador\r\n";

QString texto(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

class SuggestionsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    // Every name is local to the peer: the providers answer with their mail servers, the
    // slips with "no such domain".
    dns_ = std::make_unique<DnsPeer>(
        std::vector<std::string>{"gmail.com", "hotmail.com", "uol.com.br"},
        std::vector<std::string>{"--local=/#/"});
  }
  void aCrmExportsSlipsAreSuggestedAppliedInOneStepAndUndone();

 private:
  std::unique_ptr<DnsPeer> dns_;
};

void SuggestionsTest::aCrmExportsSlipsAreSuggestedAppliedInOneStepAndUndone() {
  TestDesktop t;
  t.home.write("dados/config/sys_provedores.filter", "gmail.com\r\nhotmail.com\r\nuol.com.br\r\n");
  const std::string crm = t.home.write("dados/crm.csv", kCrm);
  t.d->app->dns.server = dns_->server();
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmPrincipal* p = t.d->principal();
  QVERIFY(p);
  quorvel::testing::dropFiles(p, {crm});
  ListEditor& editor = t.d->app->editor;
  TfrmLista* lista = p->lista();

  // "Validar e-mails", then "Iniciar validação".
  QTest::mouseClick(p->botaoLateral(BotaoLateral::validarEmails), Qt::LeftButton);
  QVERIFY(t.d->frmQuorvel()->isVisible());
  {
    WindowScript w;
    w.answer(QStringLiteral("Processamento finalizado"), QStringLiteral("Ok"));
    QTest::mouseClick(t.d->frmQuorvel()->iniciar(), Qt::LeftButton);
    QVERIFY(w.wait(60000));
  }

  // "Inválidos": the column "Sugestão" beside each recoverable address, empty for the others.
  QTabBar* abas = lista->abas()->tabBar();
  QTest::mouseClick(abas, Qt::LeftButton, {}, abas->tabRect(kAbaInvalidos).center());
  QCOMPARE(editor.abaAtiva(), kAbaInvalidos);
  auto* modelo = lista->gradeAtual()->model();
  QCOMPARE(modelo->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Sugestão"));
  const std::vector<std::pair<QString, QString>> esperadas = {
      {QStringLiteral("joana@gmial.com"), QStringLiteral("joana@gmail.com")},
      {QStringLiteral("pedro@hotmail.con"), QStringLiteral("pedro@hotmail.com")},
      {QStringLiteral("caio@semservidor.test"), QString()},
      {QStringLiteral("rita@uol.com"), QStringLiteral("rita@uol.com.br")}};
  QCOMPARE(modelo->rowCount(), static_cast<int>(esperadas.size()));
  for (int r = 0; r < modelo->rowCount(); ++r) {
    QCOMPARE(modelo->data(modelo->index(r, 0)).toString(), esperadas[r].first);
    QCOMPARE(modelo->data(modelo->index(r, 2)).toString(), esperadas[r].second);
  }
  const TextGrid validosAntes = editor.gridValidos;
  const TextGrid invalidosAntes = editor.gridInvalidos;

  // "Utilitários" → "Aplicar sugestões" with nothing selected: the three corrected contacts go
  // to "Válidos" with their fields, the typed address beside them.
  QAction* aplicar =
      lista->entradaMenu(QStringLiteral("Utilitários"), QStringLiteral("Aplicar sugestões"));
  QVERIFY(aplicar);
  {
    WindowScript w;
    w.answer(QStringLiteral("3 endereços corrigidos foram movidos para a lista de válidos."),
             QStringLiteral("Ok"));
    aplicar->trigger();
    QVERIFY(w.wait());
  }
  QCOMPARE(lista->itens()->text(), QStringLiteral("1"));
  QCOMPARE(texto(editor.gridInvalidos.cell(0, 1)), QStringLiteral("caio@semservidor.test"));
  QTest::mouseClick(abas, Qt::LeftButton, {}, abas->tabRect(kAbaValidos).center());
  auto* validos = lista->gradeAtual()->model();
  QCOMPARE(validos->headerData(3, Qt::Horizontal).toString(), QStringLiteral("E-mail digitado"));
  QCOMPARE(validos->rowCount(), 4);
  QCOMPARE(validos->data(validos->index(1, 0)).toString(), QStringLiteral("Joana Lima"));
  QCOMPARE(validos->data(validos->index(1, 1)).toString(), QStringLiteral("joana@gmail.com"));
  QCOMPARE(validos->data(validos->index(1, 2)).toString(), QStringLiteral("Recife"));
  QCOMPARE(validos->data(validos->index(1, 3)).toString(), QStringLiteral("joana@gmial.com"));
  QCOMPARE(validos->data(validos->index(3, 1)).toString(), QStringLiteral("rita@uol.com.br"));
  QCOMPARE(lista->salvo()->text(), QStringLiteral("Não"));

  // One "Desfazer" from "Válidos" brings both lists back.
  QAction* desfazer =
      lista->entradaMenu(QStringLiteral("Editar"), QStringLiteral("Desfazer (Ctrl+Z)"));
  QVERIFY(desfazer && desfazer->isEnabled());
  desfazer->trigger();
  QVERIFY(editor.gridValidos.rowCount() == validosAntes.rowCount());
  for (int r = 0; r < validosAntes.rowCount(); ++r)
    QVERIFY(editor.gridValidos.rowCells(r) == validosAntes.rowCells(r));
  QVERIFY(editor.gridInvalidos.rowCount() == invalidosAntes.rowCount());
  for (int r = 0; r < invalidosAntes.rowCount(); ++r)
    QVERIFY(editor.gridInvalidos.rowCells(r) == invalidosAntes.rowCells(r));

  // The right-button menu of the selected rows applies those rows' suggestions only.
  QTest::mouseClick(abas, Qt::LeftButton, {}, abas->tabRect(kAbaInvalidos).center());
  GridView* grade = lista->gradeAtual();
  const QRect rita = grade->visualRect(grade->model()->index(3, 0));
  QTest::mouseClick(grade->viewport(), Qt::LeftButton, {}, rita.center());
  QTest::mouseClick(grade->viewport(), Qt::RightButton, {}, rita.center());
  QMenu* menu = lista->findChild<QMenu*>(QStringLiteral("menuPrimeiraLinha"));
  QVERIFY(menu);
  QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("Aplicar sugestões"));
  {
    WindowScript w;
    w.answer(QStringLiteral("1 endereço corrigido foi movido para a lista de válidos."),
             QStringLiteral("Ok"));
    quorvel::testing::choose(menu, 1);
    QVERIFY(w.wait());
  }
  QCOMPARE(editor.gridInvalidos.rowCount(), 4);
  QCOMPARE(texto(editor.gridValidos.cell(1, editor.gridValidos.rowCount() - 1)),
           QStringLiteral("rita@uol.com.br"));
}

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication app(argc, argv);
  SuggestionsTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "suggestions_test.moc"
