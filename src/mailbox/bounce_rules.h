#pragma once
// How a mailbox check reads one message: who sent it (a bounce sender or not), which failure
// phrase its text holds (the error type) and which address failed.

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// Error types of the negative base (tipo_erro).
inline constexpr int kTipoSemFrase = 0;
inline constexpr int kTipoPermanente = 1;
inline constexpr int kTipoRelativo = 2;
inline constexpr int kTipoDescadastro = 3;

// The sender patterns of a bounce, in the order they are tried.
extern const std::vector<std::string> kRemetentesRetorno;
extern const std::vector<std::string> kFrasesPermanentes;
extern const std::vector<std::string> kFrasesRelativas;

// The sender pattern recorded for a delivery report whose sender matches none of the patterns.
inline constexpr const char* kPadraoRelatorioEntrega = "relatório de entrega";

// The first bounce-sender pattern contained in the lower-case sender address; empty when none.
std::string remetenteDeRetorno(std::string_view remetenteMinusculo);

struct FraseEncontrada {
  std::string frase;  // as listed; empty when none matched
  int tipo = kTipoSemFrase;
};
// The first permanent phrase in the lower-case text, else the first relative one.
FraseEncontrada classificarTexto(std::string_view textoMinusculo);

// Addresses that never are the failed recipient: the account itself, the bounce's sender and the
// reporters (local part "postmaster" or "mailer-daemon").
struct EnderecosIgnorados {
  std::string propria;    // the account's address, lower case
  std::string remetente;  // the bounce's sender address, lower case
  bool ignorar(std::string_view endereco) const;
  // Only the account's own address (the first pass ends on it).
  bool ehPropria(std::string_view endereco) const { return endereco == propria; }
};

// First pass: the angle-bracket pairs of the lower-case text.
std::string primeiraPassagem(std::string_view texto, const EnderecosIgnorados& ignorados);
// Second pass: the first address the extractor finds that is not to be ignored; empty if none.
std::string segundaPassagem(std::string_view texto, const EnderecosIgnorados& ignorados);
// The candidate made bare ("mailto:", brackets, trailing words and full stop removed); empty when
// it ends up being an ignored address.
std::string limparCandidato(std::string candidato, const EnderecosIgnorados& ignorados);
// Both passes and the cleaning over the lower-case text.
std::string enderecoDoRetorno(std::string_view textoMinusculo, const EnderecosIgnorados& ignorados);

}  // namespace quorvel
