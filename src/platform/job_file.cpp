#include "platform/job_file.h"

namespace platform {
namespace {

constexpr std::size_t kFixedSize = 0x44;
constexpr WORD kApplicationCountOffset = 0x46;
constexpr WORD kTriggerSize = 0x30;
constexpr std::size_t kSignatureSize = 68;

class Writer {
 public:
  void Word(WORD value) {
    bytes_ += static_cast<char>(value & 0xFF);
    bytes_ += static_cast<char>(value >> 8);
  }
  void Dword(DWORD value) {
    Word(static_cast<WORD>(value & 0xFFFF));
    Word(static_cast<WORD>(value >> 16));
  }
  void Text(const std::u16string& text) {
    if (text.empty()) return Word(0);
    Word(static_cast<WORD>(text.size() + 1));
    for (char16_t unit : text) Word(unit);
    Word(0);
  }
  void Bytes(const BYTE* data, std::size_t size) {
    bytes_.append(reinterpret_cast<const char*>(data), size);
  }
  void PutWord(std::size_t at, WORD value) {
    bytes_[at] = static_cast<char>(value & 0xFF);
    bytes_[at + 1] = static_cast<char>(value >> 8);
  }
  std::size_t Size() const { return bytes_.size(); }
  std::string Take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  bool Word(WORD& value) {
    if (at_ + 2 > bytes_.size()) return false;
    value = static_cast<WORD>(Byte(at_) | Byte(at_ + 1) << 8);
    at_ += 2;
    return true;
  }
  bool Dword(DWORD& value) {
    WORD low = 0, high = 0;
    if (!Word(low) || !Word(high)) return false;
    value = low | DWORD(high) << 16;
    return true;
  }
  bool Text(std::u16string& text) {
    WORD count = 0;
    if (!Word(count)) return false;
    text.clear();
    for (WORD i = 0; i < count; ++i) {
      WORD unit = 0;
      if (!Word(unit)) return false;
      if (i + 1 < count) text += static_cast<char16_t>(unit);
    }
    // The last unit counted is the terminating zero; a text may end earlier.
    const std::size_t end = text.find(u'\0');
    if (end != std::u16string::npos) text.resize(end);
    return true;
  }
  bool Bytes(BYTE* data, std::size_t size) {
    if (at_ + size > bytes_.size()) return false;
    for (std::size_t i = 0; i < size; ++i) data[i] = Byte(at_ + i);
    at_ += size;
    return true;
  }
  void Seek(std::size_t at) { at_ = at; }
  std::size_t At() const { return at_; }
  std::size_t Left() const { return bytes_.size() - at_; }

 private:
  unsigned Byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }
  const std::string& bytes_;
  std::size_t at_ = 0;
};

void WriteTime(Writer& out, const SYSTEMTIME& time) {
  for (WORD field : {time.wYear, time.wMonth, time.wDayOfWeek, time.wDay, time.wHour, time.wMinute,
                     time.wSecond, time.wMilliseconds})
    out.Word(field);
}

bool ReadTime(Reader& in, SYSTEMTIME& time) {
  for (WORD* field : {&time.wYear, &time.wMonth, &time.wDayOfWeek, &time.wDay, &time.wHour,
                      &time.wMinute, &time.wSecond, &time.wMilliseconds})
    if (!in.Word(*field)) return false;
  return true;
}

// The three type-specific words of a trigger record.
std::array<WORD, 3> SpecificWords(const TASK_TRIGGER& trigger) {
  const TRIGGER_TYPE_UNION& type = trigger.Type;
  switch (trigger.TriggerType) {
    case TASK_TIME_TRIGGER_DAILY:
      return {type.Daily.DaysInterval, 0, 0};
    case TASK_TIME_TRIGGER_WEEKLY:
      return {type.Weekly.WeeksInterval, type.Weekly.rgfDaysOfTheWeek, 0};
    case TASK_TIME_TRIGGER_MONTHLYDATE:
      return {static_cast<WORD>(type.MonthlyDate.rgfDays & 0xFFFF),
              static_cast<WORD>(type.MonthlyDate.rgfDays >> 16), type.MonthlyDate.rgfMonths};
    case TASK_TIME_TRIGGER_MONTHLYDOW:
      return {type.MonthlyDOW.wWhichWeek, type.MonthlyDOW.rgfDaysOfTheWeek,
              type.MonthlyDOW.rgfMonths};
    default:
      return {0, 0, 0};
  }
}

void SetSpecificWords(TASK_TRIGGER& trigger, const std::array<WORD, 3>& words) {
  TRIGGER_TYPE_UNION& type = trigger.Type;
  type = {};
  switch (trigger.TriggerType) {
    case TASK_TIME_TRIGGER_DAILY:
      type.Daily.DaysInterval = words[0];
      break;
    case TASK_TIME_TRIGGER_WEEKLY:
      type.Weekly = {words[0], words[1]};
      break;
    case TASK_TIME_TRIGGER_MONTHLYDATE:
      type.MonthlyDate = {words[0] | DWORD(words[1]) << 16, words[2]};
      break;
    case TASK_TIME_TRIGGER_MONTHLYDOW:
      type.MonthlyDOW = {words[0], words[1], words[2]};
      break;
    default:
      break;
  }
}

void WriteTrigger(Writer& out, const TASK_TRIGGER& trigger) {
  out.Word(kTriggerSize);
  out.Word(0);
  for (WORD field : {trigger.wBeginYear, trigger.wBeginMonth, trigger.wBeginDay, trigger.wEndYear,
                     trigger.wEndMonth, trigger.wEndDay, trigger.wStartHour, trigger.wStartMinute})
    out.Word(field);
  out.Dword(trigger.MinutesDuration);
  out.Dword(trigger.MinutesInterval);
  out.Dword(trigger.rgFlags);
  out.Dword(trigger.TriggerType);
  for (WORD word : SpecificWords(trigger)) out.Word(word);
  out.Word(0);  // padding
  out.Word(0);  // reserved
  out.Word(trigger.wRandomMinutesInterval);
}

bool ReadTrigger(Reader& in, TASK_TRIGGER& trigger) {
  WORD size = 0, reserved = 0, padding = 0;
  DWORD type = 0;
  std::array<WORD, 3> words{};
  if (!in.Word(size) || size != kTriggerSize || !in.Word(reserved)) return false;
  for (WORD* field :
       {&trigger.wBeginYear, &trigger.wBeginMonth, &trigger.wBeginDay, &trigger.wEndYear,
        &trigger.wEndMonth, &trigger.wEndDay, &trigger.wStartHour, &trigger.wStartMinute})
    if (!in.Word(*field)) return false;
  if (!in.Dword(trigger.MinutesDuration) || !in.Dword(trigger.MinutesInterval) ||
      !in.Dword(trigger.rgFlags) || !in.Dword(type) || !in.Word(words[0]) || !in.Word(words[1]) ||
      !in.Word(words[2]) || !in.Word(padding) || !in.Word(trigger.Reserved2) ||
      !in.Word(trigger.wRandomMinutesInterval))
    return false;
  trigger.TriggerType = static_cast<TASK_TRIGGER_TYPE>(type);
  SetSpecificWords(trigger, words);
  return true;
}

}  // namespace

std::string EncodeJobFile(const JobFile& job) {
  Writer out;
  out.Word(job.productVersion);
  out.Word(job.fileVersion);
  out.Bytes(job.uuid.data(), job.uuid.size());
  out.Word(kApplicationCountOffset);
  const std::size_t triggerOffsetAt = out.Size();
  out.Word(0);  // the trigger offset, known at the end
  out.Word(job.errorRetryCount);
  out.Word(job.errorRetryInterval);
  out.Word(job.idleDeadline);
  out.Word(job.idleWait);
  out.Dword(job.priority);
  out.Dword(job.maxRunTime);
  out.Dword(job.exitCode);
  out.Dword(static_cast<DWORD>(job.status));
  out.Dword(job.flags);
  WriteTime(out, job.lastRun);
  out.Word(job.runningInstances);
  out.Text(job.application);
  out.Text(job.parameters);
  out.Text(job.workingDirectory);
  out.Text(job.author);
  out.Text(job.comment);
  out.Word(static_cast<WORD>(job.userData.size()));
  out.Bytes(job.userData.data(), job.userData.size());
  out.Word(job.reservedData ? 8 : 0);
  if (job.reservedData) {
    out.Dword(job.startError);
    out.Dword(0);
  }
  out.PutWord(triggerOffsetAt, static_cast<WORD>(out.Size()));
  out.Word(static_cast<WORD>(job.triggers.size()));
  for (const TASK_TRIGGER& trigger : job.triggers) WriteTrigger(out, trigger);
  return out.Take();
}

std::optional<JobFile> DecodeJobFile(const std::string& bytes) {
  if (bytes.size() < kFixedSize) return std::nullopt;
  Reader in(bytes);
  JobFile job;
  WORD applicationAt = 0, triggersAt = 0;
  DWORD status = 0;
  if (!in.Word(job.productVersion) || !in.Word(job.fileVersion) ||
      !in.Bytes(job.uuid.data(), job.uuid.size()) || !in.Word(applicationAt) ||
      !in.Word(triggersAt) || !in.Word(job.errorRetryCount) || !in.Word(job.errorRetryInterval) ||
      !in.Word(job.idleDeadline) || !in.Word(job.idleWait) || !in.Dword(job.priority) ||
      !in.Dword(job.maxRunTime) || !in.Dword(job.exitCode) || !in.Dword(status) ||
      !in.Dword(job.flags) || !ReadTime(in, job.lastRun) || !in.Word(job.runningInstances))
    return std::nullopt;
  job.status = static_cast<LONG>(status);
  if (applicationAt != in.At()) in.Seek(applicationAt);
  WORD userSize = 0, reservedSize = 0, count = 0;
  if (!in.Text(job.application) || !in.Text(job.parameters) || !in.Text(job.workingDirectory) ||
      !in.Text(job.author) || !in.Text(job.comment) || !in.Word(userSize))
    return std::nullopt;
  job.userData.resize(userSize);
  if (!in.Bytes(job.userData.data(), userSize) || !in.Word(reservedSize)) return std::nullopt;
  if (reservedSize != 0 && reservedSize != 8) return std::nullopt;
  job.reservedData = reservedSize == 8;
  DWORD unused = 0;
  if (job.reservedData && (!in.Dword(job.startError) || !in.Dword(unused))) return std::nullopt;
  if (triggersAt != in.At()) in.Seek(triggersAt);
  if (!in.Word(count)) return std::nullopt;
  // Each trigger needs its 48 bytes: a hostile count reserves nothing it cannot hold.
  if (count > in.Left() / kTriggerSize) return std::nullopt;
  job.triggers.resize(count);
  for (TASK_TRIGGER& trigger : job.triggers)
    if (!ReadTrigger(in, trigger)) return std::nullopt;
  if (in.Left() == kSignatureSize || in.Left() == 0) return job;
  return std::nullopt;
}

}  // namespace platform
