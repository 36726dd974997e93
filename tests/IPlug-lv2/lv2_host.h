#pragma once
// What an LV2 host gives a plug-in, for tests: a URID map, options, and a state store.

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lv2_test {

// A URID map: every URI gets the next number from 1.
class UridMap
{
public:
  UridMap() : mFeature{LV2_URID__map, &mMap} { mMap = {this, &UridMap::Map}; }
  LV2_URID operator()(const char* uri) { return Map(this, uri); }
  const LV2_Feature* Feature() const { return &mFeature; }

private:
  static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
  {
    auto* self = static_cast<UridMap*>(handle);
    auto it = self->mIds.find(uri);
    if (it != self->mIds.end()) return it->second;
    const LV2_URID id = (LV2_URID)self->mIds.size() + 1;
    self->mIds[uri] = id;
    return id;
  }

  std::map<std::string, LV2_URID> mIds;
  LV2_URID_Map mMap;
  LV2_Feature mFeature;
};

// An options feature holding one maximum block length of a given type and size.
class BlockLengthOption
{
public:
  BlockLengthOption(UridMap& map, int32_t frames, const char* type = LV2_ATOM__Int, uint32_t size = 4)
      : mFrames(frames), mFeature{LV2_OPTIONS__options, mOptions}
  {
    mOptions[0] = {LV2_OPTIONS_INSTANCE, 0, map(LV2_BUF_SIZE__maxBlockLength), size, map(type), &mFrames};
    mOptions[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
  }
  const LV2_Feature* Feature() const { return &mFeature; }

private:
  int32_t mFrames;
  LV2_Options_Option mOptions[2];
  LV2_Feature mFeature;
};

// Properties as a host keeps them between save and restore.
struct StateStore
{
  struct Value
  {
    std::vector<uint8_t> bytes;
    uint32_t type = 0, flags = 0;
  };
  std::map<uint32_t, Value> values;

  static LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size, uint32_t type,
                                uint32_t flags)
  {
    auto* self = static_cast<StateStore*>(handle);
    const auto* p = static_cast<const uint8_t*>(value);
    self->values[key] = Value{std::vector<uint8_t>(p, p + size), type, flags};
    return LV2_STATE_SUCCESS;
  }

  static const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags)
  {
    auto* self = static_cast<StateStore*>(handle);
    auto it = self->values.find(key);
    if (it == self->values.end()) return nullptr;
    *size = it->second.bytes.size();
    *type = it->second.type;
    *flags = it->second.flags;
    return it->second.bytes.data();
  }
};

}  // namespace lv2_test
