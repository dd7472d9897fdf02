#include "app/main_window_validation.h"

namespace quorvel {

bool validarEmailsPrincipal(Validator& validador, EditorValidationLists& listas, Dialogs& dialogs,
                            const MainWindowActions& acoes) {
  ListEditor& editor = listas.editor;
  // A run going on writes into the result lists: they are neither asked about nor emptied.
  if (validador.gRodando) return true;
  // Filter lists not loaded yet (the start timer did not load them): they are loaded now and the
  // run goes on, no box and no second click.
  if (!validador.chain.gRegras && acoes.carregarDefinicoes) acoes.carregarDefinicoes();
  if (!validador.chain.gRegras) {
    dialogs.msgErro(
        "O banco de dados ainda não foi iniciado. Ele será iniciado agora. Tente efetuar essa "
        "operação em seguida");
    return false;
  }
  if (acoes.mostrarPaginaLista) acoes.mostrarPaginaLista();
  // Told only when no column can be found: "E-mail", "Email", "e-mails" and a column that holds
  // the addresses under another name are found.
  if (colunaEmailProvavel(editor.gridMain) < 0)
    dialogs.msgErro(
        "Não foi identificada uma coluna chamada emails. A coluna que contém os endereços de "
        "email a serem validados precisa se chamar emails. Clique com o botão direito do mouse no "
        "nome da coluna que tem os emails e renomeie");
  const TextGrid& validos = editor.gridValidos;
  if (validos.rowCount() > 2 || !validos.cell(0, 1).empty()) {
    if (dialogs.msgPergunta(
            "Iniciar uma nova validação irá apagar os dados da seção de e-mails válidos e "
            "inválidos. Se você não tiver salvo essas tabelas após a validação anterior, os dados "
            "serão perdidos. Deseja continuar com a validação?") != kSim)
      return false;
    editor.novaLista(editor.gridValidos, true);
    editor.novaLista(editor.gridInvalidos, true);
  }
  validador.ligarListas(&listas);
  validador.mostrar();
  validador.chain.counters.set(Counter::lbTotalOriginal, editor.gridMain.dataRowCount());
  validador.avisarMudanca();
  return true;
}

}  // namespace quorvel
