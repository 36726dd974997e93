// The component registry: registration (in-process, from bundles, by entry routine), lookup
// by description, and opening and closing instances.
#include "ComponentRegistry.h"

#include <dlfcn.h>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <vector>

namespace {

struct Registry
{
  std::recursive_mutex lock;
  std::vector<OpaqueAudioComponent*> components;  // registration order; kept for the process
  std::set<ComponentInstance> open;
};

Registry& registry()
{
  static Registry* r = new Registry;  // never destroyed: components stay valid until exit
  return *r;
}

bool sameIdentity(const AudioComponentDescription& a, const AudioComponentDescription& b)
{
  return a.componentType == b.componentType && a.componentSubType == b.componentSubType &&
         a.componentManufacturer == b.componentManufacturer;
}

bool matches(const AudioComponentDescription& c, const AudioComponentDescription* want)
{
  if (!want) return !(c.componentFlags & kAudioComponentFlag_Unsearchable);
  bool exact = want->componentType && want->componentSubType && want->componentManufacturer;
  if ((c.componentFlags & kAudioComponentFlag_Unsearchable) && !exact) return false;
  return (!want->componentType || want->componentType == c.componentType) &&
         (!want->componentSubType || want->componentSubType == c.componentSubType) &&
         (!want->componentManufacturer || want->componentManufacturer == c.componentManufacturer) &&
         (c.componentFlags & want->componentFlagsMask) == (want->componentFlags & want->componentFlagsMask);
}

OpaqueAudioComponent* findExact(const AudioComponentDescription& d)
{
  for (OpaqueAudioComponent* c : registry().components)
    if (sameIdentity(c->desc, d)) return c;
  return nullptr;
}

OpaqueAudioComponent* add(const AudioComponentDescription& d, CFStringRef name, UInt32 version,
                          AudioComponentFactoryFunction factory, ComponentRoutineUPP entry, const std::string& path)
{
  OpaqueAudioComponent* c = new OpaqueAudioComponent;
  c->desc = d;
  c->name = name ? CFStringCreateCopy(nullptr, name) : CFSTR("");
  c->version = version;
  c->factory = factory;
  c->entry = entry;
  c->bundlePath = path;
  registry().components.push_back(c);
  return c;
}

OSStatus refuse(OSStatus status, const std::string& message)
{
  fprintf(stderr, "AudioComponentRegisterBundle: %s\n", message.c_str());
  return status;
}

bool fileExists(const std::string& p, bool dir)
{
  struct stat st;
  return stat(p.c_str(), &st) == 0 && (dir ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode));
}

std::string text(CFTypeRef s)
{
  if (CFGetTypeID(s) != CFStringGetTypeID()) return std::string();
  const char* p = CFStringGetCStringPtr((CFStringRef)s, kCFStringEncodingUTF8);
  return p ? p : "";
}

// OSErr is 16 bits: statuses that do not fit are reported as invalidComponentID.
OSErr toOSErr(OSStatus s) { return s >= -32768 && s <= 32767 ? (OSErr)s : (OSErr)invalidComponentID; }

std::string canonical(const std::string& path)
{
  char real[PATH_MAX];
  return realpath(path.c_str(), real) ? std::string(real) : path;
}

// The bundle's Info dictionary, or NULL with *status and a message naming what is missing.
CFDictionaryRef bundleInfo(const std::string& path, OSStatus* status)
{
  if (!fileExists(path, true)) return *status = refuse(fnfErr, "no bundle directory at " + path), nullptr;
  if (!fileExists(path + "/Contents/Info.plist", false))
    return *status = refuse(fnfErr, "missing " + path + "/Contents/Info.plist"), nullptr;
  CFURLRef url =
      CFURLCreateFromFileSystemRepresentation(nullptr, (const UInt8*)path.data(), (CFIndex)path.size(), true);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);  // also makes it known by identifier
  CFRelease(url);
  CFDictionaryRef info = bundle ? CFBundleGetInfoDictionary(bundle) : nullptr;
  CFRelease(bundle);  // the bundle registry keeps it
  if (!info || CFDictionaryGetCount(info) == 0)
    return *status = refuse(kAudioComponentErr_InvalidFormat, "unreadable " + path + "/Contents/Info.plist"), nullptr;
  return info;
}

// A four-character code from a 4-byte string.
bool fourCC(CFTypeRef s, OSType* out)
{
  std::string t = text(s);
  if (t.size() != 4) return false;
  *out = (OSType)(unsigned char)t[0] << 24 | (OSType)(unsigned char)t[1] << 16 | (OSType)(unsigned char)t[2] << 8 |
         (unsigned char)t[3];
  return true;
}

struct BundleEntry
{
  AudioComponentDescription desc{};
  std::string name, factory;
  UInt32 version = 0;
};

// Reads entry i of the AudioComponents array; false with a message when a key is missing or malformed.
bool readEntry(CFTypeRef item, CFIndex i, BundleEntry& e, std::string& problem)
{
  std::string where = "AudioComponents[" + std::to_string(i) + "]";
  if (CFGetTypeID(item) != CFDictionaryGetTypeID()) return problem = where + " is not a dictionary", false;
  CFDictionaryRef d = (CFDictionaryRef)item;
  struct
  {
    const char* key;
    OSType* out;
  } codes[] = {{"type", &e.desc.componentType},
               {"subtype", &e.desc.componentSubType},
               {"manufacturer", &e.desc.componentManufacturer}};
  for (auto& c : codes)
    if (!fourCC(CFDictionaryGetValue(d, __CFStringMakeConstantString(c.key)), c.out))
      return problem = where + " has no four-character \"" + c.key + "\"", false;
  e.name = text(CFDictionaryGetValue(d, CFSTR("name")));
  if (e.name.empty()) return problem = where + " has no \"name\"", false;
  e.factory = text(CFDictionaryGetValue(d, CFSTR("factoryFunction")));
  if (e.factory.empty()) return problem = where + " has no \"factoryFunction\"", false;
  CFTypeRef v = CFDictionaryGetValue(d, CFSTR("version"));
  SInt64 version = 0;
  if (CFGetTypeID(v) != CFNumberGetTypeID() || !CFNumberGetValue((CFNumberRef)v, kCFNumberSInt64Type, &version) ||
      version < 0 || version > 0xFFFFFFFFLL)
    return problem = where + " has no numeric \"version\"", false;
  e.version = (UInt32)version;
  return true;
}

}  // namespace

namespace at {

bool isOpen(ComponentInstance ci)
{
  std::lock_guard<std::recursive_mutex> hold(registry().lock);
  return registry().open.count(ci) > 0;
}

void* bundleSymbol(const std::string& bundlePath, const std::string& symbol, OSStatus* status)
{
  OSStatus ignored;
  if (!status) status = &ignored;
  CFDictionaryRef info = bundleInfo(bundlePath, status);
  if (!info) return nullptr;
  std::string exe = text(CFDictionaryGetValue(info, kCFBundleExecutableKey));
  if (exe.empty())
    return *status =
               refuse(kAudioComponentErr_InvalidFormat, bundlePath + "/Contents/Info.plist has no CFBundleExecutable"),
           nullptr;
  std::string exePath = bundlePath + "/Contents/MacOS/" + exe;
  if (!fileExists(exePath, false)) return *status = refuse(fnfErr, "missing executable " + exePath), nullptr;
  void* lib = dlopen(exePath.c_str(), RTLD_NOW | RTLD_LOCAL);  // stays loaded for the process
  if (!lib) {
    const char* why = dlerror();
    return *status = refuse(componentDllLoadErr, "cannot load " + exePath + ": " + (why ? why : "")), nullptr;
  }
  void* sym = dlsym(lib, symbol.c_str());
  if (!sym)
    return *status = refuse(componentDllEntryNotFoundErr, "symbol " + symbol + " not found in " + exePath), nullptr;
  *status = noErr;
  return sym;
}

OSStatus openInstance(OpaqueAudioComponent* c, bool preferFactory, ComponentInstance* out)
{
  *out = nullptr;
  ComponentInstanceRecord* ci = new ComponentInstanceRecord;
  ci->component = c;
  bool useFactory = c->factory && (preferFactory || !c->entry);
  if (useFactory) {
    AudioComponentPlugInInterface* iface = c->factory(&c->desc);
    if (!iface || !iface->Open || !iface->Close || !iface->Lookup) {
      delete ci;
      return kAudioUnitErr_FailedInitialization;
    }
    ci->iface = iface;
    {
      std::lock_guard<std::recursive_mutex> hold(registry().lock);
      registry().open.insert(ci);
    }
    OSStatus r = iface->Open(iface, ci);
    if (r != noErr) {  // the factory's record is not closed: Close may expect an opened object
      std::lock_guard<std::recursive_mutex> hold(registry().lock);
      registry().open.erase(ci);
      ci->magic = 0;
      delete ci;
      return r;
    }
  } else if (c->entry) {
    ci->entry = c->entry;
    {
      std::lock_guard<std::recursive_mutex> hold(registry().lock);
      registry().open.insert(ci);
    }
    long self = slot(ci);
    ComponentResult r = callEntry(ci, kComponentOpenSelect, &self, 1);
    if (r != noErr) {
      std::lock_guard<std::recursive_mutex> hold(registry().lock);
      registry().open.erase(ci);
      ci->magic = 0;
      delete ci;
      return (OSStatus)r;
    }
  } else {
    delete ci;
    return badComponentSelector;
  }
  *out = ci;
  return noErr;
}

OSStatus closeInstance(ComponentInstance ci)
{
  {
    std::lock_guard<std::recursive_mutex> hold(registry().lock);
    if (!registry().open.erase(ci)) return badComponentInstance;  // also refuses closed records unread
  }
  OSStatus r;
  if (ci->iface) {
    r = ci->iface->Close(ci->iface);
  } else {
    long self = slot(ci);
    r = (OSStatus)callEntry(ci, kComponentCloseSelect, &self, 1);
  }
  ci->magic = 0;
  delete ci;
  return r;
}

}  // namespace at

extern "C" {

AudioComponent AudioComponentFindNext(AudioComponent inComponent, const AudioComponentDescription* inDesc)
{
  Registry& r = registry();
  std::lock_guard<std::recursive_mutex> hold(r.lock);
  size_t i = 0;
  if (inComponent) {
    while (i < r.components.size() && r.components[i] != inComponent) i++;
    i++;
  }
  for (; i < r.components.size(); i++)
    if (matches(r.components[i]->desc, inDesc)) return r.components[i];
  return nullptr;
}

UInt32 AudioComponentCount(const AudioComponentDescription* inDesc)
{
  std::lock_guard<std::recursive_mutex> hold(registry().lock);
  UInt32 n = 0;
  for (OpaqueAudioComponent* c : registry().components) n += matches(c->desc, inDesc);
  return n;
}

OSStatus AudioComponentCopyName(AudioComponent inComponent, CFStringRef* outName)
{
  if (!inComponent || !outName) return paramErr;
  *outName = CFStringCreateCopy(nullptr, inComponent->name);
  return noErr;
}

OSStatus AudioComponentGetDescription(AudioComponent inComponent, AudioComponentDescription* outDesc)
{
  if (!inComponent || !outDesc) return paramErr;
  *outDesc = inComponent->desc;
  return noErr;
}

OSStatus AudioComponentGetVersion(AudioComponent inComponent, UInt32* outVersion)
{
  if (!inComponent || !outVersion) return paramErr;
  *outVersion = inComponent->version;
  return noErr;
}

OSStatus AudioComponentInstanceNew(AudioComponent inComponent, AudioComponentInstance* outInstance)
{
  if (!outInstance) return paramErr;
  *outInstance = nullptr;
  if (!inComponent) return paramErr;
  return at::openInstance(inComponent, true, outInstance);
}

OSStatus AudioComponentInstanceDispose(AudioComponentInstance inInstance) { return at::closeInstance(inInstance); }

AudioComponent AudioComponentInstanceGetComponent(AudioComponentInstance inInstance)
{
  return at::usable(inInstance) ? inInstance->component : nullptr;
}

Boolean AudioComponentInstanceCanDo(AudioComponentInstance inInstance, SInt16 inSelectorID)
{
  if (!at::usable(inInstance)) return false;
  if (inInstance->iface) return inInstance->iface->Lookup(inSelectorID) != nullptr;
  long sel = at::slot(inSelectorID);
  return at::callEntry(inInstance, kComponentCanDoSelect, &sel, 1) == 1;
}

AudioComponent AudioComponentRegister(const AudioComponentDescription* inDesc, CFStringRef inName, UInt32 inVersion,
                                      AudioComponentFactoryFunction inFactory)
{
  if (!inDesc || !inFactory) return nullptr;
  std::lock_guard<std::recursive_mutex> hold(registry().lock);
  if (findExact(*inDesc)) return nullptr;
  return add(*inDesc, inName, inVersion, inFactory, nullptr, std::string());
}

OSStatus AudioComponentRegisterBundle(const char* bundlePath)
{
  if (!bundlePath || !*bundlePath) return refuse(paramErr, "no bundle path given");
  std::string path = canonical(bundlePath);
  OSStatus status = noErr;
  CFDictionaryRef info = bundleInfo(path, &status);
  if (!info) return status;
  CFTypeRef list = CFDictionaryGetValue(info, CFSTR("AudioComponents"));
  if (CFGetTypeID(list) != CFArrayGetTypeID() || CFArrayGetCount((CFArrayRef)list) == 0)
    return refuse(kAudioComponentErr_InvalidFormat, path + "/Contents/Info.plist has no AudioComponents entry");
  std::vector<BundleEntry> entries;
  for (CFIndex i = 0; i < CFArrayGetCount((CFArrayRef)list); i++) {
    BundleEntry e;
    std::string problem;
    if (!readEntry(CFArrayGetValueAtIndex((CFArrayRef)list, i), i, e, problem))
      return refuse(kAudioComponentErr_InvalidFormat, path + "/Contents/Info.plist: " + problem);
    entries.push_back(e);
  }
  std::lock_guard<std::recursive_mutex> hold(registry().lock);
  std::vector<AudioComponentFactoryFunction> factories;
  for (const BundleEntry& e : entries) {
    OpaqueAudioComponent* known = findExact(e.desc);
    if (known && known->bundlePath != path)
      return refuse(kAudioComponentErr_DuplicateDescription, "component \"" + e.name + "\" is already registered");
    void* sym = at::bundleSymbol(path, e.factory, &status);
    if (!sym) return status;
    factories.push_back((AudioComponentFactoryFunction)sym);
  }
  for (size_t i = 0; i < entries.size(); i++) {
    OpaqueAudioComponent* known = findExact(entries[i].desc);
    if (known) {  // the same bundle again, or its entry routine registered first
      if (!known->factory) known->factory = factories[i];
      continue;
    }
    CFStringRef name = CFStringCreateWithCString(nullptr, entries[i].name.c_str(), kCFStringEncodingUTF8);
    add(entries[i].desc, name, entries[i].version, factories[i], nullptr, path);
    CFRelease(name);
  }
  return noErr;
}

Component RegisterComponent(ComponentDescription* cd, ComponentRoutineUPP componentEntryPoint, SInt16, Handle, Handle,
                            Handle)
{
  if (!cd || !componentEntryPoint) return nullptr;
  AudioComponentDescription d;
  memcpy(&d, cd, sizeof d);
  std::lock_guard<std::recursive_mutex> hold(registry().lock);
  if (findExact(d)) return nullptr;
  return add(d, nullptr, 0, nullptr, componentEntryPoint, std::string());
}

Component RegisterComponentBundleEntry(const ComponentDescription* cd, const char* bundlePath, const char* entryName)
{
  if (!cd || !bundlePath || !entryName) return nullptr;
  std::string path = canonical(bundlePath);
  OSStatus status;
  void* sym = at::bundleSymbol(path, entryName, &status);
  if (!sym) return nullptr;
  AudioComponentDescription d;
  memcpy(&d, cd, sizeof d);
  std::lock_guard<std::recursive_mutex> hold(registry().lock);
  OpaqueAudioComponent* known = findExact(d);
  if (known) {
    if (known->bundlePath != path && !known->bundlePath.empty()) return nullptr;
    if (!known->entry) known->entry = (ComponentRoutineUPP)sym;
    return known->entry == (ComponentRoutineUPP)sym ? known : nullptr;
  }
  // Name and version come from the bundle's matching AudioComponents entry, when it has one.
  CFStringRef name = nullptr;
  UInt32 version = 0;
  CFDictionaryRef info = bundleInfo(path, &status);
  CFTypeRef list = info ? CFDictionaryGetValue(info, CFSTR("AudioComponents")) : nullptr;
  for (CFIndex i = 0; CFGetTypeID(list) == CFArrayGetTypeID() && i < CFArrayGetCount((CFArrayRef)list); i++) {
    BundleEntry e;
    std::string problem;
    if (readEntry(CFArrayGetValueAtIndex((CFArrayRef)list, i), i, e, problem) && sameIdentity(e.desc, d)) {
      name = CFStringCreateWithCString(nullptr, e.name.c_str(), kCFStringEncodingUTF8);
      version = e.version;
      break;
    }
  }
  OpaqueAudioComponent* c = add(d, name, version, nullptr, (ComponentRoutineUPP)sym, path);
  CFRelease(name);
  return c;
}

Component FindNextComponent(Component aComponent, ComponentDescription* looking)
{
  return AudioComponentFindNext(static_cast<OpaqueAudioComponent*>(aComponent),
                                (const AudioComponentDescription*)looking);
}

long CountComponents(ComponentDescription* looking)
{
  return (long)AudioComponentCount((const AudioComponentDescription*)looking);
}

OSErr GetComponentInfo(Component aComponent, ComponentDescription* cd, Handle, Handle, Handle)
{
  if (!aComponent || !cd) return paramErr;
  memcpy(cd, &aComponent->desc, sizeof *cd);
  return noErr;
}

OSErr OpenAComponent(Component aComponent, ComponentInstance* ci)
{
  if (!ci) return paramErr;
  *ci = nullptr;
  if (!aComponent) return invalidComponentID;
  return toOSErr(at::openInstance(static_cast<OpaqueAudioComponent*>(aComponent), false, ci));
}

ComponentInstance OpenComponent(Component aComponent)
{
  ComponentInstance ci = nullptr;
  OpenAComponent(aComponent, &ci);
  return ci;
}

OSErr CloseComponent(ComponentInstance aComponentInstance) { return toOSErr(at::closeInstance(aComponentInstance)); }

}  // extern "C"
