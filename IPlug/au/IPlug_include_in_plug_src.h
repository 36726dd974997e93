// Entry points of an Audio Unit bundle. The product's entry file includes its class header,
// then this header, then writes
//   IPLUG_AU_ENTRY_POINTS(Kelvo, Kelvo, "com.Quillmarsh.audiounit.Kelvo", "Kelvo_View")
// which defines MakePlug and the exported NAME_Entry, NAME_ViewEntry and NAME_Factory, and
// registers the Cocoa view factory under its class name when the bundle loads.
#pragma once

#include <stdlib.h>
#include <new>

#include "IPlugAU.h"
#include "IPlugAU_ViewFactory.h"
#include "base/mutex.h"

#define IPLUG_AU_ENTRY_POINTS(PLUG_CLASS, NAME, BUNDLE_ID, VIEW_CLASS)                                              \
  NS_REGISTER_CLASS(Kelvo_View)                                                                                     \
  void* MakePlug(void* memory)                                                                                      \
  {                                                                                                                 \
    static WDL_Mutex sMutex;                                                                                        \
    WDL_MutexLock lock(&sMutex);                                                                                    \
    IPlugInstanceInfo instanceInfo;                                                                                 \
    instanceInfo.mBundleID.Set(BUNDLE_ID);                                                                          \
    instanceInfo.mCocoaViewFactoryClassName.Set(VIEW_CLASS);                                                        \
    if (memory) return new (memory) PLUG_CLASS(instanceInfo);                                                       \
    return new PLUG_CLASS(instanceInfo);                                                                            \
  }                                                                                                                 \
                                                                                                                    \
  extern "C" {                                                                                                      \
  /* Old-style component entry of the unit. */                                                                      \
  __attribute__((visibility("default"))) ComponentResult NAME##_Entry(ComponentParameters* params, void* pPlug)     \
  {                                                                                                                 \
    return IPlugAU::IPlugAUEntry(params, pPlug);                                                                    \
  }                                                                                                                 \
  /* Old-style component entry of the unit's view. */                                                               \
  __attribute__((visibility("default"))) ComponentResult NAME##_ViewEntry(ComponentParameters* params, void* pView) \
  {                                                                                                                 \
    return IPlugAU::IPlugAUCarbonViewEntry(params, pView);                                                          \
  }                                                                                                                 \
  /* The audio-component factory: one record per instance, the product built in Open. */                            \
  __attribute__((visibility("default"))) void* NAME##_Factory(const AudioComponentDescription*)                     \
  {                                                                                                                 \
    void* record = malloc(sizeof(IPlugAU::FactoryRecord) + sizeof(PLUG_CLASS));                                     \
    if (record) IPlugAU::InitFactoryRecord((IPlugAU::FactoryRecord*)record, MakePlug);                              \
    return record;                                                                                                  \
  }                                                                                                                 \
  }
