// What a vendor's key accepts: an update list with the key's valid signature beside it,
// issued no earlier than the list accepted last and not more than a day ahead of the
// machine's clock, offering no version older than the installed one, with a SHA-256 digest
// for every file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "updater/update_list.h"

namespace updater {

inline constexpr long long kSecondsADay = 86400;
// A list older than this is taken, but the age is told: its mirror may be frozen.
inline constexpr long long kStaleListDays = 30;

struct ListVerdict {
  int refusal = 0;   // one of the Refused* reasons; 0 when the list is taken
  std::string text;  // why it was refused, or a notice about the list taken ("" for none)
  long long issued = 0;
};

// signatureFile: what was served beside the list, nothing when no signature came (the text
// then says what happened instead). lastAccepted: the issue time of the list accepted last on
// this channel.
ListVerdict CheckListSignature(std::string_view publicKey,
                               const std::optional<std::string>& signatureFile,
                               const std::string& missingReason, std::string_view list,
                               std::optional<long long> lastAccepted, long long now);
// A taken list's offer against the installed version.
ListVerdict CheckOffer(double offered, double installed, const std::vector<Entry>& entries);
// Whether the text is a SHA-256 digest: 64 hexadecimal digits.
bool IsSha256(std::string_view text);

}  // namespace updater
