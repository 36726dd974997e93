// lv2-ttl: writes an LV2 bundle's manifest.ttl, its plug-ins' description and presets.ttl from the
// plug-in it is linked with (the same LV2 build as the bundle's binary).
//   lv2-ttl DIR BINARY TTL [--ui URI] [--ui-manifest FILE]
// --ui names a user interface for every plug-in; FILE's Turtle (the interface's own lines) is
// appended to the manifest.
#include "IPlugLV2_ttl.h"

#include <stdio.h>
#include <string.h>

#include <fstream>
#include <sstream>

int main(int argc, char** argv)
{
  if (argc < 4) {
    fprintf(stderr, "usage: %s DIR BINARY TTL [--ui URI] [--ui-manifest FILE]\n", argv[0]);
    return 2;
  }
  LV2BundleOptions options;
  options.mBinary = argv[2];
  options.mPluginsFile = argv[3];
  for (int i = 4; i < argc; i += 2) {
    if (i + 1 >= argc || (strcmp(argv[i], "--ui") && strcmp(argv[i], "--ui-manifest"))) {
      fprintf(stderr, "%s: unknown option %s\n", argv[0], argv[i]);
      return 2;
    }
    if (!strcmp(argv[i], "--ui")) {
      options.mUIURI = argv[i + 1];
      continue;
    }
    std::ifstream in(argv[i + 1], std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
      fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[i + 1]);
      return 1;
    }
    options.mUIManifest = text.str();
  }

  LV2BundleText text;
  std::string error;
  if (!MakeLV2BundleText(GetIPlugLV2Factory(), options, &text, &error) ||
      !WriteLV2Bundle(argv[1], options, text, &error)) {
    fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
    return 1;
  }
  return 0;
}
