#include "report/layout.h"

#include "ksreport_config.h"
#include "report/writer.h"

namespace ksr {

namespace {

void LineEnd() { ReportPrint(kLineEnd); }

void TextLine(const char* text) {
  ReportPrint(text);
  LineEnd();
}

void LabelHexLine(const char* label, uint32_t value) {
  ReportPrint(label);
  ReportHex8(value);
  LineEnd();
}

void LabelTextLine(const char* label, const char* text) {
  ReportPrint(label);
  ReportPrint(text);
  LineEnd();
}

}  // namespace

const char* ReportBannerText() {
  return "ksreport " KSREPORT_VERSION " - WDM kernel-streaming audio report";
}

const char* ReportFeedbackAddress() { return KSREPORT_FEEDBACK_ADDRESS; }

void ReportBannerLine() { TextLine(ReportBannerText()); }
void ReportBlankLine() { LineEnd(); }
void ReportRuleLine() { TextLine(kRuleText); }
void ReportStartTitleLine() { TextLine(kStartTitle); }
void ReportEndTitleLine() { TextLine(kEndTitle); }
void ReportCutLine() { TextLine(kCutText); }

void ReportDevicePathLine(const char* hardwareId) { LabelTextLine(kDevicePathLabel, hardwareId); }
void ReportBusNumberLine(uint32_t busNumber) { LabelHexLine(kBusNumberLabel, busNumber); }

void ReportDescriptionLine(const char* description, const char* manufacturer,
                           const char* service) {
  ReportPrint(description);
  ReportPrint(kDescriptionSeparator);
  ReportPrint(manufacturer);
  ReportPrint(kDescriptionSeparator);
  ReportPrint(service);
  ReportPrint(kServiceSuffix);
  LineEnd();
}

void ReportInstanceIdLine(uint32_t devInst) { LabelHexLine(kInstanceIdLabel, devInst); }
void ReportInterfaceLine(const char* friendlyName) { LabelTextLine(kInterfaceLabel, friendlyName); }
void ReportNumPinsLine(uint32_t pinCount) { LabelHexLine(kNumPinsLabel, pinCount); }

void ReportPinLine(uint32_t pinId, uint32_t dataflow) {
  ReportPrint(kPinLabel);
  ReportHex8(pinId);
  ReportPrint(kDataflowLabel);
  ReportHex8(dataflow);
  LineEnd();
}

void ReportMaxChannelsLine(uint32_t value) { LabelHexLine(kMaxChannelsLabel, value); }
void ReportMaxBitsLine(uint32_t value) { LabelHexLine(kMaxBitsLabel, value); }
void ReportMinSampleRateLine(uint32_t value) { LabelHexLine(kMinSampleRateLabel, value); }
void ReportMaxSampleRateLine(uint32_t value) { LabelHexLine(kMaxSampleRateLabel, value); }

void ReportClosingLine() {
  ReportPrint(kClosingPrefix);
  ReportPrint(ReportFeedbackAddress());
  ReportPrint(kClosingSuffix);
  LineEnd();
}

}  // namespace ksr
