#pragma once
// The validation window follows a bulk run: it is shown and reset when the run starts, its
// counters repaint as lines go by and its buttons come back at the end.

#include "bulk/bulk_validation.h"
#include "validation/validation_window.h"

namespace quorvel {

[[nodiscard]] Notifier<BulkNotice>::Subscription mostrarGrandesNaJanela(BulkValidation& grandes,
                                                                        ValidationWindow& janela);

}  // namespace quorvel
