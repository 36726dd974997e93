// Dictionaries: pairs kept in insertion order, keys found by hash and equality callbacks.
#include "CFRuntime.h"

#include <cstdio>
#include <vector>

namespace {

const void* typeRetain(CFAllocatorRef, const void* v) { return CFRetain(v); }
void typeRelease(CFAllocatorRef, const void* v) { CFRelease(v); }
const void* copyStringRetain(CFAllocatorRef a, const void* v)
{
  return CFGetTypeID(v) == CFStringGetTypeID() ? CFStringCreateCopy(a, (CFStringRef)v) : CFRetain(v);
}

}  // namespace

const CFDictionaryKeyCallBacks kCFTypeDictionaryKeyCallBacks = {0,       typeRetain, typeRelease, CFCopyDescription,
                                                                CFEqual, CFHash};
const CFDictionaryKeyCallBacks kCFCopyStringDictionaryKeyCallBacks = {
    0, copyStringRetain, typeRelease, CFCopyDescription, CFEqual, CFHash};
const CFDictionaryValueCallBacks kCFTypeDictionaryValueCallBacks = {0, typeRetain, typeRelease, CFCopyDescription,
                                                                    CFEqual};

struct __CFDictionary : __CFObject
{
  struct Entry
  {
    CFHashCode hash;
    const void* key;
    const void* value;
  };

  __CFDictionary(const CFDictionaryKeyCallBacks* k, const CFDictionaryValueCallBacks* v, bool isMutable, CFIndex cap)
      : kcb(k ? *k : CFDictionaryKeyCallBacks{0, nullptr, nullptr, nullptr, nullptr, nullptr}),
        vcb(v ? *v : CFDictionaryValueCallBacks{0, nullptr, nullptr, nullptr, nullptr}),
        mut(isMutable),
        capacity(cap)
  {
  }
  ~__CFDictionary() override
  {
    for (const Entry& e : entries) dropPair(e);
  }
  CFTypeID typeID() const override { return cf::kDictionary; }
  bool equals(const __CFObject* other) const override
  {
    const __CFDictionary* o = (const __CFDictionary*)other;
    if (entries.size() != o->entries.size()) return false;
    for (const Entry& e : entries) {
      const Entry* f = o->find(e.key);
      if (!f || !(f->value == e.value || (vcb.equal && vcb.equal(e.value, f->value)))) return false;
    }
    return true;
  }
  CFHashCode hash() const override { return entries.size(); }
  std::string describe() const override
  {
    std::string s = "{\n";
    for (const Entry& e : entries)
      s += "    " + text(kcb.copyDescription, e.key) + " = " + cf::indent(text(vcb.copyDescription, e.value)) + ";\n";
    return s + "}";
  }
  static std::string text(CFDictionaryCopyDescriptionCallBack f, const void* v)
  {
    if (CFStringRef d = f ? f(v) : nullptr) {
      std::string s = cf::utf8(d);
      CFRelease(d);
      return s;
    }
    char buf[32];
    snprintf(buf, sizeof buf, "<%p>", v);
    return buf;
  }
  CFHashCode hashOf(const void* key) const { return kcb.hash ? kcb.hash(key) : (CFHashCode)key; }
  const Entry* find(const void* key) const
  {
    CFHashCode h = hashOf(key);
    for (const Entry& e : entries)
      if (e.hash == h && (e.key == key || (kcb.equal && kcb.equal(e.key, key)))) return &e;
    return nullptr;
  }
  Entry* find(const void* key) { return (Entry*)((const __CFDictionary*)this)->find(key); }
  void dropPair(const Entry& e) const
  {
    if (kcb.release) kcb.release(allocator, e.key);
    if (vcb.release) vcb.release(allocator, e.value);
  }
  // Adds a pair, or replaces the value when the key is present, as the flags allow.
  void put(const void* key, const void* value, bool add, bool replace)
  {
    if (Entry* e = find(key)) {
      if (!replace) return;
      const void* old = e->value;
      e->value = vcb.retain ? vcb.retain(allocator, value) : value;
      if (vcb.release) vcb.release(allocator, old);
      return;
    }
    if (!add || (capacity > 0 && (CFIndex)entries.size() >= capacity)) return;
    const void* k = kcb.retain ? kcb.retain(allocator, key) : key;
    const void* v = vcb.retain ? vcb.retain(allocator, value) : value;
    entries.push_back({hashOf(k), k, v});
  }

  CFDictionaryKeyCallBacks kcb;
  CFDictionaryValueCallBacks vcb;
  std::vector<Entry> entries;
  bool mut;
  CFIndex capacity;
};

namespace {

bool isDict(CFDictionaryRef d) { return cf::is(d, cf::kDictionary); }
bool isMutableDict(CFDictionaryRef d) { return isDict(d) && d->mut; }

}  // namespace

extern "C" {

CFTypeID CFDictionaryGetTypeID(void) { return cf::kDictionary; }

CFDictionaryRef CFDictionaryCreate(CFAllocatorRef allocator, const void** keys, const void** values, CFIndex numValues,
                                   const CFDictionaryKeyCallBacks* keyCallBacks,
                                   const CFDictionaryValueCallBacks* valueCallBacks)
{
  if (numValues < 0 || (numValues > 0 && (!keys || !values))) return nullptr;
  __CFDictionary* d = cf::create<__CFDictionary>(allocator, keyCallBacks, valueCallBacks, false, 0);
  if (!d) return nullptr;
  for (CFIndex i = 0; i < numValues; i++) d->put(keys[i], values[i], true, true);
  return d;
}

CFDictionaryRef CFDictionaryCreateCopy(CFAllocatorRef allocator, CFDictionaryRef theDict)
{
  if (!isDict(theDict)) return nullptr;
  __CFDictionary* d = cf::create<__CFDictionary>(allocator, &theDict->kcb, &theDict->vcb, false, 0);
  if (d)
    for (const auto& e : theDict->entries) d->put(e.key, e.value, true, true);
  return d;
}

CFMutableDictionaryRef CFDictionaryCreateMutable(CFAllocatorRef allocator, CFIndex capacity,
                                                 const CFDictionaryKeyCallBacks* keyCallBacks,
                                                 const CFDictionaryValueCallBacks* valueCallBacks)
{
  if (capacity < 0) return nullptr;
  return cf::create<__CFDictionary>(allocator, keyCallBacks, valueCallBacks, true, capacity);
}

CFMutableDictionaryRef CFDictionaryCreateMutableCopy(CFAllocatorRef allocator, CFIndex capacity,
                                                     CFDictionaryRef theDict)
{
  if (!isDict(theDict) || capacity < 0 || (capacity > 0 && (CFIndex)theDict->entries.size() > capacity)) return nullptr;
  __CFDictionary* d = cf::create<__CFDictionary>(allocator, &theDict->kcb, &theDict->vcb, true, capacity);
  if (d)
    for (const auto& e : theDict->entries) d->put(e.key, e.value, true, true);
  return d;
}

CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) { return isDict(theDict) ? (CFIndex)theDict->entries.size() : 0; }

CFIndex CFDictionaryGetCountOfKey(CFDictionaryRef theDict, const void* key)
{
  return CFDictionaryContainsKey(theDict, key);
}

CFIndex CFDictionaryGetCountOfValue(CFDictionaryRef theDict, const void* value)
{
  if (!isDict(theDict)) return 0;
  CFIndex n = 0;
  for (const auto& e : theDict->entries)
    n += e.value == value || (theDict->vcb.equal && theDict->vcb.equal(e.value, value));
  return n;
}

Boolean CFDictionaryContainsKey(CFDictionaryRef theDict, const void* key)
{
  return isDict(theDict) && theDict->find(key);
}

Boolean CFDictionaryContainsValue(CFDictionaryRef theDict, const void* value)
{
  return CFDictionaryGetCountOfValue(theDict, value) > 0;
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key)
{
  const __CFDictionary::Entry* e = isDict(theDict) ? theDict->find(key) : nullptr;
  return e ? e->value : nullptr;
}

Boolean CFDictionaryGetValueIfPresent(CFDictionaryRef theDict, const void* key, const void** value)
{
  const __CFDictionary::Entry* e = isDict(theDict) ? theDict->find(key) : nullptr;
  if (e && value) *value = e->value;
  return e != nullptr;
}

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys, const void** values)
{
  if (!isDict(theDict)) return;
  for (size_t i = 0; i < theDict->entries.size(); i++) {
    if (keys) keys[i] = theDict->entries[i].key;
    if (values) values[i] = theDict->entries[i].value;
  }
}

void CFDictionaryApplyFunction(CFDictionaryRef theDict, CFDictionaryApplierFunction applier, void* context)
{
  if (!isDict(theDict) || !applier) return;
  std::vector<__CFDictionary::Entry> snapshot = theDict->entries;
  for (const auto& e : snapshot) applier(e.key, e.value, context);
}

void CFDictionaryAddValue(CFMutableDictionaryRef theDict, const void* key, const void* value)
{
  if (isMutableDict(theDict)) theDict->put(key, value, true, false);
}

void CFDictionarySetValue(CFMutableDictionaryRef theDict, const void* key, const void* value)
{
  if (isMutableDict(theDict)) theDict->put(key, value, true, true);
}

void CFDictionaryReplaceValue(CFMutableDictionaryRef theDict, const void* key, const void* value)
{
  if (isMutableDict(theDict)) theDict->put(key, value, false, true);
}

void CFDictionaryRemoveValue(CFMutableDictionaryRef theDict, const void* key)
{
  if (!isMutableDict(theDict)) return;
  __CFDictionary::Entry* e = theDict->find(key);
  if (!e) return;
  __CFDictionary::Entry gone = *e;
  theDict->entries.erase(theDict->entries.begin() + (e - theDict->entries.data()));
  theDict->dropPair(gone);
}

void CFDictionaryRemoveAllValues(CFMutableDictionaryRef theDict)
{
  if (!isMutableDict(theDict)) return;
  std::vector<__CFDictionary::Entry> old;
  old.swap(theDict->entries);
  for (const auto& e : old) theDict->dropPair(e);
}

}  // extern "C"
