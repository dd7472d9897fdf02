// Renders every window of the desktop program to PNG files, for the README and for looking at
// them: quorvel-screenshots OUTPUT_FOLDER SAMPLE_LIST. Runs on any Qt platform (offscreen too).
// The mailbox windows are shown after a real check against a Dovecot started on loopback.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/main_window.h"
#include "app/message_box.h"
#include "app/store_windows.h"
#include "lists/file_selection.h"
#include "lists/grid_operations.h"
#include "lists/header_row.h"
#include "lists/list_loading.h"
#include "lists/list_saving.h"
#include "lists/name_identification.h"
#include "support/dns_peer.h"
#include "support/dovecot_peer.h"
#include "support/mail_fixtures.h"
#include "support/service_peer.h"
#include "ui/bulk_page.h"
#include "ui/desktop.h"
#include "ui/grid_view.h"
#include "ui/item_chooser_dialog.h"
#include "ui/pages/editor_page.h"
#include "ui/quorvel_application.h"
#include "ui/tfrm_colabore.h"
#include "ui/tfrm_contas.h"
#include "ui/tfrm_definicoes.h"
#include "ui/tfrm_export.h"
#include "ui/tfrm_file_select.h"
#include "ui/tfrm_get_value.h"
#include "ui/tfrm_input.h"
#include "ui/tfrm_lista.h"
#include "ui/tfrm_main.h"
#include "ui/tfrm_mensagens.h"
#include "ui/tfrm_msg.h"
#include "ui/tfrm_principal.h"
#include "ui/tfrm_progress.h"
#include "ui/tfrm_quorvel.h"
#include "ui/tfrm_salvar_file.h"
#include "ui/tfrm_splash.h"
#include "ui/tfrm_update_apps.h"
#include "validation/filter_editors.h"

using namespace quorvel;
using namespace quorvel::ui;

namespace {

QString gPasta;

void salvar(QWidget* w, const char* nome) {
  w->show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  const QString arquivo = gPasta + QLatin1Char('/') + QLatin1String(nome) + QStringLiteral(".png");
  if (!w->grab().save(arquivo))
    std::fprintf(stderr, "não foi possível gravar %s\n", qPrintable(arquivo));
  std::printf("%s\n", qPrintable(arquivo));
}

// Lets events through until `pronto` holds (at most ten seconds).
template <class F>
void esperar(F pronto) {
  QElapsedTimer t;
  t.start();
  while (!pronto() && t.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Closes every message box that appears (with its "Ok", or "Não" to a question), as a user
// reading them would.
void responderMensagens(QObject* dono) {
  auto* timer = new QTimer(dono);
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* m = qobject_cast<TfrmMsg*>(w);
      if (!m || !m->isVisible()) continue;
      // "Ok", or "Não" to the question whether changed lists are saved before they go.
      for (QPushButton* b : m->findChildren<QPushButton*>())
        if (b->accessibleName() == QStringLiteral("Ok") ||
            b->text().remove(QLatin1Char('&')) == QStringLiteral("Não"))
          b->click();
    }
  });
  timer->start();
}

// The accounts window on each of its steps, and the mailbox window after a check of a mailbox
// seeded with bounces of every kind.
void janelasDaCaixaPostal(Desktop& d) {
  using testing::DovecotPeer;
  DovecotPeer dovecot;
  ::setenv("QUORVEL_CA_FILE", dovecot.certificado().c_str(), 1);
  const std::string conta = "retornos@minhaempresa.test";
  dovecot.criarCaixa(conta);
  dovecot.semear(
      conta,
      {testing::retorno("usuario_inexistente.eml", conta),
       testing::retorno("caixa_cheia_latin1.eml", conta),
       testing::retorno("relatorio_original_recipient.eml", conta),
       testing::mensagem("Cliente <cliente@padaria.test>", "Pedido de orçamento"),
       testing::mensagem("Ana <ana@exemplo.test>", "Resposta automática: estou de férias"),
       testing::retorno("remover.eml", conta), testing::retorno("postmaster_texto.eml", conta)});
  StoreWindows& mb = *d.app->storeWindows;
  CLContas c = testing::contaNoServidor(dovecot, conta, true);
  mb.negConta.newContaSave(c);
  mb.contas.edtEmail = "contato@gmail.com";
  mb.contas.tentarConfigurar("contato@gmail.com");
  CLContas gmail = c;
  gmail.email = gmail.ImapNomeUsuario = "contato@gmail.com";
  gmail.ImapServidor = mb.contas.edtServidor;
  gmail.ImapPorta = mb.contas.edtPorta;
  mb.negConta.newContaSave(gmail);
  mb.negConta.setActive(mb.negConta.accounts()[0].id, false);

  TfrmContas* contas = d.frmContas();
  salvar(contas, "accounts-list");
  AccountsWindow& e = mb.contas;
  e.btnNovaContaClick();
  e.edtEmail = "vendas@minhaempresa.test";
  e.edtSenha = "segredo";
  e.notices.notify({});
  salvar(contas, "accounts-step1");
  e.pagina = PaginaContas::configuracoesAvancadas;
  e.edtServidor = "imap.minhaempresa.test";
  e.edtPorta = "993";
  e.edtUsuario = "vendas@minhaempresa.test";
  AccountsWindow::selecionarItem(e.cmbUsarTLS, kTLSImplicito);
  e.notices.notify({});
  salvar(contas, "accounts-step2");
  e.painelAvancadoVisivel = true;
  e.edtServidor.clear();
  e.molduraVisivel = true;
  e.notices.notify({});
  salvar(contas, "accounts-advanced");
  e.btnCancelarClick();
  contas->hide();

  TfrmMensagens* janela = d.frmMensagens();
  janela->show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  MailboxWindow& m = mb.caixa;
  m.ckbApagar = true;
  m.mmoAssunto = {"resposta automática"};
  // Halfway through the check (the run lets events through): progress, "Cancelar", working.
  QTimer meio;
  meio.setInterval(0);
  QObject::connect(&meio, &QTimer::timeout, [&] {
    if (m.progressoPos < 4) return;
    meio.stop();
    janela->grab().save(gPasta + QStringLiteral("/mailbox-running.png"));
  });
  meio.start();
  m.btnChecarClick();
  salvar(janela, "mailbox-window");
  m.pagina = PaginaMensagens::configuracoes;
  m.cmbCheckMinutes = 3;
  m.cmbCheckDays = 7;
  m.notices.notify({});
  salvar(janela, "mailbox-settings");
  m.setUnsubscribeAddress("descadastro@minhaempresa.test");
  m.pagina = PaginaMensagens::descadastramentos;
  m.notices.notify({});
  salvar(janela, "mailbox-unsubscribe");
  janela->hide();
}

// The windows of the web service: the consent window with each of its panels, the definitions
// window halfway through an update, and the update window halfway through the new build's
// package.
void janelasOnline(Desktop& d, MainWindow& m, const std::string& chave) {
  CollaborationConsent& c = d.app->online.consentimento;
  d.open(WindowId::collaboration);
  TfrmColabore* consentimento = d.frmColabore();
  c.email = "ana@loja.com.br";
  c.chave = chave;
  c.notices.notify({});
  salvar(consentimento, "consent-off");
  consentimento->ativar()->click();
  salvar(consentimento, "consent-on");
  consentimento->fechar()->click();

  DefinitionsWindow& defs = d.app->definicoes;
  m.definicoesOnline();
  esperar([&] { return !defs.timerAtivo(); });
  bool feita = false;
  auto meio = defs.notices.listen([&](const DefinitionsNotice&) {
    // Halfway through the trap list (the service's seed: about 2 MB).
    if (feita || defs.lbAtualizando.rfind("Atualizando definiçõoes de armadilhas", 0) != 0 ||
        defs.barraDownloadPos < 100000 || defs.barraDownloadPos * 2 < defs.barraDownloadMax)
      return;
    feita = true;
    salvar(d.frmDefinicoes(), "definitions-updating");
  });
  d.frmDefinicoes()->atualizar()->click();
  meio.cancel();
  defs.fechar();

  ProgramUpdate& u = d.app->online.atualizacao;
  bool baixando = false;
  auto download = u.notices.listen([&](const UpdateNotice&) {
    if (baixando || u.maxAtual == 0 || u.posAtual * 2 < u.maxAtual) return;
    baixando = true;
    salvar(d.frmUpdateApps(), "update-window");
  });
  u.baixarAtualizacao();
}

// A CRM export with typing slips, validated: "Inválidos" with its suggestions, the utility in
// the "Utilitários" menu, then "Válidos" once they were applied.
void suggestionWindows(Desktop& d, MainWindow& m, TfrmLista* lista) {
  ListEditor& e = d.app->editor;
  escolherNovaLista(e, NewListOption::zerarTodas);
  e.setAbaAtiva(kAbaPrincipal);
  escolherNovaLista(e, NewListOption::eliminarColunas);
  colarCheck(e,
             "nome;email;cidade;uf\n"
             "Ana Souza;ana.souza@gmail.com;São Paulo;SP\n"
             "Joana Lima;joana.lima@gmial.com;Recife;PE\n"
             "Pedro Alves;pedro.alves@hotmial.com;Natal;RN\n"
             "Márcia Lima;marcia_lima@hotmail.com;Fortaleza;CE\n"
             "Rita Reis;rita.reis@uol.com;Salvador;BA\n"
             "Caio Brandão;caio@bol.com;Belém;PA\n"
             "Lucas Prado;lucas.prado@gmail.com.br;Curitiba;PR\n"
             "Contato;contato@lojasemservidor.com.br;Joinville;SC\n"
             "Paulo Almeida;paulo.almeida@gmail.com;Goiânia;GO");
  setColunaPrimeiraLinha(e, *e.gGrid, 1);
  m.validarEmails();
  d.frmQuorvel()->iniciar()->click();
  esperar([&] { return !d.app->validationWindow.gRodando; });
  d.frmQuorvel()->hide();
  e.setAbaAtiva(kAbaInvalidos);
  e.AutoSizeGrid(e.gridInvalidos, lista->larguraTexto());
  lista->setFixedSize(1060, 520);
  salvar(lista, "invalid-suggestions");
  for (QMenu* menu : lista->findChildren<QMenu*>()) {
    if (menu->title() != QStringLiteral("Utilitários")) continue;
    menu->popup(lista->mapToGlobal(QPoint(200, 24)));
    salvar(menu, "suggestions-menu");
    menu->hide();
  }
  lista->entradaMenu(QStringLiteral("Utilitários"), QStringLiteral("Aplicar sugestões"))->trigger();
  // The count of moved rows is told in a box the message timer closes.
  esperar([] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<TfrmMsg*>(w) && w->isVisible()) return false;
    return true;
  });
  e.setAbaAtiva(kAbaValidos);
  e.AutoSizeGrid(e.gridValidos, lista->larguraTexto());
  salvar(lista, "suggestions-applied");
  lista->setMinimumSize(0, 0);
  lista->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

}  // namespace

int main(int argc, char** argv) {
  QuorvelApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "uso: quorvel-screenshots PASTA LISTA\n");
    return 2;
  }
  gPasta = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(gPasta);
  QTemporaryDir home;
  const std::string casa = home.path().toStdString();
  std::filesystem::create_directories(casa + "/dados");
  std::filesystem::copy_file(argv[2], casa + "/dados/lista-exemplo.txt");
  {
    std::ofstream(casa + "/dados/campanha-marco.csv") << "\"emails\"\r\n\"ana@exemplo.com.br\"\r\n";
  }
  std::filesystem::create_directories(casa + "/dados/listas");
  // The sample filter lists, and a DNS server on loopback that knows the sample's domains.
  const std::filesystem::path amostras = std::filesystem::path(argv[2]).parent_path();
  std::filesystem::copy(amostras / "workspace" / "dados" / "config", casa + "/dados/config",
                        std::filesystem::copy_options::recursive);
  // The providers' list the definitions ship (for the suggestions of mistyped addresses).
  std::filesystem::copy_file(
      amostras.parent_path() / "packaging" / "definicoes" / "sys_provedores.filter",
      casa + "/dados/config/sys_provedores.filter");
  quorvel::testing::DnsPeer dns(
      {"gmail.com", "uol.com.br", "hotmail.com", "yahoo.com.br", "empresa.com.br",
       "prefeitura.gov.br", "provedor.com.br", "orange.fr", "terra.com.br", "bol.com.br",
       "ig.com.br", "company.com", "globo.com"},
      {"--local=/com/", "--local=/br/", "--local=/fr/"});

  // The web service on loopback: a newer build with its notes and package, newer rare names, and
  // the user's account (not sharing yet).
  quorvel::testing::ServicePeer servico;
  servico.definirBuilds(652, 651);
  servico.publicar("buildnotas.htm",
                   "<h2>Quorvel 652</h2><ul><li>Colaboração de dados: ative na janela "
                   "de autorização com a chave do seu serviço.</li><li>Definições de checagem "
                   "atualizadas pela janela de definições.</li></ul>");
  servico.publicar("nomes_raros", "reyansh\r\n");
  {
    std::string pacote(6000000, '\0');
    for (size_t i = 0; i < pacote.size(); ++i) pacote[i] = static_cast<char>(i * 7);
    servico.publicar(kArquivoSetup, pacote);
  }
  const std::string chave = servico.adicionarUsuario("ana@loja.com.br");

  // The mailbox window's tip would wait for a click.
  { std::ofstream(casa + "/tipfile.txt") << kIdDicaChecagem << "=true\r\n"; }

  DesktopOptions opcoes;
  opcoes.esperaAberturaMs = 0;
  Desktop d(casa, opcoes);
  d.platform.abrir = [](const std::string&) {};
  d.progress.intervaloMs = 0;
  d.app->dns.server = dns.server();
  d.app->online.setBaseUrl(servico.url());
  d.app->online.consentimento.guardarConta("ana@loja.com.br", chave);

  salvar(d.splash(), "splash");
  d.start();
  salvar(d.frmMain(), "launcher");
  d.launcher->abrirQuorvel();
  TfrmPrincipal* p = d.principal();
  p->resize(1280, 800);
  MainWindow& m = p->model();
  m.soltarArquivos({casa + "/dados/lista-exemplo.txt"}, p->lista()->larguraTexto());
  ListEditor& e = d.app->editor;
  e.gGrid->moverCursor(0, 3);
  p->lista()->localizar()->setText(QStringLiteral("gmail"));
  salvar(p, "main-window");
  p->lista()->localizar()->clear();

  // The definitions window once its steps loaded the lists.
  m.definicoesOnline();
  esperar([&] { return !d.app->definicoes.timerAtivo(); });
  salvar(d.frmDefinicoes(), "definitions-window");
  // A run of the validation window over the sample list.
  responderMensagens(&app);
  m.validarEmails();
  TfrmQuorvel* validacao = d.frmQuorvel();
  validacao->iniciar()->click();
  esperar([&] { return !d.app->validationWindow.gRodando; });
  salvar(validacao, "validation-window");
  salvar(p, "main-window-after-validation");
  d.app->validationWindow.fecharClicado();
  {
    FilterEditorTexts t = filterEditorTexts(FilterEditorKind::paises);
    TfrmInput janela(t.titulo, ".ar\r\n.de\r\n.es\r\n.fr\r\n.it\r\n.jp\r\n.pt\r\n.uk", "Ok",
                     t.descricao);
    janela.resize(520, 360);
    salvar(&janela, "filter-editor");
    janela.hide();
  }

  // A list with several columns for the editor and its pages.
  TfrmLista* lista = p->lista();
  // The validation's results are let go without the question a user would be asked.
  e.setEditou(*e.gGrid, false);
  escolherNovaLista(e, NewListOption::eliminarColunas);
  colarCheck(e,
             "emails;nome;cidade;uf\n"
             "ana.souza@gmail.com;Ana Souza;São Paulo;SP\n"
             "contato@padariaestrela.com.br;;Belo Horizonte;MG\n"
             "joao.pereira@uol.com.br;João Pereira;Recife;PE\n"
             "vendas@construtoraforte.com.br;;Curitiba;PR\n"
             "marcia_lima@hotmail.com;Márcia Lima;Fortaleza;CE\n"
             "carlos.oliveira@terra.com.br;Carlos Oliveira;Porto Alegre;RS\n"
             "atendimento@lojadobairro.com.br;;Salvador;BA\n"
             "fernanda.rocha@yahoo.com.br;Fernanda Rocha;Belém;PA\n"
             "rh@metalurgicasul.ind.br;;Joinville;SC\n"
             "paulo.almeida@gmail.com;Paulo Almeida;Goiânia;GO");
  setColunaPrimeiraLinha(e, *e.gGrid, 1);
  identificarNomes(e, 0, true);
  e.AutoSizeGrid(*e.gGrid, lista->larguraTexto());
  e.gGrid->moverCursor(0, 2);
  lista->setFixedSize(1060, 640);
  salvar(lista, "list-editor");
  lista->setMinimumSize(0, 0);
  lista->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  const std::pair<TfrmLista::Pagina, const char*> paginas[] = {
      {TfrmLista::pgDefinirColunas, "page-definir-colunas"},
      {TfrmLista::pgEliminarColuna, "page-eliminar-coluna"},
      {TfrmLista::pgEliminarRepetidos, "page-eliminar-repetidos"},
      {TfrmLista::pgSubstituir, "page-substituir"},
      {TfrmLista::pgNomes, "page-nomes"},
      {TfrmLista::pgExcluirAvancado, "page-excluir-avancado"},
      {TfrmLista::pgOtimizacao, "page-otimizacao"},
      {TfrmLista::pgGerarEmail, "page-gerar-email"},
      {TfrmLista::pgExtrator, "page-extrator"},
  };
  for (const auto& [pg, nome] : paginas) {
    e.gGrid->moverCursor(2, 1);
    lista->mostrarPagina(pg);
    salvar(p, nome);
  }
  lista->exibirListaDestinatarios();
  suggestionWindows(d, m, lista);

  {
    // "Exportar + utilitários" over the same list: the data page, then the utilities page.
    TfrmExport janela(d.dialogs, d.progress, d.platform);
    janela.setAttribute(Qt::WA_DeleteOnClose, false);
    janela.modelo().carregarGrid(*e.gGrid, false);
    janela.modelo().atualizarStatus();
    janela.resize(960, 560);
    salvar(&janela, "export-window");
    janela.modelo().gCol = 0;
    janela.modelo().utilitariosDaColuna();
    salvar(&janela, "export-utilities");
    janela.modelo().btnVoltarClick();
    janela.modelo().btnExcluirColunasClick();
    salvar(&janela, "export-columns");
    janela.hide();
  }

  m.grandes();
  d.app->grandes.adicionarArquivos(
      {casa + "/dados/lista-exemplo.txt", casa + "/dados/campanha-marco.csv"});
  salvar(p, "bulk-page");
  m.configuracoes();
  salvar(p, "settings-page");
  m.ajuda();
  salvar(p, "help-page");
  m.classico();

  const std::pair<TipoMsg, const char*> tipos[] = {
      {TipoMsg::informacao, "Processamento finalizado"},
      {TipoMsg::erro, "Não foi possível abrir o arquivo: /home/ana/dados/lista.csv"},
      {TipoMsg::aviso,
       "O arquivo de exclusão campanha.csv tem mais de uma coluna de dados e isso "
       "faz a consulta ser muito mais lenta."},
      {TipoMsg::pergunta, "Deseja cancelar esse processamento?"},
      {TipoMsg::ajuda, "Como usar o Quorvel\\n\\nCarregue sua lista e use os utilitários."},
  };
  const char* nomesMsg[] = {"msg-informacao", "msg-erro", "msg-aviso", "msg-pergunta", "msg-ajuda"};
  for (int i = 0; i < 5; ++i) {
    TfrmMsg janela(exibirMensagem(tipos[i].second, tipos[i].first, 0));
    salvar(&janela, nomesMsg[i]);
    janela.hide();
  }
  {
    // The question asked before an unsaved list is discarded.
    MessageBox box = exibirMensagem("Deseja salvar as alterações da lista?", TipoMsg::pergunta);
    box.botoes.push_back({"&Cancelar", kEsc});
    TfrmMsg janela(box);
    salvar(&janela, "msg-pergunta-salvar");
    janela.hide();
  }
  {
    auto dica = showTip(d.dialogs.dicas(), kDicaNovaListaId, kDicaNovaLista, TipoMsg::dica);
    dica->altura = kDicaNovaListaAltura;
    TfrmMsg janela(*dica);
    salvar(&janela, "msg-dica");
    janela.hide();
  }
  d.progress.setProgress("Carregando dados...", 1000, "Processados: 420.000",
                         "Total de linhas: 1.000.000", "", 0);
  d.progress.setPosition(420);
  salvar(d.frmProgress(), "progress");
  d.progress.hide();
  {
    TfrmGetValue janela("Inserir coluna", "");
    salvar(&janela, "value-dialog");
    janela.hide();
  }
  {
    TfrmInput janela("Dados listados:", textoListarDados(*e.gGrid), "Ok", "");
    salvar(&janela, "input-dialog");
    janela.hide();
  }
  {
    TfrmSalvarFile& janela = d.dialogs.janelaSalvar();
    SaveFields campos = initialSaveFields(casa + "/dados", "");
    janela.pasta()->setText(QString::fromStdString(campos.pasta));
    janela.nome()->setText(QStringLiteral("lista-limpa"));
    salvar(&janela, "save-window");
    janela.hide();
    // "Salvar como..." of a list: the same window with the choice of the separator.
    for (QLabel* r : janela.findChildren<QLabel*>())
      if (r->text() == QStringLiteral("Separador dos campos:")) r->show();
    janela.separador()->show();
    salvar(&janela, "save-window-separator");
    janela.hide();
  }
  {
    TfrmFileSelect& janela = d.dialogs.janelaArquivos();
    d.dialogs.selecaoArquivos().abrir(casa + "/dados/", "*.*", "", true, true);
    d.dialogs.selecaoArquivos().selecionarLinha(0);
    salvar(&janela, "file-selection");
    janela.hide();
  }
  {
    ItemChooserDialog janela("Selecionar uma coluna", "Qual coluna contém os e-mails?",
                             {"emails", "nome", "cidade"});
    salvar(&janela, "column-chooser");
    janela.hide();
  }
  try {
    janelasDaCaixaPostal(d);
  } catch (const std::exception& falha) {
    std::fprintf(stderr, "janelas da caixa postal: %s\n", falha.what());
    return 1;
  }
  janelasOnline(d, m, chave);
  return 0;
}
