#pragma once
// The accounts window without the window: the grid of stored accounts, the two-step entry of a
// new account, the automatic configuration for known providers and through the discovery
// program, the advanced page and the connection test. A view binds its controls to the public
// fields, calls the operations on clicks and timer ticks, and redraws after each call (and when
// its notices say so while the model lets events through).

#include <chrono>
#include <string>
#include <vector>

#include "common/notifier.h"
#include "common/ports.h"
#include "mailbox/cl_email_test.h"
#include "mailbox/neg_conta.h"

namespace quorvel {

// A drop-down list of fixed texts with one selected item.
struct ListaTextos {
  std::vector<std::string> itens;
  int indice = 0;
  std::string texto() const {
    return indice >= 0 && indice < (int)itens.size() ? itens[indice] : "";
  }
};

enum class PaginaContas { contasCadastradas = 0, detalhes = 1, configuracoesAvancadas = 2 };

// The known providers: what "Avançar" and tentarConfigurar recognise.
struct Provedor {
  std::vector<std::string> padroes;  // any of them in the lower-case address
  std::string servidor;
  std::string porta, tipoAuth, usarTLS, versaoIp, modoSSL, metodoSSL;
};
extern const std::vector<Provedor> kProvedores;
// The first known provider whose pattern occurs in the lower-case address; none when none does.
const Provedor* provedorDe(const std::string& emailMinusculo);

// The fields, the grid or the page changed: the window draws itself again.
struct AccountsNotice {
  enum class Kind { state };
  Kind kind = Kind::state;
  bool operator==(const AccountsNotice&) const = default;
};

class AccountsWindow {
 public:
  AccountsWindow(NegConta& neg, Dialogs& dialogs, EventPump& pump, Platform& platform,
                 CLEmailTest& emailTest);

  Notifier<AccountsNotice> notices;

  // --- What the window shows --------------------------------------------------------------------
  PaginaContas pagina = PaginaContas::contasCadastradas;
  std::vector<AccountRow> contas;  // "Ativa", "E-mail", "servidor", hidden "senha"
  int linhaAtual = -1;
  bool mostrarSenhas = false;  // the password column is visible
  std::string edtEmail, edtSenha, edtServidor, edtPorta, edtUsuario;
  ListaTextos cmbUsarTLS, cmbTipoAutenticacao, cmbVersaoIp, cmbModoSSL, cmbMetodoSSL;
  bool emailHabilitado = false;
  bool testarHabilitado = true;
  bool contaAtivaVisivel = true;
  bool painelAvancadoVisivel = false;  // "Mostrar configurações avançadas"
  bool molduraVisivel = false;         // the blinking frame behind "Tentar configurar ..."
  std::string foco;                    // the field that gets the focus ("email", "servidor")
  bool modoNovaConta() const { return novaConta_; }
  // "Sim" / "Não" of the "Ativa" column.
  static const char* textoAtiva(const AccountRow& r) { return r.ativa ? "Sim" : "Não"; }
  // The data-bound "Conta ativa" of the current row.
  bool contaAtiva() const;

  // --- Operations -------------------------------------------------------------------------------
  void mostrar();  // showing the window
  void fechar();   // closing hides it
  void btnNovaContaClick();
  void btnCancelarClick();
  void btnAvancarClick();
  void btnSalvarClick();
  void btnTestarClick();
  void btnExcluirClick();
  void btnSugerirClick();  // "Tentar configurar automaticamente"
  void tmConfigTimer();    // one tick a second while the answer is awaited
  void tmPiscaTimer();     // one tick a second while the window is shown
  // Polling the discovery program's answer.
  bool tmConfigAtivo() const { return tmConfig_->active(); }
  const Ticker& temporizadorPisca() const { return *tmPisca_; }
  void mudarPagina(PaginaContas nova);  // a page tab clicked
  void clicarGrid(int linha, bool colunaAtiva);
  void teclaGrid(int delta);  // up (-1) and down (+1) arrows
  void duploCliqueGrid(int linha);
  void setContaAtiva(bool ativa);
  void alternarMostrarSenhas() {
    mostrarSenhas = !mostrarSenhas;
    avisar();
  }
  void lnkAvancadoClick() {
    painelAvancadoVisivel = !painelAvancadoVisivel;
    avisar();
  }
  void ajuda();

  // --- The window's named operations ------------------------------------------------------------
  static void selecionarItem(ListaTextos& lista, const std::string& texto);
  void limparCampos();
  void carregarConta();
  void preencherConexao(const std::string& servidor, const std::string& porta,
                        const std::string& tipoAuth, const std::string& usarTLS,
                        const std::string& versaoIP, const std::string& modoSSL,
                        const std::string& metodoSSL, bool usuarioEhEmail);
  void tentarConfigurar(const std::string& email);
  // True when the account was stored; an account without an address never is.
  bool salvarConta();
  // The connection test of the stored account with the e-mail field's address: "" on success.
  std::string testarConta();

 private:
  void recarregar();
  void avisar() { notices.notify({}); }
  void irParaAvancadas();
  CLContas contaDosCampos() const;

  NegConta& neg_;
  Dialogs& dialogs_;
  EventPump& pump_;
  Platform& platform_;
  CLEmailTest& emailTest_;
  bool novaConta_ = false;
  static constexpr std::chrono::seconds kIntervaloTimers{1};
  std::unique_ptr<Ticker> tmConfig_, tmPisca_;
  // When the discovery program was asked (its answer is awaited kEsperaDescobertaS at most).
  std::chrono::system_clock::time_point pedidoEm_;
};

// How long the window waits for the discovery program's answer.
inline constexpr int kEsperaDescobertaS = 90;

// Texts of the window.
inline constexpr const char* kTituloContas = "Contas de e-mail cadastradas";
inline constexpr const char* kMsgConfigureDados =
    "Configure os dados de acesso da conta conforme fornecidos por seu provedor. Evite alterar "
    "configurações que não foram expressamente recomendadas por seu provedor.";
inline constexpr const char* kMsgAutomatica =
    "Detectamos que essa conta de e-mail pode ser configurada automaticamente pelo Quorvel. Você "
    "aceita?";
inline constexpr const char* kMsgContaSalva = "Conta salva com sucesso!";
inline constexpr const char* kMsgDefinaServidor =
    "Por favor defina o endereço do servidor. Informe-se junto ao administrador de sua conta de "
    "e-mail ou domínio";
inline constexpr const char* kMsgSaiuInsercao =
    "A tabela de contas saiu do modo de inserção. Você pode agora editar a conta que selecionou";
inline constexpr const char* kMsgContaConectada =
    "A conta foi conectada com sucesso e está pronta para uso!";
inline constexpr const char* kMsgContaFalhou =
    "Não foi possível acessar a conta. Verifique se a senha e demais configurações estão "
    "corretas.";
inline constexpr const char* kMsgOba = "Oba! Consegui configurar a conta";
inline constexpr const char* kMsgExcluirConta = "Deseja excluir a conta selecionada?";
inline constexpr const char* kMsgSemContas =
    "Você ainda não cadastrou nenhuma conta de e-mail para monitorar. Clique no botão \"Nova "
    "conta de e-mail\"";
inline constexpr const char* kMsgEmailTestNaoIniciou =
    "Não foi possível iniciar o programa de configuração automática (quorvel-emailtest). "
    "Configure a conta com os dados fornecidos por seu provedor.";
inline constexpr const char* kMsgEmailTestNaoRespondeu =
    "O programa de configuração automática não respondeu. Configure a conta com os dados "
    "fornecidos por seu provedor.";
inline constexpr const char* kMsgRespostaInvalida =
    "O programa de configuração automática não explicou a falha. Configure a conta manualmente.";
inline constexpr const char* kAjudaContas =
    "Contas de e-mail \\n\\nO Quorvel pode checar suas contas de e-mail para identificar "
    "mensagens de erro retornadas quando o e-mail de destino não existe ou tem algum outro "
    "problema. \\n\\nIsso permitirá que validações futuras descartem com segurança esses "
    "e-mails inválidos que foram identificados.";

// "Atenção: para poder trabalhar com contas do <provedor>, ..." shown after a failed test.
std::string avisoAplicativosMenosSeguros(const std::string& provedor);

}  // namespace quorvel
