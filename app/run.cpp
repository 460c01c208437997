#include "app/run.h"

#include "discovery/discovery.h"
#include "report/layout.h"

namespace ksr {

void RunReport() {
  ReportBannerLine();
  ReportBlankLine();
  ReportRuleLine();
  ReportStartTitleLine();
  ReportRuleLine();
  DeviceWalk();
  ReportBlankLine();
  ReportRuleLine();
  ReportEndTitleLine();
  ReportRuleLine();
  ReportBlankLine();
  ReportClosingLine();
}

}  // namespace ksr
