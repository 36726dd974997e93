#pragma once
// Fonts over Core Text.

#include <CoreText/CoreText.h>
#include <Foundation/Foundation.h>

class NSFont : public NSObject
{
public:
  // The font with that family, full or PostScript name at that size (autoreleased), or nil
  // when no installed font carries the name.
  static NSFont* fontWithName(NSString* name, CGFloat size);
  // The system's label font at that size (0 or less: 10 points).
  static NSFont* labelFontOfSize(CGFloat size);
  static NSFont* systemFontOfSize(CGFloat size) { return labelFontOfSize(size); }

  // The Core Text font this object stands for.
  CTFontRef CTFont() const { return m_font; }
  NSString* fontName() const;
  CGFloat pointSize() const { return m_font ? CTFontGetSize(m_font) : 0; }
  const char* className() const override { return "NSFont"; }

protected:
  ~NSFont() override;

private:
  // Takes over one reference to f.
  static NSFont* adopt(CTFontRef f);
  CTFontRef m_font = nullptr;
};
