// The bundle's Turtle as the test plug-in describes itself.
#include <gtest/gtest.h>

#include "IPlugLV2_ttl.h"

namespace {

LV2BundleText Text(const LV2BundleOptions& options)
{
  LV2BundleText text;
  std::string error;
  EXPECT_TRUE(MakeLV2BundleText(GetIPlugLV2Factory(), options, &text, &error)) << error;
  return text;
}

LV2BundleOptions Options()
{
  LV2BundleOptions options;
  options.mBinary = "TestGain.so";
  options.mPluginsFile = "TestGain.ttl";
  return options;
}

TEST(LV2Turtle, DescribesEveryPluginPortAndPresetFromTheInstance)
{
  const LV2BundleText text = Text(Options());
  const char* manifest[] = {
      "<urn:test:gain>\n\ta lv2:Plugin ;\n\tlv2:binary <TestGain.so> ;\n\trdfs:seeAlso <TestGain.ttl> .",
      "<urn:test:gain#mono>\n\ta lv2:Plugin ;",
      "<urn:test:gain#1in2out>\n\ta lv2:Plugin ;",
      ("<urn:test:gain#preset1>\n\ta pset:Preset ;\n\tlv2:appliesTo <urn:test:gain> , <urn:test:gain#mono> , "
       "<urn:test:gain#1in2out> ;\n\trdfs:seeAlso <presets.ttl> ."),
  };
  for (const char* line : manifest) EXPECT_NE(text.mManifest.find(line), std::string::npos) << line;
  // The second slot holds no preset: it is not listed.
  EXPECT_EQ(text.mManifest.find("#preset2"), std::string::npos);

  const char* plugins[] = {
      "doap:name \"Test Gain (1in2out)\"",
      "doap:maintainer [ foaf:name \"Test Maker\" ]",
      "doap:release [ doap:revision \"1.2.3\" ]",
      "lv2:minorVersion 2 ;\n\tlv2:microVersion 3 ;",
      // A real parameter: its range and default as 32-bit floats, its unit.
      ("lv2:symbol \"Gain\" ;\n\t\tlv2:name \"Gain\" ;\n\t\tlv2:default 1.0 ;\n\t\tlv2:minimum 0.0 ;\n\t\t"
       "lv2:maximum 2.0 ;\n\t\tunits:unit units:db"),
      // An enumeration: integer steps and its named values.
      ("lv2:symbol \"_2_mode\" ;\n\t\tlv2:name \"2 mode\" ;\n\t\tlv2:default 0.0 ;\n\t\tlv2:minimum 0.0 ;\n\t\t"
       "lv2:maximum 2.0 ;\n\t\tlv2:portProperty lv2:integer, lv2:enumeration ;\n\t\t"
       "lv2:scalePoint [ rdfs:label \"soft\" ; rdf:value 0.0 ]"),
      // A switch.
      ("lv2:symbol \"On\" ;\n\t\tlv2:name \"On\" ;\n\t\tlv2:default 1.0 ;\n\t\tlv2:minimum 0.0 ;\n\t\t"
       "lv2:maximum 1.0 ;\n\t\tlv2:portProperty lv2:integer, lv2:toggled ;\n\t\t"
       "lv2:scalePoint [ rdfs:label \"off\" ; rdf:value 0.0 ] ;\n\t\t"
       "lv2:scalePoint [ rdfs:label \"on\" ; rdf:value 1.0 ]"),
      "a lv2:OutputPort , lv2:AudioPort ;\n\t\tlv2:index 6 ;\n\t\tlv2:symbol \"out_r\" ;",
      "lv2:extensionData state:interface ;",
  };
  for (const char* line : plugins) EXPECT_NE(text.mPlugins.find(line), std::string::npos) << line;
  EXPECT_EQ(text.mPlugins.find("ui:ui"), std::string::npos);
  EXPECT_EQ(text.mPlugins.find("requiredFeature"), std::string::npos);

  EXPECT_NE(text.mPresets.find("rdfs:label \"unity\" ;\n\tlv2:port [\n\t\tlv2:symbol \"Gain\" ;\n\t\tpset:value 1.0"),
            std::string::npos);
}

TEST(LV2Turtle, AUserInterfaceIsNamedOnEveryPluginAndItsLinesJoinTheManifest)
{
  LV2BundleOptions options = Options();
  options.mUIURI = "urn:test:gain#ui";
  options.mUIManifest = "<urn:test:gain#ui> a <http://lv2plug.in/ns/extensions/ui#X11UI> .\n";
  const LV2BundleText text = Text(options);
  size_t n = 0;
  for (size_t at = 0; (at = text.mPlugins.find("\tui:ui <urn:test:gain#ui> ;\n", at)) != std::string::npos; ++at) ++n;
  EXPECT_EQ(n, 3u);
  EXPECT_NE(text.mManifest.find(options.mUIManifest), std::string::npos);
}

TEST(LV2Turtle, TextIsEscapedAndFilesAreWrittenWholeOrNotAtAll)
{
  LV2BundleOptions options = Options();
  const LV2BundleText text = Text(options);
  std::string error;
  EXPECT_FALSE(WriteLV2Bundle("/nonexistent/folder", options, text, &error));
  EXPECT_NE(error.find("/nonexistent/folder/TestGain.ttl"), std::string::npos);
  char dir[] = "/tmp/lv2-ttl-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  EXPECT_TRUE(WriteLV2Bundle(dir, options, text, &error)) << error;
  for (const char* name : {"manifest.ttl", "TestGain.ttl", "presets.ttl"}) {
    const std::string path = std::string(dir) + "/" + name;
    FILE* f = fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr) << name;
    fseek(f, 0, SEEK_END);
    EXPECT_GT(ftell(f), 100L);
    fclose(f);
    remove(path.c_str());
  }
  rmdir(dir);
}

}  // namespace
