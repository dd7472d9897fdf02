#pragma once

#include <httplib.h>

#include <string>
#include <string_view>

namespace quorvel::service {

// The boundary named by a multipart Content-Type value; empty when there is none or it is not
// a valid boundary (1 to 70 characters).
std::string multipartBoundary(std::string_view contentType);

// Splits a multipart/form-data body into its named parts (parts without a name are skipped);
// false when the body is not well formed (no opening or closing delimiter, a part cut short).
bool parseMultipartFormData(std::string_view body, const std::string& boundary,
                            httplib::MultipartFormDataMap& parts);

}  // namespace quorvel::service
