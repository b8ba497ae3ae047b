#include "IPlugBase.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "IGraphics.h"
#include "Log.h"

namespace
{
void CopyName(char* dst, size_t size, const char* src)
{
  std::snprintf(dst, size, "%s", src ? src : "");
}

// The channel-I/O string lists the supported configurations as "in-out"
// pairs separated by blanks ("1-1 2-2"); the plug-in gets as many channels as
// the largest configuration asks for.
void ParseChannelIO(const char* str, int* nIn, int* nOut)
{
  *nIn = *nOut = 0;
  const char* p = str ? str : "";
  while (*p)
  {
    while (*p == ' ') ++p;
    if (!*p) break;
    char* end = nullptr;
    const long in = std::strtol(p, &end, 10);
    if (end == p) break;
    p = end;
    long out = 0;
    if (*p == '-')
    {
      ++p;
      out = std::strtol(p, &end, 10);
      if (end == p) break;
      p = end;
    }
    if (in > *nIn && in < 1024) *nIn = (int)in;
    if (out > *nOut && out < 1024) *nOut = (int)out;
    while (*p && *p != ' ') ++p;
  }
}
} // namespace

IPlugBase::IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                     const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
                     int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
                     bool plugIsInst, int plugAPI)
    : mUniqueID(uniqueID), mMfrID(mfrID), mVersion(vendorVersion), mLatency(latency),
      mDoesMIDI(plugDoesMidi), mStateChunks(plugDoesChunks), mIsInst(plugIsInst), mAPI(plugAPI)
{
  CopyName(mEffectName, sizeof(mEffectName), effectName);
  CopyName(mProductName, sizeof(mProductName), productName);
  CopyName(mMfrName, sizeof(mMfrName), mfrName);

  for (int i = 0; i < nParams; ++i) mParams.Add(new IParam);
  for (int i = 0; i < nPresets; ++i) mPresets.Add(new IPreset);

  int nIn = 0, nOut = 0;
  ParseChannelIO(channelIOStr, &nIn, &nOut);
  for (int i = 0; i < nIn; ++i) mInChannels.Add(new Channel);
  for (int i = 0; i < nOut; ++i) mOutChannels.Add(new Channel);
}

IPlugBase::~IPlugBase()
{
  delete mGraphics;
  mGraphics = nullptr;
  mParams.Empty(true);
  mPresets.Empty(true);
  mInChannels.Empty(true);
  mOutChannels.Empty(true);
}

void IPlugBase::Reset() { IMutexLock lock(this); }

void IPlugBase::OnParamChange(int) {}

void IPlugBase::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  const int n = NInChannels() < NOutChannels() ? NInChannels() : NOutChannels();
  for (int c = 0; c < n; ++c)
    if (inputs[c] != outputs[c])
      std::memcpy(outputs[c], inputs[c], sizeof(double) * (size_t)nFrames);
}

void IPlugBase::ProcessMidiMsg(IMidiMsg* msg) { SendMidiMsg(msg); }

void IPlugBase::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  Trace(__FUNCTION__, __LINE__, "%d:%f", paramIdx, normalizedValue);
  IParam* param = GetParam(paramIdx);
  if (!param) return;
  IMutexLock lock(this);
  param->SetNormalized(normalizedValue);
  InformHostOfParamChange(paramIdx, normalizedValue);
  OnParamChange(paramIdx);
}

void IPlugBase::AttachGraphics(IGraphics* graphics)
{
  if (!graphics) return;
  {
    IMutexLock lock(this);
    for (int i = 0; i < NParams(); ++i)
      graphics->SetParameterFromPlug(i, GetParam(i)->GetNormalized(), true);
    graphics->PrepDraw();
    // The audio thread reaches the editor through GetGUI() inside its
    // block, under this mutex.
    if (mGraphics != graphics) delete mGraphics;
    mGraphics = graphics;
  }
}

void IPlugBase::RedrawParamControls()
{
  if (!mGraphics) return;
  for (int i = 0; i < NParams(); ++i)
    mGraphics->SetParameterFromPlug(i, GetParam(i)->Value(), false);
}

const char* IPlugBase::GetPresetName(int idx) const
{
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

IPreset* IPlugBase::NextUninitializedPreset()
{
  for (int i = 0; i < mPresets.GetSize(); ++i)
    if (!mPresets.Get(i)->mInitialized) return mPresets.Get(i);
  return nullptr;
}

bool IPlugBase::MakePresetFromValues(const char* name, const double* values, int nValues)
{
  IPreset* preset = NextUninitializedPreset();
  if (!preset || nValues != NParams()) return false;
  CopyName(preset->mName, sizeof(preset->mName), name);
  preset->mChunk.Clear();
  for (int i = 0; i < nValues; ++i)
  {
    // Store the value the parameter would take, so a restore is exact.
    IParam* param = GetParam(i);
    const double old = param->Value();
    param->Set(values[i]);
    const double v = param->Value();
    param->Set(old);
    if (!preset->mChunk.Put(&v))
    {
      preset->mChunk.Clear();
      return false;
    }
  }
  preset->mInitialized = true;
  return true;
}

bool IPlugBase::MakeDefaultPreset(const char* name)
{
  IPreset* preset = NextUninitializedPreset();
  if (!preset) return false;
  CopyName(preset->mName, sizeof(preset->mName), name ? name : "Default");
  preset->mChunk.Clear();
  if (!SerializeParams(&preset->mChunk)) return false;
  preset->mInitialized = true;
  return true;
}

bool IPlugBase::SetPresetFromCurrentState(int idx, const char* name)
{
  IPreset* preset = mPresets.Get(idx);
  if (!preset) return false;
  ByteChunk chunk;
  if (!SerializeParams(&chunk)) return false;
  preset->mChunk.Clear();
  preset->mChunk.PutChunk(&chunk);
  if (name) CopyName(preset->mName, sizeof(preset->mName), name);
  preset->mInitialized = true;
  return true;
}

bool IPlugBase::RestorePreset(int idx)
{
  IPreset* preset = mPresets.Get(idx);
  if (!preset || !preset->mInitialized) return false;
  if (UnserializeParams(&preset->mChunk, 0) < 0) return false;
  mCurrentPresetIdx = idx;
  InformHostOfProgramChange();
  RedrawParamControls();
  return true;
}

bool IPlugBase::SerializeParams(ByteChunk* chunk)
{
  IMutexLock lock(this);
  for (int i = 0; i < NParams(); ++i)
  {
    const double v = GetParam(i)->Value();
    if (!chunk->Put(&v)) return false;
  }
  return true;
}

int IPlugBase::UnserializeParams(const ByteChunk* chunk, int startPos)
{
  IMutexLock lock(this);
  const int n = NParams();
  if (startPos < 0 ||
      (long long)startPos + (long long)n * (long long)sizeof(double) > chunk->Size())
    return -1;
  int pos = startPos;
  for (int i = 0; i < n; ++i)
  {
    double v = 0.0;
    pos = chunk->Get(&v, pos);
    GetParam(i)->Set(v);
  }
  for (int i = 0; i < n; ++i) OnParamChange(i);
  return pos;
}

bool IPlugBase::IsInChannelConnected(int chIdx) const
{
  const Channel* ch = mInChannels.Get(chIdx);
  return ch && ch->mConnected;
}

bool IPlugBase::IsOutChannelConnected(int chIdx) const
{
  const Channel* ch = mOutChannels.Get(chIdx);
  return ch && ch->mConnected;
}

double* IPlugBase::GetInScratchBuffer(int chIdx)
{
  Channel* ch = mInChannels.Get(chIdx);
  return ch ? ch->mScratchBuf.Get() : nullptr;
}

double* IPlugBase::GetOutScratchBuffer(int chIdx)
{
  Channel* ch = mOutChannels.Get(chIdx);
  return ch ? ch->mScratchBuf.Get() : nullptr;
}

void IPlugBase::SetInputChannelConnections(int idx, int n, bool connected)
{
  const int end = idx + n < NInChannels() ? idx + n : NInChannels();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) mInChannels.Get(i)->mConnected = connected;
}

void IPlugBase::SetOutputChannelConnections(int idx, int n, bool connected)
{
  const int end = idx + n < NOutChannels() ? idx + n : NOutChannels();
  for (int i = idx < 0 ? 0 : idx; i < end; ++i) mOutChannels.Get(i)->mConnected = connected;
}

void IPlugBase::SetBlockSize(int blockSize)
{
  if (blockSize == mBlockSize || blockSize < 0) return;
  for (WDL_PtrList<Channel>* list : {&mInChannels, &mOutChannels})
  {
    for (int i = 0; i < list->GetSize(); ++i)
    {
      WDL_TypedBuf<double>& buf = list->Get(i)->mScratchBuf;
      buf.Resize(blockSize);
      if (buf.GetSize()) std::memset(buf.Get(), 0, sizeof(double) * (size_t)buf.GetSize());
    }
  }
  mBlockSize = blockSize;
}

void IPlugBase::SetHost(const char* host, int version)
{
  mHost = LookUpHost(host);
  mHostVersion = version;
}
