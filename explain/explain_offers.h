// What a pin's range list offers, read item by item: each range the walk
// looked at as the item it is, and the formats the driver offers in words,
// for a support engineer who asks "can it do 24-bit 96 kHz?".
#pragma once

#include <string>
#include <vector>

#include "explain/explain_decode.h"
#include "explain/explain_tree.h"

namespace ksr {

// The item of each of pin.ranges, in order; an item that follows a range
// flagged KSDATARANGE_ATTRIBUTES in the same pass is its attribute list.
std::vector<ExplainItem> ExplainPinItems(const ExplainPin& pin);

// One line per distinct PCM offer ("2 channels, 16 bits, 44100, 48000 Hz"),
// led by its signal-processing mode where the ranges carry one ("mode RAW:
// ..."), then one line of the other formats ("also IEC 61937 Dolby Digital,
// MIDI"). Empty when the list offers nothing that can be read.
std::vector<std::string> ExplainPinOffers(const ExplainPin& pin);

// Bytes by which the walk read an item short of where the platform places
// it (0 when there): the walk steps by FormatSize, and each FormatSize
// before it that is not a multiple of 8 moves it further off.
uint64_t ExplainItemOffBoundary(const ExplainItem& item);

}  // namespace ksr
