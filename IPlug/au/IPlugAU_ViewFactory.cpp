#include "IPlugAU_ViewFactory.h"

#include "IPlugAU.h"

NSView* Kelvo_View::uiViewForAudioUnit(AudioUnit inAudioUnit, NSSize inPreferredSize)
{
  (void)inPreferredSize;
  IPlugAU* plug = nullptr;
  UInt32 size = sizeof(plug);
  if (!inAudioUnit ||
      AudioUnitGetProperty(inAudioUnit, IPlugAU::kIPlugObjectPropertyID, kAudioUnitScope_Global, 0, &plug, &size) !=
          noErr ||
      size != sizeof(plug) || !plug)
    return nullptr;
  mPlug = plug;
  IEditor* graphics = mPlug->GetGUI();
  if (!graphics) return nullptr;
  NSView* view = static_cast<NSView*>(graphics->OpenWindow(nullptr));
  mPlug->OnGUIOpen();
  return view;
}

NSString* Kelvo_View::description() const { return NSStr("Kelvo View"); }
