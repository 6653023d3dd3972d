// A mail message as an Internet mail file (RFC 5322 with MIME attachments).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace mapi {

struct Mailbox {
  std::string name, address;  // UTF-8
};

struct Attachment {
  std::string name;  // UTF-8
  std::string bytes;
};

struct OutgoingMail {
  Mailbox from;
  std::vector<Mailbox> to, cc, bcc;
  std::string subject, body;  // UTF-8
  std::vector<Attachment> attachments;
  std::string messageIdDomain;
};

// The message's bytes, CR LF line ends: a plain-text body, and with attachments a
// multipart/mixed message whose attachments are base64 parts named by their file names.
std::string ComposeMail(const OutgoingMail& mail);

}  // namespace mapi
