#pragma once
// The record of one examined message of a mailbox check.

#include <string>

namespace quorvel {

struct ClMsg {
  std::string aData;  // "yyyy-MM-dd hh:mm"
  std::string email;  // the account's address
  std::string assunto;
  std::string anexos;         // always empty
  std::string nomeRemetente;  // display name, trimmed
  std::string from;           // sender address
  std::string replyTo;        // first Reply-To, else Return-Path without "<" and ">"
  std::string header;         // header lines, a line break, the extra header lines
  std::string body;           // the message text
  std::string mailFolder;
  std::string msgId;  // UID as decimal text
  bool BCC = false;
  std::string tipoSPAM;
  std::string lida;

  ClMsg() = default;
  // `create`: the values in this order.
  ClMsg(std::string data, std::string aemail, std::string aassunto, std::string aAnexos,
        std::string aNomeRemetente, std::string afrom, std::string aReplyTo, std::string abody,
        std::string amailfolder, std::string aheader, bool abcc, std::string amsgId,
        std::string aLida)
      : aData(std::move(data)),
        email(std::move(aemail)),
        assunto(std::move(aassunto)),
        anexos(std::move(aAnexos)),
        nomeRemetente(std::move(aNomeRemetente)),
        from(std::move(afrom)),
        replyTo(std::move(aReplyTo)),
        header(std::move(aheader)),
        body(std::move(abody)),
        mailFolder(std::move(amailfolder)),
        msgId(std::move(amsgId)),
        BCC(abcc),
        lida(std::move(aLida)) {}
};

}  // namespace quorvel
