#include "sync_handler.h"

#include <optional>

#include "dates.h"
#include "log.h"
#include "text_checks.h"

namespace quorvel::service {
namespace {

constexpr int kMaxPage = 10;

// A field's trimmed value; nullopt when the field is absent.
std::optional<std::string> field(const httplib::Request& req, const char* name) {
  auto it = req.files.find(name);
  if (it == req.files.end()) return std::nullopt;
  return std::string(trimControl(it->second.content));
}

struct BadRequest {
  std::string text;
};

Kind kindOfSend(int action) {
  return action == 1 ? Kind::MxValidos : action == 4 ? Kind::MxInvalidos : Kind::EmailsInvalidos;
}
Kind kindOfDownload(int action) {
  return action == 3 ? Kind::MxValidos : action == 5 ? Kind::MxInvalidos : Kind::EmailsInvalidos;
}

int parsePage(const std::optional<std::string>& text) {
  if (!text) throw BadRequest{"Campo obrigatório ausente: page."};
  const std::string& t = *text;
  bool digits =
      !t.empty() && t.size() <= 2 && t.find_first_not_of("0123456789") == std::string::npos;
  if (!digits || std::stoi(t) > kMaxPage) {
    throw BadRequest{"Campo page inválido: use um número de 0 a 10."};
  }
  return std::stoi(t);
}

}  // namespace

void answerText(httplib::Response& res, int status, const std::string& text) {
  res.status = status;
  res.set_content(text, "text/plain; charset=utf-8");
}

SyncHandler::SyncHandler(SharedBase& base, Authenticator& auth, Storage& storage, DailyQuota& quota)
    : base_(base), auth_(auth), storage_(storage), quota_(quota) {}

void SyncHandler::handle(const httplib::Request& req, httplib::Response& res) {
  try {
    if (!req.is_multipart_form_data()) {
      throw BadRequest{"Requisição inválida: esperado multipart/form-data."};
    }
    for (const auto& [name, part] : req.files) {
      if (!isValidUtf8(part.content) || !isValidUtf8(name)) {
        throw BadRequest{"Texto que não é UTF-8 válido no campo " + printable(name) + "."};
      }
    }
    auto actionText = field(req, "action");
    if (!actionText) throw BadRequest{"Campo obrigatório ausente: action."};
    int action = 0;
    if (actionText->size() <= 2 &&
        actionText->find_first_not_of("0123456789") == std::string::npos && !actionText->empty()) {
      action = std::stoi(*actionText);
    }
    if (action < 1 || action > 10) {
      throw BadRequest{"Ação desconhecida: " + printable(*actionText) + "."};
    }

    std::string email = foldCase(field(req, "email").value_or(""));
    std::string key = field(req, "chave").value_or("");
    auto who = auth_.check(email, key);
    if (who.outcome != Authenticator::Outcome::Ok) {
      const char* reason = email.empty() || key.empty() ? "credenciais ausentes"
                           : who.outcome == Authenticator::Outcome::UnknownUser
                               ? "e-mail desconhecido"
                           : who.outcome == Authenticator::Outcome::Disabled ? "usuário bloqueado"
                                                                             : "chave errada";
      logLine("403 " + req.remote_addr + " action=" + std::to_string(action) +
              " email=" + printable(email) + " motivo=" + reason);
      answerText(res, 403, "Acesso negado.");
      return;
    }
    const User& user = *who.user;

    switch (action) {
      case 1:
      case 4:
      case 8: {
        auto dados = field(req, "dados");
        if (!dados) throw BadRequest{"Campo obrigatório ausente: dados."};
        std::vector<std::string> items;
        size_t rejected = 0;
        for (auto& item : splitItems(repairDoubleEncoding(*dados))) {
          bool ok = action == 8 ? isShareableAddress(item) : isShareableDomain(item);
          if (ok)
            items.push_back(std::move(item));
          else
            ++rejected;
        }
        if (rejected > 0) {
          logLine("action=" + std::to_string(action) + " email=" + printable(email) + ": " +
                  std::to_string(rejected) + " itens malformados ignorados");
        }
        auto count = static_cast<int64_t>(items.size());
        if (count > 0 && !quota_.take(user.id, count)) {
          logLine("429 " + req.remote_addr + " action=" + std::to_string(action) +
                  " email=" + printable(email) + ": limite diário de itens atingido");
          res.set_header("Retry-After", std::to_string(secondsToUtcMidnight()));
          answerText(res, 429,
                     "Limite diário de envios atingido; nada foi gravado. Tente novamente "
                     "depois da meia-noite (UTC).");
          return;
        }
        if (count > 0 && !base_.submit(kindOfSend(action), user.id, std::move(items))) {
          quota_.giveBack(user.id, count);
          answerText(res, 503, "Não foi possível gravar agora; tente novamente.");
          return;
        }
        answerText(res, 200, "inseriu");
        return;
      }
      case 2:
        answerText(res, 200, "sim");
        return;
      case 3:
      case 5:
      case 9: {
        int page = parsePage(field(req, "page"));
        std::string date = field(req, "date").value_or("");
        if (!date.empty() && !isDate(date)) {
          throw BadRequest{"Campo date inválido: use aaaa-mm-dd."};
        }
        if (!pageSlots_.try_acquire_for(std::chrono::seconds(20))) {
          answerText(res, 503, "Serviço ocupado no momento; tente novamente.");
          return;
        }
        std::string body;
        try {
          base_.page(kindOfDownload(action), date, page, body);
        } catch (...) {
          pageSlots_.release();
          throw;
        }
        pageSlots_.release();
        res.status = 200;
        res.body = std::move(body);
        res.set_header("Content-Type", "text/plain; charset=utf-8");
        return;
      }
      case 6:
        answerText(res, 200,
                   "mx_validos=" + base_.lastDay(Kind::MxValidos) +
                       "\nmx_invalidos=" + base_.lastDay(Kind::MxInvalidos) + "\n");
        return;
      case 7: {
        auto value = field(req, "compartilha");
        if (!value) throw BadRequest{"Campo obrigatório ausente: compartilha."};
        std::string v = asciiLower(*value);
        if (v != "true" && v != "false") {
          throw BadRequest{"Campo compartilha inválido: use true ou false."};
        }
        bool on = v == "true";
        storage_.setCompartilha(user.id, on);
        auth_.noteCompartilha(user.email, on);
        answerText(res, 200, std::string("compartilha=") + (on ? "1" : "0") + "\n");
        return;
      }
      case 10:
        answerText(res, 200, base_.lastDay(Kind::EmailsInvalidos));
        return;
    }
  } catch (const BadRequest& bad) {
    answerText(res, 400, bad.text);
  } catch (const std::exception& e) {
    logLine(std::string("erro em sync.php: ") + e.what());
    answerText(res, 503, "Serviço indisponível no momento; tente novamente.");
  }
}

}  // namespace quorvel::service
