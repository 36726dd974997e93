#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "IControl.h"
#include "IParam.h"
#include "graphics_fixture.h"

namespace {

using kelvo_test::RecordingGraphics;
using kelvo_test::TestPlug;

// A strip of n frames w x h; frame k is grey level 10 * k + 5, fully opaque.
struct Strip
{
  Strip(int w, int h, int n, bool horizontal = false)
      : bmp(horizontal ? w * n : w, horizontal ? h : h * n),
        handle(&bmp, bmp.getWidth(), bmp.getHeight(), n, horizontal)
  {
    for (int k = 0; k < n; ++k) {
      const LICE_pixel px = LICE_RGBA(10 * k + 5, 10 * k + 5, 10 * k + 5, 255);
      if (horizontal)
        LICE_FillRect(&bmp, k * w, 0, w, h, px, 1.0f, 0);
      else
        LICE_FillRect(&bmp, 0, k * h, w, h, px, 1.0f, 0);
    }
  }
  static int Grey(int frame) { return 10 * (frame - 1) + 5; }
  LICE_MemBitmap bmp;
  IBitmap handle;
};

// A plug-in with four parameters and an attached editor of 200 x 200.
struct Rig
{
  explicit Rig(bool attachNow = false) : gui(new RecordingGraphics(&plug, 200, 200))
  {
    plug.GetParam(0)->InitDouble("Level", 0.0, -10.0, 10.0, 0.01, "dB");
    plug.GetParam(1)->InitBool("Bypass", false);
    plug.GetParam(2)->InitEnum("Mode", 0, 3);
    plug.GetParam(3)->InitDouble("Mix", 50.0, 0.0, 100.0, 1.0, "%");
    if (attachNow) Attach();
  }
  template <class C>
  C* Add(C* c)
  {
    gui->AttachControl(c);
    return c;
  }
  void Attach()
  {
    plug.AttachGraphics(gui);
    gui->SetDrawRectForTest(IRECT(0, 0, 200, 200));
    LICE_Clear(gui->GetDrawBitmap(), 0xFF000000);
  }
  IColor At(int x, int y) { return gui->GetPoint(x, y); }
  TestPlug plug;
  RecordingGraphics* gui;
};

IMouseMod Left() { return IMouseMod(true); }

TEST(SwitchControls, StepAndWrap)
{
  struct Case
  {
    int frames;
    std::vector<double> values;
  } cases[] = {{2, {1.0, 0.0, 1.0}}, {3, {0.5, 1.0, 0.0, 0.5}}, {1, {1.0, 0.0}}};
  for (const Case& c : cases) {
    Rig rig;
    Strip s(10, 10, c.frames);
    ISwitchControl* sw = rig.Add(new ISwitchControl(&rig.plug, 0, 0, 1, &s.handle));
    rig.Attach();
    IMouseMod m = Left();
    for (double expect : c.values) {
      sw->OnMouseDown(1, 1, &m);
      EXPECT_DOUBLE_EQ(sw->GetValue(), expect) << c.frames;
    }
    sw->OnMouseDblClick(1, 1, &m);  // a double click steps too
    EXPECT_NE(sw->GetValue(), c.values.back());
  }
}

TEST(SwitchControls, FramesOnScreenAndParameter)
{
  Rig rig;
  Strip s(20, 10, 2);
  ISwitchControl* sw = rig.Add(new ISwitchControl(&rig.plug, 30, 40, 1, &s.handle));
  EXPECT_EQ(sw->GetRECT(), IRECT(30, 40, 50, 50));
  rig.Attach();
  IRECT all(0, 0, 200, 200);
  rig.gui->Draw(&all);
  EXPECT_EQ(rig.At(30, 40).R, Strip::Grey(1));
  IMouseMod m = Left();
  rig.gui->OnMouseDown(35, 45, &m);
  rig.gui->OnMouseUp(35, 45, &m);
  EXPECT_EQ(rig.plug.GetParam(1)->Value(), 1.0);
  rig.gui->Draw(&all);
  EXPECT_EQ(rig.At(49, 49).R, Strip::Grey(2));
  EXPECT_EQ(rig.At(50, 49), COLOR_BLACK);
}

TEST(SwitchControls, ZonesContactInvisibleAndOverlay)
{
  Rig rig;
  Strip s(30, 10, 3, true);
  ISwitchFramesControl* frames = rig.Add(new ISwitchFramesControl(&rig.plug, 0, 0, 2, &s.handle, true));
  ASSERT_EQ(frames->NZones(), 3);
  EXPECT_EQ(frames->GetZone(1), IRECT(10, 0, 20, 10));
  Strip one(10, 10, 1);
  ISwitchFramesControl* single = rig.Add(new ISwitchFramesControl(&rig.plug, 0, 50, 2, &one.handle));
  IContactControl* contact = rig.Add(new IContactControl(&rig.plug, 0, 100, 1, &one.handle));
  IInvisibleSwitchControl* inv = rig.Add(new IInvisibleSwitchControl(&rig.plug, IRECT(100, 0, 120, 20), 1));
  Strip two(10, 10, 2);
  IBitmapOverlayControl* overlay =
      rig.Add(new IBitmapOverlayControl(&rig.plug, 150, 150, -1, &two.handle, IRECT(150, 150, 152, 152)));
  rig.Attach();
  IMouseMod m = Left();
  frames->OnMouseDown(25, 5, &m);
  EXPECT_DOUBLE_EQ(frames->GetValue(), 1.0);
  frames->OnMouseDown(12, 5, &m);
  EXPECT_DOUBLE_EQ(frames->GetValue(), 0.5);
  single->OnMouseDown(5, 55, &m);  // one zone: 0/0, clamped to the low end
  EXPECT_EQ(single->GetValue(), 0.0);
  contact->OnMouseDown(5, 105, &m);
  EXPECT_EQ(contact->GetValue(), 1.0);
  contact->OnMouseUp(5, 105, &m);
  EXPECT_EQ(contact->GetValue(), 0.0);
  inv->OnMouseDown(110, 10, &m);
  EXPECT_EQ(inv->GetValue(), 1.0);
  inv->OnMouseDown(110, 10, &m);
  EXPECT_EQ(inv->GetValue(), 0.0);
  overlay->Draw(rig.gui);
  EXPECT_FALSE(overlay->IsHit(155, 155));  // hidden: only the small area
  EXPECT_TRUE(overlay->IsHit(151, 151));
  overlay->SetValue(1.0);
  overlay->Draw(rig.gui);
  EXPECT_TRUE(overlay->IsHit(155, 155));
  EXPECT_EQ(rig.At(155, 155).R, Strip::Grey(2));
}

TEST(KnobControls, DragGearingFineAdjustmentAndEnds)
{
  struct Case
  {
    int dY;
    bool shift, ctrl;
    double expect;
  } cases[] = {
      {-40, false, false, 0.6}, {-40, true, false, 0.51},   {-40, false, true, 0.51},
      {40, false, false, 0.4},  {-1000, false, false, 1.0}, {1000, false, false, 0.0},
  };
  for (const Case& c : cases) {
    Rig rig;
    Strip s(40, 100, 31);  // a knob 100 pixels high
    IKnobMultiControl* knob = rig.Add(new IKnobMultiControl(&rig.plug, 0, 0, 0, &s.handle));
    rig.Attach();
    ASSERT_DOUBLE_EQ(knob->GetValue(), 0.5);
    IMouseMod m(true, false, c.shift, c.ctrl);
    rig.gui->OnMouseDown(10, 50, &m);
    rig.gui->OnMouseDrag(10, 50 + c.dY, &m);
    rig.gui->OnMouseUp(10, 50 + c.dY, &m);
    EXPECT_NEAR(knob->GetValue(), c.expect, 1e-12) << c.dY << c.shift << c.ctrl;
    // The parameter follows through the plug-in base: -10..10 dB.
    EXPECT_NEAR(rig.plug.GetParam(0)->Value(), -10.0 + 20.0 * c.expect, 0.011);
    EXPECT_EQ(rig.plug.gestures, std::vector<std::string>({"begin 0", "end 0"}));
    ASSERT_FALSE(rig.plug.changes.empty());
    EXPECT_NEAR(rig.plug.changes.back().second, rig.plug.GetParam(0)->GetNormalized(), 1e-12);
  }
}

TEST(KnobControls, WheelDoubleClickPromptAndFrames)
{
  Rig rig;
  Strip s(40, 40, 31);
  IKnobMultiControl* knob = rig.Add(new IKnobMultiControl(&rig.plug, 0, 0, 0, &s.handle));
  rig.Attach();
  IMouseMod none, ctrl(false, false, false, true), right(false, true);
  knob->OnMouseWheel(0, 0, &none, 3);
  EXPECT_NEAR(knob->GetValue(), 0.53, 1e-12);
  knob->OnMouseWheel(0, 0, &ctrl, 3);
  EXPECT_NEAR(knob->GetValue(), 0.533, 1e-12);
  knob->OnMouseDblClick(0, 0, &none);
  EXPECT_DOUBLE_EQ(knob->GetValue(), 0.5);  // the value it had when attached
  rig.plug.gestures.clear();
  rig.gui->OnMouseDown(5, 5, &right);  // prompts are disabled: only the gesture
  rig.gui->OnMouseUp(5, 5, &right);
  EXPECT_TRUE(rig.gui->entries.empty());
  EXPECT_TRUE(rig.gui->menus.empty());
  EXPECT_EQ(rig.plug.gestures.size(), 2u);

  struct
  {
    double v;
    int frame;
  } frames[] = {{0.0, 1}, {1.0, 31}, {0.5, 16}, {0.05, 3}, {-1.0, 1}, {2.0, 31}};
  for (auto& f : frames) {
    knob->SetValue(f.v);
    EXPECT_EQ(knob->FrameForValue(), f.frame) << f.v;
  }
  knob->SetValue(0.5);
  knob->Draw(rig.gui);
  EXPECT_EQ(rig.At(20, 20).R, Strip::Grey(16));
}

TEST(KnobControls, LineAndRotaterDraw)
{
  Rig rig;
  IKnobLineControl* line = rig.Add(new IKnobLineControl(&rig.plug, IRECT(0, 0, 40, 40), 0, &COLOR_WHITE, 5.0));
  LICE_MemBitmap pointer(9, 21);
  LICE_Clear(&pointer, 0);
  LICE_FillRect(&pointer, 3, 0, 3, 10, LICE_RGBA(255, 0, 0, 255), 1.0f, 0);
  IBitmap p(&pointer, 9, 21);
  IKnobRotaterControl* rot = rig.Add(new IKnobRotaterControl(&rig.plug, 100, 100, 3, &p));
  rig.Attach();
  line->SetValue(0.5);  // straight up
  line->Draw(rig.gui);
  EXPECT_EQ(rig.At(20, 2), COLOR_WHITE);
  EXPECT_EQ(rig.At(20, 30), COLOR_BLACK);
  rot->SetValue(0.5);  // no rotation: the pointer stands up
  rot->Draw(rig.gui);
  EXPECT_GT(rig.At(104, 103).R, 200);
  EXPECT_LT(rig.At(104, 117).R, 50);
  IRECT area(100, 100, 109, 121);
  rig.gui->FillIRect(&COLOR_BLACK, &area);
  rot->SetValue(1.0);  // 135 degrees clockwise: the pointer leans down and right
  rot->Draw(rig.gui);
  EXPECT_LT(rig.At(104, 103).R, 50);
  EXPECT_GT(rig.At(107, 113).R, 100);
}

TEST(FaderControl, HandleSnapAndWheel)
{
  Rig rig;
  Strip handle(10, 20, 1);
  IFaderControl* fader = rig.Add(new IFaderControl(&rig.plug, 10, 10, 120, 3, &handle.handle, kVertical, true));
  EXPECT_EQ(fader->GetRECT(), IRECT(10, 10, 20, 130));
  rig.Attach();
  EXPECT_EQ(fader->GetHandleRECT(1.0), IRECT(10, 10, 20, 30));
  EXPECT_EQ(fader->GetHandleRECT(0.0), IRECT(10, 110, 20, 130));
  EXPECT_EQ(fader->GetHandleRECT(0.5), IRECT(10, 60, 20, 80));
  EXPECT_TRUE(fader->IsHit(15, 65));  // only the handle
  EXPECT_FALSE(fader->IsHit(15, 20));
  IMouseMod m = Left();
  fader->OnMouseDown(15, 20, &m);  // centre of the handle at y = 20: the top
  EXPECT_DOUBLE_EQ(fader->GetValue(), 1.0);
  fader->OnMouseDrag(15, 70, 0, 50, &m);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.5);
  fader->OnMouseDrag(15, 500, 0, 0, &m);
  EXPECT_DOUBLE_EQ(fader->GetValue(), 0.0);
  fader->OnMouseWheel(0, 0, &m, 3);
  EXPECT_NEAR(fader->GetValue(), 0.03, 1e-12);
  fader->SetValue(0.5);
  fader->Draw(rig.gui);
  EXPECT_EQ(rig.At(15, 65).R, Strip::Grey(1));
  EXPECT_EQ(rig.At(15, 85), COLOR_BLACK);
}

TEST(RadioButtons, LayoutDrawAndPress)
{
  Rig rig;
  Strip s(10, 10, 2);  // button 10 x 10
  IRadioButtonsControl* fwd =
      rig.Add(new IRadioButtonsControl(&rig.plug, IRECT(0, 0, 50, 10), 2, 3, &s.handle, kHorizontal));
  IRadioButtonsControl* rev =
      rig.Add(new IRadioButtonsControl(&rig.plug, IRECT(0, 100, 10, 150), 2, 3, &s.handle, kVertical, true));
  EXPECT_EQ(fwd->GetButton(0), IRECT(0, 0, 10, 10));
  EXPECT_EQ(fwd->GetButton(1), IRECT(20, 0, 30, 10));  // gap (50 - 30) / 2 = 10
  EXPECT_EQ(fwd->GetButton(2), IRECT(40, 0, 50, 10));
  EXPECT_EQ(rev->GetButton(0), IRECT(0, 140, 10, 150));
  EXPECT_EQ(rev->GetButton(2), IRECT(0, 100, 10, 110));
  rig.Attach();
  IMouseMod m = Left();
  fwd->OnMouseDown(45, 5, &m);
  EXPECT_DOUBLE_EQ(fwd->GetValue(), 1.0);
  fwd->OnMouseDown(15, 5, &m);  // in a gap: unchanged, still pushed
  EXPECT_DOUBLE_EQ(fwd->GetValue(), 1.0);
  fwd->Draw(rig.gui);
  EXPECT_EQ(rig.At(45, 5).R, Strip::Grey(2));
  EXPECT_EQ(rig.At(5, 5).R, Strip::Grey(1));
}

TEST(TextControls, TextCaptionAndDisplayControls)
{
  Rig rig;
  IText style(14, &COLOR_WHITE, "DejaVu Sans");
  ITextControl* text = rig.Add(new ITextControl(&rig.plug, IRECT(0, 0, 100, 20), &style, "hello"));
  ICaptionControl* caption = rig.Add(new ICaptionControl(&rig.plug, IRECT(0, 50, 100, 70), 0, &style, true));
  ITextControl* valueShown = rig.Add(new ITextControl(&rig.plug, IRECT(0, 100, 100, 120), &style, ""));
  ITextControl* nameShown = rig.Add(new ITextControl(&rig.plug, IRECT(0, 150, 100, 170), &style, ""));
  Strip s(20, 20, 31);
  IKnobMultiControl* knob = rig.Add(new IKnobMultiControl(&rig.plug, 150, 0, 0, &s.handle));
  knob->SetValDisplayControl(valueShown);
  knob->SetNameDisplayControl(nameShown);
  rig.Attach();
  IRECT all(0, 0, 200, 200);
  rig.gui->Draw(&all);
  int lit = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 100; ++x) lit += rig.At(x, y).R > 128;
  EXPECT_GT(lit, 20);
  EXPECT_STREQ(caption->GetDisplayString(), "0.00 dB");
  text->SetClean();
  text->SetClean();
  text->SetTextFromPlug("hello");
  EXPECT_FALSE(text->IsDirty());
  text->SetTextFromPlug("bye");
  EXPECT_TRUE(text->IsDirty());

  knob->SetValue(0.75);
  knob->SetDirty(true);
  EXPECT_STREQ(valueShown->GetDisplayString(), "5.00 dB");
  EXPECT_STREQ(nameShown->GetDisplayString(), "Level");
}

TEST(LinkControl, OpensTheAddressOrTheBackup)
{
  Rig rig;
  IURLControl* both =
      rig.Add(new IURLControl(&rig.plug, IRECT(0, 0, 10, 10), "https://a.example/", "https://b.example/", "sorry"));
  IURLControl* none = rig.Add(new IURLControl(&rig.plug, IRECT(20, 0, 30, 10), nullptr, "", nullptr));
  std::string longUrl(600, 'x');
  IURLControl* bounded = rig.Add(new IURLControl(&rig.plug, IRECT(40, 0, 50, 10), longUrl.c_str(), longUrl.c_str(),
                                                 std::string(3000, 'e').c_str()));
  rig.Attach();
  IMouseMod m = Left();
  rig.gui->OnMouseDown(5, 5, &m);
  EXPECT_EQ(rig.gui->urls, std::vector<std::string>({"https://a.example/"}));
  rig.gui->openSucceeds = false;
  rig.gui->OnMouseDown(5, 5, &m);
  EXPECT_EQ(rig.gui->urls.back(), "https://b.example/");
  EXPECT_EQ(rig.gui->urls.size(), 3u);
  rig.gui->urls.clear();
  none->OnMouseDown(25, 5, &m);
  EXPECT_TRUE(rig.gui->urls.empty());
  EXPECT_EQ(std::string(bounded->GetURL()).size(), 255u);
  EXPECT_EQ(std::string(bounded->GetErrMsg()).size(), 1023u);
  EXPECT_TRUE(rig.plug.gestures.empty());  // no parameter: no gesture
  EXPECT_TRUE(both->Draw(rig.gui));
}

TEST(FileSelector, PromptsAndReportsOnce)
{
  Rig rig;
  IFileSelectorControl* fs =
      rig.Add(new IFileSelectorControl(&rig.plug, IRECT(0, 0, 10, 10), -1, nullptr, kFileOpen, "/tmp", "fxp fxb"));
  rig.Attach();
  rig.gui->fileAnswer = "/tmp/x.fxp";
  IMouseMod m = Left();
  fs->OnMouseDown(5, 5, &m);
  WDL_String file;
  fs->GetLastSelectedFileForPlug(&file);
  EXPECT_STREQ(file.Get(), "/tmp/x.fxp");
  EXPECT_EQ(fs->GetValue(), 1.0);
  EXPECT_EQ(fs->GetState(), IFileSelectorControl::kFSDone);
  fs->SetClean();
  EXPECT_TRUE(fs->IsDirty());  // once for the finished selection
  EXPECT_FALSE(fs->IsDirty());
}

TEST(ControlBase, ValueCycleClampHideAndAux)
{
  Rig rig;
  Strip s(10, 10, 2);
  ISwitchControl* c = rig.Add(new ISwitchControl(&rig.plug, 0, 0, 3, &s.handle));
  c->AddAuxParam(0);
  rig.Attach();
  EXPECT_DOUBLE_EQ(c->GetDefaultValue(), 0.5);
  c->SetClean();
  c->SetClean();
  c->SetValueFromPlug(0.5);  // unchanged: stays clean
  EXPECT_FALSE(c->IsDirty());
  c->SetValueFromPlug(0.7);  // a change is drawn on two passes
  EXPECT_TRUE(c->IsDirty());
  c->SetClean();
  EXPECT_TRUE(c->IsDirty());
  c->SetClean();
  EXPECT_FALSE(c->IsDirty());
  c->Clamp(0.2, 0.6);
  c->SetValue(NAN);
  c->SetDirty(false);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.2);
  c->SetValue(0.9);
  c->SetDirty(true);
  EXPECT_DOUBLE_EQ(c->GetValue(), 0.6);
  EXPECT_NEAR(rig.plug.GetParam(3)->Value(), 60.0, 1e-9);  // the clamped value is what is pushed
  c->Hide(true);
  c->SetClean();
  EXPECT_TRUE(c->IsDirty());  // hiding redraws the area twice
  rig.gui->SetParameterFromPlug(0, 10.0, false);
  EXPECT_DOUBLE_EQ(c->GetAuxParam(0)->mValue, 1.0);
  EXPECT_EQ(c->AuxParamIdx(7), -1);
  c->GrayOut(true);
  EXPECT_FLOAT_EQ(c->GetBlend()->mWeight, 0.25f);
}

}  // namespace
