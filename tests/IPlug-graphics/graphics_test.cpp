#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IControl.h"
#include "IGraphics.h"
#include "IGraphicsStorage.h"
#include "IParam.h"
#include "IPlugBase.h"
#include "IPopupMenu.h"
#include "graphics_fixture.h"

namespace {

using kelvo_test::RecordingGraphics;
using kelvo_test::TestPlug;

// A control that records what the core asks of it and paints its rectangle in one colour.
class ProbeControl : public IControl
{
public:
  ProbeControl(IPlugBase* plug, IRECT r, int param, IColor color = COLOR_RED) : IControl(plug, r, param), mColor(color)
  {
  }
  bool Draw(IGraphics* g) override
  {
    ++draws;
    return g->FillIRect(&mColor, &mRECT, nullptr);
  }
  void OnMouseDown(int x, int y, IMouseMod* m) override
  {
    log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
    IControl::OnMouseDown(x, y, m);
  }
  void OnMouseUp(int x, int y, IMouseMod*) override
  {
    log.push_back("up " + std::to_string(x) + "," + std::to_string(y));
  }
  void OnMouseDrag(int, int, int dX, int dY, IMouseMod*) override
  {
    log.push_back("drag " + std::to_string(dX) + "," + std::to_string(dY));
  }
  void OnMouseDblClick(int x, int y, IMouseMod* m) override
  {
    log.push_back("dbl");
    IControl::OnMouseDblClick(x, y, m);
  }
  void OnMouseWheel(int, int, IMouseMod*, int d) override { log.push_back("wheel " + std::to_string(d)); }
  bool OnKeyDown(int, int, int key) override
  {
    log.push_back("key " + std::to_string(key));
    return true;
  }
  void OnMouseOver(int, int, IMouseMod*) override { log.push_back("over"); }
  void OnMouseOut() override { log.push_back("out"); }
  std::vector<std::string> log;
  int draws = 0;
  IColor mColor;
};

struct Editor
{
  Editor() : plug(), gui(new RecordingGraphics(&plug, 100, 80)) {}
  void Attach() { plug.AttachGraphics(gui); }
  ProbeControl* Add(IRECT r, int param = -1, IColor c = COLOR_RED)
  {
    ProbeControl* p = new ProbeControl(&plug, r, param, c);
    gui->AttachControl(p);
    return p;
  }
  TestPlug plug;
  RecordingGraphics* gui;  // owned by the plug-in once attached
};

TEST(GraphicsCore, FieldsAfterConstruction)
{
  TestPlug plug;
  RecordingGraphics g(&plug, 367, 630, 0);
  EXPECT_EQ(g.FPS(), 25);  // refresh rate 0 selects 25 passes a second
  EXPECT_EQ(g.GetMouseCapture(), -1);
  EXPECT_EQ(g.GetDrawBitmap(), nullptr);  // nothing allocated before PrepDraw
  g.PrepDraw();
  ASSERT_NE(g.GetDrawBitmap(), nullptr);
  EXPECT_EQ(g.GetDrawBitmap()->getWidth(), 367);
  EXPECT_EQ(g.GetDrawBitmap()->getHeight(), 630);
  EXPECT_EQ(RecordingGraphics(&plug, 10, 10, 60).FPS(), 60);
}

TEST(GraphicsCore, HitTestingPicksTheTopVisibleControl)
{
  Editor e;
  ProbeControl* bottom = e.Add(IRECT(0, 0, 50, 50), 0);
  ProbeControl* top = e.Add(IRECT(25, 25, 75, 75), 1);
  ProbeControl* hidden = e.Add(IRECT(25, 25, 75, 75), -1);
  hidden->Hide(true);
  ProbeControl* grayed = e.Add(IRECT(30, 30, 40, 40), -1);
  grayed->GrayOut(true);
  e.Attach();
  IMouseMod left(true);
  e.gui->OnMouseDown(35, 35, &left);  // in the overlap: the later visible, not grayed control
  e.gui->OnMouseUp(35, 35, &left);
  EXPECT_EQ(top->log, std::vector<std::string>({"down 35,35", "up 35,35"}));
  EXPECT_TRUE(bottom->log.empty());
  EXPECT_TRUE(hidden->log.empty());
  EXPECT_TRUE(grayed->log.empty());
  EXPECT_EQ(e.gui->GetMouseControlIdx(90, 90), -1);
  grayed->SetMOWhenGrayed(true);
  EXPECT_EQ(e.gui->GetMouseControlIdx(35, 35, true), 3);  // mouse-over accepts it
  EXPECT_EQ(e.gui->GetMouseControlIdx(35, 35, false), 1);
}

TEST(GraphicsCore, PressDragReleaseAndGestures)
{
  Editor e;
  ProbeControl* knob = e.Add(IRECT(10, 10, 30, 30), 2);
  e.Attach();
  IMouseMod left(true);
  e.gui->OnMouseDrag(15, 15, &left);  // no press yet: dropped
  e.gui->OnMouseDown(15, 15, &left);
  e.gui->OnMouseDrag(15, 15, &left);  // same position: dropped
  e.gui->OnMouseDrag(18, 11, &left);  // first drag: difference from the press
  e.gui->OnMouseDrag(60, 70, &left);  // outside: still the captured control
  e.gui->OnMouseUp(90, 70, &left);    // release outside still reaches it
  EXPECT_EQ(knob->log, std::vector<std::string>({"down 15,15", "drag 3,-4", "drag 42,59", "up 90,70"}));
  EXPECT_EQ(e.plug.gestures, std::vector<std::string>({"begin 2", "end 2"}));
  EXPECT_EQ(e.gui->GetMouseCapture(), -1);
}

TEST(GraphicsCore, DoubleClickWheelAndKeys)
{
  Editor e;
  ProbeControl* bg = e.Add(IRECT(0, 0, 100, 80), -1);
  ProbeControl* knob = e.Add(IRECT(10, 10, 30, 30), 0);
  ProbeControl* press = e.Add(IRECT(40, 10, 60, 30), 1);
  press->SetDblClickAsPress(true);
  e.Attach();
  IMouseMod left(true);
  EXPECT_FALSE(e.gui->OnMouseDblClick(15, 15, &left));  // the control's own double click
  EXPECT_TRUE(e.plug.gestures.empty());                 // and no gesture
  EXPECT_TRUE(e.gui->OnMouseDblClick(45, 15, &left));   // delivered as a press
  EXPECT_EQ(e.gui->GetMouseCapture(), 2);
  EXPECT_EQ(press->log, std::vector<std::string>({"down 45,15"}));
  e.gui->ReleaseMouseCapture();
  e.gui->OnMouseWheel(15, 15, &left, 3);
  EXPECT_EQ(knob->log.back(), "wheel 3");

  EXPECT_TRUE(e.gui->OnKeyDown(15, 15, 7));
  EXPECT_EQ(knob->log.back(), "key 7");
  EXPECT_FALSE(e.gui->OnKeyDown(80, 70, 7));  // over the background, no key catcher
  EXPECT_TRUE(bg->log.empty());
  ProbeControl* catcher = new ProbeControl(&e.plug, IRECT(0, 0, 1, 1), -1);
  e.gui->AttachKeyCatcher(catcher);
  EXPECT_TRUE(e.gui->OnKeyDown(80, 70, 9));
  EXPECT_EQ(catcher->log, std::vector<std::string>({"key 9"}));
}

TEST(GraphicsCore, MouseOverOnlyWhenHandled)
{
  Editor e;
  ProbeControl* a = e.Add(IRECT(0, 0, 50, 80), -1);
  ProbeControl* b = e.Add(IRECT(50, 0, 100, 80), -1);
  e.Attach();
  IMouseMod none;
  EXPECT_FALSE(e.gui->OnMouseOver(10, 10, &none));
  e.gui->HandleMouseOver(true);
  EXPECT_TRUE(e.gui->OnMouseOver(10, 10, &none));
  EXPECT_TRUE(e.gui->OnMouseOver(60, 10, &none));
  EXPECT_EQ(a->log, std::vector<std::string>({"over", "out"}));
  EXPECT_EQ(b->log, std::vector<std::string>({"over"}));
  EXPECT_EQ(e.gui->GetMouseOver(), 1);
  e.gui->OnMouseOut();
  EXPECT_EQ(e.gui->GetMouseOver(), -1);
}

TEST(GraphicsCore, DirtyUnionAndStrictDrawing)
{
  Editor e;
  ProbeControl* bg = e.Add(IRECT(0, 0, 100, 80), -1, COLOR_BLUE);
  ProbeControl* a = e.Add(IRECT(10, 10, 20, 20), -1, COLOR_RED);
  ProbeControl* b = e.Add(IRECT(30, 5, 40, 15), -1, COLOR_GREEN);
  e.Attach();
  IRECT all(0, 0, 100, 80);
  e.gui->Draw(&all);
  for (ProbeControl* c : {bg, a, b}) EXPECT_FALSE(c->IsDirty());
  a->SetDirty(false);
  b->SetDirty(false);
  IRECT dirty;
  EXPECT_TRUE(e.gui->IsDirty(&dirty));
  EXPECT_EQ(dirty, IRECT(10, 5, 40, 20));

  b->Hide(true);  // hiding marks it dirty twice (redraw flag) and strict mode cleans it undrawn
  const int bDraws = b->draws;
  e.gui->Draw(&dirty);
  EXPECT_EQ(b->draws, bDraws);
  EXPECT_TRUE(b->IsDirty());  // the redraw flag keeps it for one more pass
  e.gui->Draw(&dirty);
  EXPECT_FALSE(b->IsDirty());
  // The region was repainted without b: background blue where b was, a red.
  EXPECT_EQ(e.gui->GetPoint(35, 10), COLOR_BLUE);
  EXPECT_EQ(e.gui->GetPoint(15, 15), COLOR_RED);
  EXPECT_EQ(e.gui->screens, 3);
}

TEST(GraphicsCore, NonStrictRedrawsNeighboursClippedToTheDirtyControl)
{
  Editor e;
  ProbeControl* bg = e.Add(IRECT(0, 0, 100, 80), -1, COLOR_BLUE);
  ProbeControl* a = e.Add(IRECT(10, 10, 30, 30), -1, COLOR_RED);
  ProbeControl* b = e.Add(IRECT(20, 20, 40, 40), -1, COLOR_GREEN);
  ProbeControl* far = e.Add(IRECT(60, 60, 70, 70), -1, COLOR_YELLOW);
  e.Attach();
  e.gui->SetStrictDrawing(false);
  IRECT all(0, 0, 100, 80);
  e.gui->Draw(&all);  // background dirty: everything drawn and cleaned
  EXPECT_FALSE(far->IsDirty());
  const int bgDraws = bg->draws, farDraws = far->draws;
  a->SetDirty(false);
  e.gui->Draw(&all);
  EXPECT_EQ(bg->draws, bgDraws + 1);  // neighbours under the dirty control
  EXPECT_EQ(far->draws, farDraws);    // not the far one
  EXPECT_FALSE(a->IsDirty());
  EXPECT_EQ(e.gui->GetDrawRECT(), IRECT(10, 10, 30, 30));
  EXPECT_EQ(e.gui->GetPoint(25, 25), COLOR_GREEN);  // b still paints over a inside a's rectangle
  EXPECT_FALSE(b->IsDirty());
}

TEST(GraphicsCore, ParameterSynchronisationBothWays)
{
  Editor e;
  ProbeControl* c = e.Add(IRECT(0, 0, 10, 10), 0);
  ProbeControl* aux = e.Add(IRECT(10, 0, 20, 10), -1);
  aux->AddAuxParam(0);
  e.plug.GetParam(0)->InitDouble("Level", -6.0, -12.0, 12.0, 0.1, "dB");
  e.Attach();  // every control gets its parameter's normalized value; PrepDraw runs
  EXPECT_NEAR(c->GetValue(), 0.25, 1e-12);
  EXPECT_NEAR(c->GetDefaultValue(), 0.25, 1e-12);
  EXPECT_NE(e.gui->GetDrawBitmap(), nullptr);
  e.gui->SetParameterFromPlug(0, 6.0, false);  // real value converted
  EXPECT_NEAR(c->GetValue(), 0.75, 1e-12);
  EXPECT_NEAR(aux->GetAuxParam(0)->mValue, 0.75, 1e-12);
  e.gui->SetControlFromPlug(7, 0.1);  // out of range: ignored
  e.gui->SetParameterFromGUI(0, 0.5);
  EXPECT_EQ(c->GetValue(), 0.5);
  EXPECT_NEAR(e.plug.GetParam(0)->Value(), 0.0, 1e-9);  // pushed to the plug-in
  e.gui->ClampControl(0, -3.0, 3.0, false);
  c->SetValue(0.9);
  c->SetDirty(false);
  EXPECT_NEAR(c->GetValue(), 0.625, 1e-12);
}

TEST(GraphicsCore, EnumeratedPromptIsAMenuWithTheCurrentItemChecked)
{
  Editor e;
  ProbeControl* c = e.Add(IRECT(0, 0, 10, 10), 0);
  c->DisablePrompt(false);
  IParam* p = e.plug.GetParam(0);
  p->InitEnum("Mode", 1, 2);
  p->SetDisplayText(0, "Off");
  p->SetDisplayText(1, "On");
  e.Attach();
  e.gui->menuChoice = 0;
  IMouseMod right(false, true);
  e.gui->OnMouseDown(5, 5, &right);
  ASSERT_EQ(e.gui->menus.size(), 1u);
  EXPECT_EQ(e.gui->menus[0], "Off|On*");
  EXPECT_EQ(c->GetValue(), 0.0);
  EXPECT_EQ(p->Value(), 0.0);
  e.gui->menuChoice = -1;  // dismissed: unchanged
  e.gui->OnMouseDown(5, 5, &right);
  EXPECT_EQ(c->GetValue(), 0.0);
}

TEST(GraphicsCore, TextPromptAndNonNumericEntry)
{
  Editor e;
  ProbeControl* c = e.Add(IRECT(0, 0, 40, 20), 0);
  c->DisablePrompt(false);
  IParam* p = e.plug.GetParam(0);
  p->InitDouble("Level", 3.0, -12.0, 12.0, 0.5, "dB");
  e.Attach();
  IMouseMod right(false, true);
  e.gui->OnMouseDown(5, 5, &right);
  ASSERT_EQ(e.gui->entries.size(), 1u);
  EXPECT_EQ(e.gui->entries[0], "3.0");
  char text[] = "loud";
  e.gui->SetFromStringAfterPrompt(c, p, text);
  EXPECT_NEAR(c->GetValue(), p->GetNormalized(0.0), 1e-12);
  EXPECT_NEAR(p->Value(), 0.0, 1e-9);
}

TEST(GraphicsCore, BackgroundsGoBelowEverything)
{
  Editor e;
  e.Add(IRECT(10, 10, 20, 20), -1);
  IColor grey(255, 40, 40, 40);
  e.gui->AttachPanelBackground(&grey);
  EXPECT_EQ(e.gui->GetNControls(), 2);
  EXPECT_EQ(e.gui->GetControl(0)->GetRECT(), IRECT(0, 0, 100, 80));
  e.Attach();
  IRECT all(0, 0, 100, 80);
  e.gui->Draw(&all);
  EXPECT_EQ(e.gui->GetPoint(50, 50), grey);
  EXPECT_EQ(e.gui->GetPoint(15, 15), COLOR_RED);
}

TEST(GraphicsCore, ResizeRebuildsAndAsksThePlugin)
{
  Editor e;
  e.Add(IRECT(0, 0, 10, 10), -1);
  e.Attach();
  e.gui->Resize(200, 150);
  EXPECT_EQ(e.gui->GetNControls(), 0);
  EXPECT_EQ(e.gui->GetDrawBitmap()->getWidth(), 200);
  EXPECT_EQ(e.plug.resized, std::vector<std::string>({"200x150"}));
}

}  // namespace
