#pragma once
// The wrapper a product is built on, chosen by compile definition: the product's class derives
// from IPlug and constructs it with (IPlugInstanceInfo, nParams, channelIOStr, ...).
//   IPLUG_API_AU   the Audio Unit wrapper (IPlug/au/)
//   IPLUG_API_LV2  the LV2 wrapper (IPlug/lv2/)
//   neither        the plain wrapper: the base alone, for processing without a host interface
// IPLUG_EDITOR marks the builds that link the graphics library and a window system.

#if defined(IPLUG_API_AU) && defined(IPLUG_API_LV2)
#error "IPLUG_API_AU and IPLUG_API_LV2 cannot both be defined"
#endif

#if defined(IPLUG_API_AU)
#include "IPlugAU.h"
using IPlug = IPlugAU;
#elif defined(IPLUG_API_LV2)
#include "IPlugLV2.h"
using IPlug = IPlugLV2;
#else
#include "IPlugDSP.h"
using IPlug = IPlugDSP;
#endif
