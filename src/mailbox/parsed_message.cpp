#include "mailbox/parsed_message.h"

#include <gmime/gmime.h>

#include <array>
#include <mutex>

#include "common/text.h"
#include "common/text_file.h"

namespace quorvel {
namespace {

void iniciarGMime() {
  static std::once_flag uma;
  std::call_once(uma, [] { g_mime_init(); });
}

// Owns one GObject reference.
template <class T>
struct Ref {
  T* p = nullptr;
  explicit Ref(T* q) : p(q) {}
  ~Ref() {
    if (p) g_object_unref(p);
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
};

// UTF-8 kept as it is; anything else read as Windows-1252 (which also covers Latin-1 text that
// carries Windows characters in 0x80–0x9F).
std::string comoUtf8(std::string_view bytes) {
  return isValidUtf8(bytes) ? std::string(bytes) : windows1252ToUtf8(bytes);
}

bool ehCharsetOcidental(std::string_view charset) {
  std::string c = toLower(charset);
  return c.empty() || c == "us-ascii" || c == "ascii" || c == "utf-8" || c == "utf8" ||
         c == "iso-8859-1" || c == "latin1" || c == "iso8859-1" || c == "windows-1252" ||
         c == "cp1252";
}

// The part's content with its transfer encoding (base64, quoted-printable) undone.
std::string conteudoDecodificado(GMimePart* part) {
  GMimeDataWrapper* dw = g_mime_part_get_content(part);
  if (!dw) return {};
  Ref<GMimeStream> mem(g_mime_stream_mem_new());
  g_mime_data_wrapper_write_to_stream(dw, mem.p);
  GByteArray* a = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem.p));
  return std::string(reinterpret_cast<const char*>(a->data), a->len);
}

std::string textoDaParte(GMimePart* part) {
  const char* cs = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset");
  std::string charset = cs ? cs : "";
  if (ehCharsetOcidental(charset)) return comoUtf8(conteudoDecodificado(part));
  // Other charsets go through GMime's converter; an unknown one falls back to the raw bytes.
  char* t = g_mime_text_part_get_text(GMIME_TEXT_PART(part));
  if (!t) return comoUtf8(conteudoDecodificado(part));
  std::string r = comoUtf8(t);
  g_free(t);
  return r;
}

bool ehRelatorioEntrega(GMimeContentType* ct) {
  return g_mime_content_type_is_type(ct, "message", "delivery-status") ||
         g_mime_content_type_is_type(ct, "message", "global-delivery-status");
}

struct Coleta {
  std::string texto;
  std::string relatorio;
  bool temRelatorio = false;
};

// Text parts and the delivery report, depth first. An attached message is not entered: its
// text belongs to another message.
void coletar(GMimeObject* obj, Coleta& c) {
  if (GMIME_IS_MULTIPART(obj)) {
    GMimeMultipart* mp = GMIME_MULTIPART(obj);
    int n = g_mime_multipart_get_count(mp);
    for (int i = 0; i < n; ++i) coletar(g_mime_multipart_get_part(mp, i), c);
    return;
  }
  if (!GMIME_IS_PART(obj)) return;
  GMimePart* part = GMIME_PART(obj);
  GMimeContentType* ct = g_mime_object_get_content_type(obj);
  if (ehRelatorioEntrega(ct) && !c.temRelatorio) {
    c.relatorio = conteudoDecodificado(part);
    c.temRelatorio = true;
    return;
  }
  if (!GMIME_IS_TEXT_PART(obj) || g_mime_part_is_attachment(part)) return;
  char* tipo = g_mime_content_type_get_mime_type(ct);
  std::string maiusculo = tipo ? tipo : "";
  g_free(tipo);
  for (auto& ch : maiusculo) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (maiusculo.find("HTML") == std::string::npos && maiusculo.find("TEXT") == std::string::npos)
    return;
  c.texto += textoDaParte(part);
}

constexpr std::array<const char*, 16> kCabecalhosConhecidos = {"from",
                                                               "sender",
                                                               "reply-to",
                                                               "to",
                                                               "cc",
                                                               "bcc",
                                                               "subject",
                                                               "date",
                                                               "message-id",
                                                               "in-reply-to",
                                                               "references",
                                                               "mime-version",
                                                               "content-type",
                                                               "content-transfer-encoding",
                                                               "content-disposition",
                                                               "return-path"};

bool ehConhecido(const std::string& nome) {
  std::string n = toLower(nome);
  for (const char* k : kCabecalhosConhecidos)
    if (n == k) return true;
  return false;
}

std::string cabecalhos(GMimeMessage* msg) {
  GMimeHeaderList* hl = g_mime_object_get_header_list(GMIME_OBJECT(msg));
  int n = g_mime_header_list_get_count(hl);
  std::string todas, extras;
  for (int i = 0; i < n; ++i) {
    GMimeHeader* h = g_mime_header_list_get_header_at(hl, i);
    const char* nome = g_mime_header_get_name(h);
    const char* valor = g_mime_header_get_value(h);
    std::string linha = std::string(nome ? nome : "") + ": " + comoUtf8(valor ? valor : "");
    todas += linha + "\r\n";
    if (!ehConhecido(nome ? nome : "")) extras += linha + "\r\n";
  }
  return todas + "\r\n" + extras;
}

std::string corpoBruto(std::string_view bruto) {
  size_t p = bruto.find("\r\n\r\n");
  size_t salto = 4;
  size_t q = bruto.find("\n\n");
  if (q != std::string_view::npos && (p == std::string_view::npos || q < p)) {
    p = q;
    salto = 2;
  }
  return p == std::string_view::npos ? std::string() : comoUtf8(bruto.substr(p + salto));
}

}  // namespace

ParsedMessage parseMessage(std::string_view bruto) {
  iniciarGMime();
  Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bruto.data(), bruto.size()));
  Ref<GMimeParser> parser(g_mime_parser_new_with_stream(stream.p));
  Ref<GMimeMessage> msg(g_mime_parser_construct_message(parser.p, nullptr));
  if (!msg.p) throw MensagemIlegivel("a mensagem não tem cabeçalho legível");

  ParsedMessage r;
  if (GDateTime* d = g_mime_message_get_date(msg.p))
    r.data = std::chrono::system_clock::time_point(std::chrono::seconds(g_date_time_to_unix(d)));
  if (const char* s = g_mime_message_get_subject(msg.p)) r.assunto = comoUtf8(s);
  if (InternetAddressList* de = g_mime_message_get_from(msg.p);
      de && internet_address_list_length(de) > 0) {
    InternetAddress* a = internet_address_list_get_address(de, 0);
    if (const char* nome = internet_address_get_name(a)) r.nomeRemetente = trim(comoUtf8(nome));
    if (INTERNET_ADDRESS_IS_MAILBOX(a))
      if (const char* e = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a)))
        r.remetente = comoUtf8(e);
  }
  if (InternetAddressList* rt = g_mime_message_get_reply_to(msg.p);
      rt && internet_address_list_length(rt) > 0) {
    InternetAddress* a = internet_address_list_get_address(rt, 0);
    if (INTERNET_ADDRESS_IS_MAILBOX(a))
      if (const char* e = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a)))
        r.replyTo = trim(comoUtf8(e));
  }
  if (const char* rp = g_mime_object_get_header(GMIME_OBJECT(msg.p), "Return-Path"))
    r.returnPath = comoUtf8(rp);
  r.cabecalho = cabecalhos(msg.p);

  Coleta c;
  if (GMimeObject* corpo = g_mime_message_get_mime_part(msg.p)) coletar(corpo, c);
  r.texto = std::move(c.texto);
  if (c.temRelatorio) {
    AnaliseRelatorio a = analisarRelatorio(c.relatorio);
    r.destinatarioRelatorio = std::move(a.destinatario);
    r.relatorioDeSucesso = a.sucesso;
  }
  r.corpoSimples = corpoBruto(bruto);
  return r;
}

AnaliseRelatorio analisarRelatorio(std::string_view deliveryStatus) {
  struct Grupo {
    std::string original, final_, acao;
    bool destinatario = false;
  };
  std::vector<Grupo> grupos(1);
  // Fields unfolded: a line starting with a space or a tab continues the previous one.
  std::vector<std::string> linhas;
  for (const auto& l : splitLines(deliveryStatus)) {
    if (!l.empty() && (l[0] == ' ' || l[0] == '\t') && !linhas.empty() && !linhas.back().empty())
      linhas.back() += " " + trim(l);
    else
      linhas.push_back(l);
  }
  // "rfc822; <a@b>" → "a@b"; any other address type → empty.
  auto enderecoRfc822 = [](std::string_view v) -> std::string {
    size_t p = v.find(';');
    if (p == std::string_view::npos || toLower(trimView(v.substr(0, p))) != "rfc822") return {};
    std::string e = trim(v.substr(p + 1));
    if (e.size() >= 2 && e.front() == '<' && e.back() == '>') e = e.substr(1, e.size() - 2);
    return trim(e);
  };
  for (const auto& l : linhas) {
    if (isBlank(l)) {
      if (grupos.back().destinatario || !grupos.back().acao.empty()) grupos.emplace_back();
      continue;
    }
    size_t p = l.find(':');
    if (p == std::string::npos) continue;
    std::string nome = toLower(trimView(std::string_view(l).substr(0, p)));
    std::string_view valor = trimView(std::string_view(l).substr(p + 1));
    Grupo& g = grupos.back();
    if (nome == "original-recipient") {
      g.original = enderecoRfc822(valor);
      g.destinatario = true;
    } else if (nome == "final-recipient") {
      g.final_ = enderecoRfc822(valor);
      g.destinatario = true;
    } else if (nome == "action") {
      std::string a = toLower(valor);
      g.acao = a.substr(0, a.find_first_of(" \t("));
    }
  }
  // A recipient that was delivered is no bounce: only failed, then delayed ones count.
  for (const char* acao : {"failed", "delayed"})
    for (const auto& g : grupos)
      if (g.destinatario && g.acao == acao)
        return {!g.original.empty() ? g.original : g.final_, false};
  bool algum = false, todosEntregues = true;
  for (const auto& g : grupos) {
    if (!g.destinatario) continue;
    algum = true;
    todosEntregues =
        todosEntregues && (g.acao == "delivered" || g.acao == "relayed" || g.acao == "expanded");
  }
  return {{}, algum && todosEntregues};
}

}  // namespace quorvel
