// The entry point of an LV2 user-interface binary. The product's UI entry file includes its class
// header, then this header, then writes
//   IPLUG_LV2UI_ENTRY_POINTS(Kelvo, "https://quillmarsh.com/plugins/kelvo", "https://quillmarsh.com/plugins/kelvo#ui")
// which defines the model's construction (serialized across the process) and the one exported
// symbol, lv2ui_descriptor.
#pragma once

#include <new>

#include "IPlugLV2UI.h"
#include "base/mutex.h"

#define IPLUG_LV2UI_ENTRY_POINTS(PLUG_CLASS, PLUGIN_URI, UI_URI)                                             \
  namespace {                                                                                                \
  IPlugLV2* MakeLV2UIModel(const IPlugInstanceInfo& info, IPlugLV2UI* pUI)                                   \
  {                                                                                                          \
    static WDL_Mutex sMutex;                                                                                 \
    WDL_MutexLock lock(&sMutex);                                                                             \
    return new (std::nothrow) IPlugLV2UIModel<PLUG_CLASS>(info, pUI);                                        \
  }                                                                                                          \
  const IPlugLV2UIFactory kLV2UIFactory = {UI_URI, PLUGIN_URI, MakeLV2UIModel};                              \
  }                                                                                                          \
  extern "C" __attribute__((visibility("default"))) const LV2UI_Descriptor* lv2ui_descriptor(uint32_t index) \
  {                                                                                                          \
    return IPlugLV2UI::Descriptor(index, kLV2UIFactory);                                                     \
  }
