// pwn::Select and pwn::SelectListener: a one-line box showing the chosen entry
// of a list of strings, whose drop-down list opens on a primary release.
#pragma once

#include <vector>

#include "menu/text.h"
#include "menu/textfield.h"

namespace pwn {

class Select;
class SelectContents;

class SelectListener {
public:
  virtual void callback_onSelect(Select* select, int newIndex, int oldIndex) = 0;

protected:
  ~SelectListener() = default;
};

class Select : public TextField {
public:
  // The drop-down list goes to the menu system's root, hidden, so that it can
  // float over everything else.
  Select(Vec2 const& pos, float width);

  // Opens or closes the list over the select, the chosen entry over the box.
  bool mouseEvent(MouseEvent event, Vec2 const& local) override;
  void onFocus() override;
  void onBlur() override;
  // Keys are never used: the text is not editable.
  bool doKeyPress(int key) override;
  void onTextChange() override;

  virtual void addSelectListener(SelectListener* l);
  // Stores the index and shows its entry; nobody is notified.
  virtual void setSelected(int i);
  // Drops every entry; the chosen index and the text stay.
  virtual void resetContent();
  virtual void addString(const char* s);
  // setSelected, then every listener hears the new and the old index.
  virtual void userSetSelected(int i);

  // The text of entry i, or "" when there is no such entry.
  const char* getString(int i);

  std::vector<SelectListener*> selectListeners;
  std::vector<gc::Pointer<Text>> items;
  int selected;
  gc::Pointer<SelectContents> contents;
};

}  // namespace pwn
