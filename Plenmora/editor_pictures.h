// The editor's pictures, read from the resource folder on threads of their
// own, one per picture: the application starts them before it has a window,
// and the editor waits for them when it is made. Each picture is checked
// against the size the editor's layout gives it, from its header, before its
// pixels are decoded.
#pragma once

#include <string>

class IGraphicsGtk;
class IPlugBase;

namespace editor_pictures
{
// Starts reading each picture that is neither read nor under way, from the
// resource folder as it is now; returns at once.
void Start();

// Waits for every picture, starting those that are not under way. True when
// all of them are usable; otherwise problem tells why, one line per picture
// that is not, naming the file and, for a picture of another size, the size
// found and the size expected. A picture that failed is read again by the
// next Start or Wait.
bool Wait(std::string* problem);

// An editor surface that takes the pictures read here into its bitmap cache
// instead of reading the files again.
IGraphicsGtk* MakeGraphics(IPlugBase* plug, int w, int h);
} // namespace editor_pictures
