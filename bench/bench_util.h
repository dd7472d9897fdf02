#pragma once
// What the benchmarks share besides their data: timing, peak memory, the delaying DNS server.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace quorvel::bench {

using Clock = std::chrono::steady_clock;

// Seconds since `inicio`.
double segundosDesde(Clock::time_point inicio);
// The process's peak resident memory so far, in MB.
double picoMemoriaMb();
double mediana(std::vector<double> valores);
// Processor time (user and system) the process has used so far, in seconds: beside the wall
// time, the figure that other work on the machine disturbs least.
double tempoDeProcessador();
// The same for the calling thread alone.
double tempoDoFio();
// Peak resident memory from now on: the peak so far is forgotten (the set-up of a benchmark
// then does not count), and read back, in MB, by picoMemoriaDesdeMb(); -1 when the system does
// not tell.
void zerarPicoMemoria();
double picoMemoriaDesdeMb();

// Starts tools/dns_atrasado.py (a DNS server answering after `atrasoMs`) on 127.0.0.1:`porta`
// and waits until it is ready; -1 when it could not start.
pid_t iniciarDnsAtrasado(const std::string& script, int porta, int atrasoMs);
void pararDns(pid_t pid);

}  // namespace quorvel::bench
