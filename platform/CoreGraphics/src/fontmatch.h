#pragma once
// Finding font files by name through fontconfig.

#include <string>

namespace cti {

// A face inside a font file.
struct FaceFile
{
  std::string path;
  int index = 0;
};

// The installed face that a name denotes: a PostScript name, a full name,
// or a family name with an optional style suffix (" Bold Italic",
// "-BoldOblique"); false when no installed face has that name.
bool FindInstalledFace(const std::string& name, FaceFile* out);

// FindInstalledFace, else the default family (DejaVu Sans) in the style
// the name asks for; false only when fontconfig finds no font at all.
// Both remember their answer per name, so each name is resolved once.
bool ResolveFace(const std::string& name, FaceFile* out);

// The default face in its regular style.
bool DefaultFace(FaceFile* out);

}  // namespace cti
