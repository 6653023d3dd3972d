#include "updater/list_trust.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "platform/signature.h"
#include "updater/corvane.h"
#include "updater/list_signature.h"

namespace updater {
namespace {

ListVerdict Refused(int reason, std::string text) {
  return {reason, std::move(text), 0};
}

std::string VersionText(double version) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", version);
  return text;
}

}  // namespace

bool IsSha256(std::string_view text) {
  return text.size() == 64 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c); });
}

ListVerdict CheckListSignature(std::string_view publicKey,
                               const std::optional<std::string>& signatureFile,
                               const std::string& missingReason, std::string_view list,
                               std::optional<long long> lastAccepted, long long now) {
  if (!signatureFile) return Refused(RefusedNoSignature, "it has no signature: " + missingReason);
  if (signatureFile->empty())
    return Refused(RefusedMalformedSignature, "its signature file is empty");
  const auto signature = ReadListSignature(*signatureFile);
  if (!signature)
    return Refused(RefusedMalformedSignature,
                   "its signature file is not an issue time and a Base64 signature");
  switch (platform::VerifySha256RsaSignature(publicKey, SignedBytes(*signature, list),
                                             signature->base64)) {
    case platform::SignatureVerdict::Valid:
      break;
    case platform::SignatureVerdict::Invalid:
      return Refused(RefusedBadSignature,
                     "its signature is not the vendor's signature of this list");
    case platform::SignatureVerdict::UnusableKey:
      return Refused(RefusedUnusableKey,
                     "the update key of settings.xml is no RSA public key of at least 3072 bits "
                     "that this system can use");
  }
  if (lastAccepted && signature->issued < *lastAccepted)
    return Refused(RefusedReplayed, "it was issued at " + signature->issuedLine +
                                        ", before the list accepted last (issued at " +
                                        IssueTimeText(*lastAccepted) + ")");
  if (signature->issued > now + kSecondsADay)
    return Refused(RefusedFromTheFuture, "it was issued at " + signature->issuedLine +
                                             ", more than a day after this computer's time (" +
                                             IssueTimeText(now) + ")");
  ListVerdict taken;
  taken.issued = signature->issued;
  const long long days = (now - signature->issued) / kSecondsADay;
  if (days > kStaleListDays)
    taken.text = "the update server's list is " + std::to_string(days) + " days old";
  return taken;
}

ListVerdict CheckOffer(double offered, double installed, const std::vector<Entry>& entries) {
  if (offered < installed)
    return Refused(RefusedOlderVersion, "it offers version " + VersionText(offered) +
                                            ", older than the installed version " +
                                            VersionText(installed));
  for (const Entry& entry : entries)
    if (!IsSha256(entry.secondColumn))
      return Refused(RefusedEntryWithoutDigest,
                     "its line for the file \"" + entry.fileName + "\" has no SHA-256 digest");
  return {};
}

}  // namespace updater
