#pragma once
// A validation object over a list editor, with scripted dialogs and stage hooks a test can steer.

#include <gmock/gmock.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/editor_validation_lists.h"
#include "lists/list_editor.h"
#include "support/scripted_ports.h"
#include "validation/validation_window.h"

namespace quorvel::testing {

class MxByDomain : public MxStage {
 public:
  std::map<std::string, int> answers;  // domain → 0/1/2; absent = 1
  std::string failOn;                  // a domain whose lookup throws
  int siteTemMX(std::string_view dominio, MxContext&) override {
    if (dominio == failOn) throw std::runtime_error("falha no banco");
    auto it = answers.find(std::string(dominio));
    return it == answers.end() ? 1 : it->second;
  }
};

class NegativeBaseByEmail : public NegativeBase {
 public:
  std::map<std::string, int> types;
  int temEmailInvalido(std::string_view email) override {
    auto it = types.find(std::string(email));
    return it == types.end() ? 0 : it->second;
  }
};

class FailingSharingPermission : public SharingPermission {
 public:
  int perguntas = 0;
  bool podeSincronizar() override {
    ++perguntas;
    throw std::runtime_error("serviço fora do ar");
  }
};

struct ValidationWindowFixture {
  ScriptedDialogs dialogs;
  NoEventPump pump;
  ListEditor editor;
  EditorValidationLists listas{editor};
  ValidationChain chain{dialogs};
  ValidationWindow v{chain, dialogs, pump};
  MxByDomain mx;
  NegativeBaseByEmail base;

  ValidationWindowFixture() {
    v.chain.gRegras = filterListOf({});
    v.chain.gTraps = filterListOf({});
    v.chain.gFiltroPaises = filterListOf({});
    v.chain.gNomesRaros = filterListOf({});
    v.chain.gSitesIgnorados = filterListOf({});
    v.chain.setMxStage(&mx);
    v.chain.setNegativeBase(&base);
    v.ligarListas(&listas);
    v.mostrar();
  }

  // Fills "Principal" with a header row and data rows.
  void list(const std::vector<std::vector<std::string>>& linhas) {
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
    list(linhas);
  }

  std::vector<std::string> column(const TextGrid& g, const std::string& nome) const {
    std::vector<std::string> out;
    for (int c = 0; c < g.colCount(); ++c)
      if (g.cell(c, 0) == nome)
        for (int r = 1; r < g.rowCount(); ++r) out.push_back(g.cell(c, r));
    return out;
  }
  std::vector<std::string> valid() const { return column(editor.gridValidos, "emails"); }
  std::vector<std::string> invalid() const { return column(editor.gridInvalidos, "E-mail"); }
  std::vector<std::string> reasons() const { return column(editor.gridInvalidos, "Erro"); }
  std::string counter(Counter c) const { return v.chain.counters.text(c); }
};

}  // namespace quorvel::testing
