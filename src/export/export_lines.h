#pragma once
// The lines the export writers make of one grid row (without the line end).

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// ";"-separated text for other programs: the cells joined by ";". A cell that holds ";", a
// double quote or a line break goes in double quotes with every inner double quote doubled
// (RFC 4180 with ";"), so it stays one cell; every other cell is written as it is.
void acrescentarLinhaTexto(std::string& out, const std::vector<std::string>& celulas);

// One HTML table row: "<tr>", "<td>" + cell + "</td>" for every cell, "</tr>". The cell texts
// are escaped ("&", "<", ">" and the double quote), so no text becomes markup.
void acrescentarLinhaHtml(std::string& out, const std::vector<std::string>& celulas);
void acrescentarTextoHtml(std::string& out, std::string_view texto);

// The listing: every cell followed by a tab.
void acrescentarLinhaListagem(std::string& out, const std::vector<std::string>& celulas);

inline constexpr const char* kHtmlInicio =
    "<html><head></head><body><table border=\"1\" cellspacing=\"2\" cellpadding=\"5\">";
inline constexpr const char* kHtmlFim = "</table></body></html>";

}  // namespace quorvel
