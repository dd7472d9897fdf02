#pragma once
// Small builders that give every control its caption, hint and accessible name the same way.

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include <cstdint>
#include <string>
#include <vector>

class QBoxLayout;
class QProgressBar;
class QComboBox;
class QDialog;
class QLineEdit;

namespace quorvel::ui {

// The caption without its accelerator marks ("&Sim" → "Sim").
QString withoutAccelerator(QString caption);

QPushButton* makeButton(const QString& caption, QWidget* parent, const QString& dica = {});
// A button drawn as a link (blue, underlined; grey while disabled).
QPushButton* makeLinkButton(const QString& caption, QWidget* parent);
// A button that shows only an icon: its hint is its accessible name.
QToolButton* makeIconButton(QStyle::StandardPixmap icone, const QString& dica, QWidget* parent);
QCheckBox* makeCheckBox(const QString& caption, QWidget* parent, bool marcada = false);
QLabel* makeLabel(const QString& texto, QWidget* parent, bool quebra = false);
// A one-line label that asks for no width of its own: a text longer than the room it gets is
// drawn with "…" in its middle (a file path keeps its start and its file name).
class ElidedLabel : public QLabel {
 public:
  using QLabel::QLabel;
  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;
};
QLabel* makeTitle(const QString& texto, QWidget* parent);
QAction* addMenuEntry(QMenu* menu, const QString& caption);
// A text field and a drop-down list of fixed texts, each named after the label before it.
QLineEdit* makeLineEdit(const QString& rotuloTexto, QWidget* parent);
QComboBox* makeComboBox(const QString& rotuloTexto, const std::vector<std::string>& itens,
                        QWidget* parent);
// Shows a model's text in a field; a field that holds it already keeps its cursor and selection.
void showText(QLineEdit* campo, const std::string& texto);

// A bar over a model's 64-bit maximum and position (scaled when they do not fit an int); a
// maximum of 0 draws an empty bar.
void showProgress(QProgressBar* barra, int64_t maximo, int64_t posicao);

// The row of "&Ok" and "&Cancelar" at the right end of a dialog, accepting and rejecting it.
QBoxLayout* makeOkCancelRow(QDialog* dialogo);

}  // namespace quorvel::ui
