// Colour spaces, colours and display profiles.

#include <CoreGraphics/CGColor.h>
#include <ColorSync/ColorSync.h>

#include <algorithm>

#include "objects.h"

struct OpaqueCMProfileRef
{
};

extern "C" {

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void) { return cgi::New<CGColorSpace>(); }

// Every profile describes an RGB display that shows colours unchanged.
CGColorSpaceRef CGColorSpaceCreateWithPlatformColorSpace(const void* platformColorSpace)
{
  return platformColorSpace ? CGColorSpaceCreateDeviceRGB() : nullptr;
}

CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space) { return cgi::Retain(space); }
void CGColorSpaceRelease(CGColorSpaceRef space) { cgi::Release(space); }
size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space) { return space ? 3 : 0; }

// Clamped copy of r, g, b, a.
CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components)
{
  if (!space || !components) return nullptr;
  CGColor* c = cgi::New<CGColor>();
  if (!c) return nullptr;
  for (int i = 0; i < 4; ++i) c->components[i] = std::clamp(components[i], 0.0, 1.0);
  return c;
}

CGColorRef CGColorCreateGenericRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
{
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  const CGFloat components[4] = {red, green, blue, alpha};
  CGColorRef color = CGColorCreate(space, components);
  CGColorSpaceRelease(space);
  return color;
}

CGColorRef CGColorRetain(CGColorRef color) { return cgi::Retain(color); }
void CGColorRelease(CGColorRef color) { cgi::Release(color); }
const CGFloat* CGColorGetComponents(CGColorRef color) { return color ? color->components : nullptr; }
size_t CGColorGetNumberOfComponents(CGColorRef color) { return color ? 4 : 0; }
CGFloat CGColorGetAlpha(CGColorRef color) { return color ? color->components[3] : 0; }

// The one display's profile: a static record that closing leaves alone.
CMError CMGetSystemProfile(CMProfileRef* profile)
{
  static OpaqueCMProfileRef display;
  if (!profile) return -50;  // paramErr
  *profile = &display;
  return 0;
}

CMError CMCloseProfile(CMProfileRef) { return 0; }

}  // extern "C"
