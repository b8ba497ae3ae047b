// Dialog resources: registration at static initialisation, and the control
// lists that a dialog's builder turns into controls.
//
//   static void BuildMyDialog(HWND dlg, int flags)
//   {
//     SWELL_MakeSetCurParms(1.0f, 1.0f, 0, 0, dlg, false, !(flags & SWELL_DLG_WS_NOAUTOSIZE));
//     SWELL_GenerateDialogFromList(kMyControls, kMyControlCount);
//   }
//   static SWELL_DialogRegHelper sMyDialog(&SWELL_curmodule_dialogresource_head, BuildMyDialog,
//                                          1234, SWELL_DLG_WS_FLIPPED, "Title", 320, 200, 1.0);
#pragma once

#include "swell-types.h"

// Resource flags.
#define SWELL_DLG_WS_CHILD 1
#define SWELL_DLG_WS_RESIZABLE 2
#define SWELL_DLG_WS_FLIPPED 4    // positions measured from the top (always so here)
#define SWELL_DLG_WS_NOAUTOSIZE 8 // the builder turns size-to-fit off

struct SWELL_DialogResourceIndex
{
  int resid;
  const char* title;
  int windowTypeFlags;
  void (*createFunc)(HWND, int);
  int width, height;
  double scale;
  SWELL_DialogResourceIndex* _next;
};

// Registers a dialog resource at the head of the list.
class SWELL_DialogRegHelper
{
public:
  SWELL_DialogRegHelper(SWELL_DialogResourceIndex** head, void (*createFunc)(HWND, int), int id,
                        int flags, const char* title, int width, int height, double scale)
  {
    m_rec.resid = id;
    m_rec.title = title;
    m_rec.windowTypeFlags = flags;
    m_rec.createFunc = createFunc;
    m_rec.width = width;
    m_rec.height = height;
    m_rec.scale = scale;
    m_rec._next = *head;
    *head = &m_rec;
  }
  SWELL_DialogResourceIndex m_rec;
};

// The application's dialog resources.
extern SWELL_DialogResourceIndex* SWELL_curmodule_dialogresource_head;

// One control of a dialog. type is "__SWELL_GROUP" (a frame with a title),
// "__SWELL_LABEL" (left-aligned text), "__SWELL_COMBO" (style 3: a drop-down
// list that cannot be typed into; other styles can be typed into),
// "__SWELL_CHECKBOX" or "__SWELL_BUTTON" (intval 1: the default button).
// Combo boxes and check boxes take their natural height: h is the extent of
// the drop-down list in a combo's case.
struct SWELL_DialogControlRecord
{
  const char* type;
  int intval;
  const char* text;
  int id;
  int x, y, w, h;
  int style;
};

// The layout context for the controls that SWELL_GenerateDialogFromList
// makes next: positions and sizes are scaled, then offset; parent is the
// dialog they go into. With autoPlace false every control is placed at its
// record's position (the only placement this layer does). With sizeToFit,
// labels, check boxes and buttons grow to their text's natural width.
void SWELL_MakeSetCurParms(float xscale, float yscale, float xtrans, float ytrans, HWND parent,
                           bool autoPlace, bool sizeToFit);
// Creates the listed controls in the dialog of the current layout context.
void SWELL_GenerateDialogFromList(const SWELL_DialogControlRecord* list, int count);
