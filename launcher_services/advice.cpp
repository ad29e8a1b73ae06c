#include "launcher_services/advice.h"

#include "common/text_pattern.h"
#include "common/texts.h"
#include "windows/message_boxes.h"

namespace services {

std::string DownloadSuffix() {
  return Substitute(Text(TextId::kDownloadAdvice), LAUNCH_DOWNLOAD_SITES);
}

void ShowAdvice(const std::string& text) {
  ShowMessage(text + DownloadSuffix(), Text(TextId::kCaptionCheckStartup));
}

}  // namespace services
