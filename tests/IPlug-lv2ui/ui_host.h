#pragma once
// A minimal LV2 host for Kelvo's user interface, in the test's process: it loads KelvoUI.so from
// the built bundle as hosts do (dlopen, lv2ui_descriptor), offers a parent window on a connection of
// its own and the ui:resize and ui:touch features, records what the interface writes and touches,
// and calls its idle function as jalv does.

#include <dlfcn.h>
#include <lv2/ui/ui.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <time.h>
#include <unistd.h>

#include "IPlug-x11/xserver.h"

namespace kelvo_test {

inline long long NowMs()
{
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

inline std::string BuildDir()
{
  const char* dir = std::getenv("KELVO_BUILD_DIR");
  return dir ? dir : ".";
}

inline std::string LV2Bundle() { return BuildDir() + "/Kelvo.lv2/"; }

constexpr const char* kPluginURI = "https://quillmarsh.com/plugins/kelvo";
constexpr const char* kUIURI = "https://quillmarsh.com/plugins/kelvo#ui";

// The loaded binary (once per process, as a host keeps it).
inline const LV2UI_Descriptor* KelvoUIDescriptor()
{
  static void* lib = dlopen((LV2Bundle() + "KelvoUI.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) return nullptr;
  auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(lib, "lv2ui_descriptor"));
  return entry ? entry(0) : nullptr;
}

struct UIHost
{
  struct Write
  {
    uint32_t port;
    float value;
  };

  // features: which of parent, resize and touch the host offers.
  explicit UIHost(bool withParent = true, bool withResize = true, bool withTouch = true)
  {
    // The interface opens its own connection to the display the host runs on, as $DISPLAY names it.
    setenv("DISPLAY", SharedXvfb()->Name().c_str(), 1);
    display = XOpenDisplay(SharedXvfb()->Name().c_str());
    parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 700, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);
    parentFeature = {LV2_UI__parent, reinterpret_cast<void*>(static_cast<uintptr_t>(parent))};
    resize = {this, [](LV2UI_Feature_Handle h, int w, int hgt) {
                static_cast<UIHost*>(h)->sizes.emplace_back(w, hgt);
                return 0;
              }};
    resizeFeature = {LV2_UI__resize, &resize};
    touch = {this, [](LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
               static_cast<UIHost*>(h)->touches.push_back(std::to_string(port) + (grabbed ? " on" : " off"));
             }};
    touchFeature = {LV2_UI__touch, &touch};
    idleFeature = {LV2_UI__idleInterface, nullptr};
    features.push_back(&idleFeature);
    if (withParent) features.push_back(&parentFeature);
    if (withResize) features.push_back(&resizeFeature);
    if (withTouch) features.push_back(&touchFeature);
    features.push_back(nullptr);
  }
  ~UIHost()
  {
    Close();
    if (display) XCloseDisplay(display);
  }

  // Instantiates the interface for plugin (the product's stereo plug-in by default).
  bool Open(const char* plugin = kPluginURI)
  {
    desc = KelvoUIDescriptor();
    if (!desc) return false;
    handle = desc->instantiate(desc, plugin, LV2Bundle().c_str(), &UIHost::WriteFn, this, &widget, features.data());
    if (!handle) return false;
    idle = static_cast<const LV2UI_Idle_Interface*>(desc->extension_data(LV2_UI__idleInterface));
    return idle != nullptr;
  }
  void Close()
  {
    if (handle) desc->cleanup(handle);
    handle = nullptr;
  }
  // Calls idle about 30 times a second for ms; the last result.
  int IdleFor(int ms)
  {
    int r = 0;
    const long long end = NowMs() + ms;
    do {
      r = idle->idle(handle);
      usleep(5000);
    } while (NowMs() < end);
    return r;
  }
  void PortEvent(uint32_t port, float value) { desc->port_event(handle, port, sizeof(float), 0, &value); }
  Window UIWindow() const { return (Window) reinterpret_cast<uintptr_t>(widget); }

  static void WriteFn(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t protocol, const void* buffer)
  {
    if (size == sizeof(float) && protocol == 0)
      static_cast<UIHost*>(c)->writes.push_back({port, *static_cast<const float*>(buffer)});
  }

  Display* display = nullptr;
  Window parent = 0;
  LV2_Feature parentFeature, resizeFeature, touchFeature, idleFeature;
  LV2UI_Resize resize;
  LV2UI_Touch touch;
  std::vector<const LV2_Feature*> features;
  const LV2UI_Descriptor* desc = nullptr;
  LV2UI_Handle handle = nullptr;
  LV2UI_Widget widget = nullptr;
  const LV2UI_Idle_Interface* idle = nullptr;
  std::vector<std::pair<int, int>> sizes;
  std::vector<std::string> touches;
  std::vector<Write> writes;
};

}  // namespace kelvo_test
