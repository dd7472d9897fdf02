#include "ui/quorvel_application.h"

#include <QFont>
#include <QIcon>
#include <QStyleFactory>

#include "app/error_report.h"
#include "ui/ui_action.h"
#include "ui/window_placement.h"

namespace quorvel::ui {

QuorvelApplication::QuorvelApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // No display name: the window manager would show it after every title ("… — Quorvel").
  setApplicationName(QStringLiteral("quorvel"));
  setDesktopFileName(QStringLiteral("quorvel"));
  setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  setWindowIcon(QIcon(QStringLiteral(":/quorvel.png")));
  // The launcher hides while the main window shows: only "Sair" ends the program.
  setQuitOnLastWindowClosed(false);
  installEventFilter(new WindowPlacement(this));
}

bool QuorvelApplication::notify(QObject* receiver, QEvent* e) {
  try {
    return QApplication::notify(receiver, e);
  } catch (...) {
    if (Dialogs* d = errorDialogs()) relatarFalha(*d, std::current_exception());
    return false;
  }
}

}  // namespace quorvel::ui
