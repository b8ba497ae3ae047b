// The popup menu model.
#include <gtest/gtest.h>

#include <string>

#include "IPopupMenu.h"

namespace
{
std::string Items(const IPopupMenu& m)
{
  std::string s;
  for (int i = 0; i < m.GetNItems(); ++i)
    s += std::string(m.GetItemText(i)) + (m.IsItemChecked(i) ? "*" : "") + " ";
  return s;
}

TEST(IPopupMenu, PlacementChecksAndOwnership)
{
  IPopupMenu sub;
  {
    IPopupMenu m(IPopupMenu::kPrefixTwoDigits);
    m.AddItem("A");
    m.AddItem("B", 0);
    m.AddItem("C", 99, IPopupMenuItem::kChecked); // past the end: appended
    m.AddItem("D", -5);                           // negative: at the front
    m.AddItem("S", 2, &sub);
    IPopupMenuItem* sep = m.AddSeparator(1);
    EXPECT_EQ("D  B S A C* ", Items(m));
    EXPECT_EQ(&sub, m.GetItem(3)->GetSubmenu());

    for (int i = 0; i < m.GetNItems(); ++i) m.CheckItem(i, true);
    m.CheckItemAlone(2);
    EXPECT_EQ("D  B* S A C ", Items(m));
    EXPECT_TRUE(sep->GetIsSeparator()); // checking leaves the other flags alone
    m.CheckItemAlone(17);
    EXPECT_EQ("D  B S A C ", Items(m));
    EXPECT_FALSE(m.CheckItem(6, true));
    EXPECT_EQ(nullptr, m.GetItem(-1));
    EXPECT_STREQ("", m.GetItemText(6));
  }
  // The menu deleted its items, not the submenu they pointed to.
  sub.AddItem("still here");
  EXPECT_EQ(1, sub.GetNItems());
}
} // namespace
