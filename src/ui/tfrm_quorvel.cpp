#include "ui/tfrm_quorvel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/message_box.h"
#include "ui/qt_text.h"
#include "ui/ui_action.h"
#include "ui/widgets.h"

namespace quorvel::ui {

namespace {

constexpr const char* kSemColaboracao = "(sem colaboração) - alterar";

enum class Editor { nenhum, paises, nomesRaros, regras };

QLabel* numero(QWidget* parent) {
  QLabel* l = rotulo(QStringLiteral("0"), parent);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setMinimumWidth(90);
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
  return l;
}

}  // namespace

struct TfrmQuorvel::LinhaFiltro {
  const char* caption;
  bool* opcao;  // null: always on (the duplicates)
  Counter contador;
  FilterHelp ajuda;
  const char* nomeAjuda;
  Editor editor = Editor::nenhum;
};

TfrmQuorvel::TfrmQuorvel(Validator& validador)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), v_(validador) {
  setObjectName(QStringLiteral("TfrmQuorvel"));
  setWindowTitle(QStringLiteral("Filtros de validação"));
  setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
  auto* lay = new QVBoxLayout(this);
  lay->setSpacing(6);
  lay->setContentsMargins(14, 10, 14, 12);
  lay->addWidget(titulo(QStringLiteral("Validação de e-mails"), this));

  // One grid for every counter, so that the numbers line up: the totals, the stage rows and
  // the results.
  auto* grade = new QGridLayout;
  grade->setHorizontalSpacing(10);
  grade->setVerticalSpacing(4);
  auto total = [&](int linha, const char* caption, Counter c) {
    grade->addWidget(rotulo(q(caption), this), linha, 0);
    contadores_[static_cast<size_t>(c)] = numero(this);
    grade->addWidget(contadores_[static_cast<size_t>(c)], linha, 1);
  };
  auto separador = [&](int linha) {
    auto* l = new QFrame(this);
    l->setFrameShape(QFrame::HLine);
    l->setFrameShadow(QFrame::Sunken);
    grade->addWidget(l, linha, 0, 1, 5);
  };
  total(0, "Total de e-mails:", Counter::lbTotalOriginal);
  total(1, "E-mails processados:", Counter::lbProcessados);
  separador(2);

  StageOptions& o = v_.chain.opcoes;
  const LinhaFiltro linhas[] = {
      {"E-mails repetidos: ", nullptr, Counter::lbRepetidos, FilterHelp::repetidos,
       "Remoção de e-mails repetidos"},
      {"Sintaxe inválida:", &o.ckbSintaxe, Counter::lbSintaxe, FilterHelp::sintaxe,
       "Verificação de sintaxe"},
      {"Regras personalizadas", &o.ckbRegras, Counter::lbRegras, FilterHelp::regras,
       "Regras personalizadas", Editor::regras},
      {"Armadilhas:", &o.ckbArmadilhas, Counter::lbArmadilhas, FilterHelp::armadilhas,
       "Armadilhas (SPAM traps)"},
      {"E-mails de outros países:", &o.ckbInternacional, Counter::lbInternacional,
       FilterHelp::paises, "Filtro de países", Editor::paises},
      {"Validação empírica:", &o.ckbEmpirico, Counter::lbEmpirico, FilterHelp::empirico,
       "Validação empírica"},
      {"Nomes raros:", &o.ckbNomesRaros, Counter::lbNomesRaros, FilterHelp::nomesRaros,
       "Nomes raros", Editor::nomesRaros},
      {"Teste MX", &o.ckbTesteMX, Counter::lbTesteMx, FilterHelp::testeMx, "Teste MX"},
      {"E-mails inexistentes / descadastramentos", &o.ckbEmailsInvalidos,
       Counter::lbEmailsInvalidos, FilterHelp::baseNegativa, "Base negativa de e-mails"},
  };
  constexpr int kPrimeiroFiltro = 3;
  int n = kPrimeiroFiltro;
  for (const LinhaFiltro& f : linhas) criarLinha(grade, n++, f);
  // Beside the MX row and the negative-base row; under the latter, its two links.
  for (int i = 0; i < 2; ++i) {
    linksColaboracao_[i] = link(q(kSemColaboracao), &v_.abrirColaboracao);
    grade->addWidget(linksColaboracao_[i], kPrimeiroFiltro + 7 + i, 4, Qt::AlignLeft);
  }
  auto* extras = new QHBoxLayout;
  extras->setContentsMargins(22, 0, 0, 0);
  extras->addWidget(link(QStringLiteral("Configurar contas"), &v_.abrirContas));
  extras->addWidget(link(QStringLiteral("Atualizar dados de retorno"), &v_.abrirCaixaPostal));
  extras->addStretch(1);
  grade->addLayout(extras, n++, 0, 1, 5);
  // Hidden: the duplicate memory is kept between runs while the window stays open.
  QCheckBox* naoZerar = caixa(QStringLiteral("Não zerar e-mails já processados"), this, true);
  naoZerar->setChecked(o.ckbNaoZerar);
  naoZerar->hide();
  opcoes_.emplace_back(naoZerar, &o.ckbNaoZerar);
  separador(n++);

  total(n++, "E-mails inválidos detectados: ", Counter::lbTotalInvalidos);
  total(n++, "E-mails válidos (lista final):", Counter::lbTotalFinal);
  total(n, "Validado pelas bases acumuladas:", Counter::lbBases);
  QToolButton* ajudaBases =
      botaoIcone(QStyle::SP_MessageBoxQuestion,
                 QStringLiteral("Ajuda: Validação pelo seu banco de dados"), this);
  connect(ajudaBases, &QToolButton::clicked, this,
          acao([this] { v_.mostrarAjuda(FilterHelp::bases); }));
  grade->addWidget(ajudaBases, n, 2);
  grade->setColumnStretch(4, 1);
  lay->addLayout(grade);
  lay->addSpacing(6);

  notaSincronizando_ =
      rotulo(QStringLiteral("Sincronizando domínios no banco de dados online"), this);
  notaSincronizando_->hide();
  lay->addWidget(notaSincronizando_);
  // A warning of the run is a line here: the run goes on while nobody answers a box.
  aviso_ = rotulo({}, this, true);
  aviso_->setStyleSheet(QStringLiteral("color: #9c2a00;"));
  aviso_->hide();
  lay->addWidget(aviso_);
  barra_ = new QProgressBar(this);
  barra_->setAccessibleName(QStringLiteral("Progresso da validação"));
  lay->addWidget(barra_);
  auto* botoes = new QHBoxLayout;
  botoes->addStretch(1);
  iniciar_ = botao(QStringLiteral("Iniciar validação"), this);
  fechar_ = botao(QStringLiteral("Fechar"), this);
  for (QPushButton* b : {iniciar_, fechar_}) {
    b->setMinimumWidth(140);
    b->setMinimumHeight(32);
    botoes->addWidget(b);
  }
  lay->addLayout(botoes);
  connect(iniciar_, &QPushButton::clicked, this, acao([this] { v_.iniciarValidacao(); }));
  connect(fechar_, &QPushButton::clicked, this, acao([this] { v_.fecharClicado(); }));

  pinturaPendente_ = new QTimer(this);
  pinturaPendente_->setSingleShot(true);
  connect(pinturaPendente_, &QTimer::timeout, this, [this] { pintarContadores(); });

  adjustSize();
  if (QScreen* tela = QGuiApplication::primaryScreen()) {
    QRect r = geometry();
    r.moveCenter(tela->availableGeometry().center());
    move(r.topLeft());
  }
  sub_ = v_.notices.listen([this](const ValidatorNotice&) { seguir(); });
  seguir();
}

void TfrmQuorvel::criarLinha(QGridLayout* grade, int linha, const LinhaFiltro& f) {
  QCheckBox* c = caixa(q(f.caption), this, true);
  if (f.opcao) {
    opcoes_.emplace_back(c, f.opcao);
    connect(c, &QCheckBox::clicked, this,
            acao([this, o = f.opcao](bool marcada) { v_.opcaoMarcada(o, marcada); }));
  } else {
    c->setEnabled(false);  // the duplicates are always removed
  }
  grade->addWidget(c, linha, 0);
  contadores_[static_cast<size_t>(f.contador)] = numero(this);
  grade->addWidget(contadores_[static_cast<size_t>(f.contador)], linha, 1);
  QToolButton* ajuda =
      botaoIcone(QStyle::SP_MessageBoxQuestion, QStringLiteral("Ajuda: ") + q(f.nomeAjuda), this);
  connect(ajuda, &QToolButton::clicked, this, acao([this, a = f.ajuda] { v_.mostrarAjuda(a); }));
  grade->addWidget(ajuda, linha, 2);
  if (f.editor == Editor::nenhum) return;
  const FilterEditorKind tipo = f.editor == Editor::paises ? FilterEditorKind::paises
                                : f.editor == Editor::nomesRaros
                                    ? FilterEditorKind::nomesRaros
                                    : FilterEditorKind::regrasPersonalizadas;
  QToolButton* editar =
      botaoIcone(QStyle::SP_FileDialogDetailedView,
                 QStringLiteral("Editar: ") + q(filterEditorTexts(tipo).titulo), this);
  connect(editar, &QToolButton::clicked, this, acao([this, tipo] { v_.editarFiltro(tipo); }));
  grade->addWidget(editar, linha, 3);
}

QPushButton* TfrmQuorvel::link(const QString& texto, std::function<void()>* destino) {
  QPushButton* b = botaoLink(texto, this);
  connect(b, &QPushButton::clicked, this, acao([destino] {
            if (*destino) (*destino)();
          }));
  links_.emplace_back(b, destino);
  return b;
}

QCheckBox* TfrmQuorvel::opcao(const QString& caption) const {
  for (QCheckBox* c : findChildren<QCheckBox*>())
    if (c->text() == caption) return c;
  return nullptr;
}

void TfrmQuorvel::seguir() {
  iniciar_->setEnabled(v_.btnIniciarHabilitado);
  fechar_->setText(q(v_.btnFecharCaption));
  fechar_->setAccessibleName(q(v_.btnFecharCaption));
  fechar_->setEnabled(v_.btnFecharHabilitado);
  barra_->setVisible(v_.barraProgressoVisivel);
  for (auto& [caixa, opcao] : opcoes_) caixa->setChecked(*opcao);
  for (QPushButton* l : linksColaboracao_) l->setVisible(v_.linksSemColaboracaoVisiveis());
  for (auto& [l, destino] : links_) l->setEnabled(static_cast<bool>(*destino));
  notaSincronizando_->setVisible(v_.chain.notaSincronizando);
  const QString aviso = q(comQuebrasDeLinha(v_.chain.aviso)).remove(QLatin1Char('\r'));
  if (aviso_->text() != aviso) {
    aviso_->setText(aviso);
    aviso_->setVisible(!aviso.isEmpty());
  }

  // While work goes on the counters repaint at most every intervaloPinturaMs; at rest at once.
  const bool emTrabalho = v_.gRodando || !v_.btnFecharHabilitado;
  if (!emTrabalho || !ultimaPintura_.isValid() || ultimaPintura_.elapsed() >= intervaloPinturaMs) {
    pintarContadores();
  } else if (!pinturaPendente_->isActive()) {
    pinturaPendente_->start(
        std::max<int>(1, intervaloPinturaMs - static_cast<int>(ultimaPintura_.elapsed())));
  }

  // A bulk run puts the window 100 pixels from the screen's right edge.
  if (v_.encostarNaDireita && !encostada_) {
    if (QScreen* tela = QGuiApplication::primaryScreen())
      move(tela->geometry().width() - frameGeometry().width() - 100, y());
  }
  encostada_ = v_.encostarNaDireita;
  if (v_.visible && !isVisible()) {
    show();
    raise();
    activateWindow();
  } else if (!v_.visible && isVisible()) {
    hide();
  }
}

void TfrmQuorvel::pintarContadores() {
  pinturaPendente_->stop();
  ultimaPintura_.start();
  ++pinturasContadores;
  const Counters& c = v_.chain.counters;
  for (size_t i = 0; i < kCounterCount; ++i)
    contadores_[i]->setText(q(c.text(static_cast<Counter>(i))));
  const int64_t maximo = std::max<int64_t>(v_.barraMax, 1);
  // The bar counts in int.
  const int escala = maximo > 1'000'000'000 ? 1000 : 1;
  barra_->setRange(0, static_cast<int>(maximo / escala));
  barra_->setValue(static_cast<int>(std::clamp<int64_t>(v_.barraPos, 0, maximo) / escala));
}

void TfrmQuorvel::closeEvent(QCloseEvent* e) {
  // The window's own close button does what "Fechar" does; the model hides the window.
  e->ignore();
  if (v_.visible) executarAcao([this] { v_.fecharClicado(); });
}

}  // namespace quorvel::ui
