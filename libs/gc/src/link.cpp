// gc::Link: splicing links in and out of circular intrusive lists.
#include "gc/link.h"

namespace gc {

void Link::attach(Link* list) {
  detach();
  prev = list->prev;
  next = list;
  list->prev->next = this;
  list->prev = this;
}

Link* Link::detach() {
  prev->next = next;
  next->prev = prev;
  prev = this;
  next = this;
  return this;
}

std::size_t Link::size() const {
  std::size_t n = 0;
  for (Link const* l = next; l != this; l = l->next) ++n;
  return n;
}

}  // namespace gc
