#include <AppKit/NSPanel.h>
#include <AppKit/NSWorkspace.h>

namespace {
std::function<bool(const std::string&)>& URLHandler()
{
  static std::function<bool(const std::string&)> h;
  return h;
}
std::vector<std::string>& Opened()
{
  static std::vector<std::string> v;
  return v;
}
NSSavePanel::Script& PanelScript()
{
  static NSSavePanel::Script s;
  return s;
}
}  // namespace

NSWorkspace* NSWorkspace::sharedWorkspace()
{
  static NSWorkspace* w = new NSWorkspace();
  return w;
}

BOOL NSWorkspace::openURL(NSURL* url)
{
  if (!url || !url->absoluteString()) return NO;
  const std::string text = url->absoluteString()->str();
  Opened().push_back(text);
  return (URLHandler() ? URLHandler()(text) : true) ? YES : NO;
}

void NSWorkspace::setOpenURLHandler(std::function<bool(const std::string&)> handler)
{
  URLHandler() = std::move(handler);
}

const std::vector<std::string>& NSWorkspace::openedURLs() { return Opened(); }

void NSWorkspace::clearOpenedURLs() { Opened().clear(); }

NSString* const NSStringPboardType = NSString::alloc()->initWithUTF8String("NSStringPboardType");
NSString* const NSPasteboardTypeString = NSString::alloc()->initWithUTF8String("public.utf8-plain-text");

namespace {
// Both names stand for plain text.
std::string CanonicalType(NSString* type)
{
  if (!type) return std::string();
  if (type->isEqualToString(NSStringPboardType)) return NSPasteboardTypeString->str();
  return type->str();
}
}  // namespace

NSPasteboard* NSPasteboard::generalPasteboard()
{
  static NSPasteboard* p = new NSPasteboard();
  return p;
}

NSString* NSPasteboard::stringForType(NSString* type) const
{
  const std::string t = CanonicalType(type);
  for (const auto& item : m_items)
    if (item.first == t) return NSStr(item.second.c_str());
  return nullptr;
}

BOOL NSPasteboard::setString(NSString* s, NSString* type)
{
  if (!s || !type) return NO;
  const std::string t = CanonicalType(type);
  for (auto& item : m_items)
    if (item.first == t) {
      item.second = s->str();
      return YES;
    }
  m_items.emplace_back(t, s->str());
  return YES;
}

NSInteger NSPasteboard::clearContents()
{
  m_items.clear();
  static NSInteger changes = 0;
  return ++changes;
}

BOOL NSApplicationLoad() { return YES; }

NSSavePanel* NSSavePanel::savePanel() { return ns_autorelease(new NSSavePanel()); }

NSOpenPanel* NSOpenPanel::openPanel() { return ns_autorelease(new NSOpenPanel()); }

NSSavePanel::~NSSavePanel()
{
  if (m_types) m_types->release();
  if (m_filename) m_filename->release();
}

void NSSavePanel::setAllowedFileTypes(NSArray* types)
{
  if (types) types->retain();
  if (m_types) m_types->release();
  m_types = types;
}

void NSSavePanel::setScript(Script s) { PanelScript() = std::move(s); }

NSInteger NSSavePanel::run(bool open, NSString* directory, NSString* file, NSArray* types)
{
  if (m_filename) m_filename->release();
  m_filename = nullptr;
  if (!PanelScript()) return NSCancelButton;
  Request req{open, directory ? directory->str() : std::string(), file ? file->str() : std::string(), {}};
  for (NSUInteger i = 0; types && i < types->count(); ++i)
    if (NSString* t = ns_cast<NSString>(types->objectAtIndex(i))) req.types.push_back(t->str());
  std::string path;
  NSInteger result = PanelScript()(req, &path);
  if (result != NSOKButton || path.empty()) return NSCancelButton;
  m_filename = ns_retain(NSStr(path.c_str()));
  return NSOKButton;
}

NSInteger NSSavePanel::runModalForDirectory(NSString* directory, NSString* file)
{
  return run(false, directory, file, m_types);
}

NSInteger NSOpenPanel::runModalForDirectory(NSString* directory, NSString* file, NSArray* types)
{
  return run(true, directory, file, types);
}
