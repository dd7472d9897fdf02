#include "online/definition_dates.h"

#include "common/format.h"
#include "common/text.h"
#include "common/text_file.h"

namespace quorvel {

NameValueList datasDoTexto(std::string_view texto) {
  std::vector<std::string> linhas;
  for (auto& l : splitLines(decodeText(texto)))
    if (!isBlank(l)) linhas.push_back(trim(l));
  return NameValueList(std::move(linhas));
}

NameValueList lerDatas(const std::string& caminho) {
  auto bytes = readFileBytes(caminho);
  return bytes ? datasDoTexto(*bytes) : NameValueList();
}

std::chrono::year_month_day dataDe(const NameValueList& datas, std::string_view nome) {
  return strToDataSQL(trimView(datas.value(nome)));
}

bool gravarDatas(const std::string& caminho, const NameValueList& datas, std::string& erro) {
  std::string texto;
  for (const auto& l : datas.lines()) texto += l + "\r\n";
  WriteResult r = writeFileAtomic(caminho, texto);
  if (!r.ok) erro = "Não foi possível gravar " + caminho + ": " + r.error;
  return r.ok;
}

}  // namespace quorvel
