// quorvel: the desktop program. Files named on the command line are loaded into the main
// window's list as if dropped onto it.

#include <QStringList>

#include "common/paths.h"
#include "ui/desktop.h"
#include "ui/quorvel_application.h"

int main(int argc, char** argv) {
  quorvel::ui::QuorvelApplication aplicacao(argc, argv);
  quorvel::ui::DesktopOptions opcoes;
  const QStringList args = aplicacao.arguments();
  for (qsizetype i = 1; i < args.size(); ++i) opcoes.listas.push_back(args[i].toStdString());
  quorvel::ui::Desktop desktop(quorvel::paths::programFolder(), opcoes);
  desktop.start();
  return aplicacao.exec();
}
