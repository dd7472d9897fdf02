#pragma once
// A download that becomes a file: the body goes into a file without a name beside the target,
// which takes the target's name only once the whole body arrived. A download that fails or ends
// early leaves the target as it was.

#include <string>

#include "common/http_client.h"

namespace quorvel {

// GETs `pedido` into `destino`. Throws HttpError (the transfer) or std::runtime_error (the file
// could not be written), both with a Portuguese text.
void baixarParaArquivo(HttpClient& http, const HttpRequest& pedido, const std::string& destino);

}  // namespace quorvel
