#include "paramnames.h"

#include <strings.h>

#include <algorithm>

const std::vector<PanelLabel>& PanelLabels()
{
  static const std::vector<PanelLabel> kLabels = {
      {"OUT", "OUT", 120, 106},
      {"FUZZ", "GainL", 247, 106},
  };
  return kLabels;
}

namespace {

bool SameText(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

const ParameterDesc* Named(const std::vector<ParameterDesc>& params, const std::string& name)
{
  for (const ParameterDesc& p : params)
    if (SameText(p.name, name)) return &p;
  return nullptr;
}

// Edit distance between a and b, letters compared in any case.
size_t Distance(const std::string& a, const std::string& b)
{
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const bool same = tolower((unsigned char)a[i - 1]) == tolower((unsigned char)b[j - 1]);
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

const ParameterDesc* FindParameter(const std::vector<ParameterDesc>& params, const std::string& name)
{
  for (const ParameterDesc& p : params)
    if (p.name == name) return &p;
  if (const ParameterDesc* p = Named(params, name)) return p;
  for (const PanelLabel& l : PanelLabels())
    if (SameText(l.label, name))
      if (const ParameterDesc* p = Named(params, l.parameter)) return p;
  return nullptr;
}

std::string NearestParameterName(const std::vector<ParameterDesc>& params, const std::string& name)
{
  std::vector<std::string> candidates;
  for (const ParameterDesc& p : params) candidates.push_back(p.name);
  for (const PanelLabel& l : PanelLabels())
    if (Named(params, l.parameter)) candidates.push_back(l.label);
  std::string best;
  size_t bestDistance = 3;
  for (const std::string& c : candidates) {
    // Short names allow one slip only, or every short word would be near.
    const size_t allowed = std::min<size_t>(2, std::max<size_t>(1, c.size() / 3));
    const size_t d = Distance(name, c);
    if (d <= allowed && d < bestDistance) {
      best = c;
      bestDistance = d;
    }
  }
  return best;
}

bool IsWholeNumbered(const ParameterDesc& p)
{
  return p.unit == kAudioUnitParameterUnit_Indexed || p.unit == kAudioUnitParameterUnit_Boolean;
}

bool ReadSwitchWord(const ParameterDesc& p, const std::string& text, double& out)
{
  if (!IsWholeNumbered(p) || p.minValue != 0 || p.maxValue != 1) return false;
  static const struct
  {
    const char* word;
    double value;
  } kWords[] = {{"on", 1}, {"off", 0}, {"true", 1}, {"false", 0}, {"yes", 1}, {"no", 0}};
  for (const auto& w : kWords)
    if (SameText(text, w.word)) {
      out = w.value;
      return true;
    }
  return false;
}
