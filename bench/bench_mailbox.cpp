// The mailbox check over a local Dovecot: N generated messages (half bounces of mixed formats)
// scanned over one connection, against the same messages only fetched over one connection.
//
//   quorvel-bench-mailbox [--messages N] [--reps R]
//
// Prints messages per second (median of R runs) of the whole scan (fetch, parse, classify,
// store) and of the fetch alone, their ratio, and the process's peak memory.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_util.h"
#include "mailbox/mailbox_window.h"
#include "mailbox/neg_conta.h"
#include "store/database.h"
#include "store/settings.h"
#include "support/dovecot_peer.h"
#include "support/mail_fixtures.h"
#include "support/scripted_ports.h"

namespace quorvel {
namespace {

constexpr const char* kConta = "bench@exemplo.test";

std::string cabecalho(const std::string& de, const std::string& assunto, std::mt19937& rng) {
  char data[64];
  std::snprintf(data, sizeof data, "Date: Mon, %02d Nov 2026 %02d:%02d:00 -0300\r\n",
                1 + static_cast<int>(rng() % 28), static_cast<int>(rng() % 24),
                static_cast<int>(rng() % 60));
  return "From: " + de + "\r\nTo: " + kConta + "\r\nSubject: " + assunto + "\r\n" + data +
         "Message-ID: <" + std::to_string(rng()) + "@gerador.test>\r\nMIME-Version: 1.0\r\n";
}

std::string paragrafos(std::mt19937& rng, int n) {
  static const char* frases[] = {
      "Confira as ofertas da semana em nossa loja. ",
      "Sua opinião é muito importante para nós. ",
      "Responda este e-mail para falar com o atendimento. ",
      "Promoção válida enquanto durarem os estoques. ",
  };
  std::string r;
  for (int i = 0; i < n; ++i) r += frases[rng() % 4] + std::string(i % 8 == 7 ? "\r\n" : "");
  return r + "\r\n";
}

// One message of the mix: even numbers are bounces in five formats, odd ones ordinary mail
// (plain, HTML, and now and then a 60 KB attachment).
std::string gerar(int i, std::mt19937& rng) {
  std::string dest = "cliente" + std::to_string(i) + "@dominio" + std::to_string(i % 97) + ".test";
  if (i % 2 == 0) {
    switch ((i / 2) % 5) {
      case 0:
        return cabecalho("MAILER-DAEMON@relay.test", "Undelivered Mail Returned to Sender", rng) +
               "Content-Type: text/plain\r\n\r\nThis is the mail system at host "
               "relay.test.\r\n\r\n<" +
               dest +
               ">: host mx.test said: 550 5.1.1 Recipient address rejected: User "
               "unknown\r\n";
      case 1:
        return cabecalho("Mail Delivery System <entregas@relay.test>", "Falha na entrega", rng) +
               "Content-Type: multipart/report; report-type=delivery-status; boundary=\"b\"\r\n\r\n"
               "--b\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nA mensagem não foi "
               "entregue.\r\n--b\r\nContent-Type: message/delivery-status\r\n\r\nReporting-MTA: "
               "dns; relay.test\r\n\r\nFinal-Recipient: rfc822; " +
               dest +
               "\r\nAction: failed\r\nStatus: 5.1.1\r\n--b\r\nContent-Type: "
               "text/rfc822-headers\r\n\r\nFrom: " +
               kConta + "\r\nTo: " + dest + "\r\n--b--\r\n";
      case 2:
        return cabecalho("postmaster@provedor.test", "Mensagem devolvida", rng) +
               "Content-Type: text/plain; charset=utf-8\r\n\r\nRelatório de postmaster@provedor."
               "test.\r\nDestinatário: " +
               dest + "\r\nMotivo: endereço não encontrado\r\n";
      case 3:
        return cabecalho("MAILER-DAEMON@correio.test", "=?ISO-8859-1?Q?N=E3o_entregue?=", rng) +
               "Content-Type: text/plain; charset=ISO-8859-1\r\nContent-Transfer-Encoding: "
               "quoted-printable\r\n\r\nA caixa de <" +
               dest + "> est=E1 cheia: mailbox is full.\r\n";
      default:
        return cabecalho("noreply@avisos.test", "Aviso de entrega", rng) +
               "Content-Type: text/html; charset=utf-8\r\n\r\n<html><body><p>Não entregue para "
               "<b>" +
               dest + "</b>: over quota</p></body></html>\r\n";
    }
  }
  std::string de = "pessoa" + std::to_string(i % 300) + "@amigos.test";
  if (i % 50 == 1) {
    std::string anexo;
    for (int k = 0; k < 800; ++k)
      anexo += "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNkZWZnaGlqa2xtbm9wcXJzdHV2d3h5ejAx\r\n";
    return cabecalho(de, "Relatório mensal", rng) +
           "Content-Type: multipart/mixed; boundary=\"m\"\r\n\r\n--m\r\nContent-Type: text/plain; "
           "charset=utf-8\r\n\r\n" +
           paragrafos(rng, 5) +
           "--m\r\nContent-Type: application/pdf; name=\"r.pdf\"\r\nContent-Disposition: "
           "attachment; filename=\"r.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
           anexo + "--m--\r\n";
  }
  if (i % 4 == 1)
    return cabecalho(de, "Novidades", rng) +
           "Content-Type: text/html; charset=utf-8\r\n\r\n<html><body><p>" + paragrafos(rng, 40) +
           "</p></body></html>\r\n";
  return cabecalho(de, "Re: pedido " + std::to_string(i), rng) +
         "Content-Type: text/plain; charset=utf-8\r\n\r\n" + paragrafos(rng, 12);
}

ImapClient conectar(const testing::DovecotPeer& d) {
  ImapClient imap;
  imap.host = "127.0.0.1";
  imap.setPort(d.portaPlana());
  imap.username = kConta;
  imap.password = testing::DovecotPeer::kSenha;
  imap.connect();
  return imap;
}

// The transport alone: every message's UID and bytes, newest first, over one connection.
double soBuscar(const testing::DovecotPeer& d, int n) {
  auto t0 = bench::Clock::now();
  ImapClient imap = conectar(d);
  imap.select("INBOX");
  size_t bytes = 0;
  for (int i = n; i >= 1; --i) {
    imap.fetchUid(i);
    bytes += imap.fetchMessage(i).size();
  }
  imap.disconnect();
  if (bytes == 0) std::fprintf(stderr, "nada lido\n");
  return bench::segundosDesde(t0);
}

// A fresh workspace (database and settings) in a temporary folder, removed afterwards.
struct Bancada {
  std::string home;
  SharingFlags colaboracao;
  std::unique_ptr<Database> banco;
  std::unique_ptr<Settings> config;
  ScriptedDialogs dialogs;
  FakePlatform platform;
  NoEventPump pump;
  Bancada() {
    char modelo[] = "/tmp/quorvel-bench-mailbox-XXXXXX";
    home = ::mkdtemp(modelo);
    banco = std::make_unique<Database>(home, colaboracao);
    banco->esperaAberturaMs = 0;
    banco->abrirBD();
    config = std::make_unique<Settings>(home);
    platform.clock = std::chrono::system_clock::now();
  }
  ~Bancada() {
    banco->fechar();
    std::filesystem::remove_all(home);
  }
  // `n` addresses of earlier checks in the user's own negative base.
  void baseAnterior(int n) {
    banco->db().exec("BEGIN");
    for (int i = 0; i < n; ++i)
      banco->db()
          .prepare(
              "INSERT INTO tbemailsinvalidos (email, seu, data_cadastro, tipo_erro, "
              "texto_retorno, conta_email) VALUES (:e, 1, '2026-11-01', 1, 'user unknown', :c)")
          .bind(":e", "antigo" + std::to_string(i) + "@historico.test")
          .bind(":c", kConta)
          .exec();
    banco->db().exec("COMMIT");
  }
};

CLContas contaDoBench(const testing::DovecotPeer& d) {
  return testing::contaNoServidor(d, kConta);
}

// The whole check of the account: a fresh workspace, a forced scan of every message.
double varrer(const testing::DovecotPeer& d, int n, size_t& armazenados) {
  Bancada w;
  NegConta neg(*w.banco, *w.config, w.platform, w.dialogs, w.pump);
  neg.opcoes.forcado = true;
  std::vector<std::string> fila;
  neg.gEmailsInvalidos = &fila;

  auto t0 = bench::Clock::now();
  ImapClient imap;
  TlsHandler ssl;
  CLContas c = contaDoBench(d);
  NegConta::configMailComponents2(imap, ssl, c);
  if (!neg.ImapConnect(imap, c, true).empty()) return -1;
  int64_t qtd = neg.getFolderQtd(imap, "INBOX");
  ListaMensagens r = neg.getMessages(imap, c, "INBOX", 1, qtd);
  imap.disconnect();
  double s = bench::segundosDesde(t0);
  armazenados = static_cast<size_t>(w.banco->qtdTabela("tbemailsinvalidos"));
  if (static_cast<int>(r.size()) != n) std::fprintf(stderr, "examinadas: %zu\n", r.size());
  return s;
}

// The same check run from the mailbox window's model with a window following the grid's notices
// (the negative-base grid is shown), over a negative base that already holds `anteriores`
// addresses.
double varrerComJanela(const testing::DovecotPeer& d, int anteriores) {
  Bancada w;
  w.baseAnterior(anteriores);
  NegConta(*w.banco, *w.config, w.platform, w.dialogs, w.pump).newContaSave(contaDoBench(d));
  MailboxWindow janela(*w.banco, *w.config, w.dialogs, w.pump, w.platform);
  size_t linhas = 0;
  auto sub = janela.grid.notices.listen(
      [&](const NegativeBaseGridNotice&) { linhas = janela.grid.linhas.size(); });
  janela.ckbForcar = true;
  janela.edtMax = "0";  // every message, as the scan above
  auto t0 = bench::Clock::now();
  janela.executarValidacao();
  double s = bench::segundosDesde(t0);
  if (linhas <= static_cast<size_t>(anteriores)) std::fprintf(stderr, "grade sem os novos\n");
  return s;
}

}  // namespace
}  // namespace quorvel

int main(int argc, char** argv) {
  using namespace quorvel;
  int n = 5000, reps = 3;
  for (int i = 1; i + 1 < argc; ++i) {
    std::string op = argv[i];
    if (op == "--messages") n = std::atoi(argv[i + 1]);
    if (op == "--reps") reps = std::atoi(argv[i + 1]);
  }
  testing::DovecotPeer dovecot;
  std::mt19937 rng(20261210);
  std::vector<std::string> ms;
  size_t bytes = 0;
  for (int i = 1; i <= n; ++i) {
    ms.push_back(gerar(i, rng));
    bytes += ms.back().size();
  }
  dovecot.semear(kConta, ms);
  ms.clear();
  ms.shrink_to_fit();
  std::printf("mailbox_messages %d (%.1f MB, half bounces in five formats)\n", n, bytes / 1e6);
  soBuscar(dovecot, n);  // Dovecot builds its index and cache once, outside the timing

  std::vector<double> busca, varredura, comJanela;
  size_t armazenados = 0;
  const int anteriores = 50000;
  for (int r = 0; r < reps; ++r) {
    busca.push_back(soBuscar(dovecot, n));
    varredura.push_back(varrer(dovecot, n, armazenados));
    comJanela.push_back(varrerComJanela(dovecot, anteriores));
  }
  double b = bench::mediana(busca), v = bench::mediana(varredura), j = bench::mediana(comJanela);
  std::printf("baseline_fetch_only_messages_per_s %.0f msg/s\n", n / b);
  std::printf("mailbox_scan_messages_per_s %.0f msg/s (%zu addresses stored)\n", n / v,
              armazenados);
  std::printf("ratio_scan_vs_fetch_only %.2f\n", b / v);
  std::printf("mailbox_window_run_messages_per_s %.0f msg/s (grid shown, %d earlier addresses)\n",
              n / j, anteriores);
  std::printf("ratio_window_run_vs_scan %.2f\n", v / j);
  std::printf("mailbox_bench_peak_rss %.0f MB\n", bench::picoMemoriaMb());
  return 0;
}
