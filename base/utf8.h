#pragma once
// UTF-8: one decoder and one encoder for every reader of text. How closely the decoder checks a
// sequence, and what a sequence it refuses becomes, is the reader's policy, passed as data:
// a string object refuses the whole text, a text field shows U+FFFD, a font draws the byte.

#include <cstddef>
#include <cstdint>
#include <string>

struct UTF8Policy
{
  enum Invalid {
    kFail,        // the text is refused
    kReplace,     // U+FFFD for each maximal ill-formed part (a lead and the bytes that fit it)
    kByteItself,  // the lead byte stands for the code of its own value; decoding goes on after it
  };
  // Overlong forms, surrogates and codes past U+10FFFF are ill-formed; otherwise a lead byte
  // C2-DF, E0-EF or F0-F4 with any continuation bytes 80-BF is taken.
  bool shortestForm;
  Invalid invalid;
  // The code every four-byte character becomes; negative: its own code.
  int32_t fourByte;
};

// Well-formed UTF-8 or nothing.
constexpr UTF8Policy kUTF8Strict{true, UTF8Policy::kFail, -1};
// Well-formed UTF-8, with U+FFFD for what is not.
constexpr UTF8Policy kUTF8Replace{true, UTF8Policy::kReplace, -1};

// Decodes one character from s (n > 0 bytes left) into *code and returns the bytes it used; 0,
// with *code untouched, when the policy refuses what is there.
inline size_t DecodeUTF8(const unsigned char* s, size_t n, const UTF8Policy& policy, uint32_t* code)
{
  const unsigned char lead = s[0];
  if (lead < 0x80) {
    *code = lead;
    return 1;
  }
  size_t len = 0;
  uint32_t c = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // the range of the next continuation byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    len = 3, c = lead & 0x0F;
    if (policy.shortestForm && lead == 0xE0) lo = 0xA0;  // overlong below U+0800
    if (policy.shortestForm && lead == 0xED) hi = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4, c = lead & 0x07;
    if (policy.shortestForm && lead == 0xF0) lo = 0x90;  // overlong below U+10000
    if (policy.shortestForm && lead == 0xF4) hi = 0x8F;  // past U+10FFFF
  }
  size_t used = 1;
  if (len) {
    for (; used < len && used < n && s[used] >= lo && s[used] <= hi; ++used) {
      c = c << 6 | (s[used] & 0x3F);
      lo = 0x80, hi = 0xBF;
    }
    if (used == len) {
      *code = len == 4 && policy.fourByte >= 0 ? (uint32_t)policy.fourByte : c;
      return len;
    }
  }
  switch (policy.invalid) {
    case UTF8Policy::kReplace:
      *code = 0xFFFD;
      return used;
    case UTF8Policy::kByteItself:
      *code = lead;
      return 1;
    case UTF8Policy::kFail:
      break;
  }
  return 0;
}

// Writes code (at most U+10FFFF) as one to four bytes of UTF-8 into buf; returns how many.
inline int EncodeUTF8(uint32_t code, char* buf)
{
  if (code < 0x80) {
    buf[0] = (char)code;
    return 1;
  }
  if (code < 0x800) {
    buf[0] = (char)(0xC0 | code >> 6);
    buf[1] = (char)(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    buf[0] = (char)(0xE0 | code >> 12);
    buf[1] = (char)(0x80 | (code >> 6 & 0x3F));
    buf[2] = (char)(0x80 | (code & 0x3F));
    return 3;
  }
  buf[0] = (char)(0xF0 | code >> 18);
  buf[1] = (char)(0x80 | (code >> 12 & 0x3F));
  buf[2] = (char)(0x80 | (code >> 6 & 0x3F));
  buf[3] = (char)(0x80 | (code & 0x3F));
  return 4;
}

// Appends code as UTF-16: one unit, or a surrogate pair past U+FFFF.
inline void AppendUTF16(std::u16string& out, uint32_t code)
{
  if (code >= 0x10000) {
    code -= 0x10000;
    out += (char16_t)(0xD800 + (code >> 10));
    out += (char16_t)(0xDC00 + (code & 0x3FF));
  } else {
    out += (char16_t)code;
  }
}

// Replaces out with the n bytes of s in UTF-16; false, with out empty, when the policy refuses them.
inline bool UTF8ToUTF16(const char* s, size_t n, const UTF8Policy& policy, std::u16string& out)
{
  out.clear();
  out.reserve(n);
  const unsigned char* p = (const unsigned char*)s;
  for (size_t i = 0; i < n;) {
    uint32_t code;
    const size_t used = DecodeUTF8(p + i, n - i, policy, &code);
    if (!used) {
      out.clear();
      return false;
    }
    AppendUTF16(out, code);
    i += used;
  }
  return true;
}

// UTF-16 units as UTF-8; a surrogate without its partner becomes U+FFFD.
inline std::string UTF16ToUTF8(const std::u16string& u)
{
  std::string out;
  out.reserve(u.size());
  for (size_t i = 0; i < u.size(); i++) {
    uint32_t c = u[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < u.size() && u[i + 1] >= 0xDC00 && u[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00);
    else if (c >= 0xD800 && c < 0xE000)
      c = 0xFFFD;
    char buf[4];
    out.append(buf, (size_t)EncodeUTF8(c, buf));
  }
  return out;
}
