#pragma once
// The Cocoa view protocol of Audio Units: the class a unit's CocoaUI property names is made by
// name (NSClassFromString) and asked for the unit's editor view.

#include <AppKit/AppKit.h>
#include <AudioUnit/AudioUnit.h>

class AUCocoaUIBase : public NSObject
{
public:
  // The version of this protocol the class implements (0 for the first).
  virtual unsigned interfaceVersion() = 0;
  // A view of the unit's editor, or nil; the preferred size may be ignored.
  virtual NSView* uiViewForAudioUnit(AudioUnit inAudioUnit, NSSize inPreferredSize) = 0;
};
