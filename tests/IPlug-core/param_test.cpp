// Parameters: initialisation, value conversions, display texts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "IParam.h"

namespace {

std::string Display(const IParam& p, double v, bool normalized = false, bool withTexts = true)
{
  char buf[MAX_PARAM_DISPLAY_LEN];
  p.GetDisplayForHost(v, normalized, buf, withTexts);
  return buf;
}

TEST(IParam, NewParameterDefaults)
{
  IParam p;
  EXPECT_EQ(p.Type(), IParam::kTypeNone);
  EXPECT_EQ(p.Value(), 0.0);
  EXPECT_EQ(p.GetMin(), 0.0);
  EXPECT_EQ(p.GetMax(), 1.0);
  EXPECT_EQ(p.GetStep(), 1.0);
  EXPECT_EQ(p.GetShape(), 1.0);
  EXPECT_TRUE(p.GetCanAutomate());
  EXPECT_FALSE(p.GetIsMeta());
  EXPECT_FALSE(p.GetNegateDisplay());
  EXPECT_STREQ(p.GetNameForHost(), "");
  EXPECT_EQ(p.GetNDisplayTexts(), 0);
}

TEST(IParam, InitialisersSetRangeAndPrecision)
{
  struct Case
  {
    const char* what;
    void (*init)(IParam*);
    IParam::EParamType type;
    double value, min, max;
    int precision;
  };
  const Case cases[] = {
      {"OUT", [](IParam* p) { p->InitDouble("OUT", -15, -40, 0, 0.01, "", "", 1); }, IParam::kTypeDouble, -15, -40, 0,
       2},
      {"step 0.1", [](IParam* p) { p->InitDouble("x", 0, 0, 1, 0.1); }, IParam::kTypeDouble, 0, 0, 1, 1},
      {"step 1", [](IParam* p) { p->InitDouble("x", 0, 0, 10, 1); }, IParam::kTypeDouble, 0, 0, 10, 0},
      {"step 1e-9", [](IParam* p) { p->InitDouble("x", 0, 0, 1, 1e-9); }, IParam::kTypeDouble, 0, 0, 1, 6},
      {"max below min + step", [](IParam* p) { p->InitDouble("x", 0, 0, 0.001, 0.5); }, IParam::kTypeDouble, 0, 0, 0.5,
       1},
      {"Bypass", [](IParam* p) { p->InitInt("Bypass", 0, 0, 1, "", ""); }, IParam::kTypeInt, 0, 0, 1, 0},
      {"int min 5 max 5", [](IParam* p) { p->InitInt("x", 5, 5, 5); }, IParam::kTypeInt, 5, 5, 6, 0},
      {"enum of 1", [](IParam* p) { p->InitEnum("x", 0, 1); }, IParam::kTypeEnum, 0, 0, 1, 0},
      {"enum of 4", [](IParam* p) { p->InitEnum("x", 2, 4); }, IParam::kTypeEnum, 2, 0, 3, 0},
      {"bool", [](IParam* p) { p->InitBool("x", true); }, IParam::kTypeBool, 1, 0, 1, 0},
  };
  for (const Case& c : cases) {
    IParam p;
    c.init(&p);
    EXPECT_EQ(p.Type(), c.type) << c.what;
    EXPECT_EQ(p.Value(), c.value) << c.what;
    EXPECT_EQ(p.GetDefault(), c.value) << c.what;
    EXPECT_DOUBLE_EQ(p.GetMin(), c.min) << c.what;
    EXPECT_DOUBLE_EQ(p.GetMax(), c.max) << c.what;
    EXPECT_EQ(p.GetPrecision(), c.precision) << c.what;
  }
}

TEST(IParam, TypeIsSetOnceTextsAreCutAndShapeZeroIgnored)
{
  IParam p;
  p.InitInt("first", 0, 0, 3);
  p.InitDouble("a name much longer than thirty-one characters", 0.5, 0, 1, 0.01, "lbl", "grp", 0.0);
  EXPECT_EQ(p.Type(), IParam::kTypeInt);
  EXPECT_STREQ(p.GetNameForHost(), "a name much longer than thirty-");
  EXPECT_STREQ(p.GetParamGroupForHost(), "grp");
  EXPECT_EQ(p.GetShape(), 1.0);
  p.SetShape(2.0);
  p.SetShape(0.0);
  EXPECT_EQ(p.GetShape(), 2.0);
}

TEST(IParam, SetNormalizedRoundsNonDoublesAndCapsAtMax)
{
  struct Case
  {
    bool isInt;
    double shape, n, expect;
  };
  const Case cases[] = {
      {true, 1, 0.4, 0},      {true, 1, 0.6, 1},      {true, 1, 0.5, 1},     {false, 1, 1.2, 1},
      {false, 1, -0.2, -0.2}, {false, 1, 0.25, 0.25}, {false, 2, 0.5, 0.25},
  };
  for (const Case& c : cases) {
    IParam p;
    if (c.isInt)
      p.InitInt("b", 0, 0, 1);
    else
      p.InitDouble("d", 0, 0, 1, 0.01, "", "", c.shape);
    p.SetNormalized(c.n);
    EXPECT_DOUBLE_EQ(p.Value(), c.expect) << c.isInt << " " << c.n;
  }
}

TEST(IParam, NormalizedConversionsClampAndInvertTheShape)
{
  IParam p;
  p.InitDouble("OUT", -15, -40, 0, 0.01);
  EXPECT_DOUBLE_EQ(p.GetNormalized(), 25.0 / 40.0);
  EXPECT_EQ(p.GetNormalized(-100), 0.0);
  EXPECT_EQ(p.GetNormalized(5), 1.0);
  EXPECT_DOUBLE_EQ(p.GetNonNormalized(0.5), -20.0);
  EXPECT_DOUBLE_EQ(p.GetNonNormalized(1.5), 20.0);  // neither rounded nor clamped

  IParam curved;
  curved.InitDouble("c", 0, 0, 100, 0.01, "", "", 3.0);
  EXPECT_NEAR(curved.GetNormalized(12.5), 0.5, 1e-12);
  EXPECT_NEAR(curved.GetNonNormalized(0.5), 12.5, 1e-12);

  p.Set(10);
  EXPECT_EQ(p.Value(), 0.0);
  p.Set(-50);
  EXPECT_EQ(p.Value(), -40.0);
  p.Set(-3.7);
  EXPECT_EQ(p.Int(), -3);
  p.Set(NAN);
  p.SetNormalized(NAN);
  EXPECT_EQ(p.Value(), -3.7);
  p.Set(-6.0);
  EXPECT_NEAR(p.DBToAmp(), std::pow(10.0, -6.0 / 20.0), 1e-12);
}

TEST(IParam, DisplayTexts)
{
  IParam out, bypass, onOff, negated, wide;
  out.InitDouble("OUT", -15, -40, 0, 0.01, "dB");
  bypass.InitInt("Bypass", 0, 0, 1, "", "");
  onOff.InitBool("On", false, "unit");
  negated.InitDouble("N", 3, -10, 10, 0.5);
  negated.SetNegateDisplay(true);
  wide.InitDouble("W", 0, -1e12, 1e12, 1);
  struct Case
  {
    const IParam* p;
    double v;
    bool normalized, withTexts;
    const char* expect;
  };
  const Case cases[] = {
      {&out, -15, false, true, "-15.00"},       {&out, 0.5, true, true, "-20.00"}, {&bypass, 1, false, true, "1"},
      {&bypass, 0.9, false, true, "0"},         {&onOff, 1, false, true, "on"},    {&onOff, 0, false, true, "off"},
      {&onOff, 1, false, false, "1"},           {&onOff, 1, true, true, "on"},     {&negated, 3, false, true, "-3.0"},
      {&wide, 1e12, false, true, "2147483647"},
  };
  for (const Case& c : cases) EXPECT_EQ(Display(*c.p, c.v, c.normalized, c.withTexts), c.expect) << c.expect;

  EXPECT_STREQ(out.GetLabelForHost(), "dB");
  EXPECT_STREQ(onOff.GetLabelForHost(), "");
  onOff.Set(1);
  EXPECT_STREQ(onOff.GetLabelForHost(), "");
}

TEST(IParam, DisplayTextTableKeepsFirstAndMapsExactly)
{
  IParam p;
  p.InitEnum("Mode", 0, 3, "lbl");
  p.SetDisplayText(0, "clean");
  p.SetDisplayText(1, "warm");
  p.SetDisplayText(1, "hot");
  p.SetDisplayText(2, "a text longer than thirty-one characters");
  EXPECT_EQ(p.GetNDisplayTexts(), 4);
  EXPECT_STREQ(p.GetDisplayText(1), "warm");
  EXPECT_STREQ(p.GetDisplayText(7), "");
  int key = -1;
  EXPECT_STREQ(p.GetDisplayTextAtIdx(2, &key), "hot");
  EXPECT_EQ(key, 1);
  EXPECT_STREQ(p.GetDisplayTextAtIdx(3), "a text longer than thirty-one c");

  key = 99;
  EXPECT_TRUE(p.MapDisplayText("hot", &key));
  EXPECT_EQ(key, 1);
  key = 99;
  EXPECT_FALSE(p.MapDisplayText("Warm", &key));
  EXPECT_FALSE(p.MapDisplayText(nullptr, &key));
  EXPECT_EQ(key, 99);
  EXPECT_STREQ(p.GetLabelForHost(), "");  // value 0 shows "clean"
}

TEST(IParam, TextToValueUnderBothRules)
{
  const ITextToValueRule host = {ITextToValueRule::kLookUpWhenDisplayTexts, false};
  const ITextToValueRule prompt = {ITextToValueRule::kLookUpWhenBoolOrEnum, true};
  IParam boolean, mode, steps, gain, negated;
  boolean.InitBool("On", false);
  mode.InitEnum("Mode", 0, 3);
  mode.SetDisplayText(0, "soft");
  mode.SetDisplayText(2, "hard");
  steps.InitInt("Steps", 0, 0, 8);
  steps.SetDisplayText(4, "half");  // an integer parameter with a text for one value
  gain.InitDouble("Gain", 0.0, -40.0, 6.0, 0.1);
  negated.InitDouble("Cut", 3.0, 0.0, 12.0, 0.1);
  negated.SetNegateDisplay(true);

  struct Case
  {
    const char* what;
    const IParam* param;
    const char* text;
    bool hostGives;
    double hostValue;
    bool promptGives;
    double promptValue;
  };
  const Case cases[] = {
      {"boolean text", &boolean, "on", true, 1, true, 1},
      {"boolean, not a text", &boolean, "yes", false, 0, true, 0},
      {"boolean, a number", &boolean, "1", false, 0, true, 0},
      {"enum text", &mode, "hard", true, 2, true, 2},
      {"enum, not a text", &mode, "loud", false, 0, true, 0},
      {"int with a text: the text", &steps, "half", true, 4, true, 0},  // the prompt reads a number
      {"int with a text: a number", &steps, "3", false, 0, true, 3},
      {"real number", &gain, "-6.5", true, -6.5, true, -6.5},
      {"real, not a number", &gain, "loud", true, 0, true, 0},
      {"real, null text", &gain, nullptr, true, 0, true, 0},
      {"negated display", &negated, "4.5", true, -4.5, true, -4.5},
      {"enum, null text", &mode, nullptr, false, 0, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    double v = 99.0;
    EXPECT_EQ(c.param->ValueFromText(c.text, host, &v), c.hostGives);
    EXPECT_DOUBLE_EQ(v, c.hostGives ? c.hostValue : 99.0) << "host";
    v = 99.0;
    EXPECT_EQ(c.param->ValueFromText(c.text, prompt, &v), c.promptGives);
    EXPECT_DOUBLE_EQ(v, c.promptGives ? c.promptValue : 99.0) << "prompt";
  }
}

}  // namespace
