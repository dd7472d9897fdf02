#pragma once
// The definitions window without the window: the timed sequence of small steps that loads the
// filter lists into the validation window's chain and counts the rows of the learning tables,
// each row with its loading or done icon and its count. The window is a view over it: it ticks
// tmCheckTimer every 10 ms while the timer is on and draws on every notice.

#include <array>
#include <functional>
#include <string>

#include "common/notifier.h"
#include "common/ports.h"
#include "store/database.h"
#include "store/sharing_flags.h"
#include "validation/validation_chain.h"

namespace quorvel {

enum class IconeDefinicao { nenhum, carregando, pronto };

struct LinhaDefinicao {
  const char* rotulo = "";
  bool visivel = true;
  IconeDefinicao icone = IconeDefinicao::nenhum;
  std::string itens;  // "itens: 1.234" once counted
};

// The rows, in the window's order.
enum class Definicao {
  regras,  // hidden: loaded, never downloaded
  armadilhas,
  paises,
  nomesRaros,
  sitesIgnorados,
  mxValidos,
  mxInvalidos,
  emailsInvalidos,
};
inline constexpr size_t kDefinicoes = 8;

struct DefinitionsNotice {
  enum class Kind { state };
  Kind kind = Kind::state;
  bool operator==(const DefinitionsNotice&) const = default;
};

class DefinitionsCheck {
 public:
  // `banco` may be null (or closed): the counting steps are then skipped.
  DefinitionsCheck(ValidationChain& chain, std::string programFolder, EventPump& pump);

  void setBanco(Database* banco) { banco_ = banco; }
  void setColaboracao(const SharingFlags* flags) { colaboracao_ = flags; }

  // --- what the window shows ------------------------------------------------------------------
  std::string titulo;
  std::array<LinhaDefinicao, kDefinicoes> linhas;
  LinhaDefinicao& linha(Definicao d) { return linhas[static_cast<size_t>(d)]; }
  bool visivel = false;
  bool timerAtivo = false;  // tmCheckTimer, every 10 ms
  static constexpr int kIntervaloMs = 10;
  bool btnForcarHabilitado = true;
  // The three "(sem colaboração) - alterar" links.
  bool linksSemColaboracaoVisiveis = true;

  int gEtapa = 0;
  bool gForcarAtualizacoes = false;

  Notifier<DefinitionsNotice> notices;
  // The lists are in the chain (step 20 reached).
  std::function<void()> onCarregadas;
  // The "(sem colaboração) - alterar" links open the collaboration consent (disabled without it).
  std::function<void()> abrirColaboracao;

  // --- operations -------------------------------------------------------------------------------
  // Showing the window: the links follow the sharing choice and the loading sequence starts.
  void mostrar();
  // Esc and "Fechar".
  void fechar();
  // One tick of the loading sequence.
  void tmCheckTimer();
  // Runs the rest of the loading steps at once: closing the window halfway must not leave some
  // filter lists unloaded while the custom rules say the definitions are there.
  void concluirCarga();
  // "Forçar atualização": the local date file goes and the sequence starts again.
  void forcarAtualizacao();
  // The file of the installed definitions' dates.
  std::string arquivoDatas() const;

 private:
  void iniciar();
  void carregar(Definicao d, FilterListPtr& destino, const char* arquivo);
  void contar(Definicao d, const char* tabela);
  void avisar() { notices.notify({}); }

  ValidationChain& chain_;
  std::string home_;
  EventPump& pump_;
  Database* banco_ = nullptr;
  const SharingFlags* colaboracao_ = nullptr;
};

}  // namespace quorvel
