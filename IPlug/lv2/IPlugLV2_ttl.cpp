// The Turtle of an LV2 bundle, asked of the plug-in's own instances.
#include "IPlugLV2_ttl.h"

#include "base/atomicfile.h"

#include <stdio.h>
#include <string.h>

#include <memory>

namespace {
const char* const kPrefixes =
    "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pset:  <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n";
const char* const kPluginPrefixes =
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix opts:  <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid:  <http://lv2plug.in/ns/ext/urid#> .\n";

// A Turtle string literal.
std::string Literal(const char* text)
{
  std::string out = "\"";
  for (const unsigned char* p = (const unsigned char*)text; *p; ++p) {
    char esc[8];
    switch (*p) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (*p < 0x20) {
          snprintf(esc, sizeof(esc), "\\u%04X", *p);
          out += esc;
        } else
          out += (char)*p;
    }
  }
  return out + "\"";
}

// A control value as the 32-bit float a host's port holds, written so that it reads back exactly,
// always as a decimal or double literal.
std::string Number(double value)
{
  char text[64];
  snprintf(text, sizeof(text), "%.9g", (double)(float)value);
  std::string out = text;
  if (out.find_first_of(".eE") == std::string::npos) out += ".0";
  return out;
}

// The units vocabulary's term for a parameter label, or null.
const char* UnitFor(const char* label)
{
  static const char* const kUnits[][2] = {{"dB", "units:db"},           {"Hz", "units:hz"}, {"kHz", "units:khz"},
                                          {"ms", "units:ms"},           {"s", "units:s"},   {"%", "units:pc"},
                                          {"st", "units:semitone12TET"}};
  for (const auto& unit : kUnits)
    if (!strcmp(label, unit[0])) return unit[1];
  return nullptr;
}

// What every port says first: its classes, index, symbol and name (no terminator).
std::string PortHead(IPlugLV2* pPlug, int port, const char* classes)
{
  std::string out = std::string("\t\ta ") + classes + " ;\n";
  out += "\t\tlv2:index " + std::to_string(port) + " ;\n";
  out += "\t\tlv2:symbol " + Literal(pPlug->PortSymbol(port)) + " ;\n";
  out += "\t\tlv2:name " + Literal(pPlug->PortName(port));
  return out;
}

std::string ControlPort(IPlugLV2* pPlug, int port, int paramIdx)
{
  const IParam* pParam = pPlug->GetParam(paramIdx);
  std::string out = PortHead(pPlug, port, "lv2:InputPort , lv2:ControlPort") + " ;\n";
  out += "\t\tlv2:default " + Number(pParam->GetDefault()) + " ;\n";
  out += "\t\tlv2:minimum " + Number(pParam->GetMin()) + " ;\n";
  out += "\t\tlv2:maximum " + Number(pParam->GetMax());

  const IParam::EParamType type = pParam->Type();
  const bool integer = type == IParam::kTypeBool || type == IParam::kTypeInt || type == IParam::kTypeEnum;
  const bool toggled = type == IParam::kTypeBool || (integer && pParam->GetMin() == 0.0 && pParam->GetMax() == 1.0);
  std::string props;
  if (integer) props += "lv2:integer";
  if (toggled) props += ", lv2:toggled";
  if (type == IParam::kTypeEnum) props += ", lv2:enumeration";
  if (!props.empty()) out += " ;\n\t\tlv2:portProperty " + props;
  if (const char* unit = UnitFor(pParam->GetLabelForHost())) out += std::string(" ;\n\t\tunits:unit ") + unit;
  for (int i = 0; i < pParam->GetNDisplayTexts(); ++i) {
    int value = 0;
    const char* text = pParam->GetDisplayTextAtIdx(i, &value);
    out += " ;\n\t\tlv2:scalePoint [ rdfs:label " + Literal(text) + " ; rdf:value " + Number(value) + " ]";
  }
  return out;
}

// The render quality: an integer the host picks from the named levels, the standard one first.
std::string QualityPort(IPlugLV2* pPlug, int port)
{
  std::string out = PortHead(pPlug, port, "lv2:InputPort , lv2:ControlPort") + " ;\n";
  out += "\t\tlv2:default " + Number(IPlugLV2::kQualityLevels[0].mQuality) + " ;\n";
  out += "\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum 127.0 ;\n";
  out += "\t\tlv2:portProperty lv2:integer , lv2:enumeration";
  for (const IPlugLV2::QualityLevel& level : IPlugLV2::kQualityLevels)
    out +=
        " ;\n\t\tlv2:scalePoint [ rdfs:label " + Literal(level.mName) + " ; rdf:value " + Number(level.mQuality) + " ]";
  return out;
}

// The latency the plug-in adds, in frames, as hosts look for it.
std::string LatencyPort(IPlugLV2* pPlug, int port)
{
  std::string out = PortHead(pPlug, port, "lv2:OutputPort , lv2:ControlPort") + " ;\n";
  out += "\t\tlv2:minimum 0.0 ;\n\t\tlv2:maximum " + Number(IPlugLV2::kMaxBlockSize) + " ;\n";
  out += "\t\tlv2:designation lv2:latency ;\n";
  out += "\t\tlv2:portProperty lv2:reportsLatency , lv2:integer";
  return out;
}

std::string Plugin(IPlugLV2* pPlug, const LV2BundleOptions& options)
{
  const int version = pPlug->GetEffectVersion(false);
  char revision[32];
  snprintf(revision, sizeof(revision), "%d.%d.%d", (version >> 16) & 0xffff, (version >> 8) & 0xff, version & 0xff);

  std::string out = "<" + std::string(pPlug->PluginURI()) + ">\n";
  out += pPlug->IsInst() ? "\ta lv2:Plugin , lv2:InstrumentPlugin , doap:Project ;\n"
                         : "\ta lv2:Plugin , doap:Project ;\n";
  out += "\tdoap:name " + Literal(pPlug->PluginName()) + " ;\n";
  out += "\tdoap:maintainer [ foaf:name " + Literal(pPlug->GetMfrName()) + " ] ;\n";
  out += "\tdoap:release [ doap:revision " + Literal(revision) + " ] ;\n";
  out += "\tlv2:minorVersion " + std::to_string((version >> 8) & 0xff) + " ;\n";
  out += "\tlv2:microVersion " + std::to_string(version & 0xff) + " ;\n";
  out += "\tlv2:optionalFeature lv2:hardRTCapable , urid:map , bufsz:boundedBlockLength ;\n";
  out += "\topts:supportedOption bufsz:maxBlockLength ;\n";
  out += "\tlv2:extensionData state:interface ;\n";
  if (!options.mUIURI.empty()) out += "\tui:ui <" + options.mUIURI + "> ;\n";
  out += "\tlv2:port [\n";
  for (int port = 0; port < pPlug->NPorts(); ++port) {
    int idx;
    const IPlugLV2::EPortKind kind = pPlug->PortKind(port, &idx);
    if (port) out += "\n\t] , [\n";
    switch (kind) {
      case IPlugLV2::kPortControlIn:
        out += ControlPort(pPlug, port, idx);
        break;
      case IPlugLV2::kPortQuality:
        out += QualityPort(pPlug, port);
        break;
      case IPlugLV2::kPortLatency:
        out += LatencyPort(pPlug, port);
        break;
      default:
        out += PortHead(
            pPlug, port,
            kind == IPlugLV2::kPortAudioIn ? "lv2:InputPort , lv2:AudioPort" : "lv2:OutputPort , lv2:AudioPort");
        break;
    }
  }
  out += "\n\t] .\n";
  return out;
}

// Writes text to path whole or not at all; false with *pError set on failure.
bool WriteWhole(const std::string& path, const std::string& text, std::string* pError)
{
  if (WriteFileAtomically(path.c_str(), text.data(), text.size())) return true;
  *pError = "cannot write " + path;
  return false;
}
}  // namespace

bool MakeLV2BundleText(const IPlugLV2Factory& factory, const LV2BundleOptions& options, LV2BundleText* pText,
                       std::string* pError)
{
  std::string manifest = kPrefixes, plugins = std::string(kPrefixes) + kPluginPrefixes, presets = kPrefixes;
  std::string appliesTo;
  std::unique_ptr<IPlugLV2> pMain;
  for (uint32_t i = 0; const LV2_Descriptor* pDescriptor = IPlugLV2::Descriptor(i, factory); ++i) {
    std::unique_ptr<IPlugLV2> pPlug(IPlugLV2::MakeInstance(i, factory));
    if (!pPlug) {
      *pError = "cannot make an instance of " + std::string(pDescriptor->URI);
      return false;
    }
    const std::string uri = "<" + std::string(pDescriptor->URI) + ">";
    manifest += "\n" + uri + "\n\ta lv2:Plugin ;\n\tlv2:binary <" + options.mBinary + "> ;\n\trdfs:seeAlso <" +
                options.mPluginsFile + "> .\n";
    plugins += "\n" + Plugin(pPlug.get(), options);
    appliesTo += (appliesTo.empty() ? "" : " , ") + uri;
    if (!pMain) pMain = std::move(pPlug);
  }
  if (!pMain) {
    *pError = "the plug-in has no channel layout";
    return false;
  }

  // Factory presets, as the control values each one sets; they apply to every layout.
  for (int i = 0, n = pMain->NPresets(); i < n; ++i) {
    if (!pMain->HasPreset(i) || !pMain->RestorePreset(i)) continue;
    const std::string uri = "<" + std::string(factory.mURI) + "#preset" + std::to_string(i + 1) + ">";
    manifest +=
        "\n" + uri + "\n\ta pset:Preset ;\n\tlv2:appliesTo " + appliesTo + " ;\n\trdfs:seeAlso <presets.ttl> .\n";
    presets += "\n" + uri + "\n\ta pset:Preset ;\n\tlv2:appliesTo " + appliesTo + " ;\n\trdfs:label " +
               Literal(pMain->GetPresetName(i)) + " ;\n\tlv2:port";
    for (int p = 0; p < pMain->NParams(); ++p) {
      presets += p ? " , [\n" : " [\n";
      presets += "\t\tlv2:symbol " + Literal(pMain->PortSymbol(p)) + " ;\n\t\tpset:value " +
                 Number(pMain->GetParam(p)->Value()) + "\n\t]";
    }
    presets += " .\n";
  }
  if (!options.mUIManifest.empty()) manifest += "\n" + options.mUIManifest;

  pText->mManifest = manifest;
  pText->mPlugins = plugins;
  pText->mPresets = presets;
  return true;
}

bool WriteLV2Bundle(const char* dir, const LV2BundleOptions& options, const LV2BundleText& text, std::string* pError)
{
  const std::string base = std::string(dir) + "/";
  return WriteWhole(base + options.mPluginsFile, text.mPlugins, pError) &&
         WriteWhole(base + "presets.ttl", text.mPresets, pError) &&
         WriteWhole(base + "manifest.ttl", text.mManifest, pError);
}
