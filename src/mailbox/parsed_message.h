#pragma once
// A fetched message taken apart with GMime: the fields a mailbox check reads, the text of its
// text parts decoded to UTF-8, and the failed recipient of a standard delivery report
// (RFC 3464) when it carries one.

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvel {

// The bytes are not a message at all (no header can be read).
class MensagemIlegivel : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct ParsedMessage {
  // The Date header; none when missing or unreadable.
  std::optional<std::chrono::system_clock::time_point> data;
  std::string assunto;
  std::string remetente;      // sender address
  std::string nomeRemetente;  // sender display name, trimmed
  std::string replyTo;        // first Reply-To address, trimmed
  std::string returnPath;     // the Return-Path header as written
  std::string cabecalho;      // all header lines, a line break, the extra header lines
  std::string texto;          // every inline text part (text/*, html), one after another
  std::string corpoSimples;   // the raw body after the header block
  // The recipient a delivery report (message/delivery-status) says failed or was delayed;
  // empty when none.
  std::string destinatarioRelatorio;
  // The message carries a delivery report whose every recipient was delivered (or relayed,
  // expanded): a success notice, not a bounce.
  bool relatorioDeSucesso = false;
};

// Throws MensagemIlegivel when the bytes hold no message.
ParsedMessage parseMessage(std::string_view bruto);

// What a delivery-status body says. The failed recipient: the Original-Recipient of type rfc822,
// else the Final-Recipient of type rfc822, of the first recipient group whose Action is "failed",
// else "delayed"; empty when none is. A report whose recipient groups all say "delivered",
// "relayed" or "expanded" is a success notice.
struct AnaliseRelatorio {
  std::string destinatario;
  bool sucesso = false;
};
AnaliseRelatorio analisarRelatorio(std::string_view deliveryStatus);
inline std::string destinatarioDoRelatorio(std::string_view deliveryStatus) {
  return analisarRelatorio(deliveryStatus).destinatario;
}

}  // namespace quorvel
