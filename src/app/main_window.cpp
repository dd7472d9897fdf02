#include "app/main_window.h"

#include <algorithm>

#include "app/launcher_window.h"
#include "app/main_window_validation.h"
#include "common/format.h"
#include "lists/list_saving.h"
#include "store/settings.h"
#include "store/tbconfig_seed.h"

namespace quorvel {

const char* const kTextoAjuda =
    "Como usar o Quorvel\\n\\n"
    "1. Carregue sua lista na seção principal: clique em \"Abrir lista\", arraste arquivos de "
    "texto ou CSV para esta janela ou cole os dados com CTRL + V.\\n"
    "2. Use os menus \"Editar\", \"Colunas\" e \"Utilitários\" para ajustar a lista: eliminar "
    "repetidos, usar listas de exclusão, renomear colunas, identificar nomes e gerar "
    "e-mails.\\n"
    "3. Salve a lista com \"Salvar (F2)\" ou \"Salvar como...\". Os arquivos ficam na pasta "
    "\"dados\" do Quorvel.\\n\\n"
    "Teclas: F2 salva, F3 insere dados, F4 insere uma coluna, DEL apaga o conteúdo selecionado "
    "e SHIFT + DEL exclui as linhas selecionadas.";

MainWindow::MainWindow(Application& a, LauncherWindow& l) : app(a), launcher(l) {
  tmInicio_ = app.ports.platform.newTicker([this] { aoTemporizadorInicio(); });
}

void MainWindow::aoCriar() {
  itensColados.clear();
  aceitaArquivos = true;
  notify();
}

void MainWindow::aoExibir() {
  pagina = PaginaPrincipal::primeira;
  primeiraPagina = PrimeiraPagina::classico;
  caption = captionPrincipal();
  if (!listaEmbutida) {
    // openFrmLista: the editor's first showing.
    listaEmbutida = true;
    app.editor.setAbaAtiva(kAbaPrincipal);
  }
  if (!app.janelaValidacaoCriada)
    app.janelaValidacaoCriada = true;  // hidden until a run starts
  else
    app.validationWindow.mostrar();
  abasVisiveis = false;
  launcher.splash.visivel = false;
  launcher.notices.notify({});
  tmInicio_->start(kEsperaTemporizadorInicio);
  notify();
}

void MainWindow::aoTemporizadorInicio() {
  tmInicio_->stop();
  ckbCheckDefinition = app.dtm.settings.valor(kCheckDefinition) == "true";
  notify();
  if (ckbCheckDefinition) app.windows().open(WindowId::definitions);
  // The settings window's creation: the settings table from config.db when it is empty.
  if (app.dtm.bancoAberto()) {
    SeedResult r = seedTbconfig(app.dtm.banco(), app.home());
    if (!r.ok()) app.ports.dialogs.msgErro(r.erro);
  }
}

void MainWindow::destacar(BotaoLateral b) {
  destaque = b;
  notify();
}

void MainWindow::validarEmails() {
  destacar(BotaoLateral::validarEmails);
  if (!disponivel(WindowId::validation)) return;
  MainWindowActions acoes;
  acoes.carregarDefinicoes = [this] { app.carregarDefinicoesAgora(); };
  acoes.mostrarPaginaLista = [this] { classico(); };
  validarEmailsPrincipal(app.validationWindow, app.listasValidacao, app.ports.dialogs, acoes);
}

void MainWindow::definicoesOnline() {
  destacar(BotaoLateral::definicoes);
  app.windows().open(WindowId::definitions);
}

void MainWindow::configuracoes() {
  destacar(BotaoLateral::configuracoes);
  pagina = PaginaPrincipal::configuracoes;
  notify();
}

void MainWindow::ajuda() {
  destacar(BotaoLateral::ajuda);
  pagina = PaginaPrincipal::ajuda;
  notify();
}

std::vector<LinkTutorial> MainWindow::tutoriais() {
  destacar(BotaoLateral::tutoriais);
  const std::string base = std::string(kSiteProduto) + "/quorvel/";
  return {
      {"Primeiros passos", base + "tutoriais/"},
      {"Documentação", base + "documentacao/"},
      {"Vídeos", base + "videos/"},
      {"Suporte", base + "suporte/"},
  };
}

void MainWindow::abrirLink(const LinkTutorial& link) {
  app.ports.platform.shellOpen(link.url);
}

void MainWindow::classico() {
  pagina = PaginaPrincipal::primeira;
  primeiraPagina = PrimeiraPagina::classico;
  notify();
}

void MainWindow::grandes() {
  pagina = PaginaPrincipal::primeira;
  primeiraPagina = PrimeiraPagina::grandes;
  notify();
}

void MainWindow::manutencaoBanco() {
  const int64_t liberados = app.dtm.banco().manutencao(app.ports.progress);
  app.ports.dialogs.msgInformacao(textoManutencaoConcluida(liberados));
}

std::string textoManutencaoConcluida(int64_t bytesLiberados) {
  const int64_t kb = std::max<int64_t>(bytesLiberados, 0) / 1024;
  if (kb < 1024) return "Manutenção concluída: " + formatNumber(kb) + " KB liberados.";
  return "Manutenção concluída: " + formatNumber((kb + 512) / 1024) + " MB liberados.";
}

bool MainWindow::podeFechar() {
  // A run reads the working list and writes the result lists between its event passes: the
  // window stays until it ends. The user may stop it.
  if (app.validationWindow.gRodando) {
    if (app.ports.dialogs.msgPergunta("Quer cancelar a validação?") == kSim)
      app.validationWindow.gCancelou = true;
    return false;
  }
  if (app.grandes.emExecucao() || operacaoEmAndamento) {
    aviso = kAvisoOperacaoEmAndamento;
    notify();
    return false;
  }
  if (!salvarAntesDeDescartar(app.editor, {kAbaPrincipal, kAbaValidos, kAbaInvalidos}))
    return false;
  // "Não": the lists the user chose not to save go with the window.
  for (int aba : {kAbaPrincipal, kAbaValidos, kAbaInvalidos})
    if (temAlteracoesNaoSalvas(app.editor, aba)) app.editor.novaLista(app.editor.grid(aba), true);
  app.editor.setAbaAtiva(kAbaPrincipal);
  return true;
}

void MainWindow::setCheckDefinition(bool marcado) {
  ckbCheckDefinition = marcado;
  SettingsResult r = app.dtm.settings.setValor(kCheckDefinition, marcado ? "true" : "false");
  if (!r.ok()) app.ports.dialogs.msgErro(r.mensagem());
  notify();
}

void MainWindow::voltarPrincipal() {
  pagina = PaginaPrincipal::primeira;
  notify();
}

void MainWindow::soltarArquivos(const std::vector<std::string>& caminhos,
                                const TextWidth& larguraTexto) {
  if (!aceitaArquivos) return;
  quorvel::soltarArquivos(
      app.editor, caminhos, paginaGrandes(),
      [this](const std::string& caminho) { app.grandes.adicionarArquivos({caminho}); },
      larguraTexto);
}

void MainWindow::fechar() {
  launcher.principalFechada();
}

}  // namespace quorvel
