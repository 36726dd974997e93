// The exported entry points of the Kelvo bundle.
#include "Kelvo.h"
#include "IPlug_include_in_plug_src.h"

IPLUG_AU_ENTRY_POINTS(Kelvo, Kelvo, "com.Quillmarsh.audiounit.Kelvo", "Kelvo_View")
