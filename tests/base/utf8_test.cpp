// UTF-8 under the three policies the readers of text use: strict, U+FFFD, and the font's.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf8.h"

namespace {

constexpr UTF8Policy kFont{false, UTF8Policy::kByteItself, ' '};

using Codes = std::vector<uint32_t>;
const Codes kRefused = {0xDEAD0000};  // stands for "the policy refuses the text"

// Every code the policy reads from the bytes, or kRefused.
Codes decodeAll(const std::string& bytes, const UTF8Policy& policy)
{
  Codes out;
  const unsigned char* s = (const unsigned char*)bytes.data();
  for (size_t i = 0; i < bytes.size();) {
    uint32_t code = 0;
    const size_t used = DecodeUTF8(s + i, bytes.size() - i, policy, &code);
    if (!used) return kRefused;
    EXPECT_LE(i + used, bytes.size());
    out.push_back(code);
    i += used;
  }
  return out;
}

struct DecodeCase
{
  const char* name;
  std::string bytes;
  Codes strict, replace, font;
};

TEST(UTF8, EachPolicyReadsTheBytesByItsRule)
{
  const uint32_t R = 0xFFFD;
  const DecodeCase cases[] = {
      {"ASCII", "Az~", {'A', 'z', '~'}, {'A', 'z', '~'}, {'A', 'z', '~'}},
      {"two, three and four bytes",
       "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB8",
       {0xE9, 0x20AC, 0x1F3B8},
       {0xE9, 0x20AC, 0x1F3B8},
       {0xE9, 0x20AC, ' '}},
      {"the ends of the ranges",
       "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
       {0x80, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF},
       {0x80, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF},
       {0x80, 0x7FF, 0x800, 0xFFFF, ' ', ' '}},
      {"cut at the end", "A\xE2\x82", kRefused, {'A', R}, {'A', 0xE2, 0x82}},
      {"cut before a character",
       "\xE2\x82"
       "A",
       kRefused,
       {R, 'A'},
       {0xE2, 0x82, 'A'}},
      {"continuation missing", "\xC3\x28", kRefused, {R, 0x28}, {0xC3, 0x28}},
      {"lone continuation", "\x80\xBF", kRefused, {R, R}, {0x80, 0xBF}},
      {"overlong two bytes", "\xC0\xAF", kRefused, {R, R}, {0xC0, 0xAF}},
      {"overlong three bytes", "\xE0\x80\xAF", kRefused, {R, R, R}, {0x2F}},
      {"overlong four bytes", "\xF0\x8F\xBF\xBF", kRefused, {R, R, R, R}, {' '}},
      {"encoded surrogate", "\xED\xA0\x80", kRefused, {R, R, R}, {0xD800}},
      {"past U+10FFFF", "\xF4\x90\x80\x80", kRefused, {R, R, R, R}, {' '}},
      {"lead never used", "\xF5\x80\xFF", kRefused, {R, R, R}, {0xF5, 0x80, 0xFF}},
      {"four-byte lead cut by ASCII",
       "\xF0\x9F"
       "A",
       kRefused,
       {R, 'A'},
       {0xF0, 0x9F, 'A'}},
  };
  for (const DecodeCase& c : cases) {
    EXPECT_EQ(decodeAll(c.bytes, kUTF8Strict), c.strict) << c.name;
    EXPECT_EQ(decodeAll(c.bytes, kUTF8Replace), c.replace) << c.name;
    EXPECT_EQ(decodeAll(c.bytes, kFont), c.font) << c.name;
  }
}

TEST(UTF8, EveryCodeGoesThroughUTF8AndUTF16AndBack)
{
  for (uint32_t code = 0; code <= 0x10FFFF; ++code) {
    if (code >= 0xD800 && code < 0xE000) continue;
    char buf[4];
    const int len = EncodeUTF8(code, buf);
    ASSERT_EQ(len, code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4) << code;
    uint32_t back = 0;
    ASSERT_EQ(DecodeUTF8((const unsigned char*)buf, (size_t)len, kUTF8Strict, &back), (size_t)len) << code;
    ASSERT_EQ(back, code);
    std::u16string units;
    ASSERT_TRUE(UTF8ToUTF16(buf, (size_t)len, kUTF8Strict, units));
    ASSERT_EQ(units.size(), code < 0x10000 ? 1u : 2u) << code;
    ASSERT_EQ(UTF16ToUTF8(units), std::string(buf, (size_t)len)) << code;
  }
}

TEST(UTF8, RefusedTextLeavesNothingAndLoneSurrogatesBecomeReplacements)
{
  std::u16string units = u"old";
  EXPECT_FALSE(UTF8ToUTF16("ok\xC3", 3, kUTF8Strict, units));
  EXPECT_TRUE(units.empty());
  EXPECT_TRUE(UTF8ToUTF16("ok\xC3", 3, kUTF8Replace, units));
  EXPECT_EQ(units, u"ok\uFFFD");
  EXPECT_TRUE(UTF8ToUTF16("", 0, kUTF8Strict, units));
  EXPECT_TRUE(units.empty());

  const char16_t lone[] = {u'a', 0xD83C, u'b', 0xDFB8, 0};
  EXPECT_EQ(UTF16ToUTF8(lone),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

}  // namespace
