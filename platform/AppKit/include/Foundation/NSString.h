#pragma once
// Text, arrays, character sets, notifications and formatters.

#include <string>
#include <vector>

#include "NSObject.h"

typedef NSUInteger NSStringEncoding;
enum : NSStringEncoding { NSASCIIStringEncoding = 1, NSUTF8StringEncoding = 4 };
typedef unsigned short unichar;

struct NSRange
{
  NSUInteger location, length;
};
inline NSRange NSMakeRange(NSUInteger loc, NSUInteger len) { return NSRange{loc, len}; }

class NSArray;

class NSString : public NSObject
{
public:
  static NSString* alloc() { return new NSString(); }
  // A new string holding a copy of the UTF-8 text (null gives nil).
  NSString* initWithUTF8String(const char* s);
  // Autoreleased strings.
  static NSString* stringWithUTF8String(const char* s);
  static NSString* stringWithCString(const char* s, NSStringEncoding enc);
  static NSString* stringWithString(NSString* s);
  static NSString* string() { return stringWithUTF8String(""); }

  // The text as UTF-8 (valid while the string lives).
  const char* UTF8String() const { return m_utf8.c_str(); }
  const std::string& str() const { return m_utf8; }
  // Length in UTF-16 code units, as Foundation counts it.
  NSUInteger length() const { return m_utf16.size(); }
  unichar characterAtIndex(NSUInteger i) const { return i < m_utf16.size() ? m_utf16[i] : 0; }
  // The leading decimal integer (0 when there is none), saturated to int.
  int intValue() const;
  double doubleValue() const;
  BOOL isEqualToString(NSString* other) const { return other && other->m_utf8 == m_utf8; }

  NSString* lastPathComponent() const;
  NSString* pathExtension() const;
  NSString* stringByDeletingPathExtension() const;
  NSString* stringByDeletingLastPathComponent() const;
  NSString* stringByAppendingPathComponent(NSString* c) const;
  NSString* stringByAppendingString(NSString* s) const;
  // The pieces between occurrences of `sep` (an empty separator gives the whole string).
  NSArray* componentsSeparatedByString(NSString* sep) const;
  NSRange rangeOfString(NSString* s) const;

  const char* className() const override { return "NSString"; }

protected:
  void assign(const std::string& utf8);
  std::string m_utf8;
  std::u16string m_utf16;
};

// Shorthand for autoreleased strings from C text.
inline NSString* NSStr(const char* s) { return NSString::stringWithUTF8String(s); }

class NSArray : public NSObject
{
public:
  static NSArray* alloc() { return new NSArray(); }
  static NSArray* array();
  // An autoreleased array of the given objects (each retained).
  static NSArray* arrayWithObjects(const std::vector<id>& objects);
  NSUInteger count() const { return m_items.size(); }
  // The object at i, or null outside the array.
  id objectAtIndex(NSUInteger i) const { return i < m_items.size() ? m_items[i] : nullptr; }
  id firstObject() const { return objectAtIndex(0); }
  NSUInteger indexOfObject(id o) const;
  const char* className() const override { return "NSArray"; }

protected:
  ~NSArray() override;
  std::vector<id> m_items;
};

class NSMutableArray : public NSArray
{
public:
  static NSMutableArray* alloc() { return new NSMutableArray(); }
  static NSMutableArray* array();
  void addObject(id o);
  void removeObjectAtIndex(NSUInteger i);
  void removeObject(id o);
  void removeAllObjects();
  const char* className() const override { return "NSMutableArray"; }
};

class NSCharacterSet : public NSObject
{
public:
  static NSCharacterSet* characterSetWithCharactersInString(NSString* s);
  BOOL characterIsMember(unichar c) const;
  const char* className() const override { return "NSCharacterSet"; }

protected:
  std::u16string m_chars;
};

class NSMutableCharacterSet : public NSCharacterSet
{
public:
  static NSMutableCharacterSet* alloc() { return new NSMutableCharacterSet(); }
  NSMutableCharacterSet* init() override { return this; }
  void addCharactersInString(NSString* s);
  const char* className() const override { return "NSMutableCharacterSet"; }
};

class NSNotification : public NSObject
{
public:
  static NSNotification* notificationWithName(NSString* name, id object);
  NSString* name() const { return m_name; }
  id object() const { return m_object; }
  const char* className() const override { return "NSNotification"; }

protected:
  ~NSNotification() override;

private:
  NSString* m_name = nullptr;
  id m_object = nullptr;
};

class NSFormatter : public NSObject
{
public:
  // The text shown for an object value (nil when it cannot be shown).
  virtual NSString* stringForObjectValue(id obj)
  {
    (void)obj;
    return nullptr;
  }
  // Parses text into an object value; YES on success.
  virtual BOOL getObjectValue(id* obj, NSString* string, NSString** error)
  {
    (void)obj;
    (void)string;
    (void)error;
    return NO;
  }
  // Whether a partially typed string may stand.
  virtual BOOL isPartialStringValid(NSString* partial, NSString** newString, NSString** error)
  {
    (void)partial;
    (void)newString;
    (void)error;
    return YES;
  }
  const char* className() const override { return "NSFormatter"; }
};
