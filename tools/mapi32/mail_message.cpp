#include "mail_message.h"

#include <gmime/gmime.h>

#include <memory>
#include <mutex>

namespace mapi {
namespace {

// GMime's objects are reference counted; this drops one reference when it goes.
template <typename T>
struct Unref {
  void operator()(T* object) const {
    if (object) g_object_unref(object);
  }
};
template <typename T>
using Owned = std::unique_ptr<T, Unref<T>>;

void InitialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

const char* ContentSubtype(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (extension == "zip") return "zip";
  if (extension == "xml") return "xml";
  return nullptr;
}

GMimeObject* AttachmentPart(const Attachment& attachment) {
  const char* subtype = ContentSubtype(attachment.name);
  GMimePart* part = g_mime_part_new_with_type("application", subtype ? subtype : "octet-stream");
  Owned<GMimeStream> stream(
      g_mime_stream_mem_new_with_buffer(attachment.bytes.data(), attachment.bytes.size()));
  Owned<GMimeDataWrapper> content(
      g_mime_data_wrapper_new_with_stream(stream.get(), GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part, content.get());
  g_mime_part_set_filename(part, attachment.name.c_str());
  g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
  return GMIME_OBJECT(part);
}

}  // namespace

std::string ComposeMail(const OutgoingMail& mail) {
  InitialiseOnce();
  Owned<GMimeMessage> message(g_mime_message_new(TRUE));
  g_mime_message_add_mailbox(message.get(), GMIME_ADDRESS_TYPE_FROM, mail.from.name.c_str(),
                             mail.from.address.c_str());
  const std::pair<GMimeAddressType, const std::vector<Mailbox>*> lists[] = {
      {GMIME_ADDRESS_TYPE_TO, &mail.to},
      {GMIME_ADDRESS_TYPE_CC, &mail.cc},
      {GMIME_ADDRESS_TYPE_BCC, &mail.bcc}};
  for (const auto& [type, boxes] : lists)
    for (const Mailbox& box : *boxes)
      g_mime_message_add_mailbox(message.get(), type,
                                 box.name == box.address ? nullptr : box.name.c_str(),
                                 box.address.c_str());
  g_mime_message_set_subject(message.get(), mail.subject.c_str(), "utf-8");
  GDateTime* now = g_date_time_new_now_local();
  g_mime_message_set_date(message.get(), now);
  g_date_time_unref(now);
  char* id = g_mime_utils_generate_message_id(mail.messageIdDomain.c_str());
  g_mime_message_set_message_id(message.get(), id);
  g_free(id);

  Owned<GMimeTextPart> body(g_mime_text_part_new_with_subtype("plain"));
  g_mime_text_part_set_text(body.get(), mail.body.c_str());
  if (mail.attachments.empty()) {
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(body.get()));
  } else {
    Owned<GMimeMultipart> parts(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(parts.get(), GMIME_OBJECT(body.get()));
    for (const Attachment& attachment : mail.attachments) {
      Owned<GMimeObject> part(AttachmentPart(attachment));
      g_mime_multipart_add(parts.get(), part.get());
    }
    g_mime_message_set_mime_part(message.get(), GMIME_OBJECT(parts.get()));
  }

  GMimeFormatOptions* options = g_mime_format_options_new();
  g_mime_format_options_set_newline_format(options, GMIME_NEWLINE_FORMAT_DOS);
  Owned<GMimeStream> out(g_mime_stream_mem_new());
  g_mime_object_write_to_stream(GMIME_OBJECT(message.get()), options, out.get());
  g_mime_format_options_free(options);
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
  return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

}  // namespace mapi
