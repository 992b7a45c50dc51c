// Fixed-size vector values _vec<N, T> (N = 2, 3, 4), their arithmetic and the
// 3-D helpers (cross product, unit vectors, triangle normals).
#pragma once

#include <cmath>
#include <type_traits>

#include "math/assert.h"

// Named storage of the components; _vec adds the operations on top of it.
// Components are contiguous (x, y[, z[, w]]), so &v.x may be handed to OpenGL.
template <int N, class T>
struct _vecStore;

template <class T>
struct _vecStore<2, T> {
  constexpr _vecStore() : x(0), y(0) {}
  constexpr _vecStore(T x_, T y_) : x(x_), y(y_) {}
  T x, y;
  static constexpr T _vecStore::*members[2] = {&_vecStore::x, &_vecStore::y};
};

template <class T>
struct _vecStore<3, T> {
  constexpr _vecStore() : x(0), y(0), z(0) {}
  constexpr _vecStore(T x_, T y_, T z_) : x(x_), y(y_), z(z_) {}
  T x, y, z;
  static constexpr T _vecStore::*members[3] = {&_vecStore::x, &_vecStore::y, &_vecStore::z};
};

// The homogeneous 4-vector of floats defaults to the point (0, 0, 0, 1).
template <class T>
struct _vecStore<4, T> {
  constexpr _vecStore() : x(0), y(0), z(0), w(std::is_same<T, float>::value ? 1 : 0) {}
  constexpr _vecStore(T x_, T y_, T z_, T w_) : x(x_), y(y_), z(z_), w(w_) {}
  T x, y, z, w;
  static constexpr T _vecStore::*members[4] = {&_vecStore::x, &_vecStore::y, &_vecStore::z,
                                               &_vecStore::w};
};

template <int N, class T>
struct _vec : _vecStore<N, T> {
  using _vecStore<N, T>::_vecStore;
  constexpr _vec() : _vecStore<N, T>() {}

  // Converts from a vector of the same size and another component type.
  template <class U, class = std::enable_if_t<!std::is_same<U, T>::value>>
  explicit _vec(_vec<N, U> const& o) {
    for (int i = 0; i < N; ++i) (*this)[i] = static_cast<T>(o[i]);
  }

  static constexpr int dim() { return N; }

  T& operator[](int i) {
    ASSERT(0 <= i && i < dim());
    return this->*(_vecStore<N, T>::members[i]);
  }
  T const& operator[](int i) const {
    ASSERT(0 <= i && i < dim());
    return this->*(_vecStore<N, T>::members[i]);
  }

  T* ptr() { return &this->x; }
  T const* ptr() const { return &this->x; }

  // Euclidean length: the squares are summed in T, the root taken in double.
  double len() const {
    T sum = 0;
    for (int i = 0; i < N; ++i) sum += (*this)[i] * (*this)[i];
    return std::sqrt(static_cast<double>(sum));
  }

  // Divides in place by len(); returns the vector.
  _vec& normalize() {
    double l = len();
    for (int i = 0; i < N; ++i) (*this)[i] = static_cast<T>((*this)[i] / l);
    return *this;
  }

  _vec& operator+=(_vec const& o) {
    for (int i = 0; i < N; ++i) (*this)[i] += o[i];
    return *this;
  }
  _vec& operator-=(_vec const& o) {
    for (int i = 0; i < N; ++i) (*this)[i] -= o[i];
    return *this;
  }
  _vec& operator*=(T s) {
    for (int i = 0; i < N; ++i) (*this)[i] *= s;
    return *this;
  }
  _vec& operator/=(T s) {
    for (int i = 0; i < N; ++i) (*this)[i] /= s;
    return *this;
  }
};

template <int N, class T>
_vec<N, T> operator+(_vec<N, T> a, _vec<N, T> const& b) {
  return a += b;
}
template <int N, class T>
_vec<N, T> operator-(_vec<N, T> a, _vec<N, T> const& b) {
  return a -= b;
}
template <int N, class T>
_vec<N, T> operator-(_vec<N, T> a) {
  for (int i = 0; i < N; ++i) a[i] = -a[i];
  return a;
}

template <int N, class T>
_vec<N, T> operator*(_vec<N, T> a, T s) {
  return a *= s;
}
template <int N, class T>
_vec<N, T> operator*(T s, _vec<N, T> a) {
  return a *= s;
}
// Scaling by a double: computed in double precision, stored as T.
template <int N, class T, class = std::enable_if_t<!std::is_same<T, double>::value>>
_vec<N, T> operator*(_vec<N, T> a, double s) {
  for (int i = 0; i < N; ++i) a[i] = static_cast<T>(a[i] * s);
  return a;
}
template <int N, class T, class = std::enable_if_t<!std::is_same<T, double>::value>>
_vec<N, T> operator*(double s, _vec<N, T> a) {
  return a * s;
}

// Division by a scalar of the component type (integer division for ints,
// rounding toward zero).
template <int N, class T>
_vec<N, T> operator/(_vec<N, T> a, T s) {
  return a /= s;
}
// Division by a double: computed in double precision, stored as T.
template <int N, class T, class = std::enable_if_t<!std::is_same<T, double>::value>>
_vec<N, T> operator/(_vec<N, T> a, double s) {
  for (int i = 0; i < N; ++i) a[i] = static_cast<T>(a[i] / s);
  return a;
}
template <int N, class T, class = std::enable_if_t<!std::is_same<T, double>::value>>
_vec<N, T>& operator/=(_vec<N, T>& a, double s) {
  for (int i = 0; i < N; ++i) a[i] = static_cast<T>(a[i] / s);
  return a;
}

template <int N, class T>
bool operator==(_vec<N, T> const& a, _vec<N, T> const& b) {
  for (int i = 0; i < N; ++i)
    if (!(a[i] == b[i])) return false;
  return true;
}
template <int N, class T>
bool operator!=(_vec<N, T> const& a, _vec<N, T> const& b) {
  return !(a == b);
}

template <int N, class T>
T dot(_vec<N, T> const& a, _vec<N, T> const& b) {
  T sum = 0;
  for (int i = 0; i < N; ++i) sum += a[i] * b[i];
  return sum;
}

// Component-wise product.
template <int N, class T>
_vec<N, T> vecScaleElem(_vec<N, T> a, _vec<N, T> const& b) {
  for (int i = 0; i < N; ++i) a[i] *= b[i];
  return a;
}

template <class T>
_vec<3, T> cross(_vec<3, T> const& a, _vec<3, T> const& b) {
  return _vec<3, T>(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}

// Unit vector along v; vectors of squared length up to 1e-6 have no usable
// direction and give the X axis.
inline _vec<3, float> vec3unit(_vec<3, float> const& v) {
  float sq = dot(v, v);
  if (static_cast<double>(sq) <= 0.000001) return _vec<3, float>(1, 0, 0);
  return v / std::sqrt(sq);
}

// Unnormalised normal of the triangle a, b, c: (b - a) x (c - b).
inline _vec<3, float> vec3planeNormal(_vec<3, float> const& a, _vec<3, float> const& b,
                                      _vec<3, float> const& c) {
  return cross(b - a, c - b);
}

inline _vec<3, float> vec3unitNormal(_vec<3, float> const& a, _vec<3, float> const& b,
                                     _vec<3, float> const& c) {
  return vec3unit(vec3planeNormal(a, b, c));
}

// Per translation unit constant: float positive infinity.
static float const fInf = -std::log(0.0f);
