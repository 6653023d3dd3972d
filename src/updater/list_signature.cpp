#include "updater/list_signature.h"

#include <cstdio>

namespace updater {
namespace {

constexpr std::string_view kIssueTimeForm = "0000-00-00T00:00:00Z";

bool IsBase64Letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '/';
}

// Groups of four letters, the last of which may end in one or two "=".
bool IsCanonicalBase64(std::string_view text) {
  if (text.empty() || text.size() % 4 != 0) return false;
  std::size_t padding = 0;
  while (padding < 2 && text[text.size() - 1 - padding] == '=') ++padding;
  for (std::size_t i = 0; i < text.size() - padding; ++i)
    if (!IsBase64Letter(text[i])) return false;
  return true;
}

// Days from 1970-01-01 to the date of the proleptic Gregorian calendar.
long long DaysFromCivil(long long year, unsigned month, unsigned day) {
  year -= month <= 2;
  const long long era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<long long>(dayOfEra) - 719468;
}

bool LeapYear(long long year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

unsigned DaysInMonth(long long year, unsigned month) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && LeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<long long> ReadIssueTime(std::string_view text) {
  if (text.size() != kIssueTimeForm.size()) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = kIssueTimeForm[i] == '0';
    if (digit ? !(text[i] >= '0' && text[i] <= '9') : text[i] != kIssueTimeForm[i])
      return std::nullopt;
  }
  auto number = [&](std::size_t at, std::size_t length) {
    long long value = 0;
    for (std::size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  const long long year = number(0, 4);
  const auto month = static_cast<unsigned>(number(5, 2)), day = static_cast<unsigned>(number(8, 2));
  const long long hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour > 23 || minute > 59 || second > 59)
    return std::nullopt;
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::string IssueTimeText(long long seconds) {
  const long long days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  const long long rest = seconds - days * 86400;
  // The civil date of a day count, the inverse of DaysFromCivil.
  const long long shifted = days + 719468;
  const long long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(shifted - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
  const unsigned day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const unsigned month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  const long long year = static_cast<long long>(yearOfEra) + era * 400 + (month <= 2);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ", year, month, day,
                rest / 3600, rest / 60 % 60, rest % 60);
  return text;
}

std::optional<ListSignature> ReadListSignature(std::string_view text) {
  const std::size_t lineEnd = text.find('\n');
  if (lineEnd == std::string_view::npos) return std::nullopt;
  ListSignature signature;
  signature.issuedLine = std::string(text.substr(0, lineEnd));
  const auto issued = ReadIssueTime(signature.issuedLine);
  if (!issued) return std::nullopt;
  signature.issued = *issued;
  std::string_view rest = text.substr(lineEnd + 1);
  if (rest.size() >= 1 && rest.back() == '\n') rest.remove_suffix(1);
  if (rest.size() >= 1 && rest.back() == '\r') rest.remove_suffix(1);
  if (!IsCanonicalBase64(rest)) return std::nullopt;
  signature.base64 = std::string(rest);
  return signature;
}

std::string SignedBytes(const ListSignature& signature, std::string_view list) {
  std::string bytes = signature.issuedLine;
  bytes += '\n';
  bytes.append(list);
  return bytes;
}

}  // namespace updater
