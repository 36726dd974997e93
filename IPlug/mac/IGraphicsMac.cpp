#include "IGraphicsMac.h"

#include <AppKit/AppKit.h>
#include <ColorSync/ColorSync.h>
#include <CoreFoundation/CFUserNotification.h>
#include <CoreServices/CoreServices.h>
#include <strings.h>

#include <cmath>
#include <cstring>

#include "IControl.h"
#include "IGraphicsCocoa.h"
#include "Log.h"

namespace {
// Drains an autorelease pool when the scope ends.
class ScopedPool
{
public:
  ScopedPool() : mPool(new NSAutoreleasePool()) {}
  ~ScopedPool() { mPool->drain(); }
  ScopedPool(const ScopedPool&) = delete;
  ScopedPool& operator=(const ScopedPool&) = delete;

private:
  NSAutoreleasePool* mPool;
};

const int kSystemVersionWithProfiles = 0x1070;

// Sets *pPath to a path string when there is one.
void SetPath(WDL_String* pPath, NSString* path)
{
  if (pPath && path) pPath->Set(path->UTF8String());
}
}  // namespace

int GetSystemVersion()
{
  SInt32 version = 0;
  Gestalt(gestaltSystemVersion, &version);
  return (int)version;
}

LICE_IBitmap* LoadImgFromResourceOSX(const char* bundleID, const char* filename)
{
  if (!filename) return nullptr;
  const char* dot = strrchr(filename, '.');
  if (strcasecmp(dot ? dot + 1 : filename, "png") != 0) return nullptr;
  ScopedPool pool;
  NSBundle* bundle = NSBundle::bundleWithIdentifier(NSStr(bundleID ? bundleID : ""));
  if (!bundle) return nullptr;
  NSString* name = NSStr(filename)->lastPathComponent()->stringByDeletingPathExtension();
  NSString* path = bundle->pathForResource(name, NSStr("png"));
  if (!path || !path->length()) return nullptr;
  return LICE_LoadPNG(path->UTF8String(), nullptr);
}

IGraphicsMac::IGraphicsMac(IPlugBase* pPlug, int w, int h, int refreshFPS) : IGraphics(pPlug, w, h, refreshFPS)
{
  NSApplicationLoad();
}

IGraphicsMac::~IGraphicsMac()
{
  CloseWindow();
  if (mColorSpace) CFRelease(mColorSpace);
}

LICE_IBitmap* IGraphicsMac::OSLoadBitmap(int ID, const char* name)
{
  (void)ID;
  return LoadImgFromResourceOSX(mBundleID.Get(), name);
}

CGRect IGraphicsMac::ToViewRect(const IRECT* pR) const
{
  if (!pR) return CGRectMake(0, 0, 0, 0);
  return CGRectMake(pR->L, Height() - pR->B - 1, pR->R - pR->L + 1, pR->B - pR->T + 1);
}

CGColorSpaceRef IGraphicsMac::ScreenColorSpace()
{
  if (mColorSpace) return mColorSpace;
  CMProfileRef profile = nullptr;
  if (GetSystemVersion() >= kSystemVersionWithProfiles && CMGetSystemProfile(&profile) == 0 && profile) {
    mColorSpace = CGColorSpaceCreateWithPlatformColorSpace(profile);
    CMCloseProfile(profile);
  }
  if (!mColorSpace) mColorSpace = CGColorSpaceCreateDeviceRGB();
  return mColorSpace;
}

bool IGraphicsMac::DrawScreen(IRECT* pR)
{
  (void)pR;
  if (!mGraphicsCocoa) return false;
  ScopedPool pool;
  NSGraphicsContext* current = NSGraphicsContext::currentContext();
  NSGraphicsContext* ctx =
      current ? NSGraphicsContext::graphicsContextWithGraphicsPort(current->graphicsPort(), YES) : nullptr;
  CGContextRef cg = ctx ? (CGContextRef)ctx->graphicsPort() : nullptr;
  if (!cg) return false;

  CGColorSpaceRef space = ScreenColorSpace();
  LICE_SysBitmap* bmp = GetDrawBitmap();
  if (!bmp || !bmp->getBits()) return true;
  const size_t rowBytes = (size_t)bmp->getRowSpan() * 4;
  CGDataProviderRef provider =
      CGDataProviderCreateWithData(nullptr, bmp->getBits(), (size_t)bmp->getHeight() * rowBytes, nullptr);
  CGImageRef image = provider ? CGImageCreate((size_t)bmp->getWidth(), (size_t)bmp->getHeight(), 8, 32, rowBytes, space,
                                              kCGBitmapByteOrder32Little | kCGImageAlphaNoneSkipFirst, provider,
                                              nullptr, false, kCGRenderingIntentDefault)
                              : nullptr;
  if (provider) CGDataProviderRelease(provider);
  if (!image) return true;
  CGContextDrawImage(cg, CGRectMake(0, 0, Width(), Height()), image);
  CGImageRelease(image);
  return true;
}

bool IGraphicsMac::MeasureIText(IText* pTxt, char* str, IRECT* pR)
{
  ScopedPool pool;
  return DrawIText(pTxt, str, pR, true);
}

void IGraphicsMac::ForceEndUserEdit()
{
  if (mGraphicsCocoa) mGraphicsCocoa->endUserInput();
}

void IGraphicsMac::Resize(int w, int h)
{
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mGraphicsCocoa) mGraphicsCocoa->setFrameSize(NSMakeSize(w, h));
}

int IGraphicsMac::ShowMessageBox(const char* str, const char* caption, int type)
{
  CFStringRef message = CFStringCreateWithCString(kCFAllocatorDefault, str ? str : "", kCFStringEncodingUTF8);
  CFStringRef header = CFStringCreateWithCString(kCFAllocatorDefault, caption ? caption : "", kCFStringEncodingUTF8);
  CFStringRef defaultButton = nullptr, alternateButton = nullptr, otherButton = nullptr;
  switch (type) {
    case 4:
      defaultButton = CFSTR("Yes");
      alternateButton = CFSTR("No");
      break;
    case 3:
      defaultButton = CFSTR("Yes");
      alternateButton = CFSTR("No");
      otherButton = CFSTR("Cancel");
      break;
    case 1:
      alternateButton = CFSTR("Cancel");
      break;
    default:
      break;
  }
  CFOptionFlags response = 0;
  const SInt32 err =
      CFUserNotificationDisplayAlert(0, kCFUserNotificationNoteAlertLevel, nullptr, nullptr, nullptr, header, message,
                                     defaultButton, alternateButton, otherButton, &response);
  if (message) CFRelease(message);
  if (header) CFRelease(header);
  if (err != 0) return 0;
  switch (response) {
    case kCFUserNotificationDefaultResponse:
      return 1;
    // The alternate button of an OK/Cancel box is Cancel, not No.
    case kCFUserNotificationAlternateResponse:
      return type == 1 ? 2 : 7;
    case kCFUserNotificationOtherResponse:
      return 2;
    default:
      return 0;
  }
}

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect)
{
  ReleaseMouseCapture();
  if (!mGraphicsCocoa || !pMenu) return nullptr;
  ScopedPool pool;
  return mGraphicsCocoa->createIPopupMenu(pMenu, ToViewRect(pAreaRect));
}

void IGraphicsMac::CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str, IParam* pParam)
{
  if (!mGraphicsCocoa || !pTextRect) return;
  ScopedPool pool;
  mGraphicsCocoa->createTextEntry(pControl, pParam, pText, str, ToViewRect(pTextRect));
}

NSBundle* IGraphicsMac::PluginBundle() const { return NSBundle::bundleWithIdentifier(NSStr(mBundleID.Get())); }

void IGraphicsMac::HostPath(WDL_String* pPath)
{
  ScopedPool pool;
  if (NSBundle* bundle = PluginBundle()) SetPath(pPath, bundle->executablePath());
}

void IGraphicsMac::PluginPath(WDL_String* pPath)
{
  ScopedPool pool;
  NSBundle* bundle = PluginBundle();
  NSString* path = bundle ? bundle->bundlePath() : nullptr;
  if (!pPath || !path) return;
  SetPath(pPath, path->stringByDeletingLastPathComponent());
  pPath->Append("/");
}

void IGraphicsMac::DesktopPath(WDL_String* pPath)
{
  ScopedPool pool;
  NSArray* paths = NSSearchPathForDirectoriesInDomains(NSDesktopDirectory, NSUserDomainMask, YES);
  SetPath(pPath, paths ? ns_cast<NSString>(paths->firstObject()) : nullptr);
}

void IGraphicsMac::AppSupportPath(WDL_String* pPath, bool isSystem)
{
  ScopedPool pool;
  NSArray* paths = NSSearchPathForDirectoriesInDomains(NSApplicationSupportDirectory,
                                                       isSystem ? NSSystemDomainMask : NSUserDomainMask, YES);
  SetPath(pPath, paths ? ns_cast<NSString>(paths->firstObject()) : nullptr);
}

void IGraphicsMac::SandboxSafeAppSupportPath(WDL_String* pPath)
{
  ScopedPool pool;
  NSString* home = NSHomeDirectory();
  SetPath(pPath, home ? home->stringByAppendingString(NSStr("/Music")) : nullptr);
}

void IGraphicsMac::PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String* pDir, char* extensions)
{
  if (!pFilename) return;
  if (!WindowIsOpen()) {
    pFilename->Set("");
    return;
  }
  ScopedPool pool;
  WDL_String localDir;
  if (!pDir) pDir = &localDir;
  NSString* file = NSString::stringWithCString(pFilename->Get(), NSUTF8StringEncoding);
  if (!pDir->GetLength()) pDir->Set("~/Desktop");
  NSString* dir = NSString::stringWithCString(pDir->Get(), NSUTF8StringEncoding);
  pFilename->Set("");
  NSArray* types = NSStr(extensions ? extensions : "")->componentsSeparatedByString(NSStr(" "));

  NSSavePanel* panel;
  NSInteger answer;
  if (action == kFileSave) {
    panel = NSSavePanel::savePanel();
    panel->setAllowedFileTypes(types);
    panel->setAllowsOtherFileTypes(NO);
    answer = panel->runModalForDirectory(dir, file);
  } else {
    NSOpenPanel* open = NSOpenPanel::openPanel();
    open->setCanChooseFiles(YES);
    open->setCanChooseDirectories(NO);
    open->setResolvesAliases(YES);
    answer = open->runModalForDirectory(dir, file, types);
    panel = open;
  }
  NSString* chosen = panel->filename();
  if (answer != NSOKButton || !chosen) return;
  pFilename->Set(chosen->UTF8String());
  pDir->Set(chosen->stringByDeletingLastPathComponent()->UTF8String());
  pDir->Append("/");
}

bool IGraphicsMac::PromptForColor(IColor* pColor, char* prompt)
{
  (void)pColor;
  (void)prompt;
  return false;
}

bool IGraphicsMac::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                           const char* errMsgOnFailure)
{
  (void)msgWindowTitle;
  (void)confirmMsg;
  (void)errMsgOnFailure;
  if (!url) return true;
  ScopedPool pool;
  NSURL* nsURL = strstr(url, "http") ? NSURL::URLWithString(NSStr(url)) : NSURL::fileURLWithPath(NSStr(url));
  if (!nsURL) return true;
  return NSWorkspace::sharedWorkspace()->openURL(nsURL) ? true : false;
}

void* IGraphicsMac::OpenWindow(void* pParentView)
{
  CloseWindow();
  mGraphicsCocoa = IGraphicsCocoa_vKelvo_au::alloc()->initWithIGraphics(this);
  if (pParentView) static_cast<NSView*>(pParentView)->addSubview(mGraphicsCocoa);
  UpdateTooltips();
  return mGraphicsCocoa;
}

void IGraphicsMac::AttachSubWindow(void* hostWindowRef)
{
  if (mHostNSWindow) RemoveSubWindow();
  ScopedPool pool;
  // Each window's own reference is dropped when it is closed (RemoveSubWindow).
  NSWindow* hostWindow = NSWindow::alloc()->initWithWindowRef(static_cast<WindowRef>(hostWindowRef));
  hostWindow->setCanHide(YES);
  hostWindow->setReleasedWhenClosed(YES);
  const NSRect frame = hostWindow->frame();
  const CGFloat offset = frame.size.width > Width() ? std::floor((frame.size.width - Width()) * 0.5) : 0;

  NSWindow* child = CustomCocoaWindow_vKelvo_au::alloc()->initWithContentRect(
      NSMakeRect(frame.origin.x + offset, frame.origin.y, Width(), Height()), NSBorderlessWindowMask,
      NSBackingStoreBuffered, NO);
  child->setOpaque(YES);
  child->setCanHide(YES);
  child->setHasShadow(NO);
  child->setReleasedWhenClosed(YES);

  OpenWindow(child->contentView());
  hostWindow->addChildWindow(child, NSWindowAbove);
  hostWindow->orderFront(nullptr);
  hostWindow->display();
  child->performSelectorAfterDelay(sel_registerName("orderFront:"), nullptr, 0.05);
  mHostNSWindow = hostWindow;
}

void IGraphicsMac::RemoveSubWindow()
{
  NSWindow* hostWindow = mHostNSWindow;
  if (!hostWindow) return;
  ScopedPool pool;
  mHostNSWindow = nullptr;
  NSWindow* child = ns_cast<NSWindow>(hostWindow->childWindows()->firstObject());
  CloseWindow();
  if (child) child->orderOut(nullptr);
  hostWindow->orderOut(nullptr);
  if (child) {
    child->close();
    hostWindow->removeChildWindow(child);
  }
  hostWindow->close();
}

void IGraphicsMac::CloseWindow()
{
  IGraphicsCocoa_vKelvo_au* view = mGraphicsCocoa;
  if (!view) return;
  view->removeAllToolTips();
  view->killTimer();
  mGraphicsCocoa = nullptr;
  if (view->graphics() == this) {
    view->detachGraphics();
    view->removeFromSuperview();
  }
  view->release();
}

bool IGraphicsMac::GetTextFromClipboard(WDL_String* pStr)
{
  ScopedPool pool;
  NSString* text = NSPasteboard::generalPasteboard()->stringForType(NSStringPboardType);
  if (pStr) pStr->Set(text ? text->UTF8String() : "");
  return text != nullptr;
}

void IGraphicsMac::HideMouseCursor()
{
  if (mCursorHidden) return;
  const CGDirectDisplayID display = CGMainDisplayID();
  if (CGDisplayHideCursor(display) == 0) mCursorHidden = true;
  const NSPoint at = NSEvent::mouseLocation();
  mHiddenMousePointX = (int)at.x;
  mHiddenMousePointY = (int)(CGDisplayPixelsHigh(display) - at.y);
}

void IGraphicsMac::ShowMouseCursor()
{
  if (!mCursorHidden) return;
  const CGDirectDisplayID display = CGMainDisplayID();
  CGDisplayMoveCursorToPoint(display, CGPointMake(mHiddenMousePointX, mHiddenMousePointY));
  if (CGDisplayShowCursor(display) == 0) mCursorHidden = false;
}

void IGraphicsMac::UpdateTooltips()
{
  if (!mGraphicsCocoa || !TooltipsEnabled()) return;
  ScopedPool pool;
  mGraphicsCocoa->removeAllToolTips();
  for (int i = 0; i < mControls.GetSize(); ++i) {
    IControl* control = mControls.Get(i);
    if (!control->IsHidden() && !control->GetTargetRECT().Empty())
      mGraphicsCocoa->registerToolTip(control->GetTargetRECTPtr());
  }
}

int IGraphicsMac::GetUserOSVersion()
{
  const int version = GetSystemVersion();
  Trace(TRACELOC, "%x", version);
  return version;
}
