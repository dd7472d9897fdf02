#pragma once
// Every user action runs through here: a failure that no operation handled becomes an error box
// with its message, and the program goes on with the next action.

#include <functional>
#include <type_traits>

namespace quorvel {
class Dialogs;
}

namespace quorvel::ui {

// The message kit that reports such failures (set once the desktop's ports exist).
void setErrorDialogs(Dialogs* dialogs);
Dialogs* errorDialogs();

void executarAcao(const std::function<void()>& acao);
// How many actions are running: more than none while an operation lets events through (its
// progress box answers, and a window could be closed under it).
int acoesEmAndamento();

// A slot body wrapped in executarAcao; it takes the signal's arguments when it wants them.
template <class F>
auto acao(F f) {
  return [f = std::move(f)](auto&&... args) {
    executarAcao([&] {
      if constexpr (std::is_invocable_v<const F&, decltype(args)...>)
        f(std::forward<decltype(args)>(args)...);
      else
        f();
    });
  };
}

}  // namespace quorvel::ui
