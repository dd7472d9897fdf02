#include "common/pause_point.h"

#include <csignal>
#include <cstdlib>
#include <string>

namespace quorvel {
namespace {

std::function<void(std::string_view, std::string_view)>& gancho() {
  static std::function<void(std::string_view, std::string_view)> g;
  return g;
}

}  // namespace

void pausePoint(std::string_view nome, std::string_view sobre) {
  if (auto& g = gancho()) g(nome, sobre);
  static const char* const parada = std::getenv("QUORVEL_STOP_AT");
  if (!parada || !*parada) return;
  const std::string_view p = parada;
  if (p == nome || (!sobre.empty() && p.size() == nome.size() + 1 + sobre.size() &&
                    p.substr(0, nome.size()) == nome && p[nome.size()] == ':' &&
                    p.substr(nome.size() + 1) == sobre))
    std::raise(SIGSTOP);
}

void setPausePointHook(std::function<void(std::string_view, std::string_view)> g) {
  gancho() = std::move(g);
}

}  // namespace quorvel
