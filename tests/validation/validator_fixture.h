#pragma once
// A validation object over a list editor, with scripted dialogs and stage hooks a test can steer.

#include <gmock/gmock.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "lists/list_editor.h"
#include "support/scripted_ports.h"
#include "validation/validator.h"

namespace quorvel::testing {

class MxByDomain : public MxStage {
 public:
  std::map<std::string, int> answers;  // domain → 0/1/2; absent = 1
  std::string falhaEm;                 // a domain whose lookup throws
  int siteTemMX(std::string_view dominio, Validator&) override {
    if (dominio == falhaEm) throw std::runtime_error("falha no banco");
    auto it = answers.find(std::string(dominio));
    return it == answers.end() ? 1 : it->second;
  }
};

class BasePorEmail : public NegativeBase {
 public:
  std::map<std::string, int> tipos;
  int temEmailInvalido(std::string_view email) override {
    auto it = tipos.find(std::string(email));
    return it == tipos.end() ? 0 : it->second;
  }
};

class SyncQueFalha : public SharingPermission {
 public:
  bool podeSincronizar() override { throw std::runtime_error("serviço fora do ar"); }
};

struct ValidatorFixture {
  ScriptedDialogs dialogs;
  NoEventPump pump;
  ListEditor editor;
  Validator v{dialogs, pump};
  MxByDomain mx;
  BasePorEmail base;

  ValidatorFixture() {
    v.gRegras = filterListOf({});
    v.gTraps = filterListOf({});
    v.gFiltroPaises = filterListOf({});
    v.gNomesRaros = filterListOf({});
    v.gSitesIgnorados = filterListOf({});
    v.setMxTeste(&mx);
    v.setBaseNegativa(&base);
    v.ligarListas(&editor);
    v.mostrar();
  }

  // Fills "Principal" with a header row and data rows.
  void lista(const std::vector<std::vector<std::string>>& linhas) {
    TextGrid& g = editor.gridMain;
    int cols = 1;
    for (const auto& l : linhas) cols = std::max(cols, static_cast<int>(l.size()));
    g.setColCount(cols);
    g.setRowCount(static_cast<int>(linhas.size()));
    for (size_t r = 0; r < linhas.size(); ++r)
      for (size_t c = 0; c < linhas[r].size(); ++c)
        g.setCell(static_cast<int>(c), static_cast<int>(r), linhas[r][c]);
  }

  // One column "emails" with these addresses.
  void emails(const std::vector<std::string>& enderecos) {
    std::vector<std::vector<std::string>> linhas{{"emails"}};
    for (const auto& e : enderecos) linhas.push_back({e});
    lista(linhas);
  }

  std::vector<std::string> coluna(const TextGrid& g, const std::string& nome) const {
    std::vector<std::string> out;
    for (int c = 0; c < g.colCount(); ++c)
      if (g.cell(c, 0) == nome)
        for (int r = 1; r < g.rowCount(); ++r) out.push_back(g.cell(c, r));
    return out;
  }
  std::vector<std::string> validos() const { return coluna(editor.gridValidos, "emails"); }
  std::vector<std::string> invalidos() const { return coluna(editor.gridInvalidos, "E-mail"); }
  std::vector<std::string> motivos() const { return coluna(editor.gridInvalidos, "Erro"); }
  std::string contador(Counter c) const { return v.counters.text(c); }
};

}  // namespace quorvel::testing
