#pragma once
// Colours and the editable text field with its field editor.

#include "NSFont.h"

#include "NSView.h"

class NSColor : public NSObject
{
public:
  static NSColor* colorWithCalibratedRed(CGFloat r, CGFloat g, CGFloat b, CGFloat a);
  static NSColor* colorWithDeviceRed(CGFloat r, CGFloat g, CGFloat b, CGFloat a);
  static NSColor* blackColor() { return colorWithCalibratedRed(0, 0, 0, 1); }
  static NSColor* whiteColor() { return colorWithCalibratedRed(1, 1, 1, 1); }
  static NSColor* clearColor() { return colorWithCalibratedRed(0, 0, 0, 0); }
  CGFloat redComponent() const { return m_r; }
  CGFloat greenComponent() const { return m_g; }
  CGFloat blueComponent() const { return m_b; }
  CGFloat alphaComponent() const { return m_a; }
  const char* className() const override { return "NSColor"; }

private:
  CGFloat m_r = 0, m_g = 0, m_b = 0, m_a = 1;
};

typedef NSUInteger NSTextAlignment;
enum : NSTextAlignment { NSLeftTextAlignment = 0, NSRightTextAlignment = 1, NSCenterTextAlignment = 2 };
typedef NSUInteger NSLineBreakMode;
enum : NSLineBreakMode { NSLineBreakByWordWrapping = 0, NSLineBreakByTruncatingTail = 4 };
typedef NSUInteger NSFocusRingType;
enum : NSFocusRingType { NSFocusRingTypeDefault = 0, NSFocusRingTypeNone = 1, NSFocusRingTypeExterior = 2 };

class NSCell : public NSObject
{
public:
  void setLineBreakMode(NSLineBreakMode m) { m_lineBreak = m; }
  NSLineBreakMode lineBreakMode() const { return m_lineBreak; }
  const char* className() const override { return "NSCell"; }

private:
  NSLineBreakMode m_lineBreak = NSLineBreakByWordWrapping;
};

class NSTextField : public NSView
{
public:
  static NSTextField* alloc() { return new NSTextField(); }
  NSTextField* initWithFrame(NSRect frame) override;

  // The font the text is shown in (retained), or nil.
  void setFont(NSFont* f);
  NSFont* font() const { return m_font; }
  void setAlignment(NSTextAlignment a) { m_alignment = a; }
  NSTextAlignment alignment() const { return m_alignment; }
  // The formatter that vets typed text (retained), or nil.
  void setFormatter(NSFormatter* f);
  NSFormatter* formatter() const { return m_formatter; }
  NSCell* cell() const { return m_cell; }
  void setAllowsEditingTextAttributes(BOOL f) { m_editAttrs = f; }
  void setTextColor(NSColor* c);
  void setBackgroundColor(NSColor* c);
  NSColor* textColor() const { return m_textColor; }
  NSColor* backgroundColor() const { return m_bgColor; }
  void setStringValue(NSString* s);
  NSString* stringValue() const { return m_value; }
  void setBordered(BOOL f) { m_bordered = f; }
  void setFocusRingType(NSFocusRingType t) { m_focusRing = t; }
  // The delegate (not retained) hears controlTextDidEndEditing when editing ends.
  void setDelegate(id d) { m_delegate = d; }
  id delegate() const { return m_delegate; }
  BOOL isEditing() const { return m_editing; }

  BOOL acceptsFirstResponder() override { return YES; }
  BOOL becomeFirstResponder() override;
  BOOL resignFirstResponder() override;
  // The field editor: printable characters are inserted when the formatter allows the result,
  // Delete removes the last character, Return and Enter end editing.
  void keyDown(NSEvent* e) override;
  void drawRect(NSRect dirty) override;
  const char* className() const override { return "NSTextField"; }

protected:
  ~NSTextField() override;

private:
  void endEditing();
  NSFont* m_font = nullptr;
  NSTextAlignment m_alignment = NSLeftTextAlignment;
  NSFormatter* m_formatter = nullptr;
  NSCell* m_cell = nullptr;
  NSColor* m_textColor = nullptr;
  NSColor* m_bgColor = nullptr;
  NSString* m_value = nullptr;
  id m_delegate = nullptr;
  BOOL m_editAttrs = YES, m_bordered = YES, m_editing = NO;
  NSFocusRingType m_focusRing = NSFocusRingTypeDefault;
};
