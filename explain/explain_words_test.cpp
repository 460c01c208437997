// GUIDs as an explanation shows them: by the name the shared table shows a
// value by, the signal-processing modes by their short names, and any
// other value in braces.
#include "explain/explain_words.h"

#include <gtest/gtest.h>

#include "platform/guid_names.h"
#include "platform/wintypes.h"

namespace ksr {
namespace {

TEST(ExplainWords, GuidsAreShownByTheTableName) {
  size_t count = 0;
  const GuidName* table = GuidNameTable(&count);
  for (size_t i = 0; i < count; ++i) {
    EXPECT_EQ(ExplainGuidText(table[i].Value), GuidNameOf(table[i].Value)) << table[i].Name;
  }
  // A second name of a value is never the one shown.
  GUID spdif{};
  ASSERT_TRUE(GuidNameFind("KSDATAFORMAT_SUBTYPE_DOLBY_AC3_SPDIF", &spdif));
  EXPECT_EQ(ExplainGuidText(spdif), "KSDATAFORMAT_SUBTYPE_IEC61937_DOLBY_DIGITAL");
  EXPECT_EQ(ExplainGuidText(GUID_NULL), "KSDATAFORMAT_SUBTYPE_WILDCARD");
  // cmi8738's music pins carry the DirectMusic subtype.
  GUID directMusic{};
  ASSERT_TRUE(GuidNameFind("KSDATAFORMAT_SUBTYPE_DIRECTMUSIC", &directMusic));
  EXPECT_EQ(ExplainGuidText(directMusic), "KSDATAFORMAT_SUBTYPE_DIRECTMUSIC");
}

TEST(ExplainWords, UnnamedGuidsAreBraced) {
  GUID other = KSCATEGORY_AUDIO;
  other.Data4[7] = 0x97;
  EXPECT_EQ(ExplainGuidText(other), "{6994AD04-93EF-11D0-A3CC-00A0C9223197}");
  EXPECT_EQ(ExplainModeText(other), "{6994AD04-93EF-11D0-A3CC-00A0C9223197}");
}

TEST(ExplainWords, ModesByTheirShortNames) {
  const char* const kModes[] = {"DEFAULT", "RAW",   "COMMUNICATIONS", "SPEECH",
                                "MEDIA",   "MOVIE", "NOTIFICATION",   "FAR_FIELD_SPEECH"};
  for (const char* mode : kModes) {
    GUID value{};
    ASSERT_TRUE(GuidNameFind((std::string("AUDIO_SIGNALPROCESSINGMODE_") + mode).c_str(), &value)) << mode;
    EXPECT_EQ(ExplainModeText(value), mode);
  }
  // A GUID named otherwise keeps its whole name.
  EXPECT_EQ(ExplainModeText(kGuidModeAttribute), "KSATTRIBUTEID_AUDIOSIGNALPROCESSING_MODE");
  EXPECT_EQ(ExplainModeText(KSDATAFORMAT_SUBTYPE_PCM), "KSDATAFORMAT_SUBTYPE_PCM");
}

TEST(ExplainWords, FlagsCommunicationsAndBytesByTheirPublishedNames) {
  EXPECT_EQ(ExplainFlagsText(0), "0");
  EXPECT_EQ(ExplainFlagsText(SPINT_ACTIVE | SPINT_REMOVED), "SPINT_ACTIVE|SPINT_REMOVED");
  // Bits without a name are kept, in hex.
  EXPECT_EQ(ExplainFlagsText(SPINT_DEFAULT | 0x100), "SPINT_DEFAULT|0x00000100");
  EXPECT_EQ(ExplainFlagsText(0x100), "0x00000100");
  const char* const kCommunications[] = {"KSPIN_COMMUNICATION_NONE", "KSPIN_COMMUNICATION_SINK",
                                         "KSPIN_COMMUNICATION_SOURCE", "KSPIN_COMMUNICATION_BOTH",
                                         "KSPIN_COMMUNICATION_BRIDGE"};
  for (uint32_t value = 0; value < 5; ++value) EXPECT_EQ(ExplainCommunicationName(value), kCommunications[value]);
  // The first limit bytes, no more.
  EXPECT_EQ(ExplainHexBytes(SimBytes{0x01, 0xAB, 0x02}, 2), "01AB");
  EXPECT_EQ(ExplainHexBytes(SimBytes{0x01, 0xAB}, 2), "01AB");
  EXPECT_EQ(ExplainHexBytes(SimBytes{}, 2), "");
}

}  // namespace
}  // namespace ksr
