// PNG decoding of every colour type and depth against what the encoder was given, failure
// clean-up, the loader list, and writing.

#include <CoreFoundation/CoreFoundation.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "helpers.h"
#include "raster/lice.h"

namespace {

struct Format
{
  const char* name;
  int type;
  int depth;
  bool interlace;
  bool trns;
};

const Format kFormats[] = {
    {"palette 8", PNG_COLOR_TYPE_PALETTE, 8, false, false},
    {"palette 8 + tRNS", PNG_COLOR_TYPE_PALETTE, 8, false, true},
    {"palette 4 + tRNS", PNG_COLOR_TYPE_PALETTE, 4, false, true},
    {"palette 2", PNG_COLOR_TYPE_PALETTE, 2, false, false},
    {"palette 1 + tRNS", PNG_COLOR_TYPE_PALETTE, 1, false, true},
    {"grey 1", PNG_COLOR_TYPE_GRAY, 1, false, false},
    {"grey 2", PNG_COLOR_TYPE_GRAY, 2, false, false},
    {"grey 4", PNG_COLOR_TYPE_GRAY, 4, false, false},
    {"grey 8", PNG_COLOR_TYPE_GRAY, 8, false, false},
    {"grey 16", PNG_COLOR_TYPE_GRAY, 16, false, false},
    {"grey 8 + tRNS", PNG_COLOR_TYPE_GRAY, 8, false, true},
    {"grey+alpha 8", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, false},
    {"grey+alpha 16", PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, false},
    {"RGB 8", PNG_COLOR_TYPE_RGB, 8, false, false},
    {"RGB 16", PNG_COLOR_TYPE_RGB, 16, false, false},
    {"RGB 8 + tRNS", PNG_COLOR_TYPE_RGB, 8, false, true},
    {"RGBA 8", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false},
    {"RGBA 16", PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false},
    {"RGBA 8 interlaced", PNG_COLOR_TYPE_RGB_ALPHA, 8, true, false},
    {"grey 2 interlaced", PNG_COLOR_TYPE_GRAY, 2, true, false},
    {"palette 4 + tRNS interlaced", PNG_COLOR_TYPE_PALETTE, 4, true, true},
};

// A picture as encoded, with the pixels a decoder must produce.
struct Encoded
{
  std::vector<unsigned char> bytes;
  std::vector<LICE_pixel> expected;
  int w = 0, h = 0;
};

// A sample in 0..maxv that varies with position and channel.
unsigned Sample(int x, int y, int ch, unsigned maxv)
{
  const unsigned v = (unsigned)(x * 7 + y * 13 + ch * 29 + x * y + 3) * 2654435761u;
  return (v >> 8) % (maxv + 1);
}

LICE_pixel PaletteColour(int i) { return LICE_RGBA(i * 37, 255 - i * 11, i * 91, 255); }

void AppendBytes(png_structp png, png_bytep data, size_t n)
{
  auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

// What the encoder is given.
struct Picture
{
  const Format* f;
  int w, h;
  png_color* palette;
  int paletteSize;
  png_byte* trnsAlpha;
  int trnsCount;
  png_color_16* trnsColour;
  png_bytep* rows;
};

// Encodes the picture with libpng into out; false on an encoder error.
bool WritePng(const Picture* p, std::vector<unsigned char>* out)
{
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, AppendBytes, nullptr);
  png_set_IHDR(png, info, p->w, p->h, p->f->depth, p->f->type,
               p->f->interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (p->palette) png_set_PLTE(png, info, p->palette, p->paletteSize);
  if (p->trnsAlpha || p->trnsColour) png_set_tRNS(png, info, p->trnsAlpha, p->trnsCount, p->trnsColour);
  png_write_info(png, info);
  png_write_image(png, p->rows);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

// Encodes a w x h picture of the given format with libpng.
Encoded Encode(const Format& f, int w, int h)
{
  Encoded e;
  e.w = w;
  e.h = h;
  const int channels = f.type == PNG_COLOR_TYPE_RGB_ALPHA    ? 4
                       : f.type == PNG_COLOR_TYPE_RGB        ? 3
                       : f.type == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                                                             : 1;
  const unsigned maxv = (1u << f.depth) - 1;
  const int paletteSize = f.type == PNG_COLOR_TYPE_PALETTE ? (1 << f.depth) : 0;
  // Transparent key: palette entries up to half get alpha; grey and RGB a key value that occurs.
  const unsigned key[3] = {Sample(1, 0, 0, maxv), Sample(1, 0, 1, maxv), Sample(1, 0, 2, maxv)};

  std::vector<std::vector<unsigned>> samples((size_t)w * h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      std::vector<unsigned>& s = samples[(size_t)y * w + x];
      for (int c = 0; c < channels; c++)
        s.push_back(f.type == PNG_COLOR_TYPE_PALETTE ? Sample(x, y, c, (unsigned)paletteSize - 1)
                                                     : Sample(x, y, c, maxv));
      if (f.trns && f.type != PNG_COLOR_TYPE_PALETTE && (x + y) % 3 == 0)
        for (int c = 0; c < channels; c++) s[c] = key[c];
    }

  std::vector<png_color> palette;
  std::vector<png_byte> trnsAlpha;
  png_color_16 trnsColour{};
  if (paletteSize) {
    for (int i = 0; i < paletteSize; i++) {
      const LICE_pixel c = PaletteColour(i);
      palette.push_back({(png_byte)LICE_GETR(c), (png_byte)LICE_GETG(c), (png_byte)LICE_GETB(c)});
    }
    if (f.trns)
      for (int i = 0; i < (paletteSize + 1) / 2; i++) trnsAlpha.push_back((png_byte)(i * 53 + 1));
  } else if (f.trns) {
    trnsColour.gray = (png_uint_16)key[0];
    trnsColour.red = (png_uint_16)key[0];
    trnsColour.green = (png_uint_16)key[1];
    trnsColour.blue = (png_uint_16)key[2];
  }

  // Rows packed as the format stores them: sub-byte samples high bits first, 16-bit big-endian.
  const int bitsPerPixel = f.depth * channels;
  std::vector<std::vector<png_byte>> rows(h, std::vector<png_byte>(((size_t)w * bitsPerPixel + 7) / 8, 0));
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      for (int c = 0; c < channels; c++) {
        const unsigned v = samples[(size_t)y * w + x][c];
        const size_t bit = (size_t)(x * channels + c) * f.depth;
        if (f.depth == 16) {
          rows[y][bit / 8] = (png_byte)(v >> 8);
          rows[y][bit / 8 + 1] = (png_byte)v;
        } else
          rows[y][bit / 8] |= (png_byte)(v << (8 - f.depth - bit % 8));
      }
  std::vector<png_bytep> rowPtrs;
  for (auto& r : rows) rowPtrs.push_back(r.data());

  const Picture pic{&f,
                    w,
                    h,
                    palette.empty() ? nullptr : palette.data(),
                    (int)palette.size(),
                    trnsAlpha.empty() ? nullptr : trnsAlpha.data(),
                    (int)trnsAlpha.size(),
                    f.trns && !paletteSize ? &trnsColour : nullptr,
                    rowPtrs.data()};
  EXPECT_TRUE(WritePng(&pic, &e.bytes));

  // What decoding must give: 8-bit channels (16-bit reduced to the high byte, short greys
  // stretched), alpha from the alpha channel or tRNS, else 255.
  auto to8 = [&](unsigned v) { return f.depth == 16 ? v >> 8 : f.depth < 8 ? v * 255 / maxv : v; };
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      const std::vector<unsigned>& s = samples[(size_t)y * w + x];
      LICE_pixel p = 0;
      switch (f.type) {
        case PNG_COLOR_TYPE_PALETTE:
          p = PaletteColour((int)s[0]) & 0x00FFFFFF;
          p |= (LICE_pixel)(f.trns && s[0] < trnsAlpha.size() ? trnsAlpha[s[0]] : 255) << 24;
          break;
        case PNG_COLOR_TYPE_GRAY:
          p = LICE_RGBA(to8(s[0]), to8(s[0]), to8(s[0]), f.trns && s[0] == key[0] ? 0 : 255);
          break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
          p = LICE_RGBA(to8(s[0]), to8(s[0]), to8(s[0]), to8(s[1]));
          break;
        case PNG_COLOR_TYPE_RGB:
          p = LICE_RGBA(to8(s[0]), to8(s[1]), to8(s[2]),
                        f.trns && s[0] == key[0] && s[1] == key[1] && s[2] == key[2] ? 0 : 255);
          break;
        default:
          p = LICE_RGBA(to8(s[0]), to8(s[1]), to8(s[2]), to8(s[3]));
          break;
      }
      e.expected.push_back(p);
    }
  return e;
}

// Open file descriptors of this process.
int OpenFiles()
{
  int n = 0;
  DIR* d = opendir("/proc/self/fd");
  if (!d) return -1;
  while (readdir(d)) n++;
  closedir(d);
  return n;
}

// A scratch directory removed with its files at the end of the test.
struct TempDir
{
  std::string path;
  TempDir()
  {
    char t[] = "/tmp/raster-png-XXXXXX";
    path = mkdtemp(t) ? t : "/tmp";
  }
  ~TempDir()
  {
    if (DIR* d = opendir(path.c_str())) {
      while (dirent* e = readdir(d))
        if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) {
          const std::string p = path + "/" + e->d_name;
          if (unlink(p.c_str()) != 0) rmdir(p.c_str());
        }
      closedir(d);
    }
    rmdir(path.c_str());
  }
  std::string file(const char* name) const { return path + "/" + name; }
  int count() const
  {
    int n = 0;
    if (DIR* d = opendir(path.c_str())) {
      while (readdir(d)) n++;
      closedir(d);
    }
    return n - 2;
  }
};

void WriteFile(const std::string& path, const unsigned char* data, size_t n)
{
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  if (n) fwrite(data, 1, n, f);
  fclose(f);
}

void ExpectPixels(LICE_IBitmap* bm, const Encoded& e)
{
  ASSERT_NE(bm, nullptr);
  ASSERT_EQ(bm->getWidth(), e.w);
  ASSERT_EQ(bm->getHeight(), e.h);
  for (int y = 0; y < e.h; y++)
    for (int x = 0; x < e.w; x++)
      ASSERT_EQ(LICE_GetPixel(bm, x, y), e.expected[(size_t)y * e.w + x]) << "at " << x << "," << y;
}

TEST(RasterLoadPNG, EveryColourTypeAndDepth)
{
  TempDir dir;
  for (const Format& f : kFormats) {
    SCOPED_TRACE(f.name);
    const Encoded e = Encode(f, 13, 7);
    std::unique_ptr<LICE_IBitmap> mem(LICE_LoadPNGFromMemory(e.bytes.data(), (int)e.bytes.size()));
    ExpectPixels(mem.get(), e);

    const std::string path = dir.file("picture.png");
    WriteFile(path, e.bytes.data(), e.bytes.size());
    std::unique_ptr<LICE_IBitmap> file(LICE_LoadPNG(path.c_str()));
    ExpectPixels(file.get(), e);

    // Into a given bitmap of another size: that bitmap is returned.
    LICE_MemBitmap target(40, 3);
    EXPECT_EQ(LICE_LoadPNG(path.c_str(), &target), &target);
    ExpectPixels(&target, e);
    // A given bitmap that cannot take the size gives null and keeps its pixels.
    GuardedBitmap fixed(2, 2, true);
    fixed.fill(Pattern);
    EXPECT_EQ(LICE_LoadPNGFromMemory(e.bytes.data(), (int)e.bytes.size(), &fixed), nullptr);
    EXPECT_EQ(fixed.at(1, 0), Pattern(1, 0));
    EXPECT_TRUE(fixed.guardsIntact());
  }
}

TEST(RasterLoadPNG, TruncatedOrCorruptGivesNullAndLeavesNothing)
{
  const Encoded e = Encode(kFormats[16], 20, 12);
  const std::vector<unsigned char>& good = e.bytes;
  // Find the first IDAT chunk.
  size_t idat = 0;
  for (size_t i = 8; i + 8 < good.size(); i++)
    if (memcmp(&good[i + 4], "IDAT", 4) == 0) {
      idat = i;
      break;
    }
  ASSERT_GT(idat, 0u);
  const size_t idatLen = ((size_t)good[idat] << 24) | (good[idat + 1] << 16) | (good[idat + 2] << 8) | good[idat + 3];

  struct Damage
  {
    const char* name;
    size_t keep;  // bytes kept
    long flipAt;  // byte to invert, or -1
  } damages[] = {
      {"empty", 0, -1},
      {"signature cut", 5, -1},
      {"signature only", 8, -1},
      {"inside the header", 20, -1},
      {"before the picture data", idat, -1},
      {"inside the picture data", idat + 8 + idatLen / 2, -1},
      {"picture data without its checksum", idat + 8 + idatLen, -1},
      {"bad signature", good.size(), 1},
      {"bad header checksum", good.size(), 17},
      {"bad picture data", good.size(), (long)(idat + 8 + idatLen / 3)},
  };
  TempDir dir;
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.name);
    std::vector<unsigned char> bytes(good.begin(), good.begin() + d.keep);
    if (d.flipAt >= 0) bytes[(size_t)d.flipAt] ^= 0x5A;
    const int files = OpenFiles();

    EXPECT_EQ(LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size()), nullptr);
    const std::string path = dir.file("bad.png");
    WriteFile(path, bytes.data(), bytes.size());
    EXPECT_EQ(LICE_LoadPNG(path.c_str()), nullptr);

    // A given bitmap keeps its size and pixels.
    LICE_MemBitmap target(3, 2);
    LICE_Clear(&target, 0x01020304);
    EXPECT_EQ(LICE_LoadPNG(path.c_str(), &target), nullptr);
    EXPECT_EQ(LICE_LoadPNGFromMemory(bytes.data(), (int)bytes.size(), &target), nullptr);
    EXPECT_EQ(target.getWidth(), 3);
    EXPECT_EQ(LICE_GetPixel(&target, 2, 1), 0x01020304u);
    EXPECT_EQ(OpenFiles(), files);
  }
  EXPECT_EQ(LICE_LoadPNG(dir.file("missing.png").c_str()), nullptr);
  EXPECT_EQ(LICE_LoadPNG(nullptr), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(nullptr, 100), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromMemory(good.data(), -1), nullptr);
  // The whole file still loads, and a missing end chunk loses no picture data.
  std::unique_ptr<LICE_IBitmap> ok(LICE_LoadPNGFromMemory(good.data(), (int)good.size()));
  ExpectPixels(ok.get(), e);
  std::unique_ptr<LICE_IBitmap> noEnd(LICE_LoadPNGFromMemory(good.data(), (int)good.size() - 12));
  ExpectPixels(noEnd.get(), e);
}

TEST(RasterLoadPNG, LoaderListAndResources)
{
  ASSERT_NE(LICE_ImageLoader_list, nullptr);
  const char* ext = LICE_ImageLoader_list->get_extlist();
  EXPECT_STREQ(ext, "PNG files (*.PNG)");
  EXPECT_STREQ(ext + strlen(ext) + 1, "*.PNG");
  EXPECT_EQ(ext[strlen(ext) + 1 + strlen("*.PNG") + 1], '\0');

  TempDir dir;
  const Encoded e = Encode(kFormats[13], 4, 3);
  struct
  {
    const char* name;
    bool check;
    bool loads;
  } cases[] = {
      {"a.png", true, true},  {"b.PnG", true, true},  {"c.png.bak", true, false},
      {"d.bin", true, false}, {"d.bin", false, true}, {"noext", true, false},
  };
  for (const auto& c : cases) {
    const std::string path = dir.file(c.name);
    WriteFile(path, e.bytes.data(), e.bytes.size());
    std::unique_ptr<LICE_IBitmap> bm(LICE_ImageLoader_list->loadfunc(path.c_str(), c.check, nullptr));
    EXPECT_EQ(bm != nullptr, c.loads) << c.name;
  }
  EXPECT_EQ(LICE_ImageLoader_list->loadfunc((dir.path + ".png/x").c_str(), true, nullptr), nullptr);

  const std::string path = dir.file("a.png");
  EXPECT_EQ(LICE_LoadPNGFromResource(nullptr, path.c_str()), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromNamedResource(std::string(401, 'x').c_str()), nullptr);
  EXPECT_EQ(LICE_LoadPNGFromNamedResource("no-such-picture.png"), nullptr);

  // A picture in the main bundle's resources.
  TempDir bundle;
  ASSERT_EQ(mkdir(bundle.file("Contents").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(bundle.file("Contents/Resources").c_str(), 0755), 0);
  const std::string res = bundle.file("Contents/Resources/knob.png");
  WriteFile(res, e.bytes.data(), e.bytes.size());
  CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(bundle.path.c_str()),
                                                         (CFIndex)bundle.path.size(), true);
  CFBundleSetMainBundleURL(url);
  CFRelease(url);
  std::unique_ptr<LICE_IBitmap> named(LICE_LoadPNGFromNamedResource("knob.png"));
  ExpectPixels(named.get(), e);
  unlink(res.c_str());
  rmdir(bundle.file("Contents/Resources").c_str());
}

TEST(RasterWritePNG, RoundTripsAndFailsCleanly)
{
  TempDir dir;
  GuardedBitmap src(9, 5, true);
  src.fill(Pattern);
  const std::string path = dir.file("out.png");
  for (bool alpha : {true, false}) {
    ASSERT_TRUE(LICE_WritePNG(path.c_str(), &src, alpha));
    std::unique_ptr<LICE_IBitmap> back(LICE_LoadPNG(path.c_str()));
    ASSERT_NE(back, nullptr);
    for (int y = 0; y < 5; y++)
      for (int x = 0; x < 9; x++)
        ASSERT_EQ(LICE_GetPixel(back.get(), x, y), alpha ? Pattern(x, y) : (Pattern(x, y) | 0xFF000000));
  }
  EXPECT_EQ(dir.count(), 1);  // no temporary file is left

  const int files = OpenFiles();
  EXPECT_FALSE(LICE_WritePNG(dir.file("missing/out.png").c_str(), &src));
  LICE_MemBitmap empty;
  EXPECT_FALSE(LICE_WritePNG(dir.file("empty.png").c_str(), &empty));
  EXPECT_FALSE(LICE_WritePNG(nullptr, &src));
  EXPECT_EQ(dir.count(), 1);
  EXPECT_EQ(OpenFiles(), files);
}

}  // namespace
