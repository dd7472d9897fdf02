#pragma once
// The dates of the definitions: the local file definitions.txt beside the program (the day each
// definition was last downloaded) and the service's file of the same form. Lines name=date,
// "yyyy-MM-dd"; dates are read by position, and a name that is missing or a text that is no
// valid date counts as 2020-01-01.

#include <chrono>
#include <string>
#include <string_view>

#include "common/name_value_list.h"

namespace quorvel {

inline constexpr const char* kArquivoDatas = "definitions.txt";
inline constexpr const char* kDataArmadilhas = "armadilhas";
inline constexpr const char* kDataPaises = "paises";
inline constexpr const char* kDataNomesRaros = "nomes_raros";
inline constexpr const char* kDataSitesIgnorados = "sites_ignorados";
inline constexpr const char* kDataProvedores = "provedores";
inline constexpr const char* kDataMxValidos = "sites_validos_mx";
inline constexpr const char* kDataMxInvalidos = "sites_invalidos_mx";
inline constexpr const char* kDataEmailsInvalidos = "emails_invalidos";
// The date a forced update downloads the shared bases from.
inline constexpr const char* kDataForcada = "2020-10-10";

// The lines of a date file; empty when it is missing or cannot be read.
NameValueList lerDatas(const std::string& caminho);
// The lines of a date text (the service's answer).
NameValueList datasDoTexto(std::string_view texto);
std::chrono::year_month_day dataDe(const NameValueList& datas, std::string_view nome);
// Writes the lines (name=value, CR LF) through a temporary file; false with `erro` on failure.
bool gravarDatas(const std::string& caminho, const NameValueList& datas, std::string& erro);

}  // namespace quorvel
