#pragma once
// The launcher window (the program's main form) and the splash: the first steps of the start
// order, opening the main window and ending the program. The windows are views over these
// objects.

#include <memory>
#include <string>

#include "app/application.h"
#include "common/build_info.h"
#include "common/notifier.h"

namespace quorvel {

class MainWindow;

struct Splash {
  bool visivel = false;
  std::string versao = versaoSplash();
  std::string slogan = kSloganSplash;
  std::string desde = kDesdeSplash;
  std::string status;  // what the start-up is doing
};

struct LauncherNotice {
  enum class Kind {
    state,            // visibility, splash, texts
    principalAberta,  // `principal` was created: show its window
    encerrar,         // "Sair" was confirmed: end the program
  };
  Kind kind = Kind::state;
  bool operator==(const LauncherNotice&) const = default;
};

inline constexpr const char* kMsgEncerrar = "Deseja encerrar o Quorvel?";
inline constexpr const char* kStatusAbrindoBanco = "Abrindo o banco de dados...";
inline constexpr const char* kPainelNovaVersao =
    "Há uma nova versão do Quorvel disponível. Clique aqui para atualizar";

class LauncherWindow {
 public:
  explicit LauncherWindow(Application& app);
  ~LauncherWindow();
  LauncherWindow(const LauncherWindow&) = delete;
  LauncherWindow& operator=(const LauncherWindow&) = delete;

  Application& app;
  const std::string caption = kCaptionLauncher;
  bool visivel = false;
  int tamanhoFonteMenu = 0;  // 0: the platform's; 12 from the first showing on
  bool painelNovaVersaoVisivel = false;
  // The service's release notes (HTML) for the browser area; empty: the program's own text.
  std::string notasVersao;
  Splash splash;
  bool encerrado = false;
  // The pause of the database opening (the desktop keeps it; tests set 0).
  int esperaAberturaMs = 1500;
  // The main window while it is open.
  std::unique_ptr<MainWindow> principal;

  Notifier<LauncherNotice> notices;

  // Start-up step 2 and the splash of step 3: the folders dados and dados/listas.
  void criar();
  // Step 4: the launcher is shown; on its first showing only, the database is opened behind
  // the splash. Throws DatabaseError (the splash is hidden either way).
  void exibir();
  // "Abrir o quorvel": the launcher hides and the main window is created.
  void abrirQuorvel();
  // The main window was closed: it is freed and the launcher shows again.
  void principalFechada();
  // "Sair": asks; on yes the database is closed (a failure there does not stop the end).
  bool sair();
  // "Tutoriais": the tutorials page in the web browser.
  void tutoriais();
  // The panel "Há uma nova versão...": asks, then downloads and starts the new build.
  void painelNovaVersaoClicado();
  // A link of the release notes: the web browser opens it.
  void abrirEndereco(const std::string& url);

 private:
  void notify(LauncherNotice::Kind k = LauncherNotice::Kind::state) { notices.notify({k}); }
  bool jaExibido_ = false;
  Notifier<UpdateNotice>::Subscription atualizacao_;
};

}  // namespace quorvel
