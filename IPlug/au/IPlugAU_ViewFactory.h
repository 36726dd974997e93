#pragma once
// The Cocoa view factory a host makes by name from the unit's CocoaUI property.

#include <AudioUnit/AUCocoaUIView.h>

class IPlugBase;

class Kelvo_View : public AUCocoaUIBase
{
public:
  static Kelvo_View* alloc() { return new Kelvo_View(); }
  unsigned interfaceVersion() override { return 0; }
  // The editor view of the plug-in behind the unit (the size is ignored); nil when the unit
  // delivers no plug-in or the plug-in has no editor.
  NSView* uiViewForAudioUnit(AudioUnit inAudioUnit, NSSize inPreferredSize) override;
  // "Kelvo View".
  NSString* description() const;
  IPlugBase* plug() const { return mPlug; }
  const char* className() const override { return "Kelvo_View"; }

private:
  IPlugBase* mPlug = nullptr;
};
