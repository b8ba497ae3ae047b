// IPopupMenu: a platform-free popup menu. A control builds one, hands it to
// the editor's CreateIPopupMenu, which shows it natively, and reads the index
// of the chosen item afterwards.
#pragma once

#include "ptrlist.h"
#include "wdlstring.h"

class IPopupMenu;

class IPopupMenuItem
{
public:
  enum Flags
  {
    kNoFlags = 0,
    kDisabled = 1 << 0,  // shown greyed, not selectable
    kTitle = 1 << 1,     // shown as a heading
    kChecked = 1 << 2,   // shown checked
    kSeparator = 1 << 3, // a separator line; the text is ignored
  };

  IPopupMenuItem(const char* text, int flags = kNoFlags);
  // An item that opens submenu; the item does not own it.
  IPopupMenuItem(const char* text, IPopupMenu* submenu);
  ~IPopupMenuItem() = default;

  const char* GetText() const { return mText.Get(); }
  void SetText(const char* text) { mText.Set(text); }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  int GetFlags() const { return mFlags; }

  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetChecked() const { return (mFlags & kChecked) != 0; }
  bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
  bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }
  void SetChecked(bool checked);

private:
  WDL_String mText;
  IPopupMenu* mSubmenu;
  int mFlags;
};

class IPopupMenu
{
public:
  // How the back end numbers the items: none, "%1d: ", "%02d: ", "%03d: ".
  enum EPrefix
  {
    kPrefixNone = 0,
    kPrefixPlain = 1,
    kPrefixTwoDigits = 2,
    kPrefixThreeDigits = 3,
  };

  // The prefix style is stored as given; option is kept but changes nothing.
  explicit IPopupMenu(int prefix = kPrefixNone, bool option = false);
  // Deletes the items (last first); submenus stay with their owners.
  ~IPopupMenu();
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // index -1 appends; any other index inserts, limited to 0..GetNItems().
  // The menu owns the item from then on.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1,
                          int itemFlags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  int GetNItems() const { return mMenuItems.GetSize(); }
  // Null when index is out of range.
  IPopupMenuItem* GetItem(int index) const;
  // The item's text; "" for an index without an item.
  const char* GetItemText(int index) const;

  int GetPrefix() const { return mPrefix; }
  // Accepts 0..3; any other value is ignored.
  void SetPrefix(int prefix);
  bool GetOption() const { return mOption; }

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

  bool CheckItem(int index, bool checked);
  // Checks item index and unchecks every other one.
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

private:
  int mPrefix;
  int mChosenItemIdx = -1;
  bool mOption;
  WDL_PtrList<IPopupMenuItem> mMenuItems;
};
