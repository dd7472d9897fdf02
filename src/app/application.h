#pragma once
// The program's objects, built and connected in the start order: the data module with the
// settings, the workspace folders, the extractor, the database with the stages that use it, and
// the main window's objects (the list editor, the validation window, the bulk page). The desktop
// and the command line both build their program from it, each with its own ports.

#include <memory>
#include <string>

#include "app/editor_validation_lists.h"
#include "app/tdtm_principal.h"
#include "bulk/bulk_validation.h"
#include "common/ports.h"
#include "extraction/tdtm_extrator.h"
#include "lists/list_editor.h"
#include "online/definitions_check.h"
#include "online/online_services.h"
#include "validation/cares_resolver.h"
#include "validation/negative_base_stage.h"
#include "validation/teste_mx.h"
#include "validation/validator.h"

namespace quorvel {

struct AppPorts {
  Dialogs& dialogs;
  Progress& progress;
  EventPump& pump;
  Platform& platform;
};

class Application {
 public:
  explicit Application(AppPorts ports);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  AppPorts ports;
  TdtmPrincipal dtm;
  // The web service: the sharing exchange, the collaboration consent, the program updates.
  OnlineServices online;
  TdtmExtrator extrator;
  ListEditor editor;
  EditorValidationLists listasValidacao{editor};
  Validator validator;
  BulkValidation grandes;
  // The definitions window: it loads the filter lists into the validation window's chain.
  DefinitionsCheck definicoes;
  // How the MX stage reaches the DNS (set before abrirBD; by default the system's resolver or
  // QUORVEL_DNS_SERVER).
  ResolverOptions dns;
  // The validation window was created (start-up step 7 creates it hidden).
  bool janelaValidacaoCriada = false;

  const std::string& home() const { return dtm.home; }
  // The launcher's folders: dados and dados/listas (failures are left to the writers), and the
  // shipped definitions where dados/config lacks them.
  void criarPastas();
  // Opens the database and connects the stages that use it. Throws DatabaseError.
  void abrirBD(int esperaMs = 0);
  // The five filter lists of dados/config into the validation window's chain.
  void carregarDefinicoes();
  // The same, with the progress box's "Carregando as definições atuais. Aguarde..." meanwhile:
  // what a validation asked for before the lists were loaded does first.
  void carregarDefinicoesAgora();
  // Opens the definitions window, whose steps load the filter lists; without a window to tick
  // them (the command line, the core's tests) the lists are loaded at once.
  void abrirDefinicoes();
  // A window ticks the definitions' loading sequence (the desktop sets it).
  bool janelaDefinicoes = false;

  TesteMX* mx() { return mx_.get(); }
  NegativeBaseStage* baseNegativa() { return base_.get(); }

 private:
  std::unique_ptr<CaresResolver> resolver_;
  std::unique_ptr<TesteMX> mx_;
  std::unique_ptr<NegativeBaseStage> base_;
  Notifier<BulkNotice>::Subscription grandesNaJanela_;
  Notifier<ConsentNotice>::Subscription consentimentoFechado_;
};

}  // namespace quorvel
