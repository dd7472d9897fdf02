// The program's windows of the web service, pressed as a user would, against quorvel-service on
// loopback: the definitions window's online check and update, the collaboration consent with
// the links that lead to it, and the launcher's offer of a newer build with the update window.
#include <QAbstractButton>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <filesystem>
#include <set>

#include "app/main_window.h"
#include "common/text_file.h"
#include "online/definition_dates.h"
#include "support/dns_peer.h"
#include "support/service_peer.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_colabore.h"
#include "ui/tfrm_definicoes.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_quorvel.h"
#include "ui/tfrm_update_apps.h"
#include "ui_test_support.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::testing::button;
using quorvel::testing::controlsWithoutName;
using quorvel::testing::ServicePeer;
using quorvel::testing::TestDesktop;
using quorvel::testing::WindowScript;
namespace fs = std::filesystem;

namespace {

const char* const kEmail = "ana@loja.com.br";
const QString kLink = QStringLiteral("(sem colaboração) - alterar");

// The desktop over a fresh folder, talking to `url` (none: ""), its main window open.
struct Programa {
  TestDesktop t;
  explicit Programa(const std::string& url) {
    t.d->app->online.setBaseUrl(url);
    t.d->start();
    QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  }
  Desktop& d() { return *t.d; }
  TfrmPrincipal* p() { return t.d->principal(); }
  // "Definições online (atualizar)", then the loading sequence and the online check to the end.
  TfrmDefinicoes* abrirDefinicoes() {
    QTest::mouseClick(p()->botaoLateral(BotaoLateral::definicoes), Qt::LeftButton);
    if (!QTest::qWaitFor(
            [this] { return d().frmDefinicoes() && !d().app->definicoes.timerAtivo(); }, 30000))
      return nullptr;
    return d().frmDefinicoes();
  }
};

// The "(sem colaboração) - alterar" links of a window that are not hidden.
int linksVisiveis(QWidget* janela) {
  int n = 0;
  for (QPushButton* b : janela->findChildren<QPushButton*>())
    if (b->text() == kLink && !b->isHidden()) ++n;
  return n;
}

}  // namespace

class OnlineWindowsTest : public QObject {
  Q_OBJECT
 private slots:
  void withoutAServiceTheDefinitionsWindowSaysSoInOneLine();
  void theConsentWindowSwitchesSharingAndTheLinksFollowWhenItCloses();
  void theDefinitionsWindowUpdatesWhatTheServiceHasNewer();
  void theLauncherOffersTheNewBuildAndTheUpdateWindowStartsItsPackage();
};

void OnlineWindowsTest::withoutAServiceTheDefinitionsWindowSaysSoInOneLine() {
  const int fechada = testing::freePort(SOCK_STREAM);
  const std::string semResposta = "http://127.0.0.1:" + std::to_string(fechada);
  const std::pair<std::string, QString> casos[] = {
      {"", QString::fromUtf8(kAvisoSemServico)},
      {semResposta,
       QStringLiteral("Não foi possível consultar o serviço online (não foi possível conectar ao "
                      "serviço em %1): o Quorvel segue com as definições instaladas.")
           .arg(QString::fromStdString(semResposta))},
  };
  for (const auto& [url, aviso] : casos) {
    Programa prog(url);
    WindowScript s;
    s.answerAny();  // there must be none
    TfrmDefinicoes* j = prog.abrirDefinicoes();
    QVERIFY(j);
    QVERIFY(j->avisoServico()->isVisible());
    QCOMPARE(j->avisoServico()->text(), aviso);
    QVERIFY(j->tituloAtual()->text().startsWith(QStringLiteral("Definições de checagem - ")));
    QVERIFY(!j->painel()->isVisible());
    // The lists were loaded all the same.
    QVERIFY(prog.d().app->chain.gRegras != nullptr);
    QVERIFY(s.mensagens.empty());
    QTest::mouseClick(j->fechar(), Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return !prog.d().frmDefinicoes(); }));
  }
}

void OnlineWindowsTest::theConsentWindowSwitchesSharingAndTheLinksFollowWhenItCloses() {
  ServicePeer servico;
  const std::string chave = servico.adicionarUsuario(kEmail);
  Programa prog(servico.url());
  Desktop& d = prog.d();
  // The settings page's button and the validation window's links lead to the consent.
  QTest::mouseClick(prog.p()->botaoLateral(BotaoLateral::configuracoes), Qt::LeftButton);
  QPushButton* colaboracao = prog.p()->botao(QStringLiteral("Colaboração de dados"));
  QVERIFY(colaboracao->isEnabled());
  QCOMPARE(linksVisiveis(d.frmQuorvel()), 2);
  for (QPushButton* b : d.frmQuorvel()->findChildren<QPushButton*>())
    if (b->text() == kLink) QVERIFY(b->isEnabled());
  // The definitions window's three links, enabled.
  TfrmDefinicoes* defs = prog.abrirDefinicoes();
  QVERIFY(defs);
  QCOMPARE(linksVisiveis(defs), 3);
  QVERIFY(defs->link(0)->isEnabled());

  QTest::mouseClick(defs->link(0), Qt::LeftButton);
  TfrmColabore* c = d.frmColabore();
  QVERIFY(c->isVisible());
  QCOMPARE(c->windowTitle(), QStringLiteral("Autorização para colaboração"));
  QCOMPARE(c->height(), 500);
  QVERIFY(c->painelDesativada()->isVisible());
  QVERIFY(!c->painelAtivada()->isVisible());
  QVERIFY2(controlsWithoutName(c, true).isEmpty(),
           qPrintable(controlsWithoutName(c, true).join(QStringLiteral("; "))));

  WindowScript s;
  s.answerAny();  // "Mais informações"
  s.answerAny();  // no account typed yet
  QTest::mouseClick(c->maisInformacoes(), Qt::LeftButton);
  QTest::mouseClick(c->ativar(), Qt::LeftButton);
  QVERIFY(s.wait());
  QVERIFY(s.mensagens[0].startsWith(
      QStringLiteral("Informações importantes sobre dados compartilhados")));
  QVERIFY(s.mensagens[1].startsWith(QStringLiteral("Informe o e-mail e a chave de acesso")));
  QVERIFY(c->painelDesativada()->isVisible());

  // The account that `quorvel-service user add` printed, then "Ativar  a colaboração de dados".
  QTest::keyClicks(c->email(), QString::fromUtf8(kEmail));
  QTest::keyClicks(c->chave(), QString::fromStdString(chave));
  QCOMPARE(c->chave()->echoMode(), QLineEdit::Password);
  QTest::mouseClick(button(c, QStringLiteral("Ativar  a colaboração de dados")), Qt::LeftButton);
  QVERIFY(d.app->dtm.colaboracao.gCompartilha);
  QVERIFY(c->painelAtivada()->isVisible());
  QVERIFY(!c->painelDesativada()->isVisible());
  const std::string config = readFileBytes(prog.t.home.path("config.txt")).value_or("");
  QVERIFY(config.find("sync_email=ana@loja.com.br") != std::string::npos);
  QVERIFY(config.find("sync_chave=" + chave) != std::string::npos);
  QVERIFY(config.find("sync_compartilha=true") != std::string::npos);
  // The links stay until the window closes; then they go in both windows.
  QCOMPARE(linksVisiveis(defs), 3);
  QTest::mouseClick(c->fechar(), Qt::LeftButton);
  QVERIFY(!c->isVisible());
  QCOMPARE(linksVisiveis(defs), 0);
  QCOMPARE(linksVisiveis(d.frmQuorvel()), 0);

  // "Desativar" from the settings page: off again, and the links come back on closing.
  QTest::mouseClick(colaboracao, Qt::LeftButton);
  QVERIFY(c->isVisible());
  QCOMPARE(c->email()->text(), QString::fromUtf8(kEmail));
  QTest::mouseClick(c->desativar(), Qt::LeftButton);
  QVERIFY(!d.app->dtm.colaboracao.gCompartilha);
  QVERIFY(c->painelDesativada()->isVisible());
  QTest::keyClick(c, Qt::Key_Escape);
  QVERIFY(!c->isVisible());
  QCOMPARE(linksVisiveis(defs), 3);
  QCOMPARE(linksVisiveis(d.frmQuorvel()), 2);
  QVERIFY(
      readFileBytes(prog.t.home.path("config.txt")).value_or("").find("sync_compartilha=false") !=
      std::string::npos);
}

void OnlineWindowsTest::theDefinitionsWindowUpdatesWhatTheServiceHasNewer() {
  ServicePeer servico;
  servico.publicar("nomes_raros", "reyansh\r\n");
  servico.publicar("sites_ignorados", "empresa.com.br\r\n");
  const std::string chave = servico.adicionarUsuario(kEmail);
  Programa prog(servico.url());
  Desktop& d = prog.d();
  CollaborationConsent& consentimento = d.app->online.consentimento;
  QVERIFY(consentimento.guardarConta(kEmail, chave));
  QVERIFY(consentimento.setCompartilha(true));
  SyncProtocol& sync = d.app->online.sync;
  QVERIFY(sync.sincronizarSitesValidos("gmail.com\r\nuol.com.br\r\n"));
  QVERIFY(sync.sincronizarSitesInValidos("semmx.com.br\r\n"));
  QVERIFY(sync.sincronizarEmailsInValidos("joao@cliente.com.br\r\n"));

  // No date file in a new folder: the service has something newer for every row.
  TfrmDefinicoes* j = prog.abrirDefinicoes();
  QVERIFY(j);
  for (Definicao x :
       {Definicao::armadilhas, Definicao::paises, Definicao::nomesRaros, Definicao::sitesIgnorados,
        Definicao::mxValidos, Definicao::mxInvalidos, Definicao::emailsInvalidos}) {
    QVERIFY2(j->indicador(x)->isVisible(), qPrintable(QString::number(static_cast<int>(x))));
    QVERIFY(j->indicador(x)->text().startsWith(QStringLiteral("Definições de ")));
  }
  QVERIFY(j->painel()->isVisible());
  QVERIFY(!j->avisoServico()->isVisible());
  QVERIFY(j->atualizar()->isEnabled());
  QVERIFY2(controlsWithoutName(j, true).isEmpty(),
           qPrintable(controlsWithoutName(j, true).join(QStringLiteral("; "))));

  // What the panel showed while it worked.
  std::set<QString> tamanhos, rotulos;
  int maiorBarra = 0;
  auto seguir = d.app->definicoes.notices.listen([&](const DefinitionsNotice&) {
    tamanhos.insert(j->tamanho()->text());
    rotulos.insert(j->atualizando()->text());
    maiorBarra = std::max(maiorBarra, j->barraDownload()->maximum());
  });
  WindowScript s;
  s.answer(QStringLiteral("As definições online foram atualizadas nesse computador"),
           QStringLiteral("Ok"));
  QTest::mouseClick(j->atualizar(), Qt::LeftButton);
  QVERIFY(s.wait());
  seguir.cancel();
  QVERIFY(tamanhos.count(QStringLiteral("0 KB")));
  QVERIFY(std::any_of(tamanhos.begin(), tamanhos.end(), [](const QString& t) {
    return t.endsWith(QStringLiteral(" KB")) && t != QStringLiteral("0 KB");
  }));
  QVERIFY(maiorBarra > 1);
  QVERIFY(rotulos.count(QStringLiteral("Atualizando definiçõoes de armadilhas...")));
  QVERIFY(rotulos.count(QStringLiteral("Atualizando sites MX válidos... (2)")));

  // The sequence ran again: nothing newer now, the shared domains counted.
  QVERIFY(QTest::qWaitFor([&] { return !d.app->definicoes.timerAtivo(); }, 30000));
  QVERIFY(!j->painel()->isVisible());
  for (Definicao x : {Definicao::armadilhas, Definicao::nomesRaros, Definicao::mxValidos})
    QVERIFY(!j->indicador(x)->isVisible());
  QCOMPARE(j->itens(Definicao::mxValidos)->text(), QStringLiteral("itens: 2"));
  QVERIFY(d.app->dtm.colaboracao.gSyncCheck);
  QVERIFY(d.app->chain.gNomesRaros->contem("reyansh"));
  QVERIFY(fs::exists(prog.t.home.path("definitions.txt")));
}

void OnlineWindowsTest::theLauncherOffersTheNewBuildAndTheUpdateWindowStartsItsPackage() {
  ServicePeer servico;
  servico.definirBuilds(652, 651);
  servico.publicar("buildnotas.htm", "<h1>Build 652</h1><p>Novidades desta versão.</p>");
  std::string pacote(3000000, '\0');
  for (size_t i = 0; i < pacote.size(); ++i) pacote[i] = static_cast<char>(i * 7);
  servico.publicar(kArquivoSetup, pacote);
  TestDesktop t;
  Desktop& d = *t.d;
  d.app->online.setBaseUrl(servico.url());
  QSignalSpy fim(&d, &Desktop::encerrado);
  d.start();
  TfrmMain* lancador = d.frmMain();
  QVERIFY(lancador->novaVersao()->isVisible());
  QCOMPARE(lancador->novaVersao()->text(),
           QStringLiteral("Há uma nova versão do Quorvel disponível. Clique aqui para atualizar"));
  QVERIFY(lancador->notas()->isVisible());
  QVERIFY(lancador->notas()->toPlainText().contains(QStringLiteral("Novidades desta versão.")));

  // During the download: the window's state, and its button only asks to wait.
  TfrmUpdateApps* janela = d.frmUpdateApps();
  QVERIFY2(controlsWithoutName(janela, true).isEmpty(),
           qPrintable(controlsWithoutName(janela, true).join(QStringLiteral("; "))));
  ProgramUpdate& u = d.app->online.atualizacao;
  QString titulo, status, descricao, caption;
  bool visivel = false;
  int total = -1, maxTotal = -1;
  auto durante = u.notices.listen([&](const UpdateNotice&) {
    if (!caption.isEmpty() || u.posAtual == 0 || !u.visivel) return;
    visivel = janela->isVisible();
    titulo = janela->titulo()->text();
    status = janela->status()->text();
    descricao = janela->descricao()->text();
    total = janela->total()->value();
    maxTotal = janela->total()->maximum();
    caption = janela->botao()->text();
    QTest::mouseClick(janela->botao(), Qt::LeftButton);
  });
  WindowScript s;
  s.answer(QStringLiteral("Deseja efetuar a atualização do Quorvel agora? (recomendado)"),
           QStringLiteral("Sim"));
  s.answer(QStringLiteral("Por favor aguarde o término da instalação"), QStringLiteral("Ok"));
  s.answer(QString::fromUtf8(kMsgSeraFechado), QStringLiteral("Ok"));
  QTest::mouseClick(lancador->novaVersao(), Qt::LeftButton);
  QVERIFY(s.wait());
  durante.cancel();
  QVERIFY(visivel);
  QCOMPARE(titulo, QStringLiteral("Quorvel"));
  QCOMPARE(status, QStringLiteral("Baixando atualização..."));
  QVERIFY2(descricao.startsWith(QStringLiteral("baixando %1/quorvel/download/quorvel-setup.deb: ")
                                    .arg(QString::fromStdString(servico.url()))),
           qPrintable(descricao));
  QVERIFY(descricao.endsWith(QStringLiteral(" kb")));
  QCOMPARE(total, 1);
  QCOMPARE(maxTotal, 1);
  QCOMPARE(caption, QStringLiteral("Cancelar"));
  // The package arrived whole, was handed to the desktop's open action, and the program ends.
  QVERIFY(readFileBytes(u.arquivoSetup()) == pacote);
  QVERIFY(t.abertos == std::vector<std::string>{u.arquivoSetup()});
  QVERIFY(!janela->isVisible());
  QCOMPARE(fim.count(), 1);
}

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication app(argc, argv);
  OnlineWindowsTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "online_windows_test.moc"
