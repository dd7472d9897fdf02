#pragma once
// The composition root: every object of the program is built and connected here, in two
// phases. Before the store opens (the constructor): the data module with the settings, the
// web service's objects, the extractor, the validation chain and the window models that need no
// store (the list editor, the validation window, the bulk page, the definitions window). Once
// the store is open: the stages that use it (abrirBD) and the windows that read it
// (openStoreWindows). The desktop and the command line both build their program from it,
// each with its own ports; the window models hold references to what is built here.

#include <memory>
#include <string>

#include "app/editor_validation_lists.h"
#include "app/headless_windows.h"
#include "app/store_windows.h"
#include "app/tdtm_principal.h"
#include "bulk/bulk_validation.h"
#include "common/ports.h"
#include "common/window_opener.h"
#include "extraction/tdtm_extrator.h"
#include "lists/list_editor.h"
#include "online/definitions_window.h"
#include "online/online_services.h"
#include "validation/cares_resolver.h"
#include "validation/negative_base_stage.h"
#include "validation/teste_mx.h"
#include "validation/validation_window.h"

namespace quorvel {

struct AppPorts {
  Dialogs& dialogs;
  Progress& progress;
  EventPump& pump;
  Platform& platform;
  // The windows the models open (the desktop's); none: the program has no windows and
  // HeadlessWindows stands in.
  WindowOpener* windows = nullptr;
};

class Application {
 public:
  explicit Application(AppPorts ports);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  AppPorts ports;
  HeadlessWindows headlessWindows{*this};
  // The window-opening port every model uses.
  WindowOpener& windows() { return ports.windows ? *ports.windows : headlessWindows; }
  TdtmPrincipal dtm;
  // The web service: the sharing exchange, the collaboration consent, the program updates.
  OnlineServices online;
  TdtmExtrator extrator;
  ListEditor editor;
  EditorValidationLists listasValidacao{editor};
  // The filter lists and stages every validation runs through: the validation window's, the bulk
  // page's and the command line's.
  ValidationChain chain{ports.dialogs};
  ValidationWindow validationWindow;
  BulkValidation grandes;
  // The definitions window: it loads the filter lists into the validation window's chain.
  DefinitionsWindow definicoes;
  // How the MX stage reaches the DNS (set before abrirBD; by default the system's resolver or
  // QUORVEL_DNS_SERVER).
  ResolverOptions dns;
  // The validation window was created (start-up step 7 creates it hidden).
  bool janelaValidacaoCriada = false;
  // The accounts window's and the mailbox window's objects, once the store is open.
  std::unique_ptr<StoreWindows> storeWindows;

  const std::string& home() const { return dtm.home; }
  // The launcher's folders: dados and dados/listas (failures are left to the writers), and the
  // shipped definitions where dados/config lacks them.
  void createFolders();
  // Second phase: opens the database and connects the stages that use it. Throws DatabaseError.
  void abrirBD(int esperaMs = 0);
  // Second phase, on the desktop: the accounts window's and the mailbox window's objects (the
  // database must be open; made once).
  void openStoreWindows();
  // The five filter lists of dados/config into the validation window's chain.
  void carregarDefinicoes();
  // The same, with the progress box's "Carregando as definições atuais. Aguarde..." meanwhile:
  // what a validation asked for before the lists were loaded does first.
  void carregarDefinicoesAgora();

  TesteMX* mx() { return mx_.get(); }
  NegativeBaseStage* baseNegativa() { return base_.get(); }

 private:
  std::unique_ptr<CaresResolver> resolver_;
  std::unique_ptr<TesteMX> mx_;
  std::unique_ptr<NegativeBaseStage> base_;
  Notifier<BulkNotice>::Subscription grandesNaJanela_;
  Notifier<ConsentNotice>::Subscription consentimentoFechado_;
  Notifier<ValidationWindowNotice>::Subscription validacaoMostrada_;
  Notifier<BulkNotice>::Subscription grandesSemDefinicoes_;
};

}  // namespace quorvel
