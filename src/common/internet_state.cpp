#include "common/internet_state.h"

#include <ifaddrs.h>
#include <net/if.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace quorvel {
namespace {

// Interfaces that hold a default route (IPv4 and IPv6 route tables).
std::set<std::string> interfacesComRotaPadrao() {
  std::set<std::string> out;
  std::ifstream v4("/proc/net/route");
  std::string line;
  std::getline(v4, line);  // header
  while (std::getline(v4, line)) {
    std::istringstream in(line);
    std::string iface, dest, gateway;
    unsigned flags = 0;
    in >> iface >> dest >> gateway >> std::hex >> flags;
    if (dest == "00000000" && (flags & 0x1)) out.insert(iface);  // RTF_UP
  }
  std::ifstream v6("/proc/net/ipv6_route");
  while (std::getline(v6, line)) {
    std::istringstream in(line);
    std::string dest, destLen, src, srcLen, next, metric, refs, use, flags, iface;
    in >> dest >> destLen >> src >> srcLen >> next >> metric >> refs >> use >> flags >> iface;
    if (dest == std::string(32, '0') && destLen == "00" && iface != "lo") out.insert(iface);
  }
  return out;
}

}  // namespace

bool systemOnline() {
  // A resolver named for this run (tests, portable setups) counts as a connection.
  if (const char* dns = std::getenv("QUORVEL_DNS_SERVER"); dns && *dns) return true;
  std::set<std::string> comRota = interfacesComRotaPadrao();
  if (comRota.empty()) return false;
  ifaddrs* lista = nullptr;
  if (getifaddrs(&lista) != 0) return false;
  bool online = false;
  for (ifaddrs* i = lista; i && !online; i = i->ifa_next) {
    if (!i->ifa_addr || (i->ifa_flags & IFF_LOOPBACK)) continue;
    if (!(i->ifa_flags & IFF_UP) || !(i->ifa_flags & IFF_RUNNING)) continue;
    if (comRota.count(i->ifa_name)) online = true;
  }
  freeifaddrs(lista);
  return online;
}

bool TemInternet() {
  using Clock = std::chrono::steady_clock;
  static Clock::time_point lido{};
  static bool resposta = false;
  auto agora = Clock::now();
  if (lido == Clock::time_point{} || agora - lido > std::chrono::seconds(1)) {
    resposta = systemOnline();
    lido = agora;
  }
  return resposta;
}

}  // namespace quorvel
