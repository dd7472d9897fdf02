// The validation window, the definitions window, the filter editors and the bulk page, pressed
// like a user would. MX answers come from dnsmasq on loopback.
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "lists/header_row.h"
#include "support/dns_peer.h"
#include "ui/bulk_page.h"
#include "ui/grid_view.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_contas.h"
#include "ui/tfrm_definicoes.h"
#include "ui/tfrm_file_select.h"
#include "ui/tfrm_input.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_mensagens.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_quorvel.h"
#include "ui_test_support.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::testing::button;
using quorvel::testing::DnsPeer;
using quorvel::testing::dropFiles;
using quorvel::testing::TestDesktop;
using quorvel::testing::visibleWindows;
using quorvel::testing::WindowScript;
namespace fs = std::filesystem;

namespace {

const char* const kFinalizado = "Processamento finalizado";

// The desktop with the main window open, its MX questions sent to the peer, and the filter
// lists of a small workspace.
struct Programa {
  DnsPeer& dns;
  TestDesktop t;
  TfrmPrincipal* p = nullptr;
  explicit Programa(DnsPeer& peer) : dns(peer) {
    t.home.write("dados/config/sys_paises.filter", ".fr\r\n.jp\r\n");
    t.home.write("dados/config/local_regras.filter", "*@spam.good.test\r\n");
    t.home.write("dados/config/sys_armadilhas.filter", "armadilha@\r\n");
    t.home.write("dados/config/sys_nomesraros.filter", "reyansh\r\n");
    t.home.write("dados/config/local_sitesignorados.filter", "");
    t.d->app->dns.server = dns.server();
    t.d->start();
    QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
    p = t.d->principal();
  }
  ValidationWindow& v() { return t.d->app->validationWindow; }
  TfrmQuorvel* janela() { return t.d->frmQuorvel(); }
  ListEditor& editor() { return t.d->app->editor; }
  // The filter lists loaded through the definitions window.
  void carregarDefinicoes() {
    QTest::mouseClick(p->botaoLateral(BotaoLateral::definicoes), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([this] { return !t.d->app->definicoes.timerAtivo(); }, 10000));
    QVERIFY(v().chain.gFiltroPaises != nullptr);
  }
  // A file dropped on the window: its first line is the header, as with "Abrir lista".
  void abrirLista(const std::string& conteudo) {
    dropFiles(p, {t.home.write("dados/lista.txt", conteudo)});
  }
  // "Validar e-mails", then "Iniciar validação" until the run's end message.
  std::vector<QString> validar(WindowScript& s) {
    QTest::mouseClick(p->botaoLateral(BotaoLateral::validarEmails), Qt::LeftButton);
    if (!janela()->isVisible()) return {};
    s.answer(q(kFinalizado), QStringLiteral("Ok"));
    QTest::mouseClick(janela()->iniciar(), Qt::LeftButton);
    (void)s.wait();
    return s.mensagens;
  }
  QString contador(Counter c) { return janela()->contador(c)->text(); }
  static QString q(const char* s) { return QString::fromUtf8(s); }
};

// Rows of a result list, each its cells joined by "|".
std::vector<std::string> linhas(const TextGrid& g) {
  std::vector<std::string> out;
  for (int r = 1; r < g.rowCount(); ++r) {
    std::string l;
    for (int c = 0; c < g.colCount(); ++c) l += (c ? "|" : "") + g.cell(c, r);
    // Empty cells at the end (a suggestion there is none of) are left out.
    while (!l.empty() && l.back() == '|') l.pop_back();
    if (!l.empty()) out.push_back(l);
  }
  return out;
}

std::string lerArquivo(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace

class ValidationWindowTest : public QObject {
  Q_OBJECT
  DnsPeer dns_;

 private slots:
  void validatingBeforeTheListsAreLoadedLoadsThemAndGoesOn();
  void definitionsWindowLoadsTheFiveListsAndShowsTheirCounts();
  void runFillsValidAndInvalidWithTheirReasonsAndCounters();
  void cancellingMidRunKeepsTheRowsDoneAndNoSecondRunCanStart();
  void anUntickedStageIsSkipped();
  void editIconWritesTheCountryListAndTheNextRunUsesIt();
  void bulkRunFromThePageWritesBothFilesAndOpensTheirFolder();
  void negativeBaseLinksOpenTheMailboxWindowsAboveTheValidationWindow();
  void bulkPageOpenListShowsEveryFileOfDados();
};

void ValidationWindowTest::validatingBeforeTheListsAreLoadedLoadsThemAndGoesOn() {
  Programa pr(dns_);
  // A CRM export: the header "E-mail" is found without a box either.
  pr.abrirLista("Nome;E-mail\r\nAna;ana@good.test\r\n");
  QVERIFY(!pr.v().chain.gRegras);
  QTest::mouseClick(pr.p->botaoLateral(BotaoLateral::validarEmails), Qt::LeftButton);
  // No box to click away: the lists are loaded and the validation window opens.
  QVERIFY(WindowScript::mensagem({}) == nullptr);
  QVERIFY(pr.v().chain.gRegras != nullptr);
  QVERIFY(pr.janela()->isVisible());
  QCOMPARE(pr.contador(Counter::lbTotalOriginal), QStringLiteral("1"));
  QVERIFY(!pr.t.d->frmDefinicoes());
}

void ValidationWindowTest::definitionsWindowLoadsTheFiveListsAndShowsTheirCounts() {
  Programa pr(dns_);
  QTest::mouseClick(pr.p->botaoLateral(BotaoLateral::definicoes), Qt::LeftButton);
  TfrmDefinicoes* d = pr.t.d->frmDefinicoes();
  QVERIFY(d && d->isVisible());
  QCOMPARE(d->windowTitle(), QStringLiteral("Definições de checagem"));
  // The lists are loaded, then the service is asked (none is configured here).
  QTRY_VERIFY(!pr.t.d->app->definicoes.timerAtivo());
  QVERIFY(d->tituloAtual()->text().startsWith(QStringLiteral("Definições de checagem - ")));
  QCOMPARE(d->itens(Definicao::paises)->text(), QStringLiteral("itens: 2"));
  QCOMPARE(d->itens(Definicao::armadilhas)->text(), QStringLiteral("itens: 1"));
  QCOMPARE(d->itens(Definicao::nomesRaros)->text(), QStringLiteral("itens: 1"));
  QCOMPARE(d->itens(Definicao::sitesIgnorados)->text(), QStringLiteral("itens: 0"));
  QCOMPARE(d->itens(Definicao::emailsInvalidos)->text(), QStringLiteral("itens: 0"));
  QVERIFY(!d->itens(Definicao::regras)->isVisible());
  const ValidationChain& c = pr.v().chain;
  QVERIFY(c.gRegras && c.gTraps && c.gFiltroPaises && c.gNomesRaros && c.gSitesIgnorados);
  QCOMPARE(c.gRegras->linhas().size(), size_t(1));
  // Esc closes it and frees it.
  QTest::keyClick(d, Qt::Key_Escape);
  QTRY_VERIFY(!pr.t.d->frmDefinicoes());
  QVERIFY(!pr.t.d->app->definicoes.visivel);
}

void ValidationWindowTest::runFillsValidAndInvalidWithTheirReasonsAndCounters() {
  Programa pr(dns_);
  pr.carregarDefinicoes();
  pr.abrirLista(
      "emails;nome\r\n"
      "  Ana.Souza@Good.test ;Ana\r\n"
      "ana.souza@good.test;Ana de novo\r\n"
      ";sem e-mail\r\n"
      "joao@@good.test;João\r\n"
      "marie@exemple.fr;Marie\r\n"
      "vendas@spam.good.test;Loja\r\n"
      "contato@aonly.test;Sem MX\r\n"
      "paulo@good.test;Paulo\r\n");
  WindowScript s;
  std::vector<QString> msgs = pr.validar(s);
  QCOMPARE(msgs, std::vector<QString>{Programa::q(kFinalizado)});

  QCOMPARE(linhas(pr.editor().gridValidos),
           (std::vector<std::string>{"ana.souza@good.test|Ana", "paulo@good.test|Paulo"}));
  QCOMPARE(linhas(pr.editor().gridInvalidos),
           (std::vector<std::string>{
               "joao@@good.test|Erro de sintaxe",
               "marie@exemple.fr|Filtro de países: .fr",
               "vendas@spam.good.test|Regra personalizada (*@spam.good.test)",
               "contato@aonly.test|Teste MX - aonly.test",
           }));
  QCOMPARE(pr.contador(Counter::lbTotalOriginal), QStringLiteral("8"));
  QCOMPARE(pr.contador(Counter::lbProcessados), QStringLiteral("8"));
  QCOMPARE(pr.contador(Counter::lbTotalInvalidos), QStringLiteral("5"));
  QCOMPARE(pr.contador(Counter::lbTotalFinal), QStringLiteral("2"));
  QCOMPARE(pr.contador(Counter::lbRepetidos), QStringLiteral("1"));
  QCOMPARE(pr.contador(Counter::lbSintaxe), QStringLiteral("1"));
  QCOMPARE(pr.contador(Counter::lbInternacional), QStringLiteral("1"));
  QCOMPARE(pr.contador(Counter::lbRegras), QStringLiteral("1"));
  QCOMPARE(pr.contador(Counter::lbTesteMx), QStringLiteral("1"));
  // The list editor shows "Válidos"; the window's buttons are back.
  QCOMPARE(pr.p->lista()->abas()->currentIndex(), kAbaValidos);
  QVERIFY(pr.p->lista()->grade(kAbaValidos)->isVisible());
  QVERIFY(pr.janela()->iniciar()->isEnabled());
  QCOMPARE(pr.janela()->fechar()->text(), QStringLiteral("Fechar"));
  QVERIFY(pr.p->isEnabled());
  // Closing after a run shows the tip about the tabs.
  QString dica;
  s.then([] { return WindowScript::mensagem({}); },
         [&](QWidget* w) {
           dica = static_cast<TfrmMsg*>(w)->texto()->text();
           button(w, QStringLiteral("Ok"))->click();
         });
  QTest::mouseClick(pr.janela()->fechar(), Qt::LeftButton);
  QVERIFY(s.wait());
  QVERIFY2(dica.startsWith(QStringLiteral("Ao final da validação")), qPrintable(dica));
  QVERIFY(!pr.janela()->isVisible());
}

void ValidationWindowTest::cancellingMidRunKeepsTheRowsDoneAndNoSecondRunCanStart() {
  Programa pr(dns_);
  pr.carregarDefinicoes();
  std::string lista = "emails\r\n";
  for (int i = 0; i < 300000; ++i) lista += "contato" + std::to_string(i) + "@good.test\r\n";
  pr.abrirLista(lista);
  QTest::mouseClick(pr.p->botaoLateral(BotaoLateral::validarEmails), Qt::LeftButton);
  TfrmQuorvel* j = pr.janela();
  bool iniciarDesabilitado = false, principalDesabilitada = false, gradesOcultas = false;
  WindowScript s;
  // While the run goes on: look at the windows, press "Iniciar validação" again, then cancel.
  s.then([&]() -> QWidget* { return pr.v().gRodando && pr.v().barraPos > 0 ? j : nullptr; },
         [&](QWidget*) {
           iniciarDesabilitado = !j->iniciar()->isEnabled();
           principalDesabilitada = !pr.p->isEnabled();
           gradesOcultas = !pr.p->lista()->grade(kAbaValidos)->isVisibleTo(pr.p->lista());
           j->iniciar()->click();
           QCOMPARE(j->fechar()->text(), QStringLiteral("Cancelar"));
           j->fechar()->click();
         });
  s.answer(QStringLiteral("Quer cancelar a validação?"), QStringLiteral("Sim"));
  s.answer(QStringLiteral("A validação foi cancelada"), QStringLiteral("Ok"));
  s.answer(Programa::q(kFinalizado), QStringLiteral("Ok"));
  QTest::mouseClick(j->iniciar(), Qt::LeftButton);
  QVERIFY(s.wait(60000));
  QVERIFY(iniciarDesabilitado);
  QVERIFY(principalDesabilitada);
  QVERIFY(gradesOcultas);
  const int64_t feitos = pr.v().chain.counters.value(Counter::lbProcessados);
  QVERIFY2(feitos > 0 && feitos < 300000, std::to_string(feitos).c_str());
  // Every row processed before the cancel is in "Válidos", in order.
  const TextGrid& val = pr.editor().gridValidos;
  QCOMPARE(int64_t(val.rowCount() - 1), feitos);
  QCOMPARE(val.cell(0, 1), std::string("contato0@good.test"));
  QCOMPARE(val.cell(0, static_cast<int>(feitos)),
           "contato" + std::to_string(feitos - 1) + "@good.test");
  QVERIFY(pr.p->isEnabled());
  QVERIFY(j->iniciar()->isEnabled());
}

void ValidationWindowTest::anUntickedStageIsSkipped() {
  Programa pr(dns_);
  pr.carregarDefinicoes();
  pr.abrirLista("emails\r\nmarie@exemple.fr\r\njoao@@good.test\r\n");
  QTest::mouseClick(pr.p->botaoLateral(BotaoLateral::validarEmails), Qt::LeftButton);
  QCheckBox* paises = pr.janela()->opcao(Programa::q("E-mails de outros países:"));
  QVERIFY(paises && paises->isChecked());
  QTest::mouseClick(paises, Qt::LeftButton);
  QVERIFY(!pr.v().chain.opcoes.ckbInternacional);
  // The MX test too: the .fr domain gets no answer from the peer.
  QTest::mouseClick(pr.janela()->opcao(QStringLiteral("Teste MX")), Qt::LeftButton);
  WindowScript s;
  pr.validar(s);
  QCOMPARE(linhas(pr.editor().gridValidos), std::vector<std::string>{"marie@exemple.fr"});
  QCOMPARE(linhas(pr.editor().gridInvalidos),
           std::vector<std::string>{"joao@@good.test|Erro de sintaxe"});
  QCOMPARE(pr.contador(Counter::lbInternacional), QStringLiteral("0"));
}

void ValidationWindowTest::editIconWritesTheCountryListAndTheNextRunUsesIt() {
  Programa pr(dns_);
  pr.carregarDefinicoes();
  pr.abrirLista("emails\r\nana@good.de\r\n");
  QTest::mouseClick(pr.p->botaoLateral(BotaoLateral::validarEmails), Qt::LeftButton);
  WindowScript s;
  s.then(
      [] { return visibleWindows<TfrmInput>().empty() ? nullptr : visibleWindows<TfrmInput>()[0]; },
      [](QWidget* w) {
        auto* texto = w->findChild<QPlainTextEdit*>();
        QCOMPARE(texto->toPlainText(), QStringLiteral(".fr\n.jp"));
        texto->setPlainText(QStringLiteral("\n.fr\n.jp\n.de\n\n"));
        button(w, QStringLiteral("Ok"))->click();
      });
  button(pr.janela(), QStringLiteral("Editar: Domínios de outros países"))->click();
  QVERIFY(s.wait());
  QCOMPARE(lerArquivo(pr.t.home.path("dados/config/sys_paises.filter")),
           std::string("\xEF\xBB\xBF.fr\r\n.jp\r\n.de\r\n"));
  pr.validar(s);
  QCOMPARE(linhas(pr.editor().gridInvalidos),
           std::vector<std::string>{"ana@good.de|Filtro de países: .de"});
}

void ValidationWindowTest::bulkRunFromThePageWritesBothFilesAndOpensTheirFolder() {
  Programa pr(dns_);
  pr.carregarDefinicoes();
  QTest::mouseClick(pr.p->botao(QStringLiteral("Grandes")), Qt::LeftButton);
  const std::string a =
      pr.t.home.write("entrada/a.txt", "Ana@Good.test\r\n\"paulo@good.test\"\r\n");
  const std::string b = pr.t.home.write(
      "entrada/b.txt", "ana@good.test\r\nnome;marie@exemple.fr;x\r\nsem-arroba\r\n");
  dropFiles(pr.p, {a, b});
  BulkPage* pagina = pr.p->grandes();
  QCOMPARE(pagina->arquivos()->topLevelItemCount(), 2);
  QTest::mouseClick(pagina->iniciar(), Qt::LeftButton);
  // The folder was opened at the end; the window shows the run's counters.
  QCOMPARE(pr.t.abertos, std::vector<std::string>{pr.t.home.path("dados")});
  QVERIFY(pr.janela()->isVisible());
  QCOMPARE(pr.contador(Counter::lbTotalOriginal), QStringLiteral("indefinido"));
  QCOMPARE(pr.contador(Counter::lbProcessados), QStringLiteral("5"));
  QCOMPARE(pr.contador(Counter::lbTotalFinal), QStringLiteral("2"));
  QVERIFY(!pr.janela()->iniciar()->isEnabled());
  QVERIFY(pr.janela()->fechar()->isEnabled());
  QVERIFY(pagina->iniciar()->isEnabled());
  std::string validos, invalidos;
  for (const auto& e : fs::directory_iterator(pr.t.home.path("dados"))) {
    const std::string nome = e.path().filename().string();
    if (nome.rfind("big_validos ", 0) == 0) validos = lerArquivo(e.path());
    if (nome.rfind("big_invalidos ", 0) == 0) invalidos = lerArquivo(e.path());
  }
  QCOMPARE(validos, std::string("\xEF\xBB\xBF"
                                "Ana@Good.test\r\npaulo@good.test\r\n"));
  QCOMPARE(invalidos, std::string("\xEF\xBB\xBF"
                                  "ana@good.test\tE-mail repetido\r\n"
                                  "marie@exemple.fr\tFiltro de países: .fr\r\n"
                                  "sem-arroba\tErro de sintaxe\r\n"));
}

void ValidationWindowTest::negativeBaseLinksOpenTheMailboxWindowsAboveTheValidationWindow() {
  Programa pr(dns_);
  pr.carregarDefinicoes();
  pr.abrirLista("emails\r\nana@good.test\r\n");
  QTest::mouseClick(pr.p->botaoLateral(BotaoLateral::validarEmails), Qt::LeftButton);
  QVERIFY(pr.janela()->isVisible());
  // The validation window stays on top; what its links open must not open behind it.
  QAbstractButton* contas = button(pr.janela(), QStringLiteral("Configurar contas"));
  QVERIFY(contas && contas->isEnabled());
  QTest::mouseClick(contas, Qt::LeftButton);
  TfrmContas* c = pr.t.d->frmContas();
  QVERIFY(c->isVisible());
  QVERIFY(c->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  c->close();
  WindowScript s;
  s.answerAny();
  QTest::mouseClick(button(pr.janela(), QStringLiteral("Atualizar dados de retorno")),
                    Qt::LeftButton);
  QVERIFY(s.wait());
  TfrmMensagens* m = pr.t.d->frmMensagens();
  QVERIFY(m->isVisible());
  QVERIFY(m->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  m->close();
  // Opened from the main window with the validation window closed, they are ordinary windows.
  QTest::mouseClick(button(pr.janela(), QStringLiteral("Fechar")), Qt::LeftButton);
  QVERIFY(!pr.janela()->isVisible());
  QTest::mouseClick(pr.p->botaoLateral(BotaoLateral::configuracoes), Qt::LeftButton);
  QTest::mouseClick(pr.p->botao(QStringLiteral("Configurar contas de e-mail")), Qt::LeftButton);
  QVERIFY(c->isVisible());
  QVERIFY(!c->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void ValidationWindowTest::bulkPageOpenListShowsEveryFileOfDados() {
  Programa pr(dns_);
  pr.t.home.write("dados/grande.txt", "ana@good.test\r\n");
  pr.t.home.write("dados/outra.csv", "bia@good.test\r\n");
  QTest::mouseClick(pr.p->botao(QStringLiteral("Grandes")), Qt::LeftButton);
  TfrmFileSelect& janela = pr.t.d->dialogs.janelaArquivos();
  WindowScript s;
  s.then([&janela]() -> QWidget* { return janela.isVisible() ? &janela : nullptr; },
         [&](QWidget*) {
           QAbstractItemModel* m = janela.tabela()->model();
           QStringList nomes;
           for (int r = 0; r < m->rowCount(); ++r) nomes << m->data(m->index(r, 0)).toString();
           QVERIFY2(nomes.contains(QStringLiteral("grande.txt")), qPrintable(nomes.join(',')));
           QVERIFY(nomes.contains(QStringLiteral("outra.csv")));
           const int linha = nomes.indexOf(QStringLiteral("grande.txt"));
           const QRect r = janela.tabela()->visualRect(m->index(linha, 0));
           QTest::mouseClick(janela.tabela()->viewport(), Qt::LeftButton, {},
                             QPoint(r.left() + 8, r.center().y()));
           QTest::mouseClick(button(&janela, QStringLiteral("OK")), Qt::LeftButton);
         });
  QTest::mouseClick(button(pr.p->grandes(), QStringLiteral("Abrir lista")), Qt::LeftButton);
  QVERIFY(s.wait());
  QTreeWidget* lista = pr.p->grandes()->arquivos();
  QCOMPARE(lista->topLevelItemCount(), 1);
  QCOMPARE(lista->topLevelItem(0)->text(0),
           QString::fromStdString(pr.t.home.path("dados/grande.txt")));
}

int main(int argc, char** argv) {
  QuorvelApplication app(argc, argv);
  ValidationWindowTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "validation_test.moc"
