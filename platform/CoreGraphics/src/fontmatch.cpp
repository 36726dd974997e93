// Name-to-file resolution over fontconfig's font list.

#include "fontmatch.h"

#include <fontconfig/fontconfig.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

namespace cti {
namespace {

constexpr const char* kDefaultFamily = "DejaVu Sans";

// fontconfig calls are serialized: its configuration is loaded once and the
// list and match calls share it.
std::mutex& FcLock()
{
  static std::mutex m;
  return m;
}

// The configuration with its font list, loaded on first use and destroyed
// at unload; callers hold FcLock.
struct ConfigHolder
{
  ~ConfigHolder()
  {
    std::lock_guard<std::mutex> hold(FcLock());
    FcConfigDestroy(config);
    config = nullptr;
  }
  FcConfig* config = FcInitLoadConfigAndFonts();
};

FcConfig* Config()
{
  static ConfigHolder holder;
  return holder.config;
}

// A requested weight and slant, or -1 when the name does not say.
struct Style
{
  int weight = -1;
  int slant = -1;
};

std::string Lower(std::string s)
{
  for (char& ch : s) ch = (char)std::tolower((unsigned char)ch);
  return s;
}

// Reads one style word into the style; false when the word is not one.
bool StyleWord(const std::string& word, Style* style)
{
  struct Entry
  {
    const char* word;
    int weight, slant;
  };
  static const Entry kWords[] = {
      {"thin", FC_WEIGHT_THIN, -1},
      {"extralight", FC_WEIGHT_EXTRALIGHT, -1},
      {"ultralight", FC_WEIGHT_EXTRALIGHT, -1},
      {"light", FC_WEIGHT_LIGHT, -1},
      {"regular", FC_WEIGHT_REGULAR, -1},
      {"book", FC_WEIGHT_BOOK, -1},
      {"roman", FC_WEIGHT_REGULAR, FC_SLANT_ROMAN},
      {"plain", FC_WEIGHT_REGULAR, -1},
      {"medium", FC_WEIGHT_MEDIUM, -1},
      {"semibold", FC_WEIGHT_DEMIBOLD, -1},
      {"demibold", FC_WEIGHT_DEMIBOLD, -1},
      {"bold", FC_WEIGHT_BOLD, -1},
      {"extrabold", FC_WEIGHT_EXTRABOLD, -1},
      {"heavy", FC_WEIGHT_HEAVY, -1},
      {"black", FC_WEIGHT_BLACK, -1},
      {"italic", -1, FC_SLANT_ITALIC},
      {"oblique", -1, FC_SLANT_OBLIQUE},
  };
  const std::string w = Lower(word);
  for (const Entry& e : kWords) {
    if (w != e.word) continue;
    if (e.weight >= 0) style->weight = e.weight;
    if (e.slant >= 0) style->slant = e.slant;
    return true;
  }
  return false;
}

// Splits "Family Bold Italic" or "Family-BoldItalic" into family and style.
std::string SplitStyle(const std::string& name, Style* style)
{
  const size_t dash = name.rfind('-');
  if (dash != std::string::npos && dash > 0 && name.find(' ') == std::string::npos) {
    // PostScript form: the suffix is style words run together.
    std::string rest = name.substr(dash + 1);
    Style s;
    size_t pos = 0;
    while (pos < rest.size()) {
      size_t end = pos + 1;
      while (end < rest.size() && !std::isupper((unsigned char)rest[end])) ++end;
      if (!StyleWord(rest.substr(pos, end - pos), &s)) return name;
      pos = end;
    }
    *style = s;
    return name.substr(0, dash);
  }
  std::string family = name;
  for (;;) {
    const size_t space = family.rfind(' ');
    if (space == std::string::npos || !StyleWord(family.substr(space + 1), style)) break;
    family.resize(space);
  }
  return family;
}

bool FaceOf(FcPattern* p, FaceFile* out)
{
  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetString(p, FC_FILE, 0, &file) != FcResultMatch) return false;
  FcPatternGetInteger(p, FC_INDEX, 0, &index);
  out->path = reinterpret_cast<const char*>(file);
  out->index = index;
  return true;
}

// Faces whose property equals value, scored against the style (lower is
// better): the best one, or false when none has it.
bool ListBest(const char* property, const std::string& value, const Style& style, FaceFile* out)
{
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, property, reinterpret_cast<const FcChar8*>(value.c_str()));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_WIDTH, (char*)nullptr);
  FcFontSet* set = FcFontList(Config(), pattern, objects);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  if (!set) return false;
  const int wantWeight = style.weight >= 0 ? style.weight : FC_WEIGHT_REGULAR;
  const int wantSlant = style.slant >= 0 ? style.slant : FC_SLANT_ROMAN;
  int best = -1, bestScore = INT_MAX;
  for (int i = 0; i < set->nfont; ++i) {
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN, width = FC_WIDTH_NORMAL;
    FcPatternGetInteger(set->fonts[i], FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(set->fonts[i], FC_SLANT, 0, &slant);
    FcPatternGetInteger(set->fonts[i], FC_WIDTH, 0, &width);
    const bool slanted = slant != FC_SLANT_ROMAN, wantSlanted = wantSlant != FC_SLANT_ROMAN;
    const int score = std::abs(weight - wantWeight) + (slanted != wantSlanted ? 1000 : 0) +
                      (slant != wantSlant ? 10 : 0) + std::abs(width - FC_WIDTH_NORMAL) * 4;
    if (score < bestScore) {
      bestScore = score;
      best = i;
    }
  }
  const bool found = best >= 0 && FaceOf(set->fonts[best], out);
  FcFontSetDestroy(set);
  return found;
}

// fontconfig's best match for the default family in the style.
bool MatchDefault(const Style& style, FaceFile* out)
{
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kDefaultFamily));
  if (style.weight >= 0) FcPatternAddInteger(pattern, FC_WEIGHT, style.weight);
  if (style.slant >= 0) FcPatternAddInteger(pattern, FC_SLANT, style.slant);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(Config(), pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcPattern* match = FcFontMatch(Config(), pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return false;
  const bool found = FaceOf(match, out);
  FcPatternDestroy(match);
  return found;
}

bool FindLocked(const std::string& name, FaceFile* out)
{
  if (name.empty()) return false;
  const Style none;
  if (ListBest(FC_POSTSCRIPT_NAME, name, none, out) || ListBest(FC_FULLNAME, name, none, out)) return true;
  Style style;
  const std::string family = SplitStyle(name, &style);
  return !family.empty() && ListBest(FC_FAMILY, family, style, out);
}

// Earlier answers by name (callers hold FcLock): the face, and whether it
// is installed under that name rather than the default standing in.
struct Answer
{
  FaceFile face;
  bool installed;
  bool found;
};

Answer Lookup(const std::string& name)
{
  static std::map<std::string, Answer> answers;
  auto it = answers.find(name);
  if (it != answers.end()) return it->second;
  Answer a;
  a.installed = FindLocked(name, &a.face);
  if (a.installed) {
    a.found = true;
  } else {
    Style style;
    SplitStyle(name, &style);
    a.found = MatchDefault(style, &a.face);
  }
  answers.emplace(name, a);
  return a;
}

}  // namespace

bool FindInstalledFace(const std::string& name, FaceFile* out)
{
  std::lock_guard<std::mutex> hold(FcLock());
  const Answer a = Lookup(name);
  if (a.installed) *out = a.face;
  return a.installed;
}

bool ResolveFace(const std::string& name, FaceFile* out)
{
  std::lock_guard<std::mutex> hold(FcLock());
  const Answer a = Lookup(name);
  if (a.found) *out = a.face;
  return a.found;
}

bool DefaultFace(FaceFile* out)
{
  std::lock_guard<std::mutex> hold(FcLock());
  return MatchDefault(Style(), out);
}

}  // namespace cti
