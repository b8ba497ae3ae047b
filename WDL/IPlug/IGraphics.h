// IGraphics: the editor surface that a plug-in owns while its editor exists.
//
// This is the part of the surface that the plug-in core talks to: pushing
// parameter values into the controls, preparing the drawing surfaces and the
// editor's size. The editor framework derives the full surface from it.
#pragma once

class IPlugBase;

class IGraphics
{
public:
  virtual ~IGraphics() = default;

  // Pushes a parameter's value, plain or normalised, into every control bound
  // to it.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // Sets one control's normalised value by control index (level meters).
  virtual void SetControlFromPlug(int controlIdx, double normalizedValue) = 0;
  // Makes the back buffer; called once when the plug-in attaches the surface.
  virtual void PrepDraw() = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Opens the editor's view inside the parent window (closing a view that
  // was open) and returns it; null when no view was made. The editor
  // framework's surface makes the view; this base has none to make.
  virtual void* OpenWindow(void* /*parent*/) { return nullptr; }
};
