#pragma once
// Messages for the test Dovecot: a small one as a mail program writes it, and the hand-made
// bounces of tests/data/retornos (the including target defines QUORVEL_TEST_DATA); and an
// account on it.

#include <functional>
#include <string>

#include "common/text_file.h"
#include "mailbox/cl_contas.h"
#include "support/dovecot_peer.h"

namespace quorvel::testing {

inline std::string mensagem(const std::string& de, const std::string& assunto,
                            const std::string& corpo = "Olá.\r\n",
                            const std::string& data = "Mon, 07 Dec 2026 10:00:00 -0300") {
  return "From: " + de + "\r\nTo: conta@exemplo.test\r\nSubject: " + assunto + "\r\nDate: " + data +
         "\r\nMessage-ID: <" + std::to_string(std::hash<std::string>{}(assunto + corpo)) +
         "@x.test>\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n\r\n" + corpo;
}

// The account of `usuario` on the test server: its plain listener without TLS, or with `tls`
// its implicit-TLS listener.
inline CLContas contaNoServidor(const DovecotPeer& servidor, const std::string& usuario,
                                bool tls = false) {
  CLContas c;
  c.email = c.ImapNomeUsuario = usuario;
  c.senha = DovecotPeer::kSenha;
  c.ImapServidor = "127.0.0.1";
  c.ImapPorta = std::to_string(tls ? servidor.portaTls() : servidor.portaPlana());
  c.ImapUsarTLS = tls ? kTLSImplicito : kSemTLS;
  c.ImapTipoAutenticacao = kAutenticacaoPadrao;
  c.ImapVersaoIp = "IPV4";
  c.ImapModoSSL = "Não definido";
  c.ImapMetodoSSL = "TLSv1";
  return c;
}

#ifdef QUORVEL_TEST_DATA
// A hand-made message from tests/data/retornos, addressed to `conta`.
inline std::string retorno(const std::string& nome, const std::string& conta) {
  std::string m = readFileBytes(std::string(QUORVEL_TEST_DATA) + "/retornos/" + nome).value();
  for (size_t p; (p = m.find("{CONTA}")) != std::string::npos;) m.replace(p, 7, conta);
  return m;
}
#endif

}  // namespace quorvel::testing
