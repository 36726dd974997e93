#include "IGraphicsX11.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "IControl.h"
#include "IControls.h"
#include "IPlugBase.h"
#include "IPopupMenu.h"
#include "X11Errors.h"
#include "X11Prompts.h"
#include "raster/text.h"

namespace {

long long NowMs()
{
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

// The file this code was loaded from (the plug-in's UI binary, or the program).
std::string ThisBinary()
{
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&ThisBinary), &info) && info.dli_fname) return info.dli_fname;
  return std::string();
}

std::string FolderOf(const std::string& path)
{
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string Home()
{
  const char* home = std::getenv("HOME");
  return home ? home : "";
}

std::string& DefaultPictureDir()
{
  static std::string dir;
  return dir;
}

const int kTooltipDelayMs = 600;
const int kMenuOffset = 3;  // the menu opens just below the area it belongs to
}  // namespace

IGraphicsX11::IGraphicsX11(IPlugBase* pPlug, int w, int h, int refreshFPS) : IGraphics(pPlug, w, h, refreshFPS)
{
  const std::string& dir = DefaultPictureDir();
  mPictureDir.Set(dir.empty() ? FolderOf(ThisBinary()).c_str() : dir.c_str());
}

void IGraphicsX11::SetDefaultPictureDir(const char* dir) { DefaultPictureDir() = dir ? dir : ""; }

IGraphicsX11::~IGraphicsX11() { CloseWindow(); }

LICE_IBitmap* IGraphicsX11::OSLoadBitmap(int ID, const char* name)
{
  (void)ID;
  if (!name) return nullptr;
  const char* dot = std::strrchr(name, '.');
  if (strcasecmp(dot ? dot + 1 : name, "png") != 0) return nullptr;
  const char* slash = std::strrchr(name, '/');
  const char* base = slash ? slash + 1 : name;
  const char* ext = std::strrchr(base, '.');
  const std::string stem(base, ext ? (size_t)(ext - base) : std::strlen(base));
  if (stem.empty()) return nullptr;
  const std::string path = std::string(mPictureDir.Get()) + "/" + stem + ".png";
  return LICE_LoadPNG(path.c_str(), nullptr);
}

// --- the window ---

void* IGraphicsX11::OpenWindow(void* pParent)
{
  CloseWindow();
  mDisplay = XOpenDisplay(mDisplayName.GetLength() ? mDisplayName.Get() : nullptr);
  if (!mDisplay) {
    std::fprintf(stderr, "Kelvo editor: cannot open the X display\n");
    return nullptr;
  }
  // Programs the editor starts (the web browser) do not inherit the connection.
  fcntl(ConnectionNumber(mDisplay), F_SETFD, FD_CLOEXEC);
  X11ErrorTrap trap(mDisplay);
  const int screen = DefaultScreen(mDisplay);
  if (!X11ChooseVisual(mDisplay, screen, &mVisual)) {
    std::fprintf(stderr, "Kelvo editor: the X server offers no 24-bit TrueColor visual\n");
    XCloseDisplay(mDisplay);
    mDisplay = nullptr;
    return nullptr;
  }
  mTopLevel = pParent == nullptr;
  const Window parent = mTopLevel ? RootWindow(mDisplay, screen) : (Window) reinterpret_cast<uintptr_t>(pParent);
  XSetWindowAttributes attrs;
  attrs.colormap = mVisual.colormap;
  attrs.border_pixel = 0;
  attrs.background_pixmap = None;
  attrs.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                     StructureNotifyMask | LeaveWindowMask;
  mWindow = XCreateWindow(mDisplay, parent, 0, 0, (unsigned)Width(), (unsigned)Height(), 0, mVisual.depth, InputOutput,
                          mVisual.visual, CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attrs);
  if (mTopLevel) {
    mDeleteAtom = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(mDisplay, mWindow, &mDeleteAtom, 1);
    XStoreName(mDisplay, mWindow, mPlug ? mPlug->GetEffectName() : "Editor");
    XSizeHints hints;
    hints.flags = PMinSize | PMaxSize;
    hints.min_width = hints.max_width = Width();
    hints.min_height = hints.max_height = Height();
    XSetWMNormalHints(mDisplay, mWindow, &hints);
  }
  mGC = XCreateGC(mDisplay, mWindow, 0, nullptr);
  mSurface = std::make_unique<X11Surface>(mDisplay, mVisual);
  static char blank[1] = {0};
  Pixmap empty = XCreateBitmapFromData(mDisplay, mWindow, blank, 1, 1);
  XColor black = {};
  mBlankCursor = XCreatePixmapCursor(mDisplay, empty, empty, &black, &black, 0, 0);
  XFreePixmap(mDisplay, empty);
  XMapWindow(mDisplay, mWindow);
  XSync(mDisplay, False);
  if (trap.Count()) {
    // The parent does not exist (or refused the window).
    std::fprintf(stderr, "Kelvo editor: the window could not be made\n");
    Teardown(false);
    return nullptr;
  }
  if (!GetDrawBitmap()) PrepDraw();
  SetAllControlsDirty();
  IRECT all(0, 0, Width(), Height());
  Draw(&all);
  mNextTick = NowMs();
  UpdateTooltips();
  return GetWindow();
}

void IGraphicsX11::CloseWindow()
{
  if (!mDisplay) return;
  X11ErrorTrap trap(mDisplay);
  Teardown(true);
}

void IGraphicsX11::WindowGone()
{
  // Requests for the window would only raise errors now.
  if (mTextField) mTextField->Forget();
  mTipWindow = 0;
  if (mInModal) {
    mWindow = 0;  // the prompt ends, then the rest goes
    return;
  }
  mWindow = 0;
  Teardown(false);
}

void IGraphicsX11::Teardown(bool destroyWindow)
{
  if (!mDisplay) return;
  if (mTextField && !destroyWindow) mTextField->Forget();
  mTextField.reset();
  mEdControl = nullptr;
  mEdParam = nullptr;
  HideTooltip();
  if (mGrabbed) XUngrabPointer(mDisplay, CurrentTime);
  mGrabbed = mDragging = false;
  mCursorHidden = false;
  mSurface.reset();
  if (mGC) XFreeGC(mDisplay, mGC);
  mGC = nullptr;
  if (mBlankCursor) XFreeCursor(mDisplay, mBlankCursor);
  mBlankCursor = 0;
  if (destroyWindow && mWindow) XDestroyWindow(mDisplay, mWindow);
  mWindow = 0;
  X11FreeVisual(mDisplay, &mVisual);
  XSync(mDisplay, False);
  XCloseDisplay(mDisplay);
  mDisplay = nullptr;
  mClicks.Reset();
}

bool IGraphicsX11::DrawScreen(IRECT* pR)
{
  if (!mWindow || !mSurface) return false;
  IRECT r = pR && !pR->Empty() ? *pR : IRECT(0, 0, Width(), Height());
  mSurface->Put(mWindow, mGC, GetDrawBitmap(), r.L, r.T, r.R - r.L, r.B - r.T);
  return true;
}

void IGraphicsX11::Resize(int w, int h)
{
  if (w == Width() && h == Height()) return;
  IGraphics::Resize(w, h);
  if (mWindow) {
    X11ErrorTrap trap(mDisplay);
    XResizeWindow(mDisplay, mWindow, (unsigned)w, (unsigned)h);
    XFlush(mDisplay);
  }
}

// --- the event pump ---

bool IGraphicsX11::Idle()
{
  if (!mDisplay) return false;
  X11ErrorTrap trap(mDisplay);
  while (mDisplay && XPending(mDisplay)) {
    XEvent ev;
    XNextEvent(mDisplay, &ev);
    Dispatch(&ev);
  }
  if (mWindow) Tick();
  if (mDisplay) XFlush(mDisplay);
  return mWindow != 0;
}

bool IGraphicsX11::WaitAndIdle(int maxMs)
{
  if (!mDisplay) return false;
  if (!XPending(mDisplay)) {
    long long wait = mNextTick - NowMs();
    if (wait > maxMs) wait = maxMs;
    if (wait > 0) {
      pollfd pfd = {ConnectionNumber(mDisplay), POLLIN, 0};
      poll(&pfd, 1, (int)wait);
    }
  }
  return Idle();
}

void IGraphicsX11::Tick()
{
  const long long now = NowMs();
  if (now < mNextTick) return;
  const int period = TickPeriodMs();
  mNextTick += period;
  if (mNextTick <= now) mNextTick = now + period;  // fell behind: no burst of catching up
  OnGUIIdle();
  IRECT dirty;
  if (IsDirty(&dirty)) Draw(&dirty);
  if (TooltipsEnabled() && !mTipWindow && mRestControl >= 0 && !mDragging && now - mRestSince >= kTooltipDelayMs)
    ShowTooltip();
}

bool IGraphicsX11::ModalTick()
{
  if (mWindow) Tick();
  return mWindow != 0;
}

void IGraphicsX11::Dispatch(XEvent* ev)
{
  const Window fieldWindow = TextEntryWindow();
  switch (ev->type) {
    case Expose:
      if (ev->xexpose.window == mWindow && mSurface) {
        IRECT r(ev->xexpose.x, ev->xexpose.y, ev->xexpose.x + ev->xexpose.width, ev->xexpose.y + ev->xexpose.height);
        DrawScreen(&r);
      } else if (fieldWindow && ev->xexpose.window == fieldWindow) {
        mTextField->Paint();
      }
      break;
    case ButtonPress:
      if (!mInModal) OnButtonPress(&ev->xbutton);
      break;
    case ButtonRelease:
      if (!mInModal) OnButtonRelease(&ev->xbutton);
      break;
    case MotionNotify:
      if (mInModal || ev->xmotion.window != mWindow) break;
      // Only the latest position of a burst matters.
      while (XCheckTypedWindowEvent(mDisplay, mWindow, MotionNotify, ev)) {
      }
      OnMotion(&ev->xmotion);
      break;
    case LeaveNotify:
      if (ev->xcrossing.window == mWindow && !mDragging) {
        mRestControl = -1;
        HideTooltip();
        OnMouseOut();
      }
      break;
    case KeyPress:
      OnKey(&ev->xkey);
      break;
    case DestroyNotify:
      if (ev->xdestroywindow.window == mWindow)
        WindowGone();
      else if (fieldWindow && ev->xdestroywindow.window == fieldWindow)
        mTextField->Forget();
      break;
    case ClientMessage:
      if (mTopLevel && ev->xclient.window == mWindow && (Atom)ev->xclient.data.l[0] == mDeleteAtom) CloseWindow();
      break;
    default:
      break;
  }
}

void IGraphicsX11::OnButtonPress(XButtonEvent* ev)
{
  HideTooltip();
  mRestControl = -1;
  if (mTextField) {
    // A press anywhere but in the field ends it without applying; the press does nothing else.
    if (ev->window != mTextField->GetWindow()) EndTextEntry(false);
    return;
  }
  if (ev->window != mWindow) return;
  const int x = ev->x, y = ev->y;
  mLastX = x;
  mLastY = y;
  if (ev->button == Button4 || ev->button == Button5) {
    IMouseMod mod = X11MouseMod(Button1, ev->state);
    OnMouseWheel(x, y, &mod, ev->button == Button4 ? 1 : -1);
    return;
  }
  if (ev->button != Button1 && ev->button != Button3) return;
  IMouseMod mod = X11MouseMod(ev->button, ev->state);
  const bool dbl = ev->button == Button1 ? mClicks.Press(ev->time, x, y) : (mClicks.Reset(), false);
  // A prompt opened by this press runs (the menu) or starts (the field) inside the call.
  mModalRan = false;
  if (dbl)
    OnMouseDblClick(x, y, &mod);
  else
    OnMouseDown(x, y, &mod);
  if (!mWindow) return;  // the window went away while a menu was open
  if (mModalRan) {
    mModalRan = false;
    // The menu took the button's release: end the gesture the press began.
    OnMouseUp(x, y, &mod);
    return;
  }
  mDragging = true;
  IControl* captured = GetControl(GetMouseCapture());
  const bool knob = captured && !mTextField && dynamic_cast<IKnobControl*>(captured);
  if (knob) HideMouseCursor();
  mGrabbed = XGrabPointer(mDisplay, mWindow, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                          GrabModeAsync, GrabModeAsync, None, knob ? mBlankCursor : None, ev->time) == GrabSuccess;
}

void IGraphicsX11::OnButtonRelease(XButtonEvent* ev)
{
  if (ev->button != Button1 && ev->button != Button3) return;
  if (!mDragging) return;  // a press the editor did not take (one that closed the text field)
  mDragging = false;
  if (mGrabbed) XUngrabPointer(mDisplay, ev->time);
  mGrabbed = false;
  ShowMouseCursor();
  int x = ev->x, y = ev->y;
  if (ev->window != mWindow) {
    Window child;
    XTranslateCoordinates(mDisplay, ev->window, mWindow, ev->x, ev->y, &x, &y, &child);
  }
  mLastX = x;
  mLastY = y;
  IMouseMod mod = X11MouseMod(ev->button, ev->state);
  OnMouseUp(x, y, &mod);
}

void IGraphicsX11::OnMotion(XMotionEvent* ev)
{
  mLastX = ev->x;
  mLastY = ev->y;
  IMouseMod mod = X11MouseMod(0, ev->state);
  if (mDragging) {
    if (!mTextField) OnMouseDrag(ev->x, ev->y, &mod);
    return;
  }
  OnMouseOver(ev->x, ev->y, &mod);
  const int over = GetMouseControlIdx(ev->x, ev->y, true);
  if (over != mRestControl) {
    HideTooltip();
    mRestControl = over;
  }
  mRestSince = NowMs();
}

void IGraphicsX11::OnKey(XKeyEvent* ev)
{
  if (mTextField) {
    const X11TextField::EResult r = mTextField->OnKey(ev);
    if (r != X11TextField::kEditing) EndTextEntry(r == X11TextField::kApply);
    return;
  }
  const int key = X11KeyNumber(XLookupKeysym(ev, 0));
  if (key >= 0) OnKeyDown(mLastX, mLastY, key);
}

// --- prompts ---

Window IGraphicsX11::TextEntryWindow() const { return mTextField ? mTextField->GetWindow() : 0; }

void IGraphicsX11::CreateTextEntry(IControl* pControl, IText* pText, IRECT* pTextRect, const char* str, IParam* pParam)
{
  if (!mWindow || !pControl || !pTextRect || mTextField) return;
  IText style = pText ? *pText : IText();
  mTextField = std::make_unique<X11TextField>(mDisplay, mVisual, mWindow, *pTextRect, style, str,
                                              X11EntryCharacters(pParam), pControl->GetTextEntryLength());
  mEdControl = pControl;
  mEdParam = pParam;
  X11ErrorTrap trap(mDisplay);  // focus fails harmlessly while the window is not yet viewable
  XSetInputFocus(mDisplay, mTextField->GetWindow(), RevertToParent, CurrentTime);
  XSync(mDisplay, False);
}

void IGraphicsX11::EndTextEntry(bool apply)
{
  if (!mTextField) return;
  const std::string text = mTextField->GetText();
  IControl* control = mEdControl;
  IParam* param = mEdParam;
  mTextField.reset();
  mEdControl = nullptr;
  mEdParam = nullptr;
  if (mWindow) {
    X11ErrorTrap trap(mDisplay);
    XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
  }
  if (apply && control) {
    std::string copy = text;
    if (param)
      SetFromStringAfterPrompt(control, param, &copy[0]);
    else
      control->TextFromTextEntry(copy.c_str());
  }
  SetAllControlsDirty();
}

void IGraphicsX11::ForceEndUserEdit() { EndTextEntry(false); }

void IGraphicsX11::ToRoot(int x, int y, int* pRootX, int* pRootY)
{
  Window child;
  *pRootX = x;
  *pRootY = y;
  if (mWindow)
    XTranslateCoordinates(mDisplay, mWindow, RootWindow(mDisplay, DefaultScreen(mDisplay)), x, y, pRootX, pRootY,
                          &child);
}

IPopupMenu* IGraphicsX11::CreateIPopupMenu(IPopupMenu* pMenu, IRECT* pAreaRect)
{
  ReleaseMouseCapture();
  if (!mWindow || !pMenu) return nullptr;
  X11ErrorTrap trap(mDisplay);
  if (mGrabbed) XUngrabPointer(mDisplay, CurrentTime);
  mGrabbed = false;
  int rx, ry;
  ToRoot(pAreaRect ? pAreaRect->L : mLastX, (pAreaRect ? pAreaRect->B : mLastY) + kMenuOffset, &rx, &ry);
  X11ModalHooks hooks;
  hooks.otherEvent = [this](XEvent* ev) { Dispatch(ev); };
  hooks.tick = [this] { return ModalTick(); };
  hooks.tickMs = TickPeriodMs();
  mInModal = true;
  IPopupMenu* chosen = X11RunPopupMenu(mDisplay, mVisual, pMenu, rx, ry, hooks);
  mInModal = false;
  mModalRan = true;
  if (!mWindow) {
    Teardown(false);  // the window went away while the menu was open
    return nullptr;
  }
  return chosen;
}

int IGraphicsX11::ShowMessageBox(const char* str, const char* caption, int type)
{
  if (!mWindow) return 0;
  IPopupMenu box;
  if (caption && *caption) box.AddItem(caption, -1, IPopupMenuItem::kDisabled);
  std::string text = str ? str : "";
  for (size_t start = 0; start <= text.size();) {
    const size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty()) box.AddItem(line.c_str(), -1, IPopupMenuItem::kDisabled);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  box.AddSeparator(-1);
  struct Button
  {
    const char* text;
    int answer;
  };
  const Button yes{"Yes", 1}, no{"No", 7}, ok{"OK", 1}, cancel{"Cancel", 2};
  Button buttons[3] = {ok, ok, ok};
  int nButtons = 1;
  switch (type) {
    case 4:
      buttons[0] = yes, buttons[1] = no, nButtons = 2;
      break;
    case 3:
      buttons[0] = yes, buttons[1] = no, buttons[2] = cancel, nButtons = 3;
      break;
    case 1:
      buttons[1] = cancel, nButtons = 2;
      break;
    default:
      break;
  }
  const int first = box.GetNItems();
  for (int i = 0; i < nButtons; ++i) box.AddItem(buttons[i].text, -1, IPopupMenuItem::kNoFlags);
  IRECT centre(Width() / 4, Height() / 3, Width() / 4, Height() / 3);
  IPopupMenu* chosen = CreateIPopupMenu(&box, &centre);
  mModalRan = false;
  if (chosen != &box) return 0;
  const int i = box.GetChosenItemIdx() - first;
  return i >= 0 && i < nButtons ? buttons[i].answer : 0;
}

// --- the pointer ---

void IGraphicsX11::HideMouseCursor()
{
  if (mCursorHidden || !mWindow) return;
  Window root, child;
  int rx = 0, ry = 0, wx, wy;
  unsigned int mask;
  if (XQueryPointer(mDisplay, mWindow, &root, &child, &rx, &ry, &wx, &wy, &mask)) {
    mHiddenMousePointX = rx;
    mHiddenMousePointY = ry;
  }
  XDefineCursor(mDisplay, mWindow, mBlankCursor);
  mCursorHidden = true;
}

void IGraphicsX11::ShowMouseCursor()
{
  if (!mCursorHidden || !mWindow) return;
  XWarpPointer(mDisplay, None, RootWindow(mDisplay, DefaultScreen(mDisplay)), 0, 0, 0, 0, mHiddenMousePointX,
               mHiddenMousePointY);
  XUndefineCursor(mDisplay, mWindow);
  mCursorHidden = false;
}

// --- tooltips ---

void IGraphicsX11::UpdateTooltips()
{
  if (!TooltipsEnabled()) HideTooltip();
  mRestControl = -1;
}

void IGraphicsX11::ShowTooltip()
{
  IControl* control = GetControl(mRestControl);
  if (!control || control->IsHidden() || !control->HasTooltip()) {
    mRestControl = -1;
    return;
  }
  static IText style(11);
  LICE_IFont* font = CacheFont(&style);
  if (!font) return;
  RECT extent = {0, 0, 0, 0};
  font->DrawText(nullptr, control->GetTooltip(), -1, &extent, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  const int w = extent.right + 8, h = font->GetLineHeight() + 6;
  LICE_MemBitmap bm(w, h);
  LICE_FillRect(&bm, 0, 0, w, h, LICE_RGBA(90, 90, 90, 255), 1.0f, LICE_BLIT_MODE_COPY);
  LICE_FillRect(&bm, 1, 1, w - 2, h - 2, LICE_RGBA(255, 255, 225, 255), 1.0f, LICE_BLIT_MODE_COPY);
  font->SetTextColor(LICE_RGBA(0, 0, 0, 255));
  font->SetBkMode(TRANSPARENT);
  RECT r = {4, 0, w - 4, h};
  font->DrawText(&bm, control->GetTooltip(), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  int rx, ry;
  ToRoot(mLastX + 12, mLastY + 18, &rx, &ry);
  XSetWindowAttributes attrs;
  attrs.override_redirect = True;
  attrs.colormap = mVisual.colormap;
  attrs.border_pixel = 0;
  attrs.background_pixmap = None;
  mTipWindow = XCreateWindow(mDisplay, RootWindow(mDisplay, DefaultScreen(mDisplay)), rx, ry, (unsigned)w, (unsigned)h,
                             0, mVisual.depth, InputOutput, mVisual.visual,
                             CWOverrideRedirect | CWColormap | CWBorderPixel | CWBackPixmap, &attrs);
  XMapRaised(mDisplay, mTipWindow);
  XSync(mDisplay, False);
  X11Surface(mDisplay, mVisual).Put(mTipWindow, mGC, &bm, 0, 0, w, h);
}

void IGraphicsX11::HideTooltip()
{
  if (!mTipWindow || !mDisplay) return;
  XDestroyWindow(mDisplay, mTipWindow);
  mTipWindow = 0;
}

// --- the system ---

bool IGraphicsX11::OpenURL(const char* url, const char* msgWindowTitle, const char* confirmMsg,
                           const char* errMsgOnFailure)
{
  (void)msgWindowTitle;
  (void)confirmMsg;
  (void)errMsgOnFailure;
  if (!url || !*url) return true;
  // The opener runs in a grandchild that nobody waits for; the child that starts it ends at once
  // and is reaped here, so the editor never blocks and leaves no zombie.
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    setsid();
    const pid_t opener = fork();
    if (opener == 0) {
      execlp("xdg-open", "xdg-open", url, static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(opener < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool IGraphicsX11::GetTextFromClipboard(WDL_String* pStr)
{
  if (pStr) pStr->Set("");
  if (!mWindow) return false;
  X11ErrorTrap trap(mDisplay);
  const Atom clipboard = XInternAtom(mDisplay, "CLIPBOARD", False);
  const Atom utf8 = XInternAtom(mDisplay, "UTF8_STRING", False);
  const Atom target = XInternAtom(mDisplay, "KELVO_CLIPBOARD", False);
  if (XGetSelectionOwner(mDisplay, clipboard) == None) return false;
  XConvertSelection(mDisplay, clipboard, utf8, target, mWindow, CurrentTime);
  XFlush(mDisplay);
  const long long deadline = NowMs() + 300;
  XEvent ev;
  bool answered = false;
  while (!answered && NowMs() < deadline) {
    if (XCheckTypedWindowEvent(mDisplay, mWindow, SelectionNotify, &ev)) {
      answered = true;
      break;
    }
    pollfd pfd = {ConnectionNumber(mDisplay), POLLIN, 0};
    poll(&pfd, 1, 10);
  }
  if (!answered || ev.xselection.property == None) return false;
  Atom type;
  int format;
  unsigned long n, left;
  unsigned char* data = nullptr;
  bool got = false;
  if (XGetWindowProperty(mDisplay, mWindow, target, 0, 1 << 20, True, AnyPropertyType, &type, &format, &n, &left,
                         &data) == Success &&
      data && format == 8) {
    if (pStr) pStr->Set(reinterpret_cast<const char*>(data), (int)n);
    got = true;
  }
  if (data) XFree(data);
  return got;
}

void IGraphicsX11::HostPath(WDL_String* pPath)
{
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0 || !pPath) return;
  buf[n] = 0;
  pPath->Set(buf);
}

void IGraphicsX11::PluginPath(WDL_String* pPath)
{
  if (!pPath) return;
  pPath->Set((FolderOf(ThisBinary()) + "/").c_str());
}

void IGraphicsX11::DesktopPath(WDL_String* pPath)
{
  if (pPath) pPath->Set((Home() + "/Desktop").c_str());
}

void IGraphicsX11::AppSupportPath(WDL_String* pPath, bool isSystem)
{
  if (!pPath) return;
  if (isSystem) {
    pPath->Set("/etc/xdg");
    return;
  }
  const char* config = std::getenv("XDG_CONFIG_HOME");
  pPath->Set(config && *config ? config : (Home() + "/.config").c_str());
}

void IGraphicsX11::SandboxSafeAppSupportPath(WDL_String* pPath)
{
  if (pPath) pPath->Set((Home() + "/Music").c_str());
}

void IGraphicsX11::PromptForFile(WDL_String* pFilename, EFileAction action, WDL_String* pDir, char* extensions)
{
  (void)action;
  (void)pDir;
  (void)extensions;
  if (pFilename) pFilename->Set("");
}

bool IGraphicsX11::PromptForColor(IColor* pColor, char* prompt)
{
  (void)pColor;
  (void)prompt;
  return false;
}
