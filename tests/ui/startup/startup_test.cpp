// The program coming up, the launcher and the main window, pressed like a user would.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>

#include "app/main_window.h"
#include "common/text_file.h"
#include "ui/pages/editor_page.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_colabore.h"
#include "ui/tfrm_contas.h"
#include "ui/tfrm_definicoes.h"
#include "ui/tfrm_file_select.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_mensagens.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_progress.h"
#include "ui/tfrm_salvar_file.h"
#include "ui/tfrm_splash.h"
#include "ui/tfrm_update_apps.h"
#include "ui_test_support.h"

using namespace quorvel;
using namespace quorvel::ui;
using quorvel::testing::button;
using quorvel::testing::TestDesktop;
using quorvel::testing::WindowScript;
namespace fs = std::filesystem;

class StartupTest : public QObject {
  Q_OBJECT
 private slots:
  void startOrderFromLauncherToMainWindowAndBack();
  void startTimerLoadsDefinitionsWhenCheckDefinitionIsTrue();
  void settingsPageWritesCheckDefinitionAndMovesTheHighlight();
  void sairAsksBeforeEndingTheProgram();
  void aFailureNoOperationHandlesBecomesAnErrorBoxAndTheProgramGoesOn();
  void buttonsOfEveryWindowAreEnabled();
  void everyControlCarriesItsCaptionAsAccessibleName();
};

void StartupTest::startOrderFromLauncherToMainWindowAndBack() {
  TestDesktop t;
  Desktop& d = *t.d;
  // Before the launcher shows: the folders exist and the splash is on screen.
  QVERIFY(fs::is_directory(t.home.path("dados")));
  QVERIFY(fs::is_directory(t.home.path("dados/listas")));
  QVERIFY(d.splash()->isVisible());
  QVERIFY(!d.frmMain()->isVisible());

  d.start();
  QVERIFY(d.frmMain()->isVisible());
  QCOMPARE(d.frmMain()->windowTitle(), QStringLiteral("Quorvel - Validação avançada de e-mails"));
  QVERIFY(!d.splash()->isVisible());
  QCOMPARE(d.splash()->status()->text(), QStringLiteral("Abrindo o banco de dados..."));
  QVERIFY(fs::exists(t.home.path("dados/config/quorvel.bd")));
  QCOMPARE(d.frmMain()->abrir()->font().pointSize(), 12);

  QTest::mouseClick(d.frmMain()->abrir(), Qt::LeftButton);
  TfrmPrincipal* p = d.principal();
  QVERIFY(p);
  QVERIFY(QTest::qWaitForWindowExposed(p));
  QVERIFY(!d.frmMain()->isVisible());
  QCOMPARE(p->windowTitle(), QStringLiteral("Quorvel - Build: 651"));
  QVERIFY(!p->paginas()->tabBar()->isVisible());
  QCOMPARE(p->paginas()->currentIndex(), 0);
  QVERIFY(p->lista()->isVisible());
  QCOMPARE(p->lista()->abas()->tabText(0), QStringLiteral("Principal"));
  QCOMPARE(p->lista()->abas()->tabText(1), QStringLiteral("Válidos"));
  QCOMPARE(p->lista()->abas()->tabText(2), QStringLiteral("Inválidos"));
  QVERIFY(d.launcher->principal->temporizadorInicio().active());
  QVERIFY(d.launcher->principal->temporizadorInicio().intervalo() == std::chrono::seconds(2));
  QVERIFY(d.app->janelaValidacaoCriada);

  // "Fechar" frees the main window and shows the launcher again.
  QPointer<TfrmPrincipal> principal(p);
  QTest::mouseClick(p->botao(QStringLiteral("Fechar")), Qt::LeftButton);
  QTRY_VERIFY(principal.isNull());
  QVERIFY(d.frmMain()->isVisible());
  QVERIFY(!d.launcher->principal);
  // Opened again, it shows the same list.
  QTest::mouseClick(d.frmMain()->abrir(), Qt::LeftButton);
  QVERIFY(d.principal());
  QCOMPARE(&d.principal()->lista()->editor(), &d.app->editor);
}

void StartupTest::startTimerLoadsDefinitionsWhenCheckDefinitionIsTrue() {
  TestDesktop t("check_definition=true\r\n");
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmPrincipal* p = t.d->principal();
  QVERIFY(!t.d->app->validationWindow.chain.gRegras);
  QVERIFY(!p->checkDefinition()->isChecked());
  t.d->launcher->principal->temporizadorInicio().start(std::chrono::milliseconds(0));
  QTRY_VERIFY(p->checkDefinition()->isChecked());
  QVERIFY(!t.d->launcher->principal->temporizadorInicio().active());  // step 8 runs once
  // The definitions window loads the lists through its steps.
  QTRY_VERIFY(t.d->frmDefinicoes() && t.d->frmDefinicoes()->isVisible());
  QTRY_VERIFY(t.d->app->validationWindow.chain.gRegras);
}

void StartupTest::settingsPageWritesCheckDefinitionAndMovesTheHighlight() {
  TestDesktop t;
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmPrincipal* p = t.d->principal();
  QPushButton* config = p->botaoLateral(BotaoLateral::configuracoes);
  QTest::mouseClick(config, Qt::LeftButton);
  QCOMPARE(p->paginas()->currentIndex(), 1);
  QVERIFY(p->destaque()->isVisible());
  QVERIFY(p->destaque()->geometry().intersects(config->geometry()));

  QCheckBox* ck = p->checkDefinition();
  QCOMPARE(ck->text(), QStringLiteral("Verificar se há atualização nas definições de checagem ao "
                                      "abrir o Quorvel"));
  QTest::mouseClick(ck, Qt::LeftButton);
  QCOMPARE(readFileBytes(t.home.path("config.txt")).value_or(""),
           std::string("\xEF\xBB\xBF"
                       "check_definition=true\r\n"));
  QTest::mouseClick(ck, Qt::LeftButton);
  QCOMPARE(t.d->app->dtm.settings.valor("check_definition"), std::string("false"));

  QTest::mouseClick(p->botaoLateral(BotaoLateral::ajuda), Qt::LeftButton);
  QCOMPARE(p->paginas()->currentIndex(), 2);
  QVERIFY(p->destaque()->geometry().intersects(p->botaoLateral(BotaoLateral::ajuda)->geometry()));
  QTest::mouseClick(p->botao(QStringLiteral("Voltar à seção principal")), Qt::LeftButton);
  QCOMPARE(p->paginas()->currentIndex(), 0);

  // The tutorials menu opens its links in the browser.
  QTest::mouseClick(p->botaoLateral(BotaoLateral::tutoriais), Qt::LeftButton);
  QMenu* menu = p->findChild<QMenu*>(QStringLiteral("menuTutoriais"));
  QVERIFY(menu);
  quorvel::testing::choose(menu, 0);
  QCOMPARE(t.abertos.size(), size_t(1));
  QVERIFY(QString::fromStdString(t.abertos[0]).contains(QStringLiteral("/quorvel/")));
}

void StartupTest::sairAsksBeforeEndingTheProgram() {
  TestDesktop t;
  t.d->start();
  QSignalSpy fim(t.d.get(), &Desktop::encerrado);
  WindowScript s;
  s.answer(QStringLiteral("Deseja encerrar o Quorvel?"), QStringLiteral("&Não"));
  QTest::mouseClick(t.d->frmMain()->sair(), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(fim.count(), 0);
  QVERIFY(t.d->app->dtm.bancoAberto());
  // Esc is a no as well; then yes ends the program with the database closed.
  s.answer(QStringLiteral("Deseja encerrar o Quorvel?"), {}, Qt::Key_Escape);
  QTest::mouseClick(t.d->frmMain()->sair(), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(fim.count(), 0);
  s.answer(QStringLiteral("Deseja encerrar o Quorvel?"), QStringLiteral("&Sim"));
  QTest::mouseClick(t.d->frmMain()->sair(), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(fim.count(), 1);
  QVERIFY(!t.d->app->dtm.bancoAberto());
}

void StartupTest::aFailureNoOperationHandlesBecomesAnErrorBoxAndTheProgramGoesOn() {
  TestDesktop t;
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmPrincipal* p = t.d->principal();
  QTest::mouseClick(p->botaoLateral(BotaoLateral::configuracoes), Qt::LeftButton);
  // The database file is damaged behind the program's back; maintenance cannot reopen it.
  t.d->app->dtm.banco().fechar();
  t.home.write("dados/config/quorvel.bd", std::string(8192, 'x'));
  WindowScript s;
  s.answerAny();
  QTest::mouseClick(p->botao(QStringLiteral("Manutenção no banco de dados")), Qt::LeftButton);
  QVERIFY(s.wait());
  QCOMPARE(s.mensagens.size(), size_t(1));
  QVERIFY(!s.mensagens[0].isEmpty());
  QVERIFY(!t.d->frmProgress()->isVisible());
  // The program goes on.
  QTest::mouseClick(p->botao(QStringLiteral("Voltar à seção principal")), Qt::LeftButton);
  QCOMPARE(p->paginas()->currentIndex(), 0);
}

void StartupTest::buttonsOfEveryWindowAreEnabled() {
  TestDesktop t;
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmPrincipal* p = t.d->principal();
  QVERIFY(p->botaoLateral(BotaoLateral::validarEmails)->isEnabled());
  QVERIFY(p->botaoLateral(BotaoLateral::definicoes)->isEnabled());
  QVERIFY(p->botao(QStringLiteral("Iniciar a validação dos e-mails"))->isEnabled());
  for (const char* c :
       {"Configurar contas de e-mail", "Baixar erros e descadastramentos", "Colaboração de dados"})
    QVERIFY2(p->botao(QString::fromUtf8(c))->isEnabled(), c);
  QVERIFY(p->botao(QStringLiteral("Manutenção no banco de dados"))->isEnabled());
  QVERIFY(p->lista()
              ->entradaMenu(QStringLiteral("Salvar / Exportar..."),
                            QStringLiteral("Exportar + utilitários"))
              ->isEnabled());
}

void StartupTest::everyControlCarriesItsCaptionAsAccessibleName() {
  TestDesktop t;
  t.d->start();
  QTest::mouseClick(t.d->frmMain()->abrir(), Qt::LeftButton);
  TfrmPrincipal* p = t.d->principal();
  TfrmLista* lista = p->lista();
  std::vector<QWidget*> janelas = {t.d->frmMain(), p};
  for (int pg = TfrmLista::pgDefinirColunas; pg < TfrmLista::kPaginas; ++pg)
    janelas.push_back(lista->pagina(static_cast<TfrmLista::Pagina>(pg)));
  janelas.push_back(&t.d->dialogs.janelaArquivos());
  janelas.push_back(&t.d->dialogs.janelaSalvar());
  janelas.push_back(t.d->frmContas());
  janelas.push_back(t.d->frmMensagens());
  janelas.push_back(t.d->frmColabore());
  janelas.push_back(t.d->frmUpdateApps());
  QStringList semNome;
  for (QWidget* janela : janelas) semNome << quorvel::testing::controlsWithoutName(janela, true);
  QVERIFY2(semNome.isEmpty(), qPrintable(semNome.join(QStringLiteral("; "))));
}

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication app(argc, argv);
  StartupTest t;
  return QTest::qExec(&t, argc, argv);
}

#include "startup_test.moc"
