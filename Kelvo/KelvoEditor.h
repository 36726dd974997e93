// The Kelvo editor: its size, where its controls sit, the pictures they show, and the call that
// builds it for an instance. The artwork tool draws the pictures to fit these positions.
#pragma once

class IPlugBase;

namespace KelvoEditor {

constexpr int kWidth = 367, kHeight = 630;
constexpr const char* kProductPage = "https://quillmarsh.com/product/kelvo/";

struct Point
{
  int x, y;
};

// Picture resources: number, file and frame count (frames stacked vertically).
struct Picture
{
  int id;
  const char* file;
  int frames;
};
constexpr Picture kBackground{101, "resources/img/bg.png", 1};
constexpr Picture kBypassLight{102, "resources/img/by.png", 2};
constexpr Picture kGainMKnob{109, "resources/img/TON.png", 31};
constexpr Picture kGainLKnob{110, "resources/img/SUS.png", 31};
constexpr Picture kOutKnob{113, "resources/img/OUT.png", 31};

// Top-left points of the bitmap controls.
constexpr Point kBypassPos{155, 373};
constexpr Point kGainMPos{1800, 1004};  // outside the window: the host alone sets "GainM"
constexpr Point kGainLPos{216, 75};
constexpr Point kOutPos{89, 75};

// The link to the product page (reaches past the window's right and bottom edges).
constexpr int kLinkL = 270, kLinkT = 600, kLinkR = 370, kLinkB = 700;

constexpr double kKnobGearing = 4.0;

}  // namespace KelvoEditor

// Builds the editor for the instance (a 367 x 630 window at the default refresh rate, in the
// window system the build links, its pictures found in the plug-in's own bundle) and attaches it, which gives every
// control its parameter's value. Called by the constructor once the parameters are initialised.
void AttachKelvoEditor(IPlugBase* pPlug);
