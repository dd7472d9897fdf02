#pragma once
// The e-mail extractor: pulls addresses out of free text (a pasted text, a web page's source, a
// bounce message, one line of a delimited file) without a regular expression. It walks from one
// "@" to the next, cuts a window of 100 characters before and 200 in all around it, trims the
// window to the characters an address can carry, repairs a few cut-off endings and drops
// candidates holding characters no real address has. Characters are Unicode code points.

#include <string>
#include <string_view>

#include "common/ports.h"

namespace quorvel {

// The scan over one text: one pass per "@", in the order the addresses stand in the text.
class EmailScan {
 public:
  explicit EmailScan(std::string_view texto) : texto_(texto) {}
  // Runs one pass. False when the text holds no further "@" (nothing left to scan); otherwise
  // `candidato` holds the pass's accepted address, or is empty when the pass found none.
  bool proximo(std::string& candidato);

 private:
  std::string_view texto_;
  size_t resto_ = 0;  // start of the remaining text
};

// The accept-or-reject rules applied to one raw candidate (left part + "@" + right part); the
// candidate is left empty when rejected.
void cleanCandidate(std::string& candidato);

// The first address found in `texto` (empty when none), without any progress display.
bool firstEmail(std::string_view texto, std::string& email);

// The extractor module: one per program, used by every caller.
class TdtmExtrator {
 public:
  TdtmExtrator(Dialogs* dialogs, Progress* progress, EventPump* pump)
      : dialogs_(dialogs), progress_(progress), pump_(pump) {}

  // The addresses found in `source`, each followed by CR LF; all of them with `pegarTodos`,
  // otherwise only the first. Without `silent` the progress box is set up first. A cancel in
  // the progress box stops the scan ("Processamento cancelado") and returns what was found.
  std::string getEmails(std::string_view source, bool pegarTodos, bool silent);

 private:
  Dialogs* dialogs_;
  Progress* progress_;
  EventPump* pump_;
};

inline constexpr const char* kOperacaoExtraindo = "Extraindo e-mails...";
inline constexpr const char* kLegendaEncontrados = "E-mails encontrados: ";
inline constexpr const char* kMsgExtracaoCancelada = "Processamento cancelado";

}  // namespace quorvel
