// IPlugBase: the plug-in base class. It owns the parameters, the presets and
// the channel description, serialises state, routes parameter changes from
// the editor under the plug-in mutex and talks to the attached editor.
#pragma once

#include "Containers.h"
#include "Hosts.h"
#include "IParam.h"
#include "IPlugStructs.h"
#include "mutex.h"
#include "ptrlist.h"
#include "wdlstring.h"

class IGraphics;

#define MAX_PRESET_NAME_LEN 256
#define MAX_EFFECT_NAME_LEN 128

// The plug-in interfaces the framework knows; this program is stand-alone.
enum EAPI
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIRTAS = 3,
  kAPIAAX = 4,
  kAPISA = 5
};

struct IPreset
{
  bool mInitialized = false;
  char mName[MAX_PRESET_NAME_LEN] = "";
  ByteChunk mChunk;
};

class IPlugBase
{
public:
  IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
            const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
            int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
            int plugAPI);
  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;
  virtual ~IPlugBase();

  // ---- Implemented by the plug-in ----

  // Called (from any thread) when the plug-in should clear its state; the
  // default takes and releases the plug-in mutex.
  virtual void Reset();
  // A parameter changed, from the editor, a preset or a host.
  virtual void OnParamChange(int paramIdx);
  // Processes one block; the default copies inputs to outputs.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  // Incoming MIDI; the default passes it on to the plug-in's MIDI output.
  virtual void ProcessMidiMsg(IMidiMsg* msg);

  // ---- Implemented by the API class (stand-alone, and so on) ----

  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfProgramChange() = 0;
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* numerator, int* denominator) = 0;
  virtual void GetTime(ITimeInfo* timeInfo) = 0;
  virtual void ResizeGraphics(int w, int h) = 0;
  virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
  virtual bool SendSysEx(ISysEx* msg) = 0;

  // ---- Called by the editor ----

  // Sets a parameter from its normalised value, tells the host and the
  // plug-in, all under the plug-in mutex.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // Keeps the editor (owned from now on) and pushes every parameter into it.
  virtual void AttachGraphics(IGraphics* graphics);
  // Sends every parameter's plain value to the editor's controls.
  virtual void RedrawParamControls();
  IGraphics* GetGUI() { return mGraphics; }
  // Why the plug-in made no editor, for the host to tell the user; "" when
  // it has one or gave no reason.
  const char* GetGUIProblem() const { return mGUIProblem.Get(); }

  // ---- Parameters ----

  int NParams() const { return mParams.GetSize(); }
  IParam* GetParam(int paramIdx) { return mParams.Get(paramIdx); }

  // ---- Presets ----

  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  const char* GetPresetName(int idx) const;
  // Restores preset idx and makes it current; false when idx is out of range
  // or the preset holds no valid state.
  bool RestorePreset(int idx);
  // Stores the current parameter values as preset idx.
  bool SetPresetFromCurrentState(int idx, const char* name);

  // ---- State ----

  // Appends every parameter's value; returns false when the chunk could not grow.
  bool SerializeParams(ByteChunk* chunk);
  // Reads every parameter's value from startPos; returns the position after
  // them, or -1 (changing nothing) when the chunk is too short.
  int UnserializeParams(const ByteChunk* chunk, int startPos);

  // ---- Channels and processing context ----

  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  // The buffer a disconnected channel reads or writes; null out of range.
  double* GetInScratchBuffer(int chIdx);
  double* GetOutScratchBuffer(int chIdx);
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);

  virtual void SetBlockSize(int blockSize);
  int GetBlockSize() const { return mBlockSize; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  double GetSampleRate() const { return mSampleRate; }
  int GetLatency() const { return mLatency; }

  // ---- Identity ----

  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetEffectVersion() const { return mVersion; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  bool DoesMIDI() const { return mDoesMIDI; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool IsInst() const { return mIsInst; }
  int GetAPI() const { return mAPI; }

  void SetHost(const char* host, int version);
  EHost GetHost() const { return mHost; }
  int GetHostVersion() const { return mHostVersion; }

  // Scoped lock on the plug-in mutex.
  class IMutexLock
  {
  public:
    explicit IMutexLock(IPlugBase* plug) : mLock(&plug->mMutex) {}

  private:
    WDL_MutexLock mLock;
  };

protected:
  // Declares a factory preset: a name and one value per parameter, in
  // parameter order. Presets fill the slots from the first one on.
  template <class... Values> bool MakePreset(const char* name, Values... values)
  {
    const double v[] = {static_cast<double>(values)...};
    return MakePresetFromValues(name, v, (int)sizeof...(values));
  }
  bool MakePresetFromValues(const char* name, const double* values, int nValues);
  // Stores the current (default) values as the next free preset.
  bool MakeDefaultPreset(const char* name = nullptr);
  void SetGUIProblem(const char* problem) { mGUIProblem.Set(problem); }

  WDL_Mutex mMutex;

private:
  struct Channel
  {
    bool mConnected = false;
    WDL_TypedBuf<double> mScratchBuf;
  };
  IPreset* NextUninitializedPreset();

  char mEffectName[MAX_EFFECT_NAME_LEN];
  char mProductName[MAX_EFFECT_NAME_LEN];
  char mMfrName[MAX_EFFECT_NAME_LEN];
  int mUniqueID, mMfrID, mVersion;
  int mLatency;
  bool mDoesMIDI, mStateChunks, mIsInst;
  int mAPI;
  EHost mHost = kHostUninit;
  int mHostVersion = 0;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mCurrentPresetIdx = 0;
  IGraphics* mGraphics = nullptr;
  WDL_String mGUIProblem;

  WDL_PtrList<IParam> mParams;
  WDL_PtrList<IPreset> mPresets;
  WDL_PtrList<Channel> mInChannels;
  WDL_PtrList<Channel> mOutChannels;
};
