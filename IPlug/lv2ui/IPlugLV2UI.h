// The LV2 user interface of a product (ui:X11UI), in a binary of its own beside the DSP binary.
// The UI keeps its own model of the parameters: an instance of the product class on the LV2
// wrapper that is never run, whose host notifications (gesture begin, value, gesture end) go to the
// host's write_function and ui:touch instead. The product's editor shows in an X11 window that is
// a child of the host's ui:parent, on an X connection of its own; its events and redraws are pumped
// from the host's ui:idleInterface calls. Control ports are the parameters (port index = parameter
// index), as the LV2 wrapper numbers them.
#pragma once

#include <lv2/ui/ui.h>

#include "IPlugLV2.h"

class IGraphicsX11;
class IPlugLV2UI;

// The product's user interface as its entry file defines it (IPLUG_LV2UI_ENTRY_POINTS).
struct IPlugLV2UIFactory
{
  const char* mURI;        // the user interface's URI
  const char* mPluginURI;  // the product's base plug-in URI (its other layouts add a fragment)
  // The model: the product class in its user-interface mode, notifying pUI; null when out of memory.
  IPlugLV2* (*mMake)(const IPlugInstanceInfo& info, IPlugLV2UI* pUI);
};

class IPlugLV2UI
{
public:
  // The descriptor of user interface index of the product (null past the first).
  static const LV2UI_Descriptor* Descriptor(uint32_t index, const IPlugLV2UIFactory& factory);

  // --- what the model tells the host ---
  // A gesture on the parameter begins / ends: ui:touch, when the host offers it.
  void BeginGesture(int paramIdx);
  void EndGesture(int paramIdx);
  // The parameter changed in the editor: its real value goes to its control port.
  void ParamChanged(int paramIdx);

  IGraphicsX11* GetGraphics() const { return mGraphics; }
  IPlugLV2* GetModel() const { return mModel; }

private:
  IPlugLV2UI() = default;
  ~IPlugLV2UI();
  IPlugLV2UI(const IPlugLV2UI&) = delete;
  IPlugLV2UI& operator=(const IPlugLV2UI&) = delete;

  static LV2UI_Handle Instantiate(const LV2UI_Descriptor* descriptor, const char* pluginURI, const char* bundlePath,
                                  LV2UI_Write_Function writeFunction, LV2UI_Controller controller, LV2UI_Widget* widget,
                                  const LV2_Feature* const* features);
  static void Cleanup(LV2UI_Handle handle);
  static void PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer);
  static const void* ExtensionData(const char* uri);
  static int Idle(LV2UI_Handle handle);

  IPlugLV2* mModel = nullptr;
  IGraphicsX11* mGraphics = nullptr;  // owned by the model
  LV2UI_Write_Function mWrite = nullptr;
  LV2UI_Controller mController = nullptr;
  const LV2UI_Touch* mTouch = nullptr;
};

// The product class in its user-interface mode: host notifications go to the user interface.
template <class PLUG>
class IPlugLV2UIModel : public PLUG
{
public:
  IPlugLV2UIModel(const IPlugInstanceInfo& info, IPlugLV2UI* pUI) : PLUG(info), mUI(pUI) {}
  void BeginInformHostOfParamChange(int paramIdx) override { mUI->BeginGesture(paramIdx); }
  void InformHostOfParamChange(int paramIdx, double normalizedValue) override
  {
    (void)normalizedValue;
    mUI->ParamChanged(paramIdx);
  }
  void EndInformHostOfParamChange(int paramIdx) override { mUI->EndGesture(paramIdx); }

private:
  IPlugLV2UI* mUI;
};
