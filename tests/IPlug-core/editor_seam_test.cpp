// The base and its editor, seen from the core alone: what the base hands an editor through
// IEditor, in which order, and who deletes it.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "IEditor.h"
#include "core_fixture.h"

namespace {

// An editor that writes down every call the base makes into it.
struct RecordingEditor : IEditor
{
  struct Call
  {
    std::string what;
    int param;
    double value;
    bool normalized;
  };

  explicit RecordingEditor(int* pDeleted) : deleted(pDeleted) {}
  ~RecordingEditor() override { ++*deleted; }

  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override
  {
    calls.push_back({"value", paramIdx, value, normalized});
  }
  void PrepDraw() override { calls.push_back({"prep", -1, 0.0, false}); }
  void* OpenWindow(void*) override { return nullptr; }
  void* OpenWindow(void*, void*, short, short) override { return nullptr; }
  void CloseWindow() override {}

  int* deleted;
  std::vector<Call> calls;
};

TEST(EditorSeam, AttachHandsOverNormalizedValuesThenPreparesDrawing)
{
  int deleted = 0;
  {
    core_test::TestPlug plug;
    plug.InitProductParams();
    auto* editor = new RecordingEditor(&deleted);
    plug.AttachGraphics(editor);
    ASSERT_EQ(plug.GetGUI(), editor);
    const RecordingEditor::Call expected[] = {
        {"value", 0, 25.0 / 40.0, true}, {"value", 1, 0.7, true},  {"value", 2, (0.3 - 0.05) / 0.93, true},
        {"value", 3, 0.0, true},         {"prep", -1, 0.0, false},
    };
    ASSERT_EQ(editor->calls.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(editor->calls[i].what, expected[i].what);
      EXPECT_EQ(editor->calls[i].param, expected[i].param);
      EXPECT_NEAR(editor->calls[i].value, expected[i].value, 1e-12);
      EXPECT_EQ(editor->calls[i].normalized, expected[i].normalized);
    }
    EXPECT_EQ(deleted, 0);
  }
  EXPECT_EQ(deleted, 1);  // the base deletes its editor
}

TEST(EditorSeam, RefreshHandsOverValuesInTheParametersUnits)
{
  int deleted = 0;
  core_test::TestPlug plug;
  plug.InitProductParams();
  plug.RedrawParamControls();  // no editor: nothing to do
  auto* editor = new RecordingEditor(&deleted);
  plug.AttachGraphics(editor);
  editor->calls.clear();
  plug.SetValues({-40, 0.1, 0.98, 1});
  plug.RedrawParamControls();
  const double values[] = {-40, 0.1, 0.98, 1};
  ASSERT_EQ(editor->calls.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(editor->calls[i].param, i);
    EXPECT_DOUBLE_EQ(editor->calls[i].value, values[i]);
    EXPECT_FALSE(editor->calls[i].normalized);
  }
  // A preset restored refreshes the editor too.
  plug.MakeDefaultPreset("-", 1);
  editor->calls.clear();
  ASSERT_TRUE(plug.RestorePreset(0));
  EXPECT_EQ(editor->calls.size(), 4u);
}

TEST(EditorSeam, ReplacingTheEditorDeletesTheOldOneOnly)
{
  struct Case
  {
    const char* name;
    bool second;       // attach a different editor afterwards
    bool same;         // attach the same editor again
    bool null;         // attach null afterwards
    int deletedAfter;  // editors deleted before the plug-in goes
  };
  const Case cases[] = {
      {"another editor", true, false, false, 1},
      {"the same editor again", false, true, false, 0},
      {"null", false, false, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int deleted = 0;
    {
      core_test::TestPlug plug;
      auto* first = new RecordingEditor(&deleted);
      plug.AttachGraphics(first);
      IEditor* expected = first;
      if (c.second) {
        auto* second = new RecordingEditor(&deleted);
        plug.AttachGraphics(second);
        expected = second;
      }
      if (c.same) plug.AttachGraphics(first);
      if (c.null) plug.AttachGraphics(nullptr);
      EXPECT_EQ(plug.GetGUI(), expected);
      EXPECT_EQ(deleted, c.deletedAfter);
    }
    EXPECT_EQ(deleted, c.deletedAfter + 1);
  }
}

}  // namespace
