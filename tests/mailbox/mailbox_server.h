#pragma once
// One Dovecot per test suite (ctest runs each test in a process of its own, so in practice one
// per test), trusted through QUORVEL_CA_FILE, and a fresh mailbox user per test.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "mailbox/imap_client.h"
#include "support/dovecot_peer.h"
#include "support/mail_fixtures.h"

namespace quorvel::testing {

class MailboxServer : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    servidor_ = std::make_unique<DovecotPeer>();
    ::setenv("QUORVEL_CA_FILE", servidor_->certificado().c_str(), 1);
  }
  static void TearDownTestSuite() { servidor_.reset(); }

 protected:
  static DovecotPeer& servidor() { return *servidor_; }

  // A new user with password "segredo" and these messages in the inbox.
  std::string novoUsuario(const std::vector<std::string>& mensagens) {
    std::string u = "usuario" + std::to_string(++usuarios_) + "@exemplo.test";
    servidor_->criarCaixa(u);
    servidor_->semear(u, mensagens);
    return u;
  }
  // A client for the plain listener with the LOGIN command, not connected yet.
  ImapClient clienteDe(const std::string& usuario) {
    ImapClient imap;
    imap.host = "127.0.0.1";
    imap.setPort(servidor_->portaPlana());
    imap.username = usuario;
    imap.password = "segredo";
    imap.connectTimeoutS = 5;
    imap.readTimeoutS = 10;
    return imap;
  }
  // A loopback source address of its own for a log-in meant to fail: Dovecot slows the failed
  // log-ins of one address.
  static std::string origemPropria() { return "127.0.0." + std::to_string(10 + ++origens_); }

 private:
  static inline std::unique_ptr<DovecotPeer> servidor_;
  static inline int usuarios_ = 0;
  static inline int origens_ = 0;
};

}  // namespace quorvel::testing
