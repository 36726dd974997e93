// The exported entry points of the Kelvo binaries: the Audio Unit bundle's three, or the LV2
// binary's lv2_descriptor.
#include "Kelvo.h"

#if defined(IPLUG_API_LV2)
#include "IPlugLV2_entry.h"

IPLUG_LV2_ENTRY_POINTS(Kelvo, "https://quillmarsh.com/plugins/kelvo")
#else
#include "IPlug_include_in_plug_src.h"

IPLUG_AU_ENTRY_POINTS(Kelvo, Kelvo, "com.Quillmarsh.audiounit.Kelvo", "Kelvo_View")
#endif
