#pragma once
// A plug-in and an editor for tests: the editor implements the platform hooks and records
// what it is asked; the plug-in records gestures and resize requests.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "IGraphics.h"
#include "IPlugBase.h"
#include "IPopupMenu.h"
#include "raster/lice.h"

namespace kelvo_test {

class TestPlug : public IPlugBase
{
public:
  TestPlug()
      : IPlugBase(4, "1-1 2-2", 1, "Test", "Test", "Tester", 0x10000, 0x54737431, 0x54737472, 0, false, true, false,
                  kAPIAU)
  {
  }
  void BeginInformHostOfParamChange(int idx) override { gestures.push_back("begin " + std::to_string(idx)); }
  void InformHostOfParamChange(int idx, double normalized) override { changes.emplace_back(idx, normalized); }
  void EndInformHostOfParamChange(int idx) override { gestures.push_back("end " + std::to_string(idx)); }
  void ResizeGraphics(int w, int h) override { resized.push_back(std::to_string(w) + "x" + std::to_string(h)); }

  std::vector<std::string> gestures, resized;
  std::vector<std::pair<int, double>> changes;
};

class RecordingGraphics : public IGraphics
{
public:
  RecordingGraphics(IPlugBase* plug, int w, int h, int fps = 0) : IGraphics(plug, w, h, fps) {}

  void SetDrawRectForTest(IRECT r) { mDrawRECT = r; }

  bool DrawScreen(IRECT*) override
  {
    ++screens;
    return true;
  }
  void ForceEndUserEdit() override {}
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  // Records the menu as "text|text*" (checked items starred) and answers menuChoice (-1: dismissed).
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT*) override
  {
    std::string s;
    for (int i = 0; i < menu->GetNItems(); ++i) {
      if (i) s += "|";
      s += menu->GetItemText(i);
      if (menu->IsItemChecked(i)) s += "*";
    }
    menus.push_back(s);
    if (menuChoice < 0) return nullptr;
    menu->SetChosenItemIdx(menuChoice);
    return menu;
  }
  void CreateTextEntry(IControl*, IText*, IRECT*, const char* str, IParam*) override
  {
    entries.push_back(str ? str : "");
  }
  void HostPath(WDL_String* p) override { p->Set("/host"); }
  void PluginPath(WDL_String* p) override { p->Set("/plugin/"); }
  void DesktopPath(WDL_String* p) override { p->Set("/desktop"); }
  void AppSupportPath(WDL_String* p, bool) override { p->Set("/support"); }
  void SandboxSafeAppSupportPath(WDL_String* p) override { p->Set("/sandbox"); }
  void PromptForFile(WDL_String* file, EFileAction, WDL_String*, char*) override { file->Set(fileAnswer.c_str()); }
  bool PromptForColor(IColor*, char*) override { return false; }
  bool OpenURL(const char* url, const char*, const char*, const char*) override
  {
    urls.push_back(url ? url : "");
    return openSucceeds;
  }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  bool GetTextFromClipboard(WDL_String* s) override
  {
    s->Set("");
    return false;
  }
  void UpdateTooltips() override {}
  // Pictures by resource number: a w x h opaque white bitmap, or null when none is listed.
  LICE_IBitmap* OSLoadBitmap(int ID, const char*) override
  {
    ++loads;
    auto it = pictures.find(ID);
    if (it == pictures.end()) return nullptr;
    LICE_MemBitmap* b = new LICE_MemBitmap(it->second.first, it->second.second);
    LICE_Clear(b, 0xFFFFFFFF);
    return b;
  }

  int screens = 0, loads = 0, menuChoice = -1;
  bool openSucceeds = true;
  std::string fileAnswer;
  std::vector<std::string> menus, entries, urls;
  std::map<int, std::pair<int, int>> pictures;
};

}  // namespace kelvo_test
