// pwn::Select: entries, the chosen index and opening its drop-down list.
#include "menu/select.h"

#include "menu/menusystem.h"
#include "menu/selectcontents.h"

namespace pwn {

Select::Select(Vec2 const& pos_, float width)
    : TextField(pos_, width), selected(0), contents(createPtr<SelectContents>(nullptr)) {
  allowFocus = true;
  SelectContents* list = new SelectContents(Vec2(0, 0), size, this);
  contents = list;
  if (Object* root = getRoot()) root->addChild(list);
  list->setVisible(false);
}

const char* Select::getString(int i) {
  if (i < 0 || i >= static_cast<int>(items.size())) return "";
  Text* t = items[static_cast<std::size_t>(i)].get();
  return t ? t->getText().c_str() : "";
}

void Select::setSelected(int i) {
  selected = i;
  if (!items.empty()) setText(getString(i));
}

void Select::userSetSelected(int i) {
  int const old = selected;
  setSelected(i);
  for (std::size_t k = 0; k < selectListeners.size(); ++k) selectListeners[k]->callback_onSelect(this, i, old);
}

void Select::addString(const char* s) {
  float const n = static_cast<float>(items.size());
  Text* entry = new Text(Vec2(0, n), s);
  entry->setSize(Vec2(size.x, 1));
  items.push_back(createPtr<Text>(entry));
  if (SelectContents* list = contents.get()) {
    list->addChild(entry);
    list->setSize(Vec2(size.x, n + 1));
  }
}

void Select::resetContent() {
  for (auto& item : items)
    if (Text* t = item.get()) t->unlinkFromParent();
  items.clear();
  if (SelectContents* list = contents.get()) list->setSize(Vec2(size.x, 0));
}

void Select::addSelectListener(SelectListener* l) { selectListeners.push_back(l); }

bool Select::mouseEvent(MouseEvent event, Vec2 const&) {
  if (!event.has(MouseEvent::primaryReleased)) return false;
  SelectContents* list = contents.get();
  if (!list) return true;
  // A select made before the menu system had a root gets its list placed now.
  if (!list->parent.get())
    if (Object* root = getRoot()) root->addChild(list);
  list->setVisible(!list->getVisible());
  if (list->getVisible()) {
    list->setTopmostPriority(1);
    Vec2 at = getAbsPos();
    list->setPos(Vec2(at.x, at.y - static_cast<float>(selected)));
  }
  return true;
}

void Select::onFocus() { fontColor = 0xFFFFFF00u; }
void Select::onBlur() { fontColor = 0xFFFFFFFFu; }
bool Select::doKeyPress(int) { return false; }
void Select::onTextChange() {}

}  // namespace pwn
