#include "ui/widgets.h"

#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <algorithm>
#include <climits>

#include "ui/qt_text.h"

namespace quorvel::ui {

QString withoutAccelerator(QString caption) {
  caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  caption.remove(QLatin1Char('&'));
  caption.replace(QStringLiteral("\x01"), QStringLiteral("&"));
  return caption;
}

QPushButton* makeButton(const QString& caption, QWidget* parent, const QString& dica) {
  auto* b = new QPushButton(caption, parent);
  b->setAccessibleName(withoutAccelerator(caption));
  if (!dica.isEmpty()) b->setToolTip(dica);
  b->setAutoDefault(false);
  return b;
}

QPushButton* makeLinkButton(const QString& caption, QWidget* parent) {
  QPushButton* b = makeButton(caption, parent);
  b->setFlat(true);
  b->setCursor(Qt::PointingHandCursor);
  b->setStyleSheet(
      QStringLiteral("QPushButton { color: #1a5fb4; text-decoration: underline; border: none;"
                     " text-align: left; padding: 0 4px; }"
                     "QPushButton:disabled { color: #8a8a8a; text-decoration: none; }"));
  return b;
}

QToolButton* makeIconButton(QStyle::StandardPixmap icone, const QString& dica, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setIcon(parent->style()->standardIcon(icone));
  b->setIconSize(QSize(22, 22));
  b->setToolTip(dica);
  b->setAccessibleName(dica);
  b->setAutoRaise(true);
  return b;
}

QCheckBox* makeCheckBox(const QString& caption, QWidget* parent, bool marcada) {
  auto* c = new QCheckBox(caption, parent);
  c->setAccessibleName(withoutAccelerator(caption));
  c->setChecked(marcada);
  return c;
}

QLabel* makeLabel(const QString& texto, QWidget* parent, bool quebra) {
  auto* l = new QLabel(texto, parent);
  l->setWordWrap(quebra);
  l->setTextFormat(Qt::PlainText);
  return l;
}

QSize ElidedLabel::minimumSizeHint() const {
  return {0, QLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::sizeHint() const {
  return {0, QLabel::sizeHint().height()};
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect area = contentsRect();
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(area, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
             fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
}

QLabel* makeTitle(const QString& texto, QWidget* parent) {
  auto* l = makeLabel(texto, parent);
  QFont f = l->font();
  f.setPointSizeF(f.pointSizeF() * 1.35);
  f.setBold(true);
  l->setFont(f);
  return l;
}

QAction* addMenuEntry(QMenu* menu, const QString& caption) {
  return menu->addAction(caption);
}

QLineEdit* makeLineEdit(const QString& rotuloTexto, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setAccessibleName(rotuloTexto);
  return e;
}

QComboBox* makeComboBox(const QString& rotuloTexto, const std::vector<std::string>& itens,
                        QWidget* parent) {
  auto* c = new QComboBox(parent);
  c->setAccessibleName(rotuloTexto);
  for (const auto& i : itens) c->addItem(q(i));
  return c;
}

void showText(QLineEdit* campo, const std::string& texto) {
  const QString t = q(texto);
  if (campo->text() != t) campo->setText(t);
}

void showProgress(QProgressBar* barra, int64_t maximo, int64_t posicao) {
  maximo = std::max<int64_t>(maximo, 0);
  posicao = std::clamp<int64_t>(posicao, 0, maximo);
  const int64_t escala = maximo / INT_MAX + 1;
  // A maximum of 0 would make Qt draw a busy bar: an empty bar of one step instead.
  const int max = static_cast<int>(std::max<int64_t>(maximo / escala, 1));
  if (barra->maximum() != max) barra->setMaximum(max);
  barra->setValue(static_cast<int>(posicao / escala));
}

QBoxLayout* makeOkCancelRow(QDialog* dialogo) {
  auto* linha = new QHBoxLayout;
  linha->addStretch(1);
  QPushButton* ok = makeButton(QStringLiteral("&Ok"), dialogo);
  QPushButton* cancelar = makeButton(QStringLiteral("&Cancelar"), dialogo);
  linha->addWidget(ok);
  linha->addWidget(cancelar);
  QObject::connect(ok, &QPushButton::clicked, dialogo, &QDialog::accept);
  QObject::connect(cancelar, &QPushButton::clicked, dialogo, &QDialog::reject);
  return linha;
}

}  // namespace quorvel::ui
