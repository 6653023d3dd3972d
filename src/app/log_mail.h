// The texts of the logs' mailing in this brand: the message boxes' caption, the chooser's
// title, the mail's subject, body and address, the packing failure.
#pragma once

#include "app/branding_settings.h"
#include "app/resources.h"
#include "log/log_mailer.h"

namespace app {

logging::LogMail LogMailOf(const Resources& resources, const BrandingSettings& branding);

}  // namespace app
