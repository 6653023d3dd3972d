#include "app/log_mail.h"

namespace app {
namespace {

constexpr unsigned kLogsBodyText = 94;
constexpr unsigned kLogsSubjectText = 95;     // the application's name
constexpr unsigned kLogsNotPackedText = 249;  // the archive's path
constexpr unsigned kChooseLogsText = 250;

}  // namespace

logging::LogMail LogMailOf(const Resources& resources, const BrandingSettings& branding) {
  logging::LogMail mail;
  mail.caption = branding.APPNAME;
  mail.chooserTitle = resources.String(kChooseLogsText);
  mail.subject = resources.Format(kLogsSubjectText, {branding.APPNAME});
  mail.body = resources.String(kLogsBodyText);
  mail.address = branding.LOGSMAIL;
  mail.packFailedFormat = resources.String(kLogsNotPackedText);
  return mail;
}

}  // namespace app
