// The Turtle of an LV2 bundle, written from the plug-in itself: the instances the product's
// factory makes tell their identity, maker, version, ports, parameter ranges and presets, so the
// description cannot drift from the code.
#pragma once

#include "IPlugLV2.h"

#include <string>

struct LV2BundleText
{
  std::string mManifest;  // manifest.ttl: each plug-in with its binary and description, each preset
  std::string mPlugins;   // the plug-ins' description (file mPluginsFile)
  std::string mPresets;   // presets.ttl: the factory presets as port values
};

struct LV2BundleOptions
{
  std::string mBinary;       // the DSP binary's file name, e.g. "Kelvo.so"
  std::string mPluginsFile;  // the description's file name, e.g. "Kelvo.ttl"
  // A user interface for every plug-in, by URI (empty: none); its own Turtle, when given, is
  // appended to the manifest as it stands.
  std::string mUIURI;
  std::string mUIManifest;
};

// The bundle's text for the product the factory makes; false with *pError set when an instance
// cannot be made.
bool MakeLV2BundleText(const IPlugLV2Factory& factory, const LV2BundleOptions& options, LV2BundleText* pText,
                       std::string* pError);
// Writes the three files into dir, each whole or not at all; false with *pError set on failure.
bool WriteLV2Bundle(const char* dir, const LV2BundleOptions& options, const LV2BundleText& text, std::string* pError);
