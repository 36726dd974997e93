// The exported entry point of the Kelvo LV2 user interface: lv2ui_descriptor.
#include "Kelvo.h"
#include "IPlugLV2UI_entry.h"

IPLUG_LV2UI_ENTRY_POINTS(Kelvo, "https://quillmarsh.com/plugins/kelvo", "https://quillmarsh.com/plugins/kelvo#ui")
