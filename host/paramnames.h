// The names a user may give a parameter: its own, in any case, or the label
// printed beside its knob on the editor's panel.
#pragma once

#include <string>
#include <vector>

#include "session.h"

// A knob's label on Kelvo's panel, the parameter it turns and its centre in
// editor pixels from the top left.
struct PanelLabel
{
  const char* label;
  const char* parameter;
  int x, y;
};

// The panel's labels, as the artwork prints them.
const std::vector<PanelLabel>& PanelLabels();

// The parameter called name (its name in any case, or a panel label naming a
// parameter the unit has), or null.
const ParameterDesc* FindParameter(const std::vector<ParameterDesc>& params, const std::string& name);

// The parameter name or panel label closest to name, when one is near enough
// to be a slip of the keyboard (at most two letters wrong); else "".
std::string NearestParameterName(const std::vector<ParameterDesc>& params, const std::string& name);

// True for a parameter that holds whole numbers only (indexed or boolean).
bool IsWholeNumbered(const ParameterDesc& p);

// Reads on/off/true/false/yes/no (any case) as 1 or 0, for a parameter that
// switches between 0 and 1. False for any other text or parameter.
bool ReadSwitchWord(const ParameterDesc& p, const std::string& text, double& out);
