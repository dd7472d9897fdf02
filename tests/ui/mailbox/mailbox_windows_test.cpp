// The accounts window and the mailbox window against a real Dovecot on loopback, pressed and
// typed like a user would, from the main window's buttons on.
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "common/text_file.h"
#include "mailbox/accounts_window.h"
#include "mailbox/mailbox_window.h"
#include "support/dns_peer.h"
#include "support/dovecot_peer.h"
#include "support/mail_fixtures.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_contas.h"
#include "ui/tfrm_export.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_mensagens.h"
#include "ui/tfrm_principal.h"
#include "ui_test_support.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::testing::button;
using quorvel::testing::DovecotPeer;
using quorvel::testing::mensagem;
using quorvel::testing::retorno;
using quorvel::testing::TestDesktop;
using quorvel::testing::WindowScript;

namespace {

QString q8(const std::string& s) {
  return QString::fromStdString(s);
}

// The desktop with its main window open on the settings page, where both windows' buttons are.
struct MailboxDesktop {
  TestDesktop t;
  TfrmPrincipal* p = nullptr;
  MailboxDesktop() {
    t.d->start();
    QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
    p = t.d->principal();
    QTest::mouseClick(p->botaoLateral(BotaoLateral::configuracoes), Qt::LeftButton);
  }
  StoreWindows& mailbox() { return *t.d->app->storeWindows; }

  TfrmContas* abrirContas() {
    QTest::mouseClick(p->botao(QStringLiteral("Configurar contas de e-mail")), Qt::LeftButton);
    return t.d->frmContas();
  }
  // Opens the mailbox window and closes the tip it shows.
  TfrmMensagens* abrirMensagens() {
    WindowScript s;
    s.answerAny();
    QTest::mouseClick(p->botao(QStringLiteral("Baixar erros e descadastramentos")), Qt::LeftButton);
    if (!s.wait()) return nullptr;
    return t.d->frmMensagens();
  }
  // An account on the test server's plain listener, stored as the accounts window stores it.
  void guardarConta(const DovecotPeer& dovecot, const std::string& email) {
    mailbox().negConta.newContaSave(quorvel::testing::contaNoServidor(dovecot, email));
  }
};

// Picks an entry of a drop-down list with the arrow keys, as a user does on a closed list.
void choose(QComboBox* c, const QString& texto) {
  const int alvo = c->findText(texto);
  QVERIFY2(alvo >= 0, qPrintable(texto));
  while (c->currentIndex() != alvo)
    QTest::keyClick(c, c->currentIndex() < alvo ? Qt::Key_Down : Qt::Key_Up);
}

void clickHeader(QTableView* v, int coluna) {
  QHeaderView* h = v->horizontalHeader();
  QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                    QPoint(h->sectionViewportPosition(coluna) + 5, h->height() / 2));
}

// The log as shown: each line's text after the date and its colour.
std::vector<std::pair<QString, QRgb>> logLines(TfrmMensagens* w) {
  std::vector<std::pair<QString, QRgb>> r;
  for (int i = 0; i < w->log()->count(); ++i) {
    QListWidgetItem* it = w->log()->item(i);
    const QString t = it->text();
    r.emplace_back(t.mid(t.indexOf(QStringLiteral(" - ")) + 3),
                   it->foreground().color().rgb() & 0xFFFFFF);
  }
  return r;
}

QStringList gridColumn(TfrmMensagens* w, int coluna) {
  QStringList r;
  QAbstractItemModel* m = w->grade()->model();
  for (int i = 0; i < m->rowCount(); ++i) r << m->index(i, coluna).data().toString();
  return r;
}

}  // namespace

class MailboxWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void cleanupTestCase();
  void accountsAreRegisteredInTwoStepsByHandAndByProvider();
  void discoveryProgramConfiguresTheAccountThroughSrvRecords();
  void checkRunFillsTheColouredLogAndTheNegativeBase();
  void cancelStopsTheFirstAccountKeepingWhatItStoredAndTheNextIsChecked();
  void novoDescadastramentoStoresOnlyAnswersLongerThanSevenCharacters();
  void negativeBasePageFindsSortsDeletesAndSaves();

 private:
  std::string novoUsuario(const std::vector<std::string>& mensagens) {
    std::string u = "usuario" + std::to_string(++usuarios_) + "@exemplo.test";
    dovecot_->criarCaixa(u);
    dovecot_->semear(u, mensagens);
    return u;
  }
  std::unique_ptr<DovecotPeer> dovecot_;
  int usuarios_ = 0;
};

void MailboxWindowsTest::initTestCase() {
  dovecot_ = std::make_unique<DovecotPeer>();
  ::setenv("QUORVEL_CA_FILE", dovecot_->certificado().c_str(), 1);
}

void MailboxWindowsTest::cleanupTestCase() {
  dovecot_.reset();
}

void MailboxWindowsTest::accountsAreRegisteredInTwoStepsByHandAndByProvider() {
  MailboxDesktop d;
  TfrmContas* c = d.abrirContas();
  QVERIFY(QTest::qWaitForWindowExposed(c));
  QCOMPARE(c->windowTitle(), QStringLiteral("Contas de e-mail cadastradas"));
  QCOMPARE(c->paginas()->currentIndex(), 0);
  QCOMPARE(c->paginas()->tabText(2), QStringLiteral("Configurações avançadas"));

  // Step one: address and password.
  QTest::mouseClick(button(c, QStringLiteral("Nova conta de e-mail")), Qt::LeftButton);
  QCOMPARE(c->paginas()->currentIndex(), 1);
  QVERIFY(c->email()->isEnabled());
  QVERIFY(c->email()->hasFocus());
  QVERIFY(!c->contaAtiva()->isVisible());
  QVERIFY(!button(c, QStringLiteral("Testar conta agora!"))->isEnabled());
  const std::string email = "retornos@empresa.test";
  QTest::keyClicks(c->email(), q8(email));
  QTest::keyClicks(c->senha(), QStringLiteral("segredo"));
  QCOMPARE(c->senha()->displayText(), QStringLiteral("*******"));
  WindowScript s;
  s.answerAny();
  QTest::mouseClick(button(c, QStringLiteral("Avançar")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(s.mensagens.back(), q8(kMsgConfigureDados));
  QCOMPARE(c->paginas()->currentIndex(), 2);
  QVERIFY(d.mailbox().negConta.getConta(email));
  // The frame behind the automatic configuration blinks while the server is missing.
  QTRY_VERIFY_WITH_TIMEOUT(c->moldura()->styleSheet().contains(QStringLiteral("#2e9e3e")), 3000);

  // Step two: the server on the advanced page, over implicit TLS with the test certificate.
  QTest::keyClicks(c->servidor(), QStringLiteral("127.0.0.1"));
  c->porta()->clear();
  QTest::keyClicks(c->porta(), QString::number(dovecot_->portaTls()));
  QTest::keyClicks(c->usuario(), q8(email));
  choose(c->usarTLS(), QStringLiteral("TLS implícito"));
  QVERIFY(!c->painelAvancado()->isVisibleTo(c));
  QTest::mouseClick(button(c, QStringLiteral("Mostrar configurações avançadas")), Qt::LeftButton);
  QVERIFY(c->painelAvancado()->isVisibleTo(c));
  QTest::mouseClick(button(c, QStringLiteral("Salvar")), Qt::LeftButton);
  s.answer(q8(kMsgContaConectada), QStringLiteral("Ok"));
  QTest::mouseClick(button(c, QStringLiteral("Testar conta agora!")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(c->paginas()->currentIndex(), 0);
  std::optional<CLContas> guardada = d.mailbox().negConta.getConta(email);
  QVERIFY(guardada);
  QCOMPARE(guardada->ImapServidor, std::string("127.0.0.1"));
  QCOMPARE(guardada->ImapPorta, std::to_string(dovecot_->portaTls()));
  QCOMPARE(guardada->ImapUsarTLS, std::string(kTLSImplicito));
  QCOMPARE(guardada->ImapNomeUsuario, email);
  QCOMPARE(c->grade()->rowCount(), 1);
  QCOMPARE(c->grade()->item(0, 0)->text(), QStringLiteral("Sim"));
  QCOMPARE(c->grade()->item(0, 1)->text(), q8(email));
  QVERIFY(c->grade()->isColumnHidden(3));

  // A known provider: after the question, its settings fill the advanced page.
  QTest::mouseClick(button(c, QStringLiteral("Nova conta de e-mail")), Qt::LeftButton);
  QTest::keyClicks(c->email(), QStringLiteral("Ana.Lima@Gmail.com"));
  QTest::keyClicks(c->senha(), QStringLiteral("x"));
  s.answer(q8(kMsgAutomatica), QStringLiteral("&Sim"));
  s.answer(q8(kMsgContaSalva), QStringLiteral("Ok"));
  QTest::mouseClick(button(c, QStringLiteral("Avançar")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(c->paginas()->currentIndex(), 2);
  QCOMPARE(c->servidor()->text(), QStringLiteral("imap.gmail.com"));
  QCOMPARE(c->porta()->text(), QStringLiteral("143"));
  QCOMPARE(c->usarTLS()->currentText(), QStringLiteral("TLS implícito"));
  QCOMPARE(c->usuario()->text(), QStringLiteral("Ana.Lima@Gmail.com"));
  QCOMPARE(d.mailbox().negConta.accounts().size(), size_t(2));

  // The grid: "Ativa" toggles on a click in its column; Esc closes the window.
  QTest::mouseClick(c->paginas()->tabBar(), Qt::LeftButton, {},
                    c->paginas()->tabBar()->tabRect(0).center());
  QCOMPARE(c->paginas()->currentIndex(), 0);
  const QRect ativa = c->grade()->visualItemRect(c->grade()->item(1, 0));
  QTest::mouseClick(c->grade()->viewport(), Qt::LeftButton, {}, ativa.center());
  QCOMPARE(c->grade()->item(1, 0)->text(), QStringLiteral("Não"));
  QVERIFY(!d.mailbox().negConta.accounts()[1].ativa);
  QTest::mouseClick(button(c, QStringLiteral("Mostrar senhas")), Qt::LeftButton);
  QVERIFY(!c->grade()->isColumnHidden(3));
  // Esc, in the window the user works in.
  c->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(c));
  QTest::keyClick(c, Qt::Key_Escape);
  QVERIFY(!c->isVisible());
}

void MailboxWindowsTest::discoveryProgramConfiguresTheAccountThroughSrvRecords() {
  // The domain's SRV record names the test server's implicit-TLS listener, inside the domain.
  testing::DnsPeer dns({}, {"--srv-host=_imaps._tcp.seguro.exemplo.test,seguro.exemplo.test," +
                                std::to_string(dovecot_->portaTls()) + ",0,0",
                            "--host-record=seguro.exemplo.test,127.0.0.1"});
  const std::string antes =
      std::getenv("QUORVEL_DNS_SERVER") ? std::getenv("QUORVEL_DNS_SERVER") : "";
  ::setenv("QUORVEL_DNS_SERVER", dns.server().c_str(), 1);
  ::setenv("QUORVEL_EMAILTEST", QUORVEL_EMAILTEST_PROGRAM, 1);
  const std::string email = "ana@seguro.exemplo.test";
  dovecot_->criarCaixa(email);
  {
    MailboxDesktop d;
    TfrmContas* c = d.abrirContas();
    QTest::mouseClick(button(c, QStringLiteral("Nova conta de e-mail")), Qt::LeftButton);
    QTest::keyClicks(c->email(), q8(email));
    QTest::keyClicks(c->senha(), QStringLiteral("segredo"));
    WindowScript s;
    s.answer(q8(kMsgConfigureDados), QStringLiteral("Ok"));
    QTest::mouseClick(button(c, QStringLiteral("Avançar")), Qt::LeftButton);
    QVERIFY(s.wait());

    // The window polls once a second until the program answers, then saves what it found.
    s.answer(q8(kMsgOba), QStringLiteral("Ok"));
    QTest::mouseClick(button(c, QStringLiteral("Tentar configurar automaticamente")),
                      Qt::LeftButton);
    QVERIFY(d.mailbox().contas.tmConfigAtivo());
    QVERIFY(s.wait(30000));
    QVERIFY(!d.mailbox().contas.tmConfigAtivo());
    QCOMPARE(c->servidor()->text(), QStringLiteral("seguro.exemplo.test"));
    QCOMPARE(c->porta()->text(), QString::number(dovecot_->portaTls()));
    QCOMPARE(c->usarTLS()->currentText(), QStringLiteral("TLS implícito"));
    QCOMPARE(d.mailbox().negConta.getConta(email)->ImapServidor,
             std::string("seguro.exemplo.test"));

    // The stored account connects by that name, its certificate checked.
    s.answer(q8(kMsgContaConectada), QStringLiteral("Ok"));
    QTest::mouseClick(button(c, QStringLiteral("Testar conta agora!")), Qt::LeftButton);
    QVERIFY(s.wait());
    // The program was told to stop once it had answered: it takes the request and ends.
    QTRY_VERIFY(!std::filesystem::exists(d.t.home.path("input.cfg")));
  }
  ::setenv("QUORVEL_DNS_SERVER", antes.c_str(), 1);
}

void MailboxWindowsTest::checkRunFillsTheColouredLogAndTheNegativeBase() {
  std::string conta =
      novoUsuario({retorno("usuario_inexistente.eml", "x@y.test"),
                   retorno("remover.eml", "x@y.test"), mensagem("amigo@cliente.test", "Oi")});
  MailboxDesktop d;
  d.guardarConta(*dovecot_, conta);
  TfrmMensagens* w = d.abrirMensagens();
  QVERIFY(w && w->isVisible());
  QCOMPARE(w->windowTitle(), QStringLiteral("Checagem de e-mails"));
  QCOMPARE(w->total(2)->text(), QStringLiteral("1"));

  // While the run lets events through, the window shows it working and offers "Cancelar".
  QPushButton* checar =
      static_cast<QPushButton*>(button(w, QStringLiteral("Checar erros retornados")));
  bool trabalhando = false;
  QTimer espia;
  espia.setInterval(0);
  QObject::connect(&espia, &QTimer::timeout, [&] {
    trabalhando = trabalhando || (!checar->isEnabled() && w->progresso()->isVisible() &&
                                  button(w, QStringLiteral("Cancelar"))->isVisible());
  });
  espia.start();
  QTest::mouseClick(checar, Qt::LeftButton);
  espia.stop();
  QVERIFY(trabalhando);
  QVERIFY(checar->isEnabled());
  QVERIFY(!button(w, QStringLiteral("Cancelar"))->isVisible());
  QVERIFY(!w->progresso()->isVisible());

  const QRgb preto = 0x000000, verde = 0x008000, marrom = 0x800000, azul = 0x000080;
  const std::vector<std::pair<QString, QRgb>> esperado = {
      {q8("Iniciando conta " + conta + "..."), preto},
      {q8("Conta " + conta + " conectada com sucesso!"), preto},
      {QStringLiteral("Iniciando checagem de retornos..."), preto},
      {QStringLiteral("IGNORADO: (amigo@cliente.test) não é um retorno de erro -> Oi"), marrom},
      {QStringLiteral("Pedido de remoção: Leitor.Antigo@Cliente.test"), azul},
      {QStringLiteral("ADICIONADO: joao.silva@cliente.test - mailer-daemon@ - address rejected"),
       verde},
      {q8(conta + " CHECAGEM - Checagem concluída!"), preto}};
  QCOMPARE(logLines(w), esperado);
  QVERIFY(w->log()->item(0)->text().contains(QRegularExpression(
      QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d - Iniciando conta "))));

  // The stored addresses on the negative-base page, and the totals.
  QCOMPARE(w->paginas()->currentIndex(), 0);
  QStringList enderecos = gridColumn(w, 0);
  enderecos.sort();
  QCOMPARE(enderecos, (QStringList{QStringLiteral("joao.silva@cliente.test"),
                                   QStringLiteral("leitor.antigo@cliente.test")}));
  QCOMPARE(w->total(0)->text(), QStringLiteral("2"));
  // Only the permanent ones when "Permanentes" is ticked.
  QTest::mouseClick(button(w, QStringLiteral("Permanentes")), Qt::LeftButton);
  QCOMPARE(gridColumn(w, 0), QStringList{QStringLiteral("joao.silva@cliente.test")});
  QCOMPARE(gridColumn(w, 4), QStringList{QStringLiteral("1")});
}

void MailboxWindowsTest::cancelStopsTheFirstAccountKeepingWhatItStoredAndTheNextIsChecked() {
  auto retornoPara = [](const std::string& destino) {
    return mensagem("MAILER-DAEMON@relay.test", "Undelivered Mail " + destino,
                    "<" + destino + ">: user unknown\r\n");
  };
  std::string a = novoUsuario({retornoPara("um@cliente.test"), retornoPara("dois@cliente.test"),
                               retornoPara("tres@cliente.test")});
  std::string b = novoUsuario({retornoPara("quatro@cliente.test")});
  MailboxDesktop d;
  d.guardarConta(*dovecot_, a);
  d.guardarConta(*dovecot_, b);
  TfrmMensagens* w = d.abrirMensagens();
  QVERIFY(w);

  // "Cancelar" is pressed as soon as the first address of the first account shows in the log.
  QTimer usuario;
  usuario.setInterval(0);
  bool cancelou = false;
  QObject::connect(&usuario, &QTimer::timeout, [&] {
    if (cancelou) return;
    for (const auto& [texto, cor] : logLines(w))
      if (texto.startsWith(QStringLiteral("ADICIONADO"))) {
        cancelou = true;
        QTest::mouseClick(button(w, QStringLiteral("Cancelar")), Qt::LeftButton);
      }
  });
  usuario.start();
  QTest::mouseClick(button(w, QStringLiteral("Checar erros retornados")), Qt::LeftButton);
  usuario.stop();
  QVERIFY(cancelou);

  QStringList adicionados;
  for (const auto& [texto, cor] : logLines(w))
    if (texto.startsWith(QStringLiteral("ADICIONADO: ")))
      adicionados << texto.section(QLatin1Char(' '), 1, 1);
  QCOMPARE(adicionados, (QStringList{QStringLiteral("tres@cliente.test"),
                                     QStringLiteral("quatro@cliente.test")}));
  QCOMPARE(logLines(w).back().first, q8(b + " CHECAGEM - Checagem concluída!"));
  QStringList enderecos = gridColumn(w, 0);
  enderecos.sort();
  QCOMPARE(enderecos, (QStringList{QStringLiteral("quatro@cliente.test"),
                                   QStringLiteral("tres@cliente.test")}));
  // The first account's older messages were never fetched: they are still unseen.
  std::vector<std::string> marcas = dovecot_->marcas(a);
  QCOMPARE(std::count(marcas.begin(), marcas.end(), std::string("S")), 1);
}

void MailboxWindowsTest::novoDescadastramentoStoresOnlyAnswersLongerThanSevenCharacters() {
  MailboxDesktop d;
  TfrmMensagens* w = d.abrirMensagens();
  QVERIFY(w);
  QAbstractButton* novo = button(w, QStringLiteral("Novo descadastramento"));
  struct Caso {
    QString digitado;
    int linhas;
  } casos[] = {
      {QStringLiteral("a@b.com"), 0},                // exactly 7 characters: ignored
      {QStringLiteral("  Maria@Empresa.test "), 1},  // stored trimmed and lower-cased
      {QStringLiteral("çã@é.br"), 1},                // 7 characters in 9 bytes: ignored
      {QStringLiteral("çã@é.com"), 2},               // 8 characters: stored, no syntax test
  };
  for (const Caso& c : casos) {
    WindowScript s;
    quorvel::testing::typeValue(s, c.digitado);
    QTest::mouseClick(novo, Qt::LeftButton);
    QVERIFY(s.wait());
    QCOMPARE(w->grade()->model()->rowCount(), c.linhas);
  }
  QCOMPARE(gridColumn(w, 0),
           (QStringList{QStringLiteral("maria@empresa.test"), QStringLiteral("çã@é.com")}));
  QCOMPARE(gridColumn(w, 3),
           QStringList(2, QStringLiteral("descadastramento incluído manualmente")));
  QCOMPARE(gridColumn(w, 4), QStringList(2, QStringLiteral("3")));
  QCOMPARE(w->total(0)->text(), QStringLiteral("2"));

  // The same address again: the store's refusal in a box, nothing added.
  WindowScript s;
  quorvel::testing::typeValue(s, QStringLiteral("Maria@Empresa.test"));
  s.answerAny();
  QTest::mouseClick(novo, Qt::LeftButton);
  QVERIFY(s.wait());
  QVERIFY(!s.mensagens.empty() && !s.mensagens.back().isEmpty());
  QCOMPARE(w->grade()->model()->rowCount(), 2);
}

void MailboxWindowsTest::negativeBasePageFindsSortsDeletesAndSaves() {
  MailboxDesktop d;
  TfrmMensagens* w = d.abrirMensagens();
  QVERIFY(w);
  for (const char* e : {"carla@cliente.test", "bruno@cliente.test", "zeca@cliente.test"}) {
    WindowScript s;
    quorvel::testing::typeValue(s, QString::fromUtf8(e));
    QTest::mouseClick(button(w, QStringLiteral("Novo descadastramento")), Qt::LeftButton);
    QVERIFY(s.wait());
  }
  // Localizar: the first address that starts with the text, ignoring case.
  QTest::keyClicks(w->localizar(), QStringLiteral("BR"));
  QTest::keyClick(w->localizar(), Qt::Key_Return);
  QCOMPARE(w->grade()->currentIndex().data().toString(), QStringLiteral("bruno@cliente.test"));

  // The column title: ascending, descending, ascending again.
  const QStringList crescente = {QStringLiteral("bruno@cliente.test"),
                                 QStringLiteral("carla@cliente.test"),
                                 QStringLiteral("zeca@cliente.test")};
  QStringList decrescente = crescente;
  std::reverse(decrescente.begin(), decrescente.end());
  for (const QStringList& ordem : {crescente, decrescente, crescente}) {
    clickHeader(w->grade(), 0);
    QCOMPARE(gridColumn(w, 0), ordem);
  }
  QCOMPARE(w->grade()->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);

  // Excluir asks first; Delete in the grid does the same.
  w->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(w));
  w->grade()->setFocus();
  QTest::mouseClick(w->grade()->viewport(), Qt::LeftButton, {},
                    w->grade()->visualRect(w->grade()->model()->index(1, 0)).center());
  WindowScript s;
  s.answer(q8(kMsgApagarRegistro), QStringLiteral("&Não"));
  QTest::keyClick(w->grade(), Qt::Key_Delete);
  QVERIFY(s.wait());
  QCOMPARE(gridColumn(w, 0).size(), 3);
  s.answer(q8(kMsgApagarRegistro), QStringLiteral("&Sim"));
  QTest::mouseClick(button(w, QStringLiteral("Excluir")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(gridColumn(w, 0), (QStringList{QStringLiteral("bruno@cliente.test"),
                                          QStringLiteral("zeca@cliente.test")}));

  // Salvar: the export window over the rows as shown, with the base's column titles.
  QTest::mouseClick(button(w, QStringLiteral("Salvar")), Qt::LeftButton);
  std::vector<TfrmExport*> exportacao;
  QVERIFY(QTest::qWaitFor(
      [&] { return !(exportacao = quorvel::testing::visibleWindows<TfrmExport>()).empty(); }));
  const TextGrid& dados = exportacao.front()->modelo().gridDados;
  QCOMPARE(dados.rowCount(), 3);
  QCOMPARE(dados.cell(0, 0), std::string("E-mail"));
  QCOMPARE(dados.cell(4, 0), std::string("Tipo erro"));
  QCOMPARE(dados.cell(0, 1), std::string("bruno@cliente.test"));
  QCOMPARE(dados.cell(0, 2), std::string("zeca@cliente.test"));
  QCOMPARE(dados.cell(3, 2), std::string("descadastramento incluído manualmente"));
  exportacao.front()->close();
}

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication app(argc, argv);
  MailboxWindowsTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "mailbox_windows_test.moc"
