#pragma once
// The desktop's application object: a failure that escapes every handler becomes an error box
// and the program goes on.

#include <QApplication>

namespace quorvel::ui {

class QuorvelApplication : public QApplication {
  Q_OBJECT
 public:
  QuorvelApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* e) override;
};

}  // namespace quorvel::ui
