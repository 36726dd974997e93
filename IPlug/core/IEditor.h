#pragma once
// What the plug-in base and its host wrappers ask of an editor. The base owns the editor it is
// given and knows it only through this interface; the graphics library implements it.

class IEditor
{
public:
  // Deleted by the base that owns it (before the parameters go).
  virtual ~IEditor() = default;
  // Gives the controls bound to a parameter its value, normalized or in the parameter's units,
  // and marks them for redrawing. Takes no lock.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;
  // Makes the drawing surfaces ready; called once when the editor is attached.
  virtual void PrepDraw() = 0;
  // Opens the editor's view inside pParent (the window system's parent view, or null); the view.
  virtual void* OpenWindow(void* pParent) = 0;
  // Opens the editor as a control in an older host window; null when the window system has none.
  virtual void* OpenWindow(void* pParentWnd, void* pParentControl, short x = 0, short y = 0) = 0;
  // Closes the editor's view; harmless when it is closed.
  virtual void CloseWindow() = 0;
};
