#include "IPlugLV2UI.h"

#include <cstdio>
#include <cstring>

#include "x11/IGraphicsX11.h"

namespace {
// The product's factory, known once the host asked for the descriptor.
const IPlugLV2UIFactory* sFactory = nullptr;

// Whether uri is the product's base URI or one of its layouts (the base URI and a fragment).
bool IsProductPlugin(const char* uri, const char* base)
{
  if (!uri || !base) return false;
  const size_t n = std::strlen(base);
  return std::strncmp(uri, base, n) == 0 && (uri[n] == 0 || uri[n] == '#');
}
}  // namespace

const LV2UI_Descriptor* IPlugLV2UI::Descriptor(uint32_t index, const IPlugLV2UIFactory& factory)
{
  if (index != 0) return nullptr;
  sFactory = &factory;
  static LV2UI_Descriptor descriptor = {nullptr, &IPlugLV2UI::Instantiate, &IPlugLV2UI::Cleanup, &IPlugLV2UI::PortEvent,
                                        &IPlugLV2UI::ExtensionData};
  descriptor.URI = factory.mURI;
  return &descriptor;
}

LV2UI_Handle IPlugLV2UI::Instantiate(const LV2UI_Descriptor* descriptor, const char* pluginURI, const char* bundlePath,
                                     LV2UI_Write_Function writeFunction, LV2UI_Controller controller,
                                     LV2UI_Widget* widget, const LV2_Feature* const* features)
{
  (void)descriptor;
  if (!sFactory || !IsProductPlugin(pluginURI, sFactory->mPluginURI) || !widget) {
    std::fprintf(stderr, "Kelvo UI: not a user interface for %s\n", pluginURI ? pluginURI : "(none)");
    return nullptr;
  }
  IPlugLV2UI* ui = new IPlugLV2UI();
  ui->mWrite = writeFunction;
  ui->mController = controller;
  ui->mTouch = static_cast<const LV2UI_Touch*>(IPlugLV2::FindFeature(features, LV2_UI__touch));
  void* parent = const_cast<void*>(IPlugLV2::FindFeature(features, LV2_UI__parent));
  const LV2UI_Resize* resize = static_cast<const LV2UI_Resize*>(IPlugLV2::FindFeature(features, LV2_UI__resize));

  // The editor's pictures lie beside this binary, in the bundle.
  if (bundlePath) IGraphicsX11::SetDefaultPictureDir(bundlePath);
  // The model's parameters are the same in every layout: it takes the widest.
  IPlugInstanceInfo info;
  info.mURI.Set(sFactory->mPluginURI);
  ui->mModel = sFactory->mMake(info, ui);
  ui->mGraphics = ui->mModel ? dynamic_cast<IGraphicsX11*>(ui->mModel->GetGUI()) : nullptr;
  void* window = ui->mGraphics ? ui->mGraphics->OpenWindow(parent) : nullptr;
  if (!window) {
    std::fprintf(stderr, "Kelvo UI: the editor could not be opened\n");
    delete ui;
    return nullptr;
  }
  if (resize && resize->ui_resize) resize->ui_resize(resize->handle, ui->mGraphics->Width(), ui->mGraphics->Height());
  *widget = window;
  return ui;
}

IPlugLV2UI::~IPlugLV2UI()
{
  if (mGraphics) mGraphics->CloseWindow();
  delete mModel;  // and with it the editor
}

void IPlugLV2UI::Cleanup(LV2UI_Handle handle) { delete static_cast<IPlugLV2UI*>(handle); }

void IPlugLV2UI::PortEvent(LV2UI_Handle handle, uint32_t port, uint32_t bufferSize, uint32_t format, const void* buffer)
{
  IPlugLV2UI* ui = static_cast<IPlugLV2UI*>(handle);
  if (!ui || format != 0 || bufferSize != sizeof(float) || !buffer) return;
  if (port >= (uint32_t)ui->mModel->NParams()) return;  // an audio port
  float value;
  std::memcpy(&value, buffer, sizeof(value));
  // The host's value moves the control; it is not sent back.
  ui->mModel->SetParameterFromControl((int)port, value);
}

int IPlugLV2UI::Idle(LV2UI_Handle handle)
{
  IPlugLV2UI* ui = static_cast<IPlugLV2UI*>(handle);
  // Non-zero tells the host the window is gone.
  return ui && ui->mGraphics && ui->mGraphics->Idle() ? 0 : 1;
}

const void* IPlugLV2UI::ExtensionData(const char* uri)
{
  static const LV2UI_Idle_Interface idle = {&IPlugLV2UI::Idle};
  if (uri && std::strcmp(uri, LV2_UI__idleInterface) == 0) return &idle;
  return nullptr;
}

void IPlugLV2UI::BeginGesture(int paramIdx)
{
  if (mTouch && mTouch->touch && paramIdx >= 0) mTouch->touch(mTouch->handle, (uint32_t)paramIdx, true);
}

void IPlugLV2UI::EndGesture(int paramIdx)
{
  if (mTouch && mTouch->touch && paramIdx >= 0) mTouch->touch(mTouch->handle, (uint32_t)paramIdx, false);
}

void IPlugLV2UI::ParamChanged(int paramIdx)
{
  IParam* param = mModel ? mModel->GetParam(paramIdx) : nullptr;
  if (!param || !mWrite) return;
  const float value = (float)param->Value();
  mWrite(mController, (uint32_t)paramIdx, sizeof(float), 0, &value);
}
