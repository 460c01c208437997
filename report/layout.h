// Every line kind of the report, in one place: the labels are shared with
// anything that reads reports back, and each line is written through its
// routine here so that no caller spells a label of its own.
#pragma once

#include <cstdint>

namespace ksr {

inline constexpr char kLineEnd[] = "\r\n";
inline constexpr char kBannerTool[] = "ksreport";
inline constexpr char kRuleText[] = "============================";
inline constexpr char kStartTitle[] = "Start WDM Device Enumeration";
inline constexpr char kEndTitle[] = "Exit  WDM Device Enumeration";
inline constexpr char kCutText[] = "---------------------- 8< ----------------------";
inline constexpr char kDevicePathLabel[] = "Device Path: ";
inline constexpr char kBusNumberLabel[] = "Device BUS NUMBER = ";
inline constexpr char kDescriptionSeparator[] = " / ";
inline constexpr char kServiceSuffix[] = ".sys";
inline constexpr char kInstanceIdLabel[] = "Instance ID: ";
inline constexpr char kInterfaceLabel[] = "   +";
inline constexpr char kNumPinsLabel[] = "    NumPins: ";
inline constexpr char kPinLabel[] = "       +Pin ";
inline constexpr char kDataflowLabel[] = " Dataflow: ";
inline constexpr char kMaxChannelsLabel[] = "          MaxChannels: ";
inline constexpr char kMaxBitsLabel[] = "          MaxBits    : ";
inline constexpr char kMinSampleRateLabel[] = "          MinSampleRt: ";
inline constexpr char kMaxSampleRateLabel[] = "          MaxSampleRt: ";
inline constexpr char kClosingPrefix[] = "Please send this file to ";
inline constexpr char kClosingSuffix[] = "!";

// The banner names the tool and its version.
const char* ReportBannerText();
// The address in the closing request line.
const char* ReportFeedbackAddress();

void ReportBannerLine();
void ReportBlankLine();
void ReportRuleLine();
void ReportStartTitleLine();
void ReportEndTitleLine();
void ReportCutLine();
void ReportDevicePathLine(const char* hardwareId);
void ReportBusNumberLine(uint32_t busNumber);
void ReportDescriptionLine(const char* description, const char* manufacturer, const char* service);
void ReportInstanceIdLine(uint32_t devInst);
void ReportInterfaceLine(const char* friendlyName);
void ReportNumPinsLine(uint32_t pinCount);
void ReportPinLine(uint32_t pinId, uint32_t dataflow);
void ReportMaxChannelsLine(uint32_t value);
void ReportMaxBitsLine(uint32_t value);
void ReportMinSampleRateLine(uint32_t value);
void ReportMaxSampleRateLine(uint32_t value);
void ReportClosingLine();

}  // namespace ksr
