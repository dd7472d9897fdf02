#pragma once
// The list editor window ("Lista de trabalho"), embedded in the main window: menus, toolbar,
// the three tabs over the ListEditor's grids, the internal pages and the status line. Every
// action is one of the core's list operations.

#include <QWidget>
#include <array>

#include "lists/list_editor.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QToolButton;

namespace quorvel::ui {

class EditorPage;
class GridView;

class TfrmLista : public QWidget {
  Q_OBJECT
 public:
  // The internal pages, in their stack order.
  enum Pagina {
    pgDados,
    pgDefinirColunas,
    pgEliminarColuna,
    pgEliminarRepetidos,
    pgSubstituir,
    pgNomes,
    pgExcluirAvancado,
    pgOtimizacao,
    pgGerarEmail,
    pgExtrator,
    kPaginas
  };

  explicit TfrmLista(ListEditor& editor, QWidget* parent = nullptr);

  ListEditor& editor() { return editor_; }
  GridView* grade(int aba) const { return grades_[aba]; }
  GridView* gradeAtual() const { return grades_[editor_.abaAtiva()]; }
  QTabWidget* abas() const { return abas_; }
  QMenuBar* menus() const { return menus_; }
  QStackedWidget* paginas() const { return paginas_; }
  EditorPage* pagina(Pagina p) const { return paginasEditor_[p]; }
  int paginaAtual() const;
  QLineEdit* localizar() const { return localizar_; }
  QLabel* rotuloArquivo() const { return arquivo_; }
  QLabel* itens() const { return itens_; }
  QLabel* posicao() const { return posicao_; }
  QLabel* salvo() const { return salvo_; }
  // Menu entries by caption ("Editar" → "Ir para linha...").
  QAction* entradaMenu(const QString& menu, const QString& caption) const;
  // The toolbar's buttons by caption or hint.
  QAbstractButton* botaoBarra(const QString& nome) const;

  // Back to the data page (exibirListaDestinatarios).
  void exibirListaDestinatarios();
  void mostrarPagina(Pagina p);
  // Text widths in the grid's font (AutoSizeGrid).
  std::function<int(const std::string&)> larguraTexto() const;

 private:
  void criarMenus();
  void criarBarra(QHBoxLayout* barra);
  void criarPaginas();
  void seguirEditor();
  void novaListaMenu(QWidget* perto);
  void menuGrade(int menu, QPoint onde);
  void digitarDados();
  void colar();

  ListEditor& editor_;
  QMenuBar* menus_;
  QTabWidget* abas_;
  QStackedWidget* paginas_;
  std::array<GridView*, 3> grades_{};
  std::array<EditorPage*, kPaginas> paginasEditor_{};
  QAction* menuAbrir_ = nullptr;
  QPushButton* abrirLista_ = nullptr;
  QCheckBox* linhaInteira_ = nullptr;
  QLineEdit* localizar_ = nullptr;
  QLabel* itens_ = nullptr;
  QLabel* posicao_ = nullptr;
  QLabel* salvo_ = nullptr;
  QLabel* arquivo_ = nullptr;
  QAction* exclusaoRapida_ = nullptr;
  QAction* desfazer_ = nullptr;
  QAction* refazer_ = nullptr;
  bool seguindo_ = false;
  bool gradeTinhaFoco_ = false;
  Notifier<EditorNotice>::Subscription sub_;
};

}  // namespace quorvel::ui
