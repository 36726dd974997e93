// The entry point of an LV2 binary. The product's entry file includes its class header, then this
// header, then writes
//   IPLUG_LV2_ENTRY_POINTS(Kelvo, "https://quillmarsh.com/plugins/kelvo")
// which defines the product's factory (construction serialized across the process) and the one
// exported symbol, lv2_descriptor.
#pragma once

#include <new>

#include "IPlugLV2.h"
#include "base/mutex.h"

#define IPLUG_LV2_ENTRY_POINTS(PLUG_CLASS, URI)                                                          \
  namespace {                                                                                            \
  IPlugLV2* MakeLV2Plug(const IPlugInstanceInfo& info)                                                   \
  {                                                                                                      \
    static WDL_Mutex sMutex;                                                                             \
    WDL_MutexLock lock(&sMutex);                                                                         \
    return new (std::nothrow) PLUG_CLASS(info);                                                          \
  }                                                                                                      \
  }                                                                                                      \
  const IPlugLV2Factory& GetIPlugLV2Factory()                                                            \
  {                                                                                                      \
    static const IPlugLV2Factory kFactory = {URI, MakeLV2Plug};                                          \
    return kFactory;                                                                                     \
  }                                                                                                      \
  extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(uint32_t index) \
  {                                                                                                      \
    return IPlugLV2::Descriptor(index, GetIPlugLV2Factory());                                            \
  }
