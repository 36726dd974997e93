#pragma once
// Version of the plug-in framework, and the magic that starts its version header in state chunks.

// 1.0.0: major in bits 16-31, minor in bits 8-15, revision in bits 0-7.
#define IPLUG_VERSION 0x00010000
// The four characters 'pfft', the first in the most significant byte.
#define IPLUG_VERSION_MAGIC 0x70666674
