// The base and its editor: values handed over on attachment and on refresh, ownership.
#include <gtest/gtest.h>

#include "IControl.h"
#include "IPlug-core/core_fixture.h"
#include "graphics_fixture.h"

namespace {

struct ParamControl : IControl
{
  ParamControl(IPlugBase* plug, int param) : IControl(plug, IRECT(0, 0, 10, 10), param) {}
  bool Draw(IGraphics*) override { return true; }
};

TEST(Editor, AttachHandsOverNormalizedValuesAndRefreshFollowsTheParameters)
{
  core_test::TestPlug plug;
  plug.InitProductParams();
  auto* editor = new kelvo_test::RecordingGraphics(&plug, 40, 30);
  for (int i = 0; i < plug.NParams(); ++i) editor->AttachControl(new ParamControl(&plug, i));
  plug.AttachGraphics(editor);
  ASSERT_EQ(plug.GetGUI(), editor);
  EXPECT_DOUBLE_EQ(editor->GetControl(0)->GetValue(), 25.0 / 40.0);
  EXPECT_DOUBLE_EQ(editor->GetControl(1)->GetValue(), 0.7);

  // Values restored by the host reach the controls through RedrawParamControls.
  plug.MakeDefaultPreset("-", 1);
  plug.SetValues({-40, 0.1, 0.98, 1});
  plug.RedrawParamControls();
  EXPECT_DOUBLE_EQ(editor->GetControl(0)->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(editor->GetControl(2)->GetValue(), 1.0);
  ASSERT_TRUE(plug.RestorePreset(0));
  EXPECT_DOUBLE_EQ(editor->GetControl(3)->GetValue(), 0.0);
  EXPECT_DOUBLE_EQ(editor->GetControl(1)->GetValue(), 0.7);
  // The plug-in deletes its editor; the leak checker of a sanitizer build sees it otherwise.
}

}  // namespace
