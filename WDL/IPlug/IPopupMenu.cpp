#include "IPopupMenu.h"

IPopupMenuItem::IPopupMenuItem(const char* text, int flags)
    : mText(text), mSubmenu(nullptr), mFlags(flags)
{
}

IPopupMenuItem::IPopupMenuItem(const char* text, IPopupMenu* submenu)
    : mText(text), mSubmenu(submenu), mFlags(kNoFlags)
{
}

void IPopupMenuItem::SetChecked(bool checked)
{
  if (checked)
    mFlags |= kChecked;
  else
    mFlags &= ~kChecked;
}

IPopupMenu::IPopupMenu(int prefix, bool option) : mPrefix(prefix), mOption(option) {}

IPopupMenu::~IPopupMenu() { mMenuItems.Empty(true); }

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index)
{
  // Insert limits the index to 0..size; only -1 means "append".
  IPopupMenuItem* added = index == -1 ? mMenuItems.Add(item) : mMenuItems.Insert(index, item);
  if (!added) delete item; // the list could not grow
  return added;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int itemFlags)
{
  return AddItem(new IPopupMenuItem(text, itemFlags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* submenu)
{
  return AddItem(new IPopupMenuItem(text, submenu), -1);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* submenu)
{
  return AddItem(new IPopupMenuItem(text, submenu), index);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index)
{
  return AddItem(new IPopupMenuItem("", IPopupMenuItem::kSeparator), index);
}

IPopupMenuItem* IPopupMenu::GetItem(int index) const { return mMenuItems.Get(index); }

const char* IPopupMenu::GetItemText(int index) const
{
  const IPopupMenuItem* item = GetItem(index);
  return item ? item->GetText() : "";
}

void IPopupMenu::SetPrefix(int prefix)
{
  if (prefix >= kPrefixNone && prefix <= kPrefixThreeDigits) mPrefix = prefix;
}

bool IPopupMenu::CheckItem(int index, bool checked)
{
  IPopupMenuItem* item = GetItem(index);
  if (!item) return false;
  item->SetChecked(checked);
  return true;
}

void IPopupMenu::CheckItemAlone(int index)
{
  for (int i = 0; i < GetNItems(); ++i) GetItem(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const
{
  const IPopupMenuItem* item = GetItem(index);
  return item && item->GetChecked();
}
