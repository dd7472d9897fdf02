#include "cli/usage_text.h"

namespace quorvel::cli {
namespace {

// The part of CLI11's message after its first ": " (the offending words), or all of it.
std::string palavras(const std::string& mensagem) {
  size_t p = mensagem.find(": ");
  return p == std::string::npos ? mensagem : mensagem.substr(p + 2);
}

// "--column is required" → "--column"
std::string primeiraPalavra(const std::string& mensagem) {
  size_t p = mensagem.find(' ');
  return p == std::string::npos ? mensagem : mensagem.substr(0, p);
}

}  // namespace

void usarPortugues(CLI::App& app) {
  auto f = std::make_shared<CLI::Formatter>();
  f->label("Usage", "Uso");
  f->label("OPTIONS", "OPÇÕES");
  f->label("SUBCOMMAND", "COMANDO");
  f->label("SUBCOMMANDS", "COMANDOS");
  f->label("Positionals", "Argumentos");
  f->label("REQUIRED", "(exigido)");
  f->label("TEXT", "TEXTO");
  f->label("INT", "NÚMERO");
  f->label("Needs", "Exige");
  f->label("Excludes", "Exclui");
  f->column_width(34);
  app.formatter(f);
  app.option_defaults()->group("Opções");
  app.set_help_flag("-h,--help", "Mostra esta ajuda e sai");
  app.group("Comandos");
}

void gruposEmPortugues(CLI::App& app) {
  for (CLI::App* sub : app.get_subcommands({})) {
    if (auto* h = sub->get_help_ptr()) h->group("Opções");
    sub->group("Comandos");
    gruposEmPortugues(*sub);
  }
}

std::string mensagemDeUso(const CLI::ParseError& e) {
  const std::string m = e.what();
  if (dynamic_cast<const CLI::ExtrasError*>(&e)) return "argumento inesperado: " + palavras(m);
  if (dynamic_cast<const CLI::RequiredError*>(&e)) {
    if (m.find("subcommand") != std::string::npos)
      return "falta o comando (veja quorvel-cli --help)";
    return "falta o argumento obrigatório " + primeiraPalavra(m);
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e))
    return "falta o valor de " + primeiraPalavra(m) + " (ou ele veio em excesso)";
  if (dynamic_cast<const CLI::ConversionError*>(&e)) return "valor inválido: " + palavras(m);
  if (dynamic_cast<const CLI::ValidationError*>(&e)) return "valor inválido: " + m;
  if (dynamic_cast<const CLI::ExcludesError*>(&e) || dynamic_cast<const CLI::RequiresError*>(&e))
    return "opções que não combinam: " + m;
  return "uso inválido: " + m;
}

}  // namespace quorvel::cli
