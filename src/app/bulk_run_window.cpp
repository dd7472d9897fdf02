#include "app/bulk_run_window.h"

namespace quorvel {

Notifier<BulkNotice>::Subscription mostrarGrandesNaJanela(BulkValidation& grandes,
                                                          ValidationWindow& janela) {
  return grandes.notices.listen([&janela](const BulkNotice& n) {
    switch (n.kind) {
      case BulkNotice::Kind::runStarted:
        janela.inicioValidacaoGrandes();
        break;
      case BulkNotice::Kind::progressed:
        janela.avisarMudanca();
        break;
      case BulkNotice::Kind::runEnded:
        janela.fimValidacaoGrandes();
        break;
      case BulkNotice::Kind::page:
      case BulkNotice::Kind::definitionsMissing:
        break;
    }
  });
}

}  // namespace quorvel
