#pragma once
// File panels; their answers come from the host (stand-in addition), as a user would give them.

#include <functional>
#include <string>
#include <vector>

#include "NSView.h"

enum : NSInteger { NSCancelButton = 0, NSOKButton = 1 };

class NSSavePanel : public NSObject
{
public:
  static NSSavePanel* savePanel();
  void setAllowedFileTypes(NSArray* types);
  NSArray* allowedFileTypes() const { return m_types; }
  void setAllowsOtherFileTypes(BOOL f) { m_otherTypes = f; }
  BOOL allowsOtherFileTypes() const { return m_otherTypes; }
  // Runs the panel: NSOKButton with a chosen file, else NSCancelButton.
  NSInteger runModalForDirectory(NSString* directory, NSString* file);
  // The chosen path, or nil.
  NSString* filename() const { return m_filename; }

  // What the host answers: given the panel, the start directory and the proposed file,
  // NSOKButton and a path, or NSCancelButton. Without a script every panel is cancelled.
  struct Request
  {
    bool open;
    std::string directory, file;
    std::vector<std::string> types;
  };
  typedef std::function<NSInteger(const Request& request, std::string* path)> Script;
  static void setScript(Script s);
  const char* className() const override { return "NSSavePanel"; }

protected:
  ~NSSavePanel() override;
  NSInteger run(bool open, NSString* directory, NSString* file, NSArray* types);
  NSArray* m_types = nullptr;
  NSString* m_filename = nullptr;
  BOOL m_otherTypes = YES;
};

class NSOpenPanel : public NSSavePanel
{
public:
  static NSOpenPanel* openPanel();
  void setCanChooseFiles(BOOL f) { m_files = f; }
  void setCanChooseDirectories(BOOL f) { m_dirs = f; }
  void setResolvesAliases(BOOL f) { m_aliases = f; }
  BOOL canChooseFiles() const { return m_files; }
  BOOL canChooseDirectories() const { return m_dirs; }
  NSInteger runModalForDirectory(NSString* directory, NSString* file, NSArray* types);
  const char* className() const override { return "NSOpenPanel"; }

private:
  BOOL m_files = YES, m_dirs = NO, m_aliases = YES;
};
