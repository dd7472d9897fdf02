#include "bench_util.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace quorvel::bench {

double segundosDesde(Clock::time_point inicio) {
  return std::chrono::duration<double>(Clock::now() - inicio).count();
}

double picoMemoriaMb() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss / 1024.0;
}

double tempoDeProcessador() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return s(ru.ru_utime) + s(ru.ru_stime);
}

double tempoDoFio() {
  rusage ru{};
  getrusage(RUSAGE_THREAD, &ru);
  auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return s(ru.ru_utime) + s(ru.ru_stime);
}

void zerarPicoMemoria() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

double picoMemoriaDesdeMb() {
  std::ifstream status("/proc/self/status");
  std::string linha;
  while (std::getline(status, linha))
    if (linha.rfind("VmHWM:", 0) == 0) return std::stod(linha.substr(6)) / 1024.0;
  return -1;
}

double mediana(std::vector<double> valores) {
  std::sort(valores.begin(), valores.end());
  return valores[valores.size() / 2];
}
pid_t iniciarDnsAtrasado(const std::string& script, int porta, int atrasoMs) {
  int canal[2];
  if (pipe(canal) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(canal[1], STDOUT_FILENO);
    close(canal[0]);
    std::string p = std::to_string(porta), d = std::to_string(atrasoMs);
    execl("/usr/bin/python3", "python3", script.c_str(), p.c_str(), d.c_str(), nullptr);
    _exit(127);
  }
  close(canal[1]);
  char buf[16] = {};
  ssize_t lidos = read(canal[0], buf, sizeof buf - 1);  // "pronto"
  close(canal[0]);
  if (lidos <= 0) return -1;
  return pid;
}

void pararDns(pid_t pid) {
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

}  // namespace quorvel::bench
