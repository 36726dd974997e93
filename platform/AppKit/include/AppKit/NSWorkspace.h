#pragma once
// Opening addresses, the pasteboard, and application start-up.

#include <functional>
#include <string>
#include <vector>

#include "NSView.h"

class NSWorkspace : public NSObject
{
public:
  static NSWorkspace* sharedWorkspace();
  // Opens the URL with the desktop: recorded, then passed to the host's handler when one is set
  // (its answer is the result); without a handler the request succeeds.
  BOOL openURL(NSURL* url);
  // Stand-in additions.
  static void setOpenURLHandler(std::function<bool(const std::string& url)> handler);
  static const std::vector<std::string>& openedURLs();
  static void clearOpenedURLs();
  const char* className() const override { return "NSWorkspace"; }
};

extern NSString* const NSStringPboardType;
extern NSString* const NSPasteboardTypeString;

class NSPasteboard : public NSObject
{
public:
  static NSPasteboard* generalPasteboard();
  // The text of that type, or nil.
  NSString* stringForType(NSString* type) const;
  BOOL setString(NSString* s, NSString* type);
  NSInteger clearContents();
  const char* className() const override { return "NSPasteboard"; }

private:
  std::vector<std::pair<std::string, std::string>> m_items;
};

// Makes AppKit usable from a process that is not an AppKit application; always YES here.
BOOL NSApplicationLoad();
