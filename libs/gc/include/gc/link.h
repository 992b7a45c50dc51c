// gc::Link: the node of a circular, doubly linked intrusive list; the same type
// serves as list head and as element.
#pragma once

#include <cstddef>

namespace gc {

class Link {
public:
  // A new link is on no list: it points to itself both ways.
  Link() : prev(this), next(this) {}
  // A copy never inherits list membership; it starts self-linked.
  Link(Link const&) : prev(this), next(this) {}
  Link& operator=(Link const&) { return *this; }
  virtual ~Link() { detach(); }

  // Takes this link off whatever list it is on and inserts it just before
  // `list`, that is at the tail of the list headed by `list`.
  void attach(Link* list);
  // Takes this link off its list and leaves it self-linked.
  Link* detach();
  // The number of other links on the ring (for a list head: its element count).
  std::size_t size() const;

  Link* prev;
  Link* next;
};

}  // namespace gc
