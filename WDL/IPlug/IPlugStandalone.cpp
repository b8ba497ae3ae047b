#include "IPlugStandalone.h"

#include <RtMidi.h>

#include <thread>

#include "IGraphics.h"
#include "swell-wnd.h"

IPlugStandalone* gPluginInstance = nullptr;
HWND gHWND = nullptr;

namespace
{
// Room the main window's title bar takes above the editor.
constexpr int kTitleBarHeight = 22;
} // namespace

IPlugStandalone::IPlugStandalone(IPlugInstanceInfo instanceInfo, int nParams,
                                 const char* channelIOStr, int nPresets, const char* effectName,
                                 const char* productName, const char* mfrName, int vendorVersion,
                                 int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                                 bool plugDoesChunks, bool plugIsInst, int /*plugScChans*/)
    : IPlugBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion,
                uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPISA)
{
  SetInputChannelConnections(0, NInChannels(), true);
  SetOutputChannelConnections(0, NOutChannels(), true);
  SetBlockSize(1024);
  SetHost("standalone", vendorVersion);
  mMidiOut.store(instanceInfo.mMidiOut);
  mMidiOutChanPtr = instanceInfo.mMidiOutChanPtr;
}

IPlugStandalone::~IPlugStandalone() = default;

void IPlugStandalone::ResizeGraphics(int, int)
{
  IGraphics* gui = GetGUI();
  if (!gui) return;
  RECT r = {};
  GetWindowRect(gHWND, &r);
  const int w = gui->Width(), h = gui->Height();
  SetWindowPos(gHWND, nullptr, r.left, r.bottom - h - kTitleBarHeight, w, h + kTitleBarHeight, 0);
  OnWindowResize();
}

bool IPlugStandalone::SendMidiMsg(IMidiMsg* msg)
{
  if (!DoesMIDI() || !msg) return false;
  IMidiMsg out = *msg;
  const unsigned setting = mMidiOutChanPtr ? *mMidiOutChanPtr : 0;
  const int kind = out.StatusMsg();
  // Channels 1 to 16 are forced on channel messages; system messages and
  // settings outside that range keep the message as it is.
  if (setting >= 1 && setting <= 16 && kind != IMidiMsg::kNone)
    out.mStatus = (uint8_t)((kind << 4) | (setting - 1));
  // Always three bytes, whatever the kind.
  const unsigned char bytes[3] = {out.mStatus, out.mData1, out.mData2};
  return SendBytes(bytes, 3);
}

bool IPlugStandalone::SendSysEx(ISysEx* msg)
{
  if (!msg) return false;
  if (msg->mSize <= 0 || !msg->mData) return mMidiOut.load() != nullptr;
  return SendBytes(msg->mData, (size_t)msg->mSize);
}

bool IPlugStandalone::SendBytes(const unsigned char* bytes, size_t size)
{
  // Counted before the output is read: SetMidiOutput waits for the count.
  mMidiSends.fetch_add(1);
  bool sent = false;
  if (RtMidiOut* midiOut = mMidiOut.load())
  {
    try
    {
      midiOut->sendMessage(bytes, size);
      sent = true;
    }
    catch (RtMidiError& err)
    {
      err.printMessage();
    }
  }
  mMidiSends.fetch_sub(1);
  return sent;
}

void IPlugStandalone::SetMidiOutput(RtMidiOut* midiOut)
{
  mMidiOut.store(midiOut);
  while (mMidiSends.load() != 0) std::this_thread::yield();
}

void IPlugStandalone::LockMutexAndProcessDoubleReplacing(double** inputs, double** outputs,
                                                         int nFrames)
{
  IMutexLock lock(this);
  ProcessDoubleReplacing(inputs, outputs, nFrames);
}
