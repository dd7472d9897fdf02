#pragma once
// One mail account from which bounces are harvested: its address, password and the connection
// settings, kept as the texts the user picks (they are stored that way in tbContas).

#include <array>
#include <string>

namespace quorvel {

struct CLContas {
  std::string email;
  std::string senha;
  std::string descricao;
  std::string ImapServidor;
  std::string ImapPorta;
  std::string ImapNomeUsuario;
  std::string ImapUsarTLS;
  std::string ImapTipoAutenticacao;
  std::string ImapVersaoIp;
  std::string ImapModoSSL;
  std::string ImapMetodoSSL;

  bool operator==(const CLContas&) const = default;
};

// The texts of each list, in the order the accounts window offers them (the first is the one
// preselected).
inline constexpr std::array<const char*, 4> kTextosUsarTLS = {"Sem suporte a TLS", "TLS explícito",
                                                              "TLS implícito", "TLS requerido"};
inline constexpr std::array<const char*, 2> kTextosTipoAutenticacao = {"Padrão", "SASL"};
inline constexpr std::array<const char*, 2> kTextosVersaoIp = {"IPV4", "IPV6"};
inline constexpr std::array<const char*, 4> kTextosModoSSL = {"Não definido", "Cliente e Servidor",
                                                              "Cliente", "Servidor"};
inline constexpr std::array<const char*, 6> kTextosMetodoSSL = {"TLSv1", "TLSv1_1", "TLSv1_2",
                                                                "SSLv2", "SSLv23",  "SSLv3"};

inline constexpr const char* kSemTLS = "Sem suporte a TLS";
inline constexpr const char* kTLSExplicito = "TLS explícito";
inline constexpr const char* kTLSImplicito = "TLS implícito";
inline constexpr const char* kTLSRequerido = "TLS requerido";
inline constexpr const char* kAutenticacaoPadrao = "Padrão";
inline constexpr const char* kAutenticacaoSASL = "SASL";

}  // namespace quorvel
