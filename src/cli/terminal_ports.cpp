#include "cli/terminal_ports.h"

#include <unistd.h>

#include <chrono>
#include <csignal>

#include "common/format.h"
#include "common/pause_point.h"

namespace quorvel::cli {
namespace {

double nowSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void TerminalPlatform::shellOpen(const std::string& alvo) {
  if (mostrarAberturas) std::fprintf(stderr, "quorvel-cli: abra no navegador: %s\n", alvo.c_str());
}

void TerminalDialogs::print(const char* kind, const std::string& texto) {
  std::string t = texto;
  // "\n" in a message text is a line break.
  for (size_t p;
       (p = t.find("\\n")) != std::string::npos || (p = t.find("\\N")) != std::string::npos;)
    t.replace(p, 2, "\n");
  std::fprintf(stderr, "quorvel-cli: %s: %s\n", kind, t.c_str());
}

TerminalProgressBar::TerminalProgressBar(std::string label)
    : label_(std::move(label)), enabled_(::isatty(STDERR_FILENO) == 1), start_(nowSeconds()) {}

TerminalProgressBar::~TerminalProgressBar() {
  finish();
}

void TerminalProgressBar::update(int64_t done, int64_t total) {
  if (!enabled_) return;
  double now = nowSeconds();
  if (lastDraw_ >= 0 && now - lastDraw_ < 0.1) return;
  lastDraw_ = now;
  double elapsed = now - start_;
  auto rate = static_cast<int64_t>(elapsed > 0 ? done / elapsed : 0);
  if (total > 0) {
    int width = 30;
    int filled = static_cast<int>(width * (static_cast<double>(done) / total));
    if (filled > width) filled = width;
    std::fprintf(stderr, "\r%s [%s%s] %s/%s %s/s", label_.c_str(), std::string(filled, '#').c_str(),
                 std::string(width - filled, '.').c_str(), formatNumber(done).c_str(),
                 formatNumber(total).c_str(), formatNumber(rate).c_str());
  } else {
    std::fprintf(stderr, "\r%s %s %s/s", label_.c_str(), formatNumber(done).c_str(),
                 formatNumber(rate).c_str());
  }
  std::fflush(stderr);
  drawn_ = true;
}

void TerminalProgressBar::show(const std::string& texto) {
  if (!enabled_) return;
  double now = nowSeconds();
  if (lastDraw_ >= 0 && now - lastDraw_ < 0.1) return;
  lastDraw_ = now;
  std::fprintf(stderr, "\r%s %s\033[K", label_.c_str(), texto.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

double TerminalProgressBar::elapsedSeconds() const {
  return nowSeconds() - start_;
}

void TerminalProgressBar::finish() {
  if (drawn_) std::fprintf(stderr, "\r\033[K");
  drawn_ = false;
}

}  // namespace quorvel::cli

namespace quorvel::cli {
namespace {
volatile std::sig_atomic_t gCancelamento = 0;

void aoInterromper(int) {
  if (gCancelamento) {
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
  }
  gCancelamento = 1;
}
}  // namespace

void installCancelHandler() {
  std::signal(SIGINT, aoInterromper);
}
bool cancelRequestedByUser() {
  return gCancelamento != 0;
}
void clearCancel() {
  gCancelamento = 0;
}

void TerminalProgress::setProgress(const std::string& operacao, int64_t valorMax,
                                   const std::string&, const std::string&, const std::string&,
                                   int) {
  // Unlike the desktop's box, a new display keeps a Ctrl+C: on a terminal it stops the whole
  // command, whatever phase it is in. Each display starts a phase a test can stop the program at.
  pausePoint(operacao);
  barra_ = std::make_unique<TerminalProgressBar>(operacao);
  max_ = valorMax;
  pos_ = 0;
}

void TerminalProgress::stepProgress(const std::string&, const std::string&, const std::string&,
                                    int) {
  ++pos_;
  if (barra_) barra_->update(pos_, max_);
}

void TerminalProgress::setPosition(int64_t posicao) {
  pos_ = posicao;
  if (barra_) barra_->update(pos_, max_);
}

void TerminalProgress::hide() {
  barra_.reset();
}

bool TerminalProgress::cancelou() const {
  return cancelRequestedByUser();
}

}  // namespace quorvel::cli

namespace quorvel::cli {

void TerminalProgress::clearCancel() {
  // An operation that honoured the request forgets it; the command still ends as cancelled.
}

}  // namespace quorvel::cli
