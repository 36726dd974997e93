// Program and bank files (big-endian chunk formats) and preset source text of the plug-in base.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Base64.h"
#include "IPlugBase.h"
#include "Log.h"
#include "base/atomicfile.h"
#include "base/fourcc.h"

namespace {
const int kNameLen = 28;             // name fields, zero-padded
const int kBankHeaderLen = 156;      // up to the programs or the chunk length
const long kMaxFileLen = 64L << 20;  // larger files are not ours

// Appends big-endian fields to a file image.
class BEWriter
{
public:
  explicit BEWriter(ByteChunk* pImage) : mImage(pImage) {}
  void U32(uint32_t v)
  {
    const uint8_t b[4] = {(uint8_t)(v >> 24), (uint8_t)(v >> 16), (uint8_t)(v >> 8), (uint8_t)v};
    Bytes(b, 4);
  }
  void Float(float f)
  {
    uint32_t v;
    memcpy(&v, &f, 4);
    U32(v);
  }
  // A zero-padded name field; longer names are cut so that a terminator always fits.
  void Name(const char* name)
  {
    char field[kNameLen] = {};
    CopyText(field, kNameLen, name);
    Bytes(field, kNameLen);
  }
  void Zeros(int n)
  {
    for (int i = 0; i < n; ++i) Bytes("", 1);
  }
  void Bytes(const void* p, int n) { mOK = mOK && (n == 0 || mImage->AppendBytes(p, n) > 0); }
  bool OK() const { return mOK; }

private:
  ByteChunk* mImage;
  bool mOK = true;
};

// Reads big-endian fields from a file image; a field that does not fit reads as failed.
class BEReader
{
public:
  BEReader(const ByteChunk& image, int pos) : mImage(image), mPos(pos) {}
  bool U32(uint32_t* pV)
  {
    uint8_t b[4];
    if (!Bytes(b, 4)) return false;
    *pV = (uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | b[3];
    return true;
  }
  bool Float(float* pF)
  {
    uint32_t v;
    if (!U32(&v)) return false;
    memcpy(pF, &v, 4);
    return true;
  }
  // A name field of 28 bytes: all 28 characters when no terminator is among them.
  bool Name(char (&name)[kNameLen + 1])
  {
    if (!Bytes(name, kNameLen)) return false;
    name[kNameLen] = '\0';
    return true;
  }
  bool Bytes(void* p, int n)
  {
    if (mPos < 0 || (int64_t)mPos + n > mImage.Size()) return false;
    memcpy(p, mImage.GetBytes() + mPos, (size_t)n);
    mPos += n;
    return true;
  }
  // A state chunk: its length, then that many bytes, copied into *pState; *pDataPos is where its
  // data start, past a version header when it has one. False when the length runs past the image.
  bool StateChunk(ByteChunk* pState, int* pDataPos)
  {
    uint32_t len;
    if (!U32(&len) || (int64_t)len > (int64_t)mImage.Size() - mPos) return false;
    if (len && !pState->AppendBytes(mImage.GetBytes() + mPos, (int)len)) return false;
    mPos += (int)len;
    *pDataPos = 0;
    IPlugBase::GetIPlugVerFromChunk(pState, pDataPos);
    if (*pDataPos < 0) *pDataPos = 0;
    return true;
  }

private:
  const ByteChunk& mImage;
  int mPos;
};

// Sets a parameter from a file's normalized value, held to [0, 1] so that no file can put a value
// outside the parameter's range.
void SetFromFile(IParam* pParam, float normalized)
{
  pParam->SetNormalized(normalized < 0.0f ? 0.0 : (normalized > 1.0f ? 1.0 : (double)normalized));
}

bool EmptyPath(const WDL_String* pFileName) { return !pFileName || !*pFileName->Get(); }

// Reads a whole file into *pImage; false when it cannot be opened, read or is implausibly large.
bool ReadFileImage(const char* fileName, ByteChunk* pImage)
{
  FILE* fp = fopen(fileName, "rb");
  if (!fp) return false;
  bool ok = fseek(fp, 0, SEEK_END) == 0;
  const long len = ok ? ftell(fp) : -1;
  ok = ok && len >= 0 && len <= kMaxFileLen && fseek(fp, 0, SEEK_SET) == 0;
  ok = ok && pImage->Resize((int)len) == (int)len;
  ok = ok && (len == 0 || fread(pImage->GetBytes(), 1, (size_t)len, fp) == (size_t)len);
  fclose(fp);
  return ok;
}

// A program record's header up to and including the name.
void WriteProgramHeader(BEWriter* pW, uint32_t fxMagic, uint32_t byteSize, int uniqueID, int version, int nParams,
                        const char* name)
{
  pW->U32(FourCC("CcnK"));
  pW->U32(byteSize);
  pW->U32(fxMagic);
  pW->U32(1);
  pW->U32((uint32_t)uniqueID);
  pW->U32((uint32_t)version);
  pW->U32((uint32_t)nParams);
  pW->Name(name);
}

// A bank's header up to the reserved bytes included.
void WriteBankHeader(BEWriter* pW, uint32_t fxMagic, uint32_t byteSize, int uniqueID, int version, int nPrograms,
                     int currentProgram)
{
  pW->U32(FourCC("CcnK"));
  pW->U32(byteSize);
  pW->U32(fxMagic);
  pW->U32(2);
  pW->U32((uint32_t)uniqueID);
  pW->U32((uint32_t)version);
  pW->U32((uint32_t)nPrograms);
  pW->U32((uint32_t)currentProgram);
  pW->Zeros(124);
}
}  // namespace

bool IPlugBase::MakeProgramImage(ByteChunk* pImage)
{
  WDL_MutexLock lock(&mMutex);
  BEWriter w(pImage);
  const char* name = GetPresetName(mCurrentPresetIdx);
  const int version = GetEffectVersion(true), n = NParams();
  if (DoesStateChunks()) {
    ByteChunk state;
    InitChunkWithIPlugVer(&state);
    if (!SerializeState(&state)) return false;
    WriteProgramHeader(&w, FourCC("FPCh"), (uint32_t)state.Size() + 60, mUniqueID, version, n, name);
    w.U32((uint32_t)state.Size());
    w.Bytes(state.GetBytes(), state.Size());
  } else {
    WriteProgramHeader(&w, FourCC("FxCk"), 0, mUniqueID, version, n, name);
    for (int i = 0; i < n; ++i) w.Float((float)GetParam(i)->GetNormalized());
  }
  return w.OK();
}

bool IPlugBase::MakeBankImage(ByteChunk* pImage)
{
  WDL_MutexLock lock(&mMutex);
  BEWriter w(pImage);
  const int version = GetEffectVersion(true), n = NParams(), nPresets = NPresets();
  if (DoesStateChunks()) {
    ByteChunk state;
    InitChunkWithIPlugVer(&state);
    if (!SerializePresets(&state)) return false;
    WriteBankHeader(&w, FourCC("FBCh"), (uint32_t)state.Size() + 160, mUniqueID, version, nPresets, mCurrentPresetIdx);
    w.U32((uint32_t)state.Size());
    w.Bytes(state.GetBytes(), state.Size());
  } else {
    WriteBankHeader(&w, FourCC("FxBk"), 0, mUniqueID, version, nPresets, mCurrentPresetIdx);
    for (int p = 0; p < nPresets; ++p) {
      IPreset* pPreset = mPresets.Get(p);
      WriteProgramHeader(&w, FourCC("FxCk"), 0, mUniqueID, version, n, pPreset->mName);
      // A stored state that runs short counts 0.0 for the missing values and all later ones.
      int pos = 0;
      for (int i = 0; i < n; ++i) {
        double v = 0.0;
        if (pos >= 0) pos = pPreset->mChunk.ReadValue(&v, pos);
        if (pos < 0) v = 0.0;
        w.Float((float)GetParam(i)->GetNormalized(v));
      }
    }
  }
  return w.OK();
}

bool IPlugBase::SaveProgramAsFXP(WDL_String* pFileName)
{
  if (EmptyPath(pFileName)) return false;
  Trace(TRACELOC, "%s", pFileName->Get());
  ByteChunk image;
  return MakeProgramImage(&image) && WriteFileAtomically(pFileName->Get(), image.GetBytes(), (size_t)image.Size());
}

bool IPlugBase::SaveBankAsFXB(WDL_String* pFileName)
{
  if (EmptyPath(pFileName)) return false;
  Trace(TRACELOC, "%s", pFileName->Get());
  ByteChunk image;
  return MakeBankImage(&image) && WriteFileAtomically(pFileName->Get(), image.GetBytes(), (size_t)image.Size());
}

bool IPlugBase::LoadProgramFromFXP(WDL_String* pFileName)
{
  ByteChunk image;
  if (EmptyPath(pFileName) || !ReadFileImage(pFileName->Get(), &image)) return false;
  Trace(TRACELOC, "%s", pFileName->Get());

  // Without a complete header and name the file is refused.
  BEReader r(image, 0);
  uint32_t chunkMagic, byteSize, fxMagic, fxVersion, pluginID, pluginVersion, numParams;
  char name[kNameLen + 1];
  if (!(r.U32(&chunkMagic) && r.U32(&byteSize) && r.U32(&fxMagic) && r.U32(&fxVersion) && r.U32(&pluginID) &&
        r.U32(&pluginVersion) && r.U32(&numParams) && r.Name(name)))
    return false;
  if (chunkMagic != FourCC("CcnK") || fxVersion != 1 || (int)pluginID != mUniqueID) return false;

  WDL_MutexLock lock(&mMutex);
  if (fxMagic == FourCC("FPCh") && DoesStateChunks()) {
    // The state is exactly the chunk the file declares, with or without a version header.
    ByteChunk state;
    int pos;
    if (!r.StateChunk(&state, &pos)) return false;
    // A state that does not read through puts the old one back.
    ByteChunk backup;
    if (!SerializeState(&backup)) return false;
    if (UnserializeState(&state, pos) < 0) {
      UnserializeState(&backup, 0);
      return false;
    }
  } else if (fxMagic == FourCC("FxCk")) {
    // Values missing from a cut-short file leave their parameters as they are.
    float v;
    for (int i = 0, n = NParams(); i < n && r.Float(&v); ++i) SetFromFile(GetParam(i), v);
  } else {
    return false;
  }
  ModifyCurrentPreset(name[0] ? name : nullptr);
  RestorePreset(mCurrentPresetIdx);
  InformHostOfProgramChange();
  return true;
}

bool IPlugBase::LoadBankFromFXB(WDL_String* pFileName)
{
  ByteChunk image;
  if (EmptyPath(pFileName) || !ReadFileImage(pFileName->Get(), &image)) return false;
  Trace(TRACELOC, "%s", pFileName->Get());

  // Without a complete bank header the file is refused.
  BEReader r(image, 0);
  uint32_t chunkMagic, byteSize, fxMagic, fxVersion, pluginID, pluginVersion, numPrograms, currentProgram;
  if (!(r.U32(&chunkMagic) && r.U32(&byteSize) && r.U32(&fxMagic) && r.U32(&fxVersion) && r.U32(&pluginID) &&
        r.U32(&pluginVersion) && r.U32(&numPrograms) && r.U32(&currentProgram)) ||
      image.Size() < kBankHeaderLen)
    return false;
  if (chunkMagic != FourCC("CcnK") || (int)pluginID != mUniqueID) return false;

  WDL_MutexLock lock(&mMutex);
  BEReader programs(image, kBankHeaderLen);
  if (fxMagic == FourCC("FBCh") && DoesStateChunks()) {
    ByteChunk state;
    int pos;
    if (!programs.StateChunk(&state, &pos)) return false;
    // A preset list that does not read through puts the old slots and state back.
    ByteChunk backup;
    if (!SerializePresets(&backup)) return false;
    if (UnserializePresets(&state, pos) < 0) {
      UnserializePresets(&backup, 0);
      return false;
    }
    InformHostOfProgramChange();
    return true;
  }
  if (fxMagic != FourCC("FxBk")) return false;

  // Programs beyond this plug-in's slots have nowhere to go and are skipped.
  const int nLoad = (int)(numPrograms < (uint32_t)NPresets() ? numPrograms : (uint32_t)NPresets());
  const int n = NParams();
  // A bank that fails part way puts the slots, the current slot and the live values back.
  ByteChunk backupSlots, backupState;
  if (!SerializePresets(&backupSlots) || !SerializeState(&backupState)) return false;
  const int backupIdx = mCurrentPresetIdx;
  auto refuse = [&]() {
    mCurrentPresetIdx = backupIdx;
    UnserializePresets(&backupSlots, 0);
    UnserializeState(&backupState, 0);
    return false;
  };
  for (int p = 0; p < nLoad; ++p) {
    uint32_t progChunkMagic, progByteSize, progFxMagic, progVersion, progID, progPluginVersion, progNumParams;
    char name[kNameLen + 1];
    if (!(programs.U32(&progChunkMagic) && programs.U32(&progByteSize) && programs.U32(&progFxMagic) &&
          programs.U32(&progVersion) && programs.U32(&progID) && programs.U32(&progPluginVersion) &&
          programs.U32(&progNumParams)) ||
        progChunkMagic != FourCC("CcnK") || progFxMagic != FourCC("FxCk") || progVersion != 1 ||
        progNumParams != (uint32_t)n || !programs.Name(name))
      return refuse();
    RestorePreset(p);
    float v;
    for (int i = 0; i < n && programs.Float(&v); ++i) SetFromFile(GetParam(i), v);
    ModifyCurrentPreset(name[0] ? name : nullptr);
  }
  RestorePreset((int)currentProgram);
  InformHostOfProgramChange();
  return true;
}

bool IPlugBase::DumpPresetSrcCode(const char* fileName, const char* paramEnumNames[])
{
  if (!fileName || !*fileName) return false;
  WDL_String text;
  {
    WDL_MutexLock lock(&mMutex);
    const int n = NParams();
    text.SetFormatted(64, "  MakePresetFromNamedParams(\"name\", %d", n);
    for (int i = 0; i < n; ++i) {
      IParam* pParam = GetParam(i);
      char value[64];
      switch (pParam->Type()) {
        case IParam::kTypeBool:
          snprintf(value, sizeof(value), "%s", pParam->Value() >= 0.5 ? "true" : "false");
          break;
        case IParam::kTypeInt:
        case IParam::kTypeEnum:
          snprintf(value, sizeof(value), "%d", pParam->Int());
          break;
        default:
          snprintf(value, sizeof(value), "%.6f", pParam->Value());
          break;
      }
      const char* enumName = (paramEnumNames && paramEnumNames[i]) ? paramEnumNames[i] : "";
      text.Append(",\n    ");
      text.Append(enumName);
      text.Append(", ");
      text.Append(value);
    }
    text.Append(");\n");
  }
  // Written once the mutex is released.
  return WriteFileAtomically(fileName, text.Get(), (size_t)text.GetLength());
}

namespace {
// Appends one MakePresetFromBlob line for a stored state; false when memory ran out.
bool AppendBlobLine(WDL_String* pText, const char* name, const ByteChunk& state)
{
  WDL_String blob;
  if (!Base64Encode(state.GetBytes(), state.Size(), &blob)) return false;
  const int before = pText->GetLength();
  pText->Append("MakePresetFromBlob(\"");
  pText->Append(name);
  pText->Append("\", \"");
  pText->Append(blob.Get());
  pText->AppendFormatted(32, "\", %i);\n", state.Size());
  return pText->GetLength() > before + blob.GetLength();
}
}  // namespace

bool IPlugBase::DumpPresetBlob(const char* fileName)
{
  IPreset* pPreset = mPresets.Get(mCurrentPresetIdx);
  if (!fileName || !*fileName || !pPreset) return false;
  WDL_String text;
  return AppendBlobLine(&text, "name", pPreset->mChunk) &&
         WriteFileAtomically(fileName, text.Get(), (size_t)text.GetLength());
}

int IPlugBase::DumpBankBlob(const char* fileName)
{
  if (!fileName || !*fileName) return 0;
  WDL_String text;
  for (int i = 0, n = NPresets(); i < n; ++i)
    if (!AppendBlobLine(&text, mPresets.Get(i)->mName, mPresets.Get(i)->mChunk)) return 0;
  return WriteFileAtomically(fileName, text.Get(), (size_t)text.GetLength()) ? 1 : 0;
}
