#include "X11Prompts.h"

#include <poll.h>

#include <cstdio>

#include "IGraphics.h"
#include "IPopupMenu.h"
#include "X11Input.h"
#include "raster/draw.h"
#include "raster/text.h"

namespace {

const LICE_pixel kMenuFace = LICE_RGBA(240, 240, 240, 255);
const LICE_pixel kMenuBorder = LICE_RGBA(110, 110, 110, 255);
const LICE_pixel kMenuHover = LICE_RGBA(52, 101, 164, 255);
const LICE_pixel kMenuText = LICE_RGBA(0, 0, 0, 255);
const LICE_pixel kMenuHoverText = LICE_RGBA(255, 255, 255, 255);
const LICE_pixel kMenuDisabledText = LICE_RGBA(150, 150, 150, 255);
const int kPad = 4, kCheckColumn = 18, kArrowColumn = 16, kIndent = 12, kSeparatorHeight = 7, kMinWidth = 80;

// The face the menus are written in.
LICE_IFont* MenuFont()
{
  static IText style(12);
  return IGraphics::CacheFont(&style);
}

int TextWidth(LICE_IFont* font, const char* str)
{
  if (!font || !str || !*str) return 0;
  RECT r = {0, 0, 0, 0};
  font->DrawText(nullptr, str, -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
  return r.right - r.left;
}

void DrawTextIn(LICE_IBitmap* bm, LICE_IFont* font, const char* str, RECT r, LICE_pixel colour, UINT align)
{
  if (!font || !str || !*str) return;
  font->SetTextColor(colour);
  font->SetBkMode(TRANSPARENT);
  font->DrawText(bm, str, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | align);
}

bool Selectable(const IPopupMenuItem* item)
{
  return item && item->GetEnabled() && !item->GetIsSeparator() && !item->GetSubmenu();
}

// One open menu window: a menu model, where it lies on the screen and its items' rows.
struct MenuLevel
{
  IPopupMenu* menu = nullptr;
  Window window = 0;
  GC gc = nullptr;
  std::unique_ptr<X11Surface> surface;
  LICE_MemBitmap bitmap;
  int x = 0, y = 0, w = 0, h = 0;
  std::vector<int> tops;  // item i spans tops[i] .. tops[i + 1]
  int hover = -1;

  // Whether root position (rx, ry) is on the level.
  bool Contains(int rx, int ry) const { return rx >= x && rx < x + w && ry >= y && ry < y + h; }
  // The item at root position (rx, ry), or -1.
  int ItemAt(int rx, int ry) const
  {
    if (!Contains(rx, ry)) return -1;
    for (size_t i = 0; i + 1 < tops.size(); ++i)
      if (ry - y >= tops[i] && ry - y < tops[i + 1]) return (int)i;
    return -1;
  }
};

class MenuRun
{
public:
  MenuRun(Display* pDisplay, const X11Visual& visual, const X11ModalHooks& hooks)
      : mDisplay(pDisplay), mVisual(visual), mHooks(hooks)
  {
  }
  ~MenuRun()
  {
    XUngrabPointer(mDisplay, CurrentTime);
    XUngrabKeyboard(mDisplay, CurrentTime);
    while (!mLevels.empty()) CloseDeepest();
    XFlush(mDisplay);
  }

  IPopupMenu* Run(IPopupMenu* pMenu, int x, int y)
  {
    if (!Open(pMenu, x, y)) return nullptr;
    Grab();
    while (!mDone) {
      while (!mDone && XPending(mDisplay)) {
        XEvent ev;
        XNextEvent(mDisplay, &ev);
        Handle(&ev);
      }
      if (mDone) break;
      if (mHooks.tick && !mHooks.tick()) break;
      pollfd pfd = {ConnectionNumber(mDisplay), POLLIN, 0};
      poll(&pfd, 1, mHooks.tickMs > 0 ? mHooks.tickMs : 40);
    }
    return mChosen;
  }

private:
  bool Open(IPopupMenu* pMenu, int x, int y)
  {
    if (!pMenu || pMenu->GetNItems() == 0) return false;
    auto level = std::make_unique<MenuLevel>();
    level->menu = pMenu;
    LICE_IFont* font = MenuFont();
    const int line = font ? font->GetLineHeight() : 14;
    int textW = 0;
    bool anySub = false;
    level->tops.push_back(1);
    for (int i = 0; i < pMenu->GetNItems(); ++i) {
      const IPopupMenuItem* item = pMenu->GetItem(i);
      const bool sep = item->GetIsSeparator();
      if (!sep) {
        const int tw = TextWidth(font, X11MenuItemTitle(pMenu, i).c_str()) + (item->GetIsTitle() ? kIndent : 0);
        if (tw > textW) textW = tw;
      }
      anySub = anySub || item->GetSubmenu();
      level->tops.push_back(level->tops.back() + (sep ? kSeparatorHeight : line + 2 * kPad));
    }
    level->w = kCheckColumn + textW + kPad * 2 + (anySub ? kArrowColumn : 0);
    if (level->w < kMinWidth) level->w = kMinWidth;
    level->h = level->tops.back() + 1;
    // Keep the menu on the screen.
    const int sw = DisplayWidth(mDisplay, DefaultScreen(mDisplay)),
              sh = DisplayHeight(mDisplay, DefaultScreen(mDisplay));
    if (x + level->w > sw) x = sw - level->w;
    if (y + level->h > sh) y = sh - level->h;
    level->x = x < 0 ? 0 : x;
    level->y = y < 0 ? 0 : y;

    XSetWindowAttributes attrs;
    attrs.override_redirect = True;
    attrs.colormap = mVisual.colormap;
    attrs.border_pixel = 0;
    attrs.background_pixmap = None;
    attrs.event_mask =
        ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask | StructureNotifyMask;
    level->window = XCreateWindow(mDisplay, RootWindow(mDisplay, DefaultScreen(mDisplay)), level->x, level->y,
                                  (unsigned)level->w, (unsigned)level->h, 0, mVisual.depth, InputOutput, mVisual.visual,
                                  CWOverrideRedirect | CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attrs);
    level->gc = XCreateGC(mDisplay, level->window, 0, nullptr);
    level->surface = std::make_unique<X11Surface>(mDisplay, mVisual);
    level->bitmap.resize(level->w, level->h);
    XMapRaised(mDisplay, level->window);
    mLevels.push_back(std::move(level));
    Paint(*mLevels.back());
    return true;
  }

  void CloseDeepest()
  {
    MenuLevel& level = *mLevels.back();
    level.surface.reset();
    if (level.gc) XFreeGC(mDisplay, level.gc);
    XDestroyWindow(mDisplay, level.window);
    mLevels.pop_back();
  }

  // Takes the pointer and keyboard so that a press anywhere reaches the menu. The window may not
  // be viewable yet: try for a moment.
  void Grab()
  {
    const Window w = mLevels.front()->window;
    XSync(mDisplay, False);
    for (int tries = 0; tries < 50; ++tries) {
      const int got = XGrabPointer(mDisplay, w, True, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                   GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
      if (got == GrabSuccess) break;
      poll(nullptr, 0, 2);
    }
    XGrabKeyboard(mDisplay, w, True, GrabModeAsync, GrabModeAsync, CurrentTime);
  }

  void Paint(MenuLevel& level)
  {
    LICE_IBitmap* bm = &level.bitmap;
    LICE_FillRect(bm, 0, 0, level.w, level.h, kMenuBorder, 1.0f, LICE_BLIT_MODE_COPY);
    LICE_FillRect(bm, 1, 1, level.w - 2, level.h - 2, kMenuFace, 1.0f, LICE_BLIT_MODE_COPY);
    LICE_IFont* font = MenuFont();
    for (int i = 0; i < level.menu->GetNItems(); ++i) {
      const IPopupMenuItem* item = level.menu->GetItem(i);
      const int top = level.tops[i], bottom = level.tops[i + 1];
      if (item->GetIsSeparator()) {
        LICE_Line(bm, 4, (top + bottom) / 2, level.w - 5, (top + bottom) / 2, kMenuBorder, 1.0f, 0, false);
        continue;
      }
      const bool hover = i == level.hover && item->GetEnabled();
      if (hover) LICE_FillRect(bm, 1, top, level.w - 2, bottom - top, kMenuHover, 1.0f, LICE_BLIT_MODE_COPY);
      const LICE_pixel ink = !item->GetEnabled() ? kMenuDisabledText : hover ? kMenuHoverText : kMenuText;
      if (item->GetChecked()) {
        const int cy = (top + bottom) / 2;
        LICE_Line(bm, 5, cy, 8, cy + 3, ink, 1.0f, 0, true);
        LICE_Line(bm, 8, cy + 3, 13, cy - 4, ink, 1.0f, 0, true);
      }
      RECT r = {kCheckColumn + (item->GetIsTitle() ? kIndent : 0), top, level.w - kPad, bottom};
      DrawTextIn(bm, font, X11MenuItemTitle(level.menu, i).c_str(), r, ink, DT_LEFT);
      if (item->GetSubmenu()) {
        const int cy = (top + bottom) / 2, ax = level.w - kArrowColumn + 4;
        LICE_FillTriangle(bm, ax, cy - 4, ax, cy + 4, ax + 4, cy, ink, 1.0f, 0);
      }
    }
    level.surface->Put(level.window, level.gc, bm, 0, 0, level.w, level.h);
  }

  MenuLevel* LevelOf(Window w)
  {
    for (auto& level : mLevels)
      if (level->window == w) return level.get();
    return nullptr;
  }

  // The deepest level under the root position, its index in *pDepth; null when none.
  MenuLevel* LevelAt(int rx, int ry, size_t* pDepth)
  {
    for (size_t d = mLevels.size(); d-- > 0;)
      if (mLevels[d]->Contains(rx, ry)) {
        *pDepth = d;
        return mLevels[d].get();
      }
    return nullptr;
  }

  void SetHover(size_t depth, int item)
  {
    MenuLevel& level = *mLevels[depth];
    // Leaving an item closes the submenus opened below it.
    while (mLevels.size() > depth + 1 &&
           (item < 0 || level.menu->GetItem(item)->GetSubmenu() != mLevels[depth + 1]->menu))
      CloseDeepest();
    if (level.hover != item) {
      level.hover = item;
      Paint(level);
    }
    const IPopupMenuItem* it = item >= 0 ? level.menu->GetItem(item) : nullptr;
    if (it && it->GetEnabled() && it->GetSubmenu() && mLevels.size() == depth + 1)
      Open(it->GetSubmenu(), level.x + level.w - 2, level.y + level.tops[item] - 1);
  }

  void Choose(MenuLevel& level, int item)
  {
    level.menu->SetChosenItemIdx(item);
    mChosen = level.menu;
    mDone = true;
  }

  // Moves the deepest level's highlight by step over the items that can take it.
  void Step(int step)
  {
    const size_t depth = mLevels.size() - 1;
    MenuLevel& level = *mLevels[depth];
    const int n = level.menu->GetNItems();
    int i = level.hover;
    for (int k = 0; k < n; ++k) {
      i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
      const IPopupMenuItem* item = level.menu->GetItem(i);
      if (item->GetEnabled() && !item->GetIsSeparator()) break;
    }
    level.hover = i;
    Paint(level);
  }

  void OnKey(XKeyEvent* key)
  {
    const KeySym sym = XLookupKeysym(key, 0);
    MenuLevel& deepest = *mLevels.back();
    switch (sym) {
      case XK_Escape:
        mDone = true;
        break;
      case XK_Up:
        Step(-1);
        break;
      case XK_Down:
        Step(1);
        break;
      case XK_Left:
        if (mLevels.size() > 1) CloseDeepest();
        break;
      case XK_Right:
        if (deepest.hover >= 0) {
          SetHover(mLevels.size() - 1, deepest.hover);
          if (mLevels.back().get() != &deepest) Step(1);
        }
        break;
      case XK_Return:
      case XK_KP_Enter:
        if (deepest.hover >= 0 && Selectable(deepest.menu->GetItem(deepest.hover))) Choose(deepest, deepest.hover);
        break;
      default:
        break;
    }
  }

  void Handle(XEvent* ev)
  {
    switch (ev->type) {
      case Expose:
        if (MenuLevel* level = LevelOf(ev->xexpose.window)) {
          if (ev->xexpose.count == 0) Paint(*level);
          return;
        }
        break;
      case MotionNotify: {
        size_t depth = 0;
        if (MenuLevel* level = LevelAt(ev->xmotion.x_root, ev->xmotion.y_root, &depth))
          SetHover(depth, level->ItemAt(ev->xmotion.x_root, ev->xmotion.y_root));
        return;
      }
      case ButtonPress: {
        size_t depth = 0;
        if (!LevelAt(ev->xbutton.x_root, ev->xbutton.y_root, &depth)) mDone = true;
        return;
      }
      case ButtonRelease: {
        size_t depth = 0;
        MenuLevel* level = LevelAt(ev->xbutton.x_root, ev->xbutton.y_root, &depth);
        if (!level) return;  // the release of the press that opened the menu, or a drag off it
        const int item = level->ItemAt(ev->xbutton.x_root, ev->xbutton.y_root);
        if (item >= 0 && Selectable(level->menu->GetItem(item))) Choose(*level, item);
        return;
      }
      case KeyPress:
        // The menu holds the keyboard: every key is the menu's.
        OnKey(&ev->xkey);
        return;
      default:
        if (LevelOf(ev->xany.window)) return;
        break;
    }
    if (mHooks.otherEvent) mHooks.otherEvent(ev);
  }

  Display* mDisplay;
  const X11Visual& mVisual;
  const X11ModalHooks& mHooks;
  std::vector<std::unique_ptr<MenuLevel>> mLevels;
  IPopupMenu* mChosen = nullptr;
  bool mDone = false;
};

}  // namespace

std::string X11MenuItemTitle(const IPopupMenu* pMenu, int i)
{
  const char* text = pMenu->GetItem(i)->GetText();
  char prefix[16] = "";
  switch (pMenu->GetPrefix()) {
    case 1:
      std::snprintf(prefix, sizeof(prefix), "%1d: ", i + 1);
      break;
    case 2:
      std::snprintf(prefix, sizeof(prefix), "%02d: ", i + 1);
      break;
    case 3:
      std::snprintf(prefix, sizeof(prefix), "%03d: ", i + 1);
      break;
    default:
      break;
  }
  return std::string(prefix) + (text ? text : "");
}

IPopupMenu* X11RunPopupMenu(Display* pDisplay, const X11Visual& visual, IPopupMenu* pMenu, int x, int y,
                            const X11ModalHooks& hooks)
{
  if (!pDisplay || !pMenu) return nullptr;
  MenuRun run(pDisplay, visual, hooks);
  return run.Run(pMenu, x, y);
}

// --- the text field ---

X11TextField::X11TextField(Display* pDisplay, const X11Visual& visual, Window parent, const IRECT& rect,
                           const IText& style, const char* str, const char* allowed, int maxLength)
    : mDisplay(pDisplay),
      mSurface(pDisplay, visual),
      mStyle(style),
      mText(str ? str : ""),
      mAllowed(allowed),
      mMaxLength(maxLength)
{
  mStyle.mSize = (int)(style.mSize * 0.9);
  mStyle.mCached = nullptr;
  const int w = rect.R > rect.L ? rect.R - rect.L : 1, h = rect.B > rect.T ? rect.B - rect.T : 1;
  mBitmap.resize(w, h);
  XSetWindowAttributes attrs;
  attrs.colormap = visual.colormap;
  attrs.border_pixel = 0;
  attrs.background_pixmap = None;
  attrs.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask;
  mWindow = XCreateWindow(pDisplay, parent, rect.L, rect.T, (unsigned)w, (unsigned)h, 0, visual.depth, InputOutput,
                          visual.visual, CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask, &attrs);
  mGC = XCreateGC(pDisplay, mWindow, 0, nullptr);
  XMapRaised(pDisplay, mWindow);
  Render();
}

X11TextField::~X11TextField()
{
  if (mGC) XFreeGC(mDisplay, mGC);
  if (mWindow) XDestroyWindow(mDisplay, mWindow);
  XFlush(mDisplay);
}

void X11TextField::Render()
{
  const int w = mBitmap.getWidth(), h = mBitmap.getHeight();
  LICE_FillRect(&mBitmap, 0, 0, w, h, mStyle.mTextEntryBGColor.ToPixel() | 0xFF000000u, 1.0f, LICE_BLIT_MODE_COPY);
  LICE_IFont* font = IGraphics::CacheFont(&mStyle);
  const UINT align = mStyle.mAlign == IText::kAlignCenter ? DT_CENTER
                     : mStyle.mAlign == IText::kAlignFar  ? DT_RIGHT
                                                          : DT_LEFT;
  RECT r = {1, 0, w - 1, h};
  // Where the text lies, for the selection and the caret.
  int textW = TextWidth(font, mText.c_str());
  int left = align == DT_CENTER ? (w - textW) / 2 : align == DT_RIGHT ? w - 1 - textW : 1;
  const LICE_pixel fg = mStyle.mTextEntryFGColor.ToPixel() | 0xFF000000u;
  if (mSelected && !mText.empty()) {
    LICE_FillRect(&mBitmap, left, 1, textW, h - 2, LICE_RGBA(160, 196, 240, 255), 1.0f, LICE_BLIT_MODE_COPY);
  }
  DrawTextIn(&mBitmap, font, mText.c_str(), r, fg, align);
  const int caret = left + textW;
  LICE_Line(&mBitmap, caret, 2, caret, h - 3, fg, 1.0f, 0, false);
  Paint();
}

void X11TextField::Paint()
{
  if (mWindow) mSurface.Put(mWindow, mGC, &mBitmap, 0, 0, mBitmap.getWidth(), mBitmap.getHeight());
}

X11TextField::EResult X11TextField::OnKey(XKeyEvent* pEvent)
{
  char buf[32];
  KeySym sym = NoSymbol;
  const int n = XLookupString(pEvent, buf, (int)sizeof(buf) - 1, &sym, nullptr);
  switch (sym) {
    case XK_Return:
    case XK_KP_Enter:
      return kApply;
    case XK_Escape:
      return kCancel;
    case XK_BackSpace:
    case XK_Delete:
      if (mSelected)
        mText.clear();
      else if (!mText.empty())
        mText.pop_back();
      mSelected = false;
      Render();
      return kEditing;
    default:
      break;
  }
  // Printable ASCII only: XLookupString gives Latin-1, which is not the editor's UTF-8.
  if (n != 1 || (pEvent->state & ControlMask)) return kEditing;
  buf[1] = 0;
  if ((unsigned char)buf[0] < 0x20 || (unsigned char)buf[0] >= 0x7f) return kEditing;
  // The whole text as it would become must pass the filter, else the key is refused.
  const std::string proposed = (mSelected ? std::string() : mText) + buf;
  if (!X11EntryAccepts(proposed.c_str(), mAllowed, mMaxLength)) return kEditing;
  mText = proposed;
  mSelected = false;
  Render();
  return kEditing;
}
