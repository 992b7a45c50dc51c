// The engine's exception classes: Throwable carries a message streamed into it;
// Exception is a recoverable failure, Error a fatal one.
#pragma once

#include <ostream>
#include <sstream>
#include <string>

class Throwable {
public:
  Throwable() : stream(std::ios_base::out) {}
  // A copy opens a fresh stream and carries the source's whole text.
  Throwable(Throwable const& o) : stream(std::ios_base::out) { stream << o.stream.str(); }
  Throwable& operator=(Throwable const& o) {
    if (this != &o) {
      stream.str(std::string());
      stream.clear();
      stream << o.stream.str();
    }
    return *this;
  }

  // The accumulated message.
  std::string message() const { return stream.str(); }

  // Streams a value into the message; returns the exception itself so that a
  // whole message can be built in one expression before it is thrown.
  template <class T>
  Throwable& operator<<(T const& v) {
    stream << v;
    return *this;
  }

  std::ostringstream stream;
};

class Exception : public Throwable {
public:
  template <class T>
  Exception& operator<<(T const& v) {
    stream << v;
    return *this;
  }
};

class Error : public Throwable {
public:
  template <class T>
  Error& operator<<(T const& v) {
    stream << v;
    return *this;
  }
};

// Writes the accumulated text, without a line end.
inline std::ostream& operator<<(std::ostream& os, Throwable const& t) {
  return os << t.stream.str();
}
