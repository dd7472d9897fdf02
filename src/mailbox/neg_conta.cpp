#include "mailbox/neg_conta.h"

#include <charconv>
#include <stdexcept>

#include "common/text.h"
#include "store/database.h"

namespace quorvel {
namespace {

std::string texto(const Statement& st, int i) {
  return st.columnIsNull(i) ? std::string() : st.columnText(i);
}

// The stored booleans: 1, or the texts "True"/"true" older files may hold.
bool verdadeiro(const Statement& st, int i) {
  if (st.columnIsNull(i)) return false;
  std::string t = toLower(st.columnText(i));
  return t == "1" || t == "true" || t == "-1";
}

// The record's stored columns, bound by their own names.
void bindConta(Statement& st, const CLContas& c) {
  st.bind(":email", c.email)
      .bind(":senha", c.senha)
      .bind(":servidor", c.ImapServidor)
      .bind(":nome_usuario", c.ImapNomeUsuario)
      .bind(":tipo_autenticacao", c.ImapTipoAutenticacao)
      .bind(":usar_tls", c.ImapUsarTLS)
      .bind(":versao_ip", c.ImapVersaoIp)
      .bind(":modo_ssl", c.ImapModoSSL)
      .bind(":metodo_ssl", c.ImapMetodoSSL)
      .bind(":porta", c.ImapPorta);
}

}  // namespace

NegConta::NegConta(Database& banco, Settings& config, Platform& platform, Dialogs& dialogs,
                   EventPump& pump)
    : banco_(banco), config_(config), platform_(platform), dialogs_(dialogs), pump_(pump) {}

std::optional<CLContas> NegConta::getConta(const std::string& email) {
  Statement st = banco_.db().prepare(
      "SELECT email, senha, porta, servidor, nome_usuario, tipo_autenticacao, usar_tls, "
      "versao_ip, modo_ssl, metodo_ssl, descricao FROM TBCONTAS WHERE EMAIL = :EMAIL "
      "ORDER BY id_conta");
  st.bind(":EMAIL", email);
  std::optional<CLContas> r;
  if (st.step()) {
    CLContas c;
    c.email = texto(st, 0);
    c.senha = texto(st, 1);
    c.ImapPorta = texto(st, 2);
    c.ImapServidor = texto(st, 3);
    c.ImapNomeUsuario = texto(st, 4);
    c.ImapTipoAutenticacao = texto(st, 5);
    c.ImapUsarTLS = texto(st, 6);
    c.ImapVersaoIp = texto(st, 7);
    c.ImapModoSSL = texto(st, 8);
    c.ImapMetodoSSL = texto(st, 9);
    c.descricao = texto(st, 10);
    r = std::move(c);
  }
  st.reset();
  return r;
}

bool NegConta::newContaSave(const CLContas& c) {
  if (isBlank(c.email)) {
    dialogs_.msgErro(kMsgInformeEmail);
    return false;
  }
  try {
    int64_t id = getNextId();
    Statement st = banco_.db().prepare(
        "INSERT INTO tbContas (id_conta, conta_ativa, email, senha, servidor, nome_usuario, "
        "tipo_autenticacao, usar_tls, versao_ip, modo_ssl, metodo_ssl, porta) VALUES (:id, "
        "1, :email, :senha, :servidor, :nome_usuario, :tipo_autenticacao, :usar_tls, "
        ":versao_ip, :modo_ssl, :metodo_ssl, :porta)");
    bindConta(st, c);
    st.bind(":id", id).exec();
    return true;
  } catch (const std::exception& e) {
    dialogs_.msgErro(e.what());
    return false;
  }
}

bool NegConta::editConta(const CLContas& c) {
  Statement achar =
      banco_.db().prepare("SELECT id_conta FROM TBCONTAS WHERE EMAIL = :aemail ORDER BY id_conta");
  achar.bind(":aemail", c.email);
  if (!achar.step()) {
    achar.reset();
    return false;
  }
  int64_t id = achar.columnInt(0);
  achar.reset();
  Statement st = banco_.db().prepare(
      "UPDATE tbContas SET email = :email, senha = :senha, servidor = :servidor, "
      "nome_usuario = :nome_usuario, tipo_autenticacao = :tipo_autenticacao, usar_tls = "
      ":usar_tls, versao_ip = :versao_ip, modo_ssl = :modo_ssl, metodo_ssl = :metodo_ssl, "
      "porta = :porta WHERE id_conta = :id");
  bindConta(st, c);
  st.bind(":id", id).exec();
  return true;
}

int64_t NegConta::getNextId() {
  return banco_.getNextId("TBCONTAS", "ID_CONTA");
}

std::vector<AccountRow> NegConta::accounts() {
  Statement st = banco_.db().prepare(
      "SELECT id_conta, conta_ativa, email, servidor, senha, nome_usuario FROM tbcontas order by "
      "email");
  std::vector<AccountRow> r;
  while (st.step())
    r.push_back({st.columnInt(0), verdadeiro(st, 1), texto(st, 2), texto(st, 3), texto(st, 4),
                 texto(st, 5)});
  st.reset();
  return r;
}

void NegConta::setActive(int64_t idConta, bool ativa) {
  banco_.db()
      .prepare("UPDATE tbContas SET conta_ativa = :ativa WHERE id_conta = :id")
      .bind(":ativa", ativa ? 1 : 0)
      .bind(":id", idConta)
      .exec();
}

void NegConta::removeAccount(int64_t idConta) {
  banco_.db().prepare("DELETE FROM tbContas WHERE id_conta = :id").bind(":id", idConta).exec();
}

void NegConta::configMailComponents(ImapClient& aImap, TlsHandler& aSSL,
                                    const std::string& UserName, const std::string& Password,
                                    const std::string& servidor, const std::string& porta,
                                    const std::string& tipoAuth, const std::string& TLS,
                                    const std::string& versaoIP, const std::string& ModoSSL,
                                    const std::string& MetodoSSL) {
  aImap.ioHandler = &aSSL;
  aImap.host = servidor;
  int p = 0;
  auto [fim, erro] = std::from_chars(porta.data(), porta.data() + porta.size(), p);
  if (erro != std::errc() || fim != porta.data() + porta.size() || p <= 0 || p > 65535)
    throw std::invalid_argument("porta inválida: " + porta);
  aImap.setPort(p);
  if (TLS == kSemTLS) aImap.setUseTLS(UsoTLS::nenhum);
  if (TLS == kTLSImplicito) aImap.setUseTLS(UsoTLS::implicito);
  if (TLS == kTLSExplicito) aImap.setUseTLS(UsoTLS::explicito);
  if (TLS == kTLSRequerido) aImap.setUseTLS(UsoTLS::requerido);
  aImap.username = UserName;
  aImap.password = Password;
  aImap.autenticacao = tipoAuth == kAutenticacaoPadrao ? Autenticacao::login : Autenticacao::sasl;
  if (versaoIP == "IPV4") aSSL.versaoIp = VersaoIp::ipv4;
  if (versaoIP == "IPV6") aSSL.versaoIp = VersaoIp::ipv6;
  using M = quorvel::ModoSSL;
  const M modos[] = {M::naoDefinido, M::clienteServidor, M::cliente, M::servidor};
  for (size_t i = 0; i < kTextosModoSSL.size(); ++i)
    if (ModoSSL == kTextosModoSSL[i]) aSSL.modo = modos[i];
  using V = quorvel::MetodoSSL;
  const V metodos[] = {V::tlsv1, V::tlsv1_1, V::tlsv1_2, V::sslv2, V::sslv23, V::sslv3};
  for (size_t i = 0; i < kTextosMetodoSSL.size(); ++i)
    if (MetodoSSL == kTextosMetodoSSL[i]) aSSL.metodo = metodos[i];
}

void NegConta::configMailComponents2(ImapClient& aImap, TlsHandler& aSSL, const CLContas& c) {
  configMailComponents(aImap, aSSL, c.ImapNomeUsuario, c.senha, c.ImapServidor, c.ImapPorta,
                       c.ImapTipoAutenticacao, c.ImapUsarTLS, c.ImapVersaoIp, c.ImapModoSSL,
                       c.ImapMetodoSSL);
}

namespace {
std::string conselho(const char* provedor, const char* pagina) {
  return std::string("Erro: Para usar aplicativos de terceiros com sua cota do ") + provedor +
         ", é necessário autorizar o acesso de \"aplicativos menos seguros\" em sua conta. Clique "
         "no botão \"OK\" para abrir a página onde essa configuração é feita, ou acesse " +
         pagina;
}
}  // namespace

std::string NegConta::ImapConnect(ImapClient& aImap, const CLContas& aConta, bool silent) {
  if (!origem.empty() && aImap.origem.empty()) aImap.origem = origem;
  avisoConexao.clear();
  if (!aImap.aoAvisar)
    aImap.aoAvisar = [this](const std::string& aviso) {
      avisoConexao = aviso;
      if (observador) observador->setLogGeral(aviso, kLaranja);
    };
  try {
    aImap.connect();
    return {};
  } catch (const ImapError& e) {
    std::string m = e.what();
    if (silent) return "Erro: " + m;
    if (m.find("AUTHENTICATIONFAIL") != std::string::npos ||
        m.find("failed") != std::string::npos) {
      if (toLower(aConta.ImapNomeUsuario).find("yahoo") != std::string::npos) {
        platform_.shellOpen(kPaginaYahoo);
        return conselho("Yahoo", kPaginaYahoo);
      }
      return "Erro: Verifique se digitou o e-mail e a senha corretamente.";
    }
    if (m.find("ALERT") != std::string::npos) {
      platform_.shellOpen(kPaginaGoogle);
      return conselho("Gmail", kPaginaGoogle);
    }
    return "Erro: " + m;
  }
}

int64_t NegConta::getFolderQtd(ImapClient& aImap, const std::string& folderName) {
  return aImap.select(folderName);
}

bool NegConta::deleteByMsgID(ImapClient& aImap, const std::string& uid) {
  aImap.uidStoreDeleted(uid);
  return true;
}

std::string NegConta::testarConexao(const CLContas& aConta) {
  avisoConexao.clear();
  ImapClient imap;
  TlsHandler ssl;
  try {
    configMailComponents2(imap, ssl, aConta);
  } catch (const std::invalid_argument& e) {
    return std::string("Erro: ") + e.what();
  }
  std::string r = ImapConnect(imap, aConta, false);
  imap.disconnect();
  return r;
}

}  // namespace quorvel
